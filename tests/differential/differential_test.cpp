// Differential test: this engine's navigation and reads against pugixml's tree
// on real XML files found on the machine and on generated documents.
//
// Only documents that both accept are compared: this engine's IsDocumentValid
// and pugixml's status_ok. Intended differences, kept out of the comparison:
// - pugixml is run with parse_cdata | parse_escapes | parse_ws_pcdata |
//   parse_comments | parse_pi. Without parse_eol it keeps "\r\n" as this engine
//   does; without parse_wconv_attribute it keeps attribute white space as
//   written (this engine never normalises it). Comments and PIs are kept in its
//   tree only so that the white-space rule below can be applied.
// - White-space-only text runs: this engine's content read leaves out white
//   space that is followed by markup, yet an element whose whole content is
//   white space reads as that white space (the content holds no markup and is
//   decoded whole). The expected text is built from pugixml's tree the same
//   way: white-space-only runs count only when they are the element's only
//   child node.
// - Text is compared only for elements without child elements: that is the
//   only text this engine's content read gives.
// - Numeric references: this engine decodes at most seven characters between
//   "&#" (or "&#x") and ';', takes only a lower-case 'x', and keeps references
//   to 0, to surrogates and above U+10FFFF as written; pugixml decodes longer
//   ones and writes other bytes for the rest. The generator only writes
//   references that both decode alike; files holding others are reported as
//   mismatches only if their values differ, which the file list does not hit.
// - Bytes are compared as bytes: files are read as UTF-8 (encoding_utf8), and
//   files starting with a UTF-16 or UTF-32 byte order mark are skipped.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/document_generator.h"
#include "engine/xml_document.h"

namespace orvel {
namespace {

constexpr unsigned kPugiFlags =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata | pugi::parse_comments | pugi::parse_pi;

struct Tally {
  int documents = 0;
  long elements = 0;
  long attributes = 0;
  long leafTexts = 0;
};

bool IsSpaceOnly(const char* v) {
  for (; *v != 0; ++v)
    if (*v != ' ' && *v != '\t' && *v != '\n' && *v != '\r') return false;
  return true;
}

// Text content of a pugixml element that has no element children.
std::string LeafText(const pugi::xml_node& node) {
  std::string out;
  const bool onlyChild = node.first_child() && !node.first_child().next_sibling();
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_cdata) out += c.value();
    if (c.type() == pugi::node_pcdata && (onlyChild || !IsSpaceOnly(c.value()))) out += c.value();
  }
  return out;
}

bool HasElementChild(const pugi::xml_node& node) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) return true;
  return false;
}

// Compares the engine's main element with node, then its children in order.
// The engine's positions walk down with EnterElement and back with LeaveElement.
void CompareElement(XmlDocument& doc, const pugi::xml_node& node, const std::string& where, Tally& tally,
                    int depth) {
  ASSERT_LT(depth, 200) << where;
  const std::string path = where + "/" + node.name();
  ++tally.elements;
  ASSERT_EQ(doc.TagName(doc.mainPos), node.name()) << path;
  int index = 0;
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute(), ++index) {
    ASSERT_EQ(doc.ReadAttributeName(index), a.name()) << path << " attribute " << index;
    EXPECT_EQ(doc.AttributeValue(doc.mainPos, a.name()), a.value()) << path << "@" << a.name();
    ++tally.attributes;
  }
  EXPECT_EQ(doc.ReadAttributeName(index), "") << path << " has more attributes";
  if (!HasElementChild(node)) {
    EXPECT_EQ(doc.Content(doc.mainPos), LeafText(node)) << path;
    ++tally.leafTexts;
    EXPECT_FALSE(doc.SeekChildElement(nullptr)) << path;
    return;
  }
  doc.RewindChildren();
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    ASSERT_TRUE(doc.SeekChildElement(nullptr)) << path << " misses child " << c.name();
    ASSERT_TRUE(doc.EnterElement()) << path;
    CompareElement(doc, c, path, tally, depth + 1);
    if (::testing::Test::HasFatalFailure()) return;
    ASSERT_TRUE(doc.LeaveElement()) << path;
  }
  EXPECT_FALSE(doc.SeekChildElement(nullptr)) << path << " has more children";
}

// Compares one document if both accept it; returns whether it was compared.
bool CompareDocument(const std::string& text, const std::string& label, Tally& tally) {
  XmlDocument doc;
  if (!doc.ParseText(text.c_str())) return false;
  pugi::xml_document peer;
  if (!peer.load_buffer(text.data(), text.size(), kPugiFlags, pugi::encoding_utf8)) return false;
  if (!doc.SeekSiblingElement(nullptr)) {
    ADD_FAILURE() << label << ": valid document without a root";
    return false;
  }
  CompareElement(doc, peer.document_element(), label, tally, 0);
  ++tally.documents;
  return true;
}

// A few dozen XML files of the machine, picked evenly from the sorted list of
// candidates under /usr/share so that the choice is the same on every run.
std::vector<std::string> PickFiles(std::size_t wanted) {
  namespace fs = std::filesystem;
  std::vector<std::string> all;
  const char* const extensions[] = {".xml", ".svg", ".xsd", ".xsl", ".rng", ".gschema"};
  std::error_code ec;
  fs::recursive_directory_iterator it("/usr/share", fs::directory_options::skip_permission_denied, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec) || it->file_size(ec) > (4u << 20)) continue;
    std::string ext = it->path().extension().string();
    if (std::find(std::begin(extensions), std::end(extensions), ext) != std::end(extensions))
      all.push_back(it->path().string());
  }
  std::sort(all.begin(), all.end());
  std::vector<std::string> picked;
  if (all.empty()) return picked;
  const std::size_t step = std::max<std::size_t>(1, all.size() / wanted);
  for (std::size_t i = 0; i < all.size() && picked.size() < wanted; i += step) picked.push_back(all[i]);
  return picked;
}

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

bool HasWideByteOrderMark(const std::string& t) {
  return t.size() >= 2 && ((t[0] == '\xFF' && t[1] == '\xFE') || (t[0] == '\xFE' && t[1] == '\xFF') ||
                           t[0] == '\0' || t[1] == '\0');
}

TEST(Differential, FilesOnThisMachine) {
  std::vector<std::string> files = PickFiles(48);
  if (files.empty()) GTEST_SKIP() << "no XML files under /usr/share";
  Tally tally;
  int skipped = 0;
  for (const std::string& path : files) {
    std::string text;
    if (!ReadWhole(path, text) || HasWideByteOrderMark(text) || text.find('\0') != std::string::npos) {
      ++skipped;
      continue;
    }
    if (!CompareDocument(text, path, tally)) ++skipped;
    if (HasFatalFailure()) return;
  }
  std::printf("differential files: %zu picked, %d compared, %d not accepted by both; %ld elements, %ld attributes, "
              "%ld leaf texts compared\n",
              files.size(), tally.documents, skipped, tally.elements, tally.attributes, tally.leafTexts);
  EXPECT_GT(tally.documents, 0);
}

TEST(Differential, GeneratedDocuments) {
  Tally tally;
  int rejected = 0;
  const std::uint32_t kDocuments = 400;
  for (std::uint32_t seed = 1; seed <= kDocuments; ++seed) {
    std::string text = GenerateDocument(seed);
    if (!CompareDocument(text, "seed " + std::to_string(seed), tally)) ++rejected;
    if (HasFatalFailure()) return;
  }
  std::printf("differential generated: %u documents, %d compared; %ld elements, %ld attributes, %ld leaf texts\n",
              kDocuments, tally.documents, tally.elements, tally.attributes, tally.leafTexts);
  // The generator writes only well-formed documents: both must accept all.
  EXPECT_EQ(rejected, 0);
}

}  // namespace
}  // namespace orvel
