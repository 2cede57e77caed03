// orvelxml demo [FILE]: a guided run over examples/sample.xml (or FILE) that
// shows what a host does with the component, through the interface only.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "tools/commands.h"
#include "tools/document_input.h"

namespace orvelxml {

namespace {

using orvel::IXmlComponent;

const char kDemoHelp[] =
    "usage: orvelxml demo [FILE]\n"
    "A guided run on FILE (default: the bundled examples/sample.xml; an \".xmlz\"\n"
    "FILE is decoded by the module's load): parsing, validity, walking elements\n"
    "and nodes, reading names, attributes and contents, marks, a few edits,\n"
    "re-indentation, and the document text handed back. FILE may be - (standard\n"
    "input). The edits stay in memory; FILE is never written.\n"
    "Exit 0; 1 when FILE is not well formed (its errors are shown instead); 2 when\n"
    "it cannot be read.\n";

// Where the bundled sample lies, relative to the tool only: installed, in the
// documentation folder; in a build tree, in the copy the build keeps at the
// same place.
std::string SamplePath() {
  char exe[4096];
  if (!orvel::platform::ExecutablePath(exe, sizeof exe)) return ORVELXML_SAMPLE_FROM_BINDIR;
  const std::string path(exe);
  return std::filesystem::path(path.substr(0, path.find_last_of(orvel::platform::kPathSeparators) + 1) +
                               ORVELXML_SAMPLE_FROM_BINDIR)
      .lexically_normal()
      .string();
}

const char* NodeTypeName(int type) {
  switch (type) {
    case orvel::NodeElement:
      return "element";
    case orvel::NodeText:
      return "text";
    case orvel::NodeSpace:
      return "space";
    case orvel::NodeCData:
      return "cdata";
    case orvel::NodeInstruction:
      return "instruction";
    case orvel::NodeComment:
      return "comment";
    case orvel::NodeDoctype:
      return "doctype";
    case orvel::NodeEndTag:
      return "end tag";
    case orvel::NodeBadMarkup:
      return "bad markup";
    default:
      return "none";
  }
}

// Text for the terminal: control bytes other than tab and line breaks as \xHH.
std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') {
      out.push_back(ch);
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

// At most maxLines lines of text, and how many were left out.
std::string FirstLines(const std::string& text, int maxLines) {
  std::size_t at = 0;
  for (int n = 0; n < maxLines; ++n) {
    at = text.find('\n', at);
    if (at == std::string::npos) return text;
    ++at;
  }
  if (at >= text.size()) return text;
  long rest = 1;
  for (std::size_t i = at; i < text.size(); ++i) rest += text[i] == '\n' ? 1 : 0;
  return text.substr(0, at) + "... (" + std::to_string(rest) + " more lines)";
}

// The demo's narration reads names and values from the document itself, so it
// holds for any well-formed file, not only the bundled sample.
class Guide {
 public:
  explicit Guide(IXmlComponent* xml) : x_(xml) {}

  void Section(const std::string& title) { Print("\n== %s\n", title.c_str()); }
  std::string Read(int (IXmlComponent::*read)(char*, int)) {
    return Printable(FetchText([&](char* b, int n) { return (x_->*read)(b, n); }));
  }
  std::string Attribute(const std::string& name) {
    return Printable(FetchText([&](char* b, int n) { return x_->ReadAttribute(name.c_str(), b, n); }));
  }
  std::string AttributeName(int index) {
    return FetchText([&](char* b, int n) { return x_->ReadAttributeName(index, b, n); });
  }
  std::string Markup() {
    return Printable(FetchText([&](char* b, int n) {
      x_->ReadElementMarkup(b, n);
      return 1;
    }));
  }
  // The main element as <name a="v" ...>.
  std::string StartTag() {
    std::string tag = "<" + Read(&IXmlComponent::ReadNodeName);
    for (int i = 0;; ++i) {
      const std::string name = AttributeName(i);
      if (name.empty()) break;
      tag += " " + Printable(name) + "=\"" + Attribute(name) + "\"";
    }
    return tag + ">";
  }
  // Main on the root's nth child element (1-based), or on the last one when
  // there are fewer; false when the root has none.
  bool ToRootChild(int n) {
    x_->RewindDocument();
    x_->SeekSiblingElement(nullptr);
    x_->EnterElement();
    bool found = false;
    for (int i = 0; i < n && x_->SeekSiblingElement(nullptr); ++i) found = true;
    if (found && x_->CurrentNodeType() != orvel::NodeElement) x_->SeekSiblingElement(nullptr);
    return found;
  }

  void ShowParse(const std::string& path, std::size_t size) {
    Section("Parse");
    Print("ParseText(%s, %zu bytes) -> 1\n", path.c_str(), size);
    Print("IsDocumentValid() -> %d\n", x_->IsDocumentValid());
  }

  void ShowElementWalk() {
    Section("Walk the elements: SeekSiblingElement, EnterElement, SeekChildElement");
    x_->RewindDocument();
    if (!x_->SeekSiblingElement(nullptr)) return;
    Print("root %s\n", StartTag().c_str());
    x_->EnterElement();
    int shown = 0, more = 0;
    while (x_->SeekSiblingElement(nullptr)) {
      if (shown == kMaxShown) {
        ++more;
        continue;
      }
      ++shown;
      Print("  %s\n", StartTag().c_str());
      while (x_->SeekChildElement(nullptr))
        Print("    %-8s %s\n", Read(&IXmlComponent::ReadChildTagName).c_str(),
              Read(&IXmlComponent::ReadChildContent).c_str());
    }
    if (more > 0) Print("  (%d more elements at this level)\n", more);
  }

  void ShowNodeWalk() {
    if (!ToRootChild(2)) return;
    Section("Walk every node inside " + StartTag() + ": SeekNode(0)");
    x_->EnterElement();
    for (int type; (type = x_->SeekNode(0)) != 0;) {
      if (type == orvel::NodeSpace) continue;
      Print("  %-11s %-8s \"%s\"\n", NodeTypeName(type), Read(&IXmlComponent::ReadNodeName).c_str(),
            Read(&IXmlComponent::ReadContent).c_str());
    }
    Print("(white space nodes left out)\n");
  }

  // The first CDATA section in document order: a walk over every level with
  // SeekNode, EnterElement and LeaveElement.
  void ShowCData() {
    x_->RewindDocument();
    std::vector<std::string> path;
    for (;;) {
      const int type = x_->SeekNode(orvel::NodeElement | orvel::NodeCData);
      if (type == orvel::NodeCData) {
        Section("A CDATA section reads back verbatim");
        Print("in %s: %s\n", Joined(path).c_str(), Read(&IXmlComponent::ReadContent).c_str());
        return;
      }
      if (type == orvel::NodeElement) {
        path.push_back(Read(&IXmlComponent::ReadNodeName));
        x_->EnterElement();
      } else if (x_->LeaveElement()) {
        path.pop_back();
      } else {
        return;
      }
    }
  }

  void ShowMarks() {
    if (!ToRootChild(2)) return;
    Section("Marks: MarkPosition, RewindDocument, ReturnToMark");
    const std::string marked = StartTag();
    Print("MarkPosition(\"here\") on %s -> %d\n", marked.c_str(), x_->MarkPosition("here"));
    x_->RewindDocument();
    Print("RewindDocument(); CurrentNodeType() -> %d\n", x_->CurrentNodeType());
    const int returned = x_->ReturnToMark("here");
    Print("ReturnToMark(\"here\") -> %d, back on %s\n", returned, StartTag().c_str());
    Print("ReadElementMarkup:\n%s\n", FirstLines(Markup(), kMaxLines).c_str());
  }

  void ShowTextRule() {
    Section("Text results: copied whole with their NUL, or not at all");
    x_->RewindDocument();
    x_->SeekSiblingElement(nullptr);
    const std::string name = Read(&IXmlComponent::ReadNodeName);
    const int fit = static_cast<int>(name.size()) + 1;
    std::vector<char> buf(fit + 1, '-');
    buf[fit] = '\0';
    Print("ReadNodeName(buf, %d) -> %d, ", fit, x_->ReadNodeName(buf.data(), fit));
    Print("buf \"%s\" (\"%s\" fits with its NUL)\n", buf.data(), name.c_str());
    std::fill(buf.begin(), buf.end() - 1, '-');
    Print("ReadNodeName(buf, %d) -> %d, ", fit - 1, x_->ReadNodeName(buf.data(), fit - 1));
    Print("buf \"%s\" (one byte short: untouched)\n", buf.data());
    Print("ReadNodeName(null, 8) -> %d\n", x_->ReadNodeName(nullptr, 8));
  }

  void ShowEdits() {
    if (!ToRootChild(1)) return;
    Section("Edits: each one splices the text at one place and shifts the records behind it");
    const std::string name = Read(&IXmlComponent::ReadNodeName);
    const int seen = x_->WriteAttribute("seen", "yes");
    Print("on the first <%s>: WriteAttribute(\"seen\", \"yes\") -> %d\n", name.c_str(), seen);
    if (x_->SeekChildElement(nullptr)) {
      const std::string child = Read(&IXmlComponent::ReadChildTagName);
      const int written = x_->WriteChildContentNumber(2);
      Print("  on its first child <%s>: WriteChildContentNumber(2) -> %d, content now %s\n", child.c_str(),
            written, Read(&IXmlComponent::ReadChildContent).c_str());
    }
    const int added = x_->AppendElement(name.c_str(), nullptr, 0);
    const int named = x_->WriteAttribute("id", "new");
    Print("AppendElement(\"%s\", null, 0) -> %d, then WriteAttribute(\"id\", \"new\") -> %d\n", name.c_str(),
          added, named);
    const int child = x_->AppendChildElement("note", "Tom & Jerry <2>", 0);
    Print("  AppendChildElement(\"note\", \"Tom & Jerry <2>\", 0) -> %d\n", child);
    Print("ReadElementMarkup of the new <%s>:\n%s\n", name.c_str(), Markup().c_str());
    Print("IsDocumentValid() -> %d\n", x_->IsDocumentValid());
  }

  void ShowReindent() {
    Section("ReindentDocument (tabs before tags become the depth; comments stay), then ReadDocumentText");
    x_->ReindentDocument();
    Print("%s\n", FirstLines(Printable(FetchDocumentText(x_)), kMaxLines).c_str());
    Print("IsDocumentValid() -> %d\n", x_->IsDocumentValid());
  }

 private:
  static constexpr int kMaxShown = 8;   // elements listed a level
  static constexpr int kMaxLines = 40;  // lines of markup shown

  static std::string Joined(const std::vector<std::string>& names) {
    std::string path;
    for (const std::string& n : names) path += (path.empty() ? "" : "/") + n;
    return path.empty() ? "the document" : path;
  }

  IXmlComponent* x_;
};

int RunDemo(const Args& files, const ToolOptions& options) {
  if (files.size() > 1) return UsageError("demo", "demo takes one FILE at most");
  const std::string path = files.empty() ? SamplePath() : files[0];
  if (files.empty() && orvel::platform::AccessPath(path.c_str(), 4) != 0) {
    std::fprintf(Errors(), "orvelxml: no bundled sample at %s; pass a file: orvelxml demo FILE\n",
                 path.c_str());
    return ExitUsage;
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string text;
  int failure = ExitOk;
  if (!ReadUsableDocument(host, path, &text, &failure)) return failure;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    // The walk below is written for a well-formed document: show why not instead.
    if (!ParseOrReport(xml.get(), path, text)) {
      std::fprintf(Errors(), "orvelxml: %s is not well formed; check it with: orvelxml check %s\n",
                   path.c_str(), path.c_str());
      return ExitNotWellFormed;
    }
    Print("orvelxml demo: component %u from the module, on %s\n", xml->GetComponentID(), path.c_str());
    Guide guide(xml.get());
    guide.ShowParse(path, text.size());
    guide.ShowElementWalk();
    guide.ShowNodeWalk();
    guide.ShowCData();
    guide.ShowMarks();
    guide.ShowTextRule();
    guide.ShowEdits();
    guide.ShowReindent();
  }
  Print("\nComponent released; module unloads: %s\n", host.Unload() ? "yes" : "no");
  return ExitOk;
}

}  // namespace

void InstallDemoCommand(CLI::App& app, CommandLine& line) {
  auto files = std::make_shared<Args>();
  AddCommand(app, "demo", "guided run", kDemoHelp, line, files.get(),
             [files, &line] { return RunDemo(*files, line.options); });
}

}  // namespace orvelxml
