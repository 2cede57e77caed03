#include "tools/document_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace orvelxml {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}

// Whether the file's first bytes are those of an XML document.
bool StartsAsXml(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char head[64] = {};
  in.read(head, sizeof head);
  const std::string bytes(head, static_cast<std::size_t>(in.gcount()));
  // A UTF-16 or UTF-32 mark, or '<' as a 16- or 32-bit unit.
  if (bytes.compare(0, 2, "\xFE\xFF") == 0 || bytes.compare(0, 2, "\xFF\xFE") == 0) return true;
  if (bytes.size() >= 2 &&
      ((bytes[0] == '<' && bytes[1] == '\0') || (bytes[0] == '\0' && bytes.find('<') < 4)))
    return true;
  std::size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < bytes.size() &&
         (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
    ++at;
  return at < bytes.size() && bytes[at] == '<';
}

}  // namespace

const std::vector<std::string>& DefaultDocumentExtensions() {
  static const std::vector<std::string> extensions = {"xml", "xmlz", "xsl", "xslt", "svg", "xsd", "conf"};
  return extensions;
}

bool ParseExtensions(const std::string& list, std::vector<std::string>* extensions, std::string* why) {
  extensions->clear();
  std::size_t at = 0;
  for (;;) {
    const std::size_t comma = list.find(',', at);
    std::string one = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    one.erase(std::remove(one.begin(), one.end(), ' '), one.end());
    if (!one.empty() && one[0] == '.') one.erase(0, 1);
    if (one.empty()) {
      *why = "--ext '" + list + "': an extension is empty";
      return false;
    }
    extensions->push_back(Lower(one));
    if (comma == std::string::npos) return true;
    at = comma + 1;
  }
}

bool FindDocuments(const std::string& folder, const std::vector<std::string>& extensions,
                   FoundDocuments* found, std::string* why) {
  std::error_code failure;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, failure);
  for (; !failure && it != fs::recursive_directory_iterator(); it.increment(failure)) {
    std::error_code ignored;
    if (!it->is_regular_file(ignored)) continue;
    const std::string extension = Lower(it->path().extension().string());
    if (extension.empty() ||
        std::find(extensions.begin(), extensions.end(), extension.substr(1)) == extensions.end())
      continue;
    if (extension == ".conf" && !StartsAsXml(it->path())) {
      ++found->skipped;
      continue;
    }
    found->files.push_back(it->path().string());
  }
  if (failure) {
    *why = folder + ": " + failure.message();
    return false;
  }
  std::sort(found->files.begin(), found->files.end());
  return true;
}

}  // namespace orvelxml
