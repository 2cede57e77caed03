#include "tools/document_input.h"

#include <cstdio>
#if !defined(_WIN32)
#include <thread>
#endif

#include "tools/strict/strict_check.h"
#include "tools/tool_support.h"

namespace orvelxml {

bool ReadUsableDocument(ModuleHost& host, const std::string& path, std::string* text, int* exit) {
  std::string error;
  *exit = ExitUsage;
  if (!ReadInputDocument(host, path, text, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return false;
  }
  const Refusal refusal = RefuseUnreadable(*text);
  if (refusal.message.empty()) return true;
  PrintAt(Errors(), DisplayName(path), *text, refusal.offset, refusal.message);
  if (!refusal.unreadable) *exit = ExitNotWellFormed;
  return false;
}

namespace {

#if defined(_WIN32)

// The win32 tool's C++ library has no threads: the rules are checked once
// the module has parsed.
class StrictErrorsMeanwhile {
 public:
  explicit StrictErrorsMeanwhile(const std::string& text) : text_(text) {}
  void Cancel() {}
  std::vector<Diagnostic> Result() { return FindStrictErrors(text_); }

 private:
  const std::string& text_;
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
  explicit StrictErrorsMeanwhile(const std::string& text) : text_(text) {
    if (text.size() >= kConcurrentCheck)
      thread_ = std::thread([this] { errors_ = FindStrictErrors(text_, &cancel_); });
  }
  ~StrictErrorsMeanwhile() {
    Cancel();
    if (thread_.joinable()) thread_.join();
  }
  StrictErrorsMeanwhile(const StrictErrorsMeanwhile&) = delete;
  StrictErrorsMeanwhile& operator=(const StrictErrorsMeanwhile&) = delete;

  // Not wanted after all: the module found an error of its own.
  void Cancel() { cancel_ = true; }

  std::vector<Diagnostic> Result() {
    if (!thread_.joinable()) return FindStrictErrors(text_);
    thread_.join();
    return errors_;
  }

 private:
  const std::string& text_;
  std::atomic<bool> cancel_{false};
  std::vector<Diagnostic> errors_;
  std::thread thread_;
};

#endif

}  // namespace

std::vector<Diagnostic> ParseAndJudge(orvel::IXmlComponent* xml, const std::string& text, Rules rules) {
  if (rules == Rules::Lenient) {
    if (xml->ParseText(text.c_str()) == 0) return FindFirstErrors(text);
    return {};
  }
  StrictErrorsMeanwhile strict(text);
  // The module's first error comes first: it is what a host of the module meets.
  if (xml->ParseText(text.c_str()) != 0) return strict.Result();
  strict.Cancel();
  return FindFirstErrors(text);
}

void PrintErrors(const std::string& name, const std::string& text, const std::vector<Diagnostic>& errors) {
  for (const Diagnostic& d : errors) PrintAt(Errors(), name, text, d.offset, d.message);
}

bool ParseOrReport(orvel::IXmlComponent* xml, const std::string& name, const std::string& text) {
  const std::vector<Diagnostic> errors = ParseAndJudge(xml, text, Rules::Xml);
  PrintErrors(name, text, errors);
  return errors.empty();
}

}  // namespace orvelxml
