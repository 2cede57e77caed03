#include "tools/document_input.h"

#include <cstdio>
#if !defined(_WIN32)
#include <thread>
#endif

#include "tools/strict/strict_check.h"
#include "tools/tool_support.h"

namespace orvelxml {

bool ReadUsableDocument(ModuleHost& host, const std::string& path, std::string* text, int* exit,
                        DocumentEncoding* encoding, Rules rules) {
  std::string error;
  *exit = ExitUsage;
  if (!ReadInputDocument(host, path, text, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return false;
  }
  *exit = ExitNotWellFormed;
  DocumentEncoding found;
  Diagnostic why{0, ""};
  if (!DecodeDocument(text, encoding != nullptr ? encoding : &found, &why,
                      {rules == Rules::Lenient, encoding != nullptr})) {
    PrintAt(Errors(), DisplayName(path), *text, why.offset, why.message);
    return false;
  }
  const Refusal refusal = RefuseNulByte(*text);
  if (refusal.message.empty()) return true;
  PrintAt(Errors(), DisplayName(path), *text, refusal.offset, refusal.message);
  return false;
}

namespace {

#if defined(_WIN32)

// The win32 tool's C++ library has no threads: the rules are checked once
// the module has parsed.
class StrictErrorsMeanwhile {
 public:
  StrictErrorsMeanwhile(const std::string& text, bool namespaces) : text_(text), namespaces_(namespaces) {}
  std::vector<Diagnostic> Result() { return FindStrictErrors(text_, {namespaces_}); }

 private:
  const std::string& text_;
  const bool namespaces_;
};

#else

// From this length on, the rules the module leaves alone are checked on a
// thread of their own while the module parses: on a large file the two
// passes then take little longer than the module's alone.
constexpr std::size_t kConcurrentCheck = std::size_t{1} << 20;

// FindStrictErrors of a text, begun at construction on a second thread when
// the text is long.
class StrictErrorsMeanwhile {
 public:
  StrictErrorsMeanwhile(const std::string& text, bool namespaces)
      : text_(text), options_{namespaces, &cancel_} {
    if (text.size() >= kConcurrentCheck)
      thread_ = std::thread([this] { errors_ = FindStrictErrors(text_, options_); });
  }
  // Not wanted after all (the module's parse failed to finish): stops soon.
  ~StrictErrorsMeanwhile() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
  }
  StrictErrorsMeanwhile(const StrictErrorsMeanwhile&) = delete;
  StrictErrorsMeanwhile& operator=(const StrictErrorsMeanwhile&) = delete;

  std::vector<Diagnostic> Result() {
    if (!thread_.joinable()) return FindStrictErrors(text_, options_);
    thread_.join();
    return errors_;
  }

 private:
  const std::string& text_;
  std::atomic<bool> cancel_{false};
  const StrictOptions options_;
  std::vector<Diagnostic> errors_;
  std::thread thread_;
};

#endif

}  // namespace

std::vector<Diagnostic> ParseAndJudge(orvel::IXmlComponent* xml, const std::string& text, Rules rules) {
  if (rules == Rules::Lenient) {
    if (xml->ParseText(text.c_str()) == 0) return FindModuleError(text);
    return {};
  }
  StrictErrorsMeanwhile strict(text, rules == Rules::Xml);
  const bool parsed = xml->ParseText(text.c_str()) != 0;
  // The rules' first error in document order names the defect where a reader
  // fixes it; the module's is given only when the rules find none.
  std::vector<Diagnostic> errors = strict.Result();
  if (errors.empty() && !parsed) errors = FindModuleError(text);
  return errors;
}

void PrintErrors(const std::string& name, const std::string& text, const std::vector<Diagnostic>& errors) {
  for (const Diagnostic& d : errors) PrintAt(Errors(), name, text, d.offset, d.message);
}

bool ParseOrReport(orvel::IXmlComponent* xml, const std::string& name, const std::string& text, Rules rules) {
  const std::vector<Diagnostic> errors = ParseAndJudge(xml, text, rules);
  PrintErrors(name, text, errors);
  return errors.empty();
}

}  // namespace orvelxml
