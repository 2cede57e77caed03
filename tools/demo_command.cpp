// orvelxml demo [FILE]: a guided run over examples/sample.xml that shows what a
// host does with the component, through the interface only.
#include <cstdio>

#include "platform/platform.h"
#include "tools/commands.h"

namespace orvelxml {

namespace {

using orvel::IXmlComponent;

const char kDemoHelp[] =
    "usage: orvelxml demo [FILE]\n"
    "A guided run on FILE (default: the bundled examples/sample.xml; an \".xmlz\"\n"
    "FILE is decoded by the module's load): parsing,\n"
    "validity, walking elements and nodes, reading names, attributes and\n"
    "contents, marks, a few edits, re-indentation, and the document text handed back.\n";

// Where the bundled sample lives relative to the tool: build/bin/../../examples
// in a build tree, the documentation folder when installed, ../examples or
// ./examples otherwise.
std::string FindSample() {
  std::vector<std::string> candidates;
  char exe[4096];
  if (orvel::platform::ExecutablePath(exe, sizeof exe)) {
    std::string dir(exe);
    dir = dir.substr(0, dir.find_last_of(orvel::platform::kPathSeparators) + 1);
    candidates.push_back(dir + "../../examples/sample.xml");
    candidates.push_back(dir + "../examples/sample.xml");
#if defined(ORVELXML_SAMPLE_FROM_BINDIR)
    candidates.push_back(dir + ORVELXML_SAMPLE_FROM_BINDIR);
#endif
  }
  candidates.push_back("examples/sample.xml");
#if defined(ORVEL_SOURCE_DIR)
  candidates.push_back(ORVEL_SOURCE_DIR "/examples/sample.xml");
#endif
  for (const std::string& path : candidates)
    if (orvel::platform::AccessPath(path.c_str(), 4) == 0) return path;
  return std::string();
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

class Guide {
 public:
  explicit Guide(IXmlComponent* xml) : x_(xml) {}

  void Section(const char* title) { std::printf("\n== %s\n", title); }
  std::string Read(int (IXmlComponent::*read)(char*, int)) {
    return FetchText([&](char* b, int n) { return (x_->*read)(b, n); });
  }
  std::string Attribute(const char* name) {
    return FetchText([&](char* b, int n) { return x_->ReadAttribute(name, b, n); });
  }
  std::string AttributeName(int index) {
    return FetchText([&](char* b, int n) { return x_->ReadAttributeName(index, b, n); });
  }
  std::string Markup() {
    return FetchText([&](char* b, int n) {
      x_->ReadElementMarkup(b, n);
      return 1;
    });
  }

  void ShowParse(const std::string& path, const std::string& text) {
    Section("Parse");
    std::printf("ParseText(%s, %zu bytes) -> %d\n", path.c_str(), text.size(), x_->ParseText(text.c_str()));
    std::printf("IsDocumentValid() -> %d\n", x_->IsDocumentValid());
  }

  void ShowElementWalk() {
    Section("Walk the elements: SeekSiblingElement, EnterElement, SeekChildElement");
    x_->RewindDocument();
    if (!x_->SeekSiblingElement(nullptr)) return;
    std::printf("root <%s> owner=\"%s\"\n", Read(&IXmlComponent::ReadNodeName).c_str(),
                Attribute("owner").c_str());
    x_->EnterElement();
    while (x_->SeekSiblingElement("book")) {
      std::printf("  <book>");
      for (int i = 0;; ++i) {
        const std::string name = AttributeName(i);
        if (name.empty()) break;
        std::printf(" %s=\"%s\"", name.c_str(), Attribute(name.c_str()).c_str());
      }
      std::printf("\n");
      while (x_->SeekChildElement(nullptr))
        std::printf("    %-8s %s\n", Read(&IXmlComponent::ReadChildTagName).c_str(),
                    Read(&IXmlComponent::ReadChildContent).c_str());
    }
  }

  void ShowNodeWalk() {
    Section("Walk every node inside the second book: SeekNode(0)");
    x_->RewindDocument();
    x_->SeekSiblingElement(nullptr);
    x_->EnterElement();
    x_->SeekSiblingElement("book");
    x_->SeekSiblingElement("book");
    x_->EnterElement();
    for (int type; (type = x_->SeekNode(0)) != 0;) {
      if (type == orvel::NodeSpace) continue;
      std::printf("  %-11s %-8s \"%s\"\n", NodeTypeName(type), Read(&IXmlComponent::ReadNodeName).c_str(),
                  Read(&IXmlComponent::ReadContent).c_str());
    }
    std::printf("(white space nodes left out)\n");
  }

  void ShowCData() {
    Section("A CDATA section reads back verbatim");
    x_->RewindDocument();
    x_->SeekSiblingElement(nullptr);
    x_->EnterElement();
    while (x_->SeekSiblingElement("book"))
      if (x_->SeekChildElement("excerpt")) {
        std::printf("excerpt: %s\n", Read(&IXmlComponent::ReadChildContent).c_str());
        return;
      }
  }

  void ShowMarks() {
    Section("Marks: MarkPosition, RewindDocument, ReturnToMark");
    x_->RewindDocument();
    x_->SeekSiblingElement(nullptr);
    x_->EnterElement();
    x_->SeekSiblingElement("book");
    x_->SeekSiblingElement("book");
    const std::string marked = Attribute("id");
    std::printf("MarkPosition(\"second\") on book %s -> %d\n", marked.c_str(), x_->MarkPosition("second"));
    x_->RewindDocument();
    std::printf("RewindDocument(); CurrentNodeType() -> %d\n", x_->CurrentNodeType());
    const int returned = x_->ReturnToMark("second");
    std::printf("ReturnToMark(\"second\") -> %d, back on book %s\n", returned, Attribute("id").c_str());
    std::printf("ReadElementMarkup:\n%s\n", Markup().c_str());
  }

  void ShowTextRule() {
    Section("Text results: copied whole with their NUL, or not at all");
    char small[4] = {'-', '-', '-', '\0'};
    const int fits = x_->ReadAttribute("id", small, sizeof small);
    std::printf("ReadAttribute(\"id\", buf, 4) -> %d, buf \"%s\" (\"b2\" fits)\n", fits, small);
    char tiny[3] = {'-', '-', '\0'};
    const int untouched = x_->ReadAttribute("id", tiny, 2);
    std::printf("ReadAttribute(\"id\", buf, 2) -> %d, buf \"%s\" (too small: untouched)\n", untouched, tiny);
    std::printf("ReadAttribute(\"id\", null, 8) -> %d\n", x_->ReadAttribute("id", nullptr, 8));
  }

  void ShowEdits() {
    Section("Edits: each one splices the text at one place and shifts the records behind it");
    x_->RewindDocument();
    x_->SeekSiblingElement(nullptr);
    x_->EnterElement();
    if (!x_->SeekSiblingElement("book")) return;
    const std::string id = Attribute("id");
    const int lent = x_->WriteAttribute("lent", "yes");
    std::printf("on book %s: WriteAttribute(\"lent\", \"yes\") -> %d\n", id.c_str(), lent);
    if (x_->SeekChildElement("copies")) {
      const int written = x_->WriteChildContentNumber(2);
      std::printf("  WriteChildContentNumber(2) -> %d, copies now %s\n", written,
                  Read(&IXmlComponent::ReadChildContent).c_str());
    }
    const int added = x_->AppendElement("book", nullptr, 0);
    const int named = x_->WriteAttribute("id", "b4");
    std::printf("AppendElement(\"book\", null, 0) -> %d, then WriteAttribute(\"id\", \"b4\") -> %d\n", added,
                named);
    const int child = x_->AppendChildElement("title", "Tom & Jerry <2>", 0);
    std::printf("  AppendChildElement(\"title\", \"Tom & Jerry <2>\", 0) -> %d\n", child);
    std::printf("ReadElementMarkup of the new book:\n%s\n", Markup().c_str());
    std::printf("IsDocumentValid() -> %d\n", x_->IsDocumentValid());
  }

  void ShowReindent() {
    Section("ReindentDocument (tabs before tags become the depth; comments stay), then ReadDocumentText");
    x_->ReindentDocument();
    std::printf("%s\n", FetchDocumentText(x_).c_str());
    std::printf("IsDocumentValid() -> %d\n", x_->IsDocumentValid());
  }

 private:
  IXmlComponent* x_;
};

}  // namespace

int RunDemoCommand(const Args& args, const ToolOptions& options) {
  int code = ExitOk;
  if (AnsweredHelp(args, kDemoHelp, &code)) return code;
  if (args.size() > 1) {
    std::fputs(kDemoHelp, stderr);
    return ExitUsage;
  }
  const std::string path = args.empty() ? FindSample() : args[0];
  if (path.empty()) {
    std::fputs("orvelxml: cannot find examples/sample.xml; pass a file: orvelxml demo FILE\n", stderr);
    return ExitUsage;
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string text, error;
  if (!ReadDocumentFile(host, path, &text, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    std::printf("orvelxml demo: component %u from the module, on %s\n", xml->GetComponentID(), path.c_str());
    Guide guide(xml.get());
    guide.ShowParse(path, text);
    guide.ShowElementWalk();
    guide.ShowNodeWalk();
    guide.ShowCData();
    guide.ShowMarks();
    guide.ShowTextRule();
    guide.ShowEdits();
    guide.ShowReindent();
  }
  std::printf("\nComponent released; module unloads: %s\n", host.Unload() ? "yes" : "no");
  return ExitOk;
}

}  // namespace orvelxml
