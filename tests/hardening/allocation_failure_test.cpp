// Memory exhaustion at every allocation of one interface call, for parsing,
// each editing operation, the reads, the marks and file loading: N runs from
// 1 upward until the call runs through. Each failure must give the call's
// failure result, leave no call open, leave the document as it was (or, for
// the calls that replace it, consistent), leak nothing, and leave the
// component usable.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "orvel/constants.h"
#include "tests/hardening/gzip_text.h"
#include "tests/hardening/in_process.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

// More elements than the first reservation holds, names beyond the short
// string size, an attribute to replace, every kind of node.
const char kDocument[] =
    "<?xml version=\"1.0\"?>\r\n<root a=\"1\">\r\n\t<item_with_a_long_name "
    "k='v'>t&amp;u</item_with_a_long_name>\r\n"
    "\t<!-- a comment that is long enough -->\r\n\t<y k=\"v\"><z/><![CDATA[<c>]]></y>\r\n"
    "\t<i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/><i/>\r\n</root>\r\n";

// A text whose parse grows everything a parse allocates: the record table,
// the stack of open elements (24 deep), the index of open names (an end tag
// that closes nothing at that depth), long names and an error message.
std::string BigDocument() {
  std::string text = "<?target_of_an_instruction data?>\n<root>\n";
  for (int i = 0; i < 24; ++i)
    text += std::string(static_cast<std::size_t>(i), '\t') + "<level_" + std::to_string(i) + ">\n";
  text += "</no_such_element>";
  for (int i = 23; i >= 0; --i) text += "</level_" + std::to_string(i) + ">\n";
  for (int i = 0; i < 200; ++i) text += "<i n='" + std::to_string(i) + "'/>";
  return text + "\n</root>\n";
}

enum class After {
  Unchanged,           // everything as before the call
  UnchangedButStatus,  // a file operation reports its failure in the status
  Consistent,          // the document was being replaced: it must describe its text
  Reindented           // as Consistent, and the text differs only in tabs and spaces
};

struct Case {
  const char* name;
  std::function<void(IXmlComponent*)> setup;  // positions and state before the call
  std::function<int(IXmlComponent*)> call;    // the call; its result (0 = failure)
  After after;
};

void OnRoot(IXmlComponent* x) { x->SeekSiblingElement(nullptr); }
void OnY(IXmlComponent* x) {
  OnRoot(x);
  x->SeekChildElement("y");
  x->EnterElement();
}
void OnComment(IXmlComponent* x) {
  OnRoot(x);
  x->RewindChildren();
  x->EnterElement();
  x->SeekNode(NodeComment);
}
void Nothing(IXmlComponent*) {}

// Mark names that all fall into one bucket (byte sums equal modulo 7).
std::vector<std::string> OneBucketNames(int n) {
  std::vector<std::string> names;
  for (int i = 0; static_cast<int>(names.size()) < n; ++i) {
    const std::string name = "mark" + std::to_string(i);
    unsigned sum = 0;
    for (unsigned char c : name) sum += c;
    if (sum % 7 == 0) names.push_back(name);
  }
  return names;
}

// 14 marks in one bucket: full, so that the next one grows it to 38 entries
// and gives it its index by name.
void FullBucket(IXmlComponent* x) {
  OnY(x);
  const std::vector<std::string> names = OneBucketNames(15);
  for (int i = 0; i < 14; ++i) x->MarkPosition(names[static_cast<std::size_t>(i)].c_str());
}

std::string TempPath(const char* name) { return "/tmp/orvel_alloc_" + std::to_string(getpid()) + "_" + name; }

std::string WriteFile(const char* name, const std::string& bytes) {
  const std::string path = TempPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

std::string WithoutTabsAndSpaces(std::string s) {
  s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '\t' || c == ' '; }), s.end());
  return s;
}

int Read(IXmlComponent* x, int (IXmlComponent::*read)(char*, int)) {
  char buffer[256];
  std::memset(buffer, '#', sizeof buffer);
  const int result = (x->*read)(buffer, sizeof buffer);
  // A read that failed wrote nothing.
  if (result == 0) {
    EXPECT_EQ(buffer[0], '#');
  }
  return result;
}

std::vector<Case> Cases() {
  static const std::string big = BigDocument();
  static const std::string plain = WriteFile("plain.xml", big);
  static const std::string compressed = WriteFile("packed.xmlz", Gzip(big));
  static const std::string saved = TempPath("saved.xml");
  return {
      {"ParseText", Nothing, [](IXmlComponent* x) { return x->ParseText(big.c_str()); }, After::Consistent},
      {"LoadDocumentFile plain", Nothing, [](IXmlComponent* x) { return x->LoadDocumentFile(plain.c_str()); },
       After::Consistent},
      {"LoadDocumentFile compressed", Nothing,
       [](IXmlComponent* x) { return x->LoadDocumentFile(compressed.c_str()); }, After::Consistent},
      {"SaveDocumentFile", Nothing, [](IXmlComponent* x) { return x->SaveDocumentFile(saved.c_str()); },
       After::UnchangedButStatus},
      {"ReindentDocument", [](IXmlComponent* x) { x->ParseText(big.c_str()); },
       [](IXmlComponent* x) {
         x->ReindentDocument();
         return 0;
       },
       After::Reindented},
      {"AppendElement", OnY,
       [](IXmlComponent* x) { return x->AppendElement("new_element_name", "a<b>&c", 0); }, After::Unchanged},
      {"InsertElement", OnY,
       [](IXmlComponent* x) { return x->InsertElement("element_before_y", "", EditSpaceSlash); },
       After::Unchanged},
      {"InsertChildElementNumber", OnRoot,
       [](IXmlComponent* x) { return x->InsertChildElementNumber("n", -5, 0); }, After::Unchanged},
      {"AppendChildElement CDATA", OnRoot,
       [](IXmlComponent* x) {
         return x->AppendChildElement("c", "x]]>y, long enough to allocate", EditCData);
       },
       After::Unchanged},
      {"WriteAttribute new", OnRoot,
       [](IXmlComponent* x) { return x->WriteAttribute("added_attribute", "it's <v>"); }, After::Unchanged},
      {"WriteChildAttribute replace",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->SeekChildElement("y");
       },
       [](IXmlComponent* x) { return x->WriteChildAttribute("k", "a longer value than before"); },
       After::Unchanged},
      {"AppendChildMarkup", OnRoot,
       [](IXmlComponent* x) { return x->AppendChildMarkup("<m a='1'><n>text</n><o/></m>"); },
       After::Unchanged},
      {"AppendChildMarkup reusing released records",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->SeekChildElement("y");
         x->DeleteChildElement();  // y and z go to the free chain
       },
       [](IXmlComponent* x) {
         // Deeper than the stack's first slots, with a malformed piece and its message.
         return x->AppendChildMarkup(
             "<m><n/><o/><q1><q2><q3><q4><q5><q6><q7/></q6></q5></q4></q3></q2></q1><!bad></m>");
       },
       After::Unchanged},
      {"InsertMarkup not well formed", OnY, [](IXmlComponent* x) { return x->InsertMarkup("<p><q></p>"); },
       After::Unchanged},
      {"AppendChildMarkup not well formed, many released records",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->RewindChildren();
         while (x->SeekChildElement("i")) x->DeleteChildElement();  // 19 records on the free chain
       },
       [](IXmlComponent* x) { return x->AppendChildMarkup("<m><n></m>"); }, After::Unchanged},
      {"InsertChildMarkup", OnRoot,
       [](IXmlComponent* x) { return x->InsertChildMarkup("<first_child_name k='v'/>"); }, After::Unchanged},
      {"AppendNode text", OnComment,
       [](IXmlComponent* x) { return x->AppendNode(NodeText, "text & <more> text"); }, After::Unchanged},
      {"AppendNode CDATA", OnY, [](IXmlComponent* x) { return x->AppendNode(NodeCData, "<cdata content/>"); },
       After::Unchanged},
      {"InsertNode instruction", OnComment,
       [](IXmlComponent* x) { return x->InsertNode(NodeInstruction, "target with data"); }, After::Unchanged},
      {"PutChildAttributeNumber",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->SeekChildElement("y");
       },
       [](IXmlComponent* x) { return x->PutChildAttributeNumber("number_attribute", -2147483647); },
       After::Unchanged},
      {"AppendNode comment", OnComment,
       [](IXmlComponent* x) { return x->AppendNode(NodeComment, "a new comment"); }, After::Unchanged},
      {"InsertNode element", OnY,
       [](IXmlComponent* x) { return x->InsertNode(NodeElement, "empty_element"); }, After::Unchanged},
      {"DeleteElement", OnY, [](IXmlComponent* x) { return x->DeleteElement(); }, After::Unchanged},
      {"DeleteChildElement",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->SeekChildElement("item_with_a_long_name");
       },
       [](IXmlComponent* x) { return x->DeleteChildElement(); }, After::Unchanged},
      {"DeleteNode comment", OnComment, [](IXmlComponent* x) { return x->DeleteNode(); }, After::Unchanged},
      {"DeleteNode element",
       [](IXmlComponent* x) {
         OnComment(x);
         x->SeekNode(NodeElement);
       },
       [](IXmlComponent* x) { return x->DeleteNode(); }, After::Unchanged},
      {"WriteContent",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->SeekChildElement("item_with_a_long_name");
         x->EnterElement();
       },
       [](IXmlComponent* x) { return x->WriteContent("new content & more", 0); }, After::Unchanged},
      {"WriteContent of a node", OnComment,
       [](IXmlComponent* x) { return x->WriteContent("rewritten comment", 0); }, After::Unchanged},
      {"WriteChildContentNumber",
       [](IXmlComponent* x) {
         OnY(x);
         x->LeaveElement();
         x->SeekChildElement("i");
       },
       [](IXmlComponent* x) { return x->WriteChildContentNumber(123456); }, After::Unchanged},
      {"ReplaceInnerMarkup",
       [](IXmlComponent* x) {
         OnY(x);
         x->LeaveElement();
       },
       [](IXmlComponent* x) { return x->ReplaceInnerMarkup("<a>1</a>text<b><c/></b>"); }, After::Unchanged},
      {"DeleteNode after malformed markup",
       [](IXmlComponent* x) {
         x->ParseText("<r><?long_instruction_target?><!x malformed><!--c--></r>");
         OnComment(x);
       },
       [](IXmlComponent* x) { return x->DeleteNode(); }, After::Unchanged},
      {"DeleteNode element after an instruction",
       [](IXmlComponent* x) {
         x->ParseText("<r><?long_instruction_target?><a/></r>");
         OnRoot(x);
         x->RewindChildren();
         x->EnterElement();
         x->SeekNode(NodeElement);
       },
       [](IXmlComponent* x) { return x->DeleteNode(); }, After::Unchanged},
      {"DeleteElement holding an error, marks on it and around it",
       [](IXmlComponent* x) {
         x->ParseText("<r><a/><b k='v'><c/></b></stray><d/></r>");
         OnRoot(x);
         x->MarkPosition("root");
         x->EnterElement();
         x->SeekSiblingElement("b");
         x->SeekChildElement("c");
         x->MarkPosition("c");
         x->RewindChildren();
         x->MarkPosition("b");
       },
       [](IXmlComponent* x) { return x->DeleteElement(); }, After::Unchanged},
      {"DeleteNode stray end tag",
       [](IXmlComponent* x) {
         x->ParseText("<r><!x malformed></stray_end_tag_name></r>");
         OnRoot(x);
         x->RewindChildren();
         x->EnterElement();
         x->SeekNode(NodeEndTag);
       },
       [](IXmlComponent* x) { return x->DeleteNode(); }, After::Unchanged},
      {"MarkPosition", OnY, [](IXmlComponent* x) { return x->MarkPosition("a mark name longer than short"); },
       After::Unchanged},
      {"MarkPosition, bucket grows", OnY,
       [](IXmlComponent* x) {
         // 7 apart in their byte sums: all in one bucket, which grows from 2 to 14 entries.
         int ok = 1;
         for (const char* name : {"a", "h", "o", "v"}) ok &= x->MarkPosition(name);
         return ok;
       },
       After::Consistent},
      {"MarkPosition, bucket indexed", FullBucket,
       [](IXmlComponent* x) {
         static const std::string fifteenth = OneBucketNames(15)[14];  // made before the call fails anything
         return x->MarkPosition(fifteenth.c_str());
       },
       After::Unchanged},
      {"ReadContent",
       [](IXmlComponent* x) {
         OnRoot(x);
         x->SeekChildElement("item_with_a_long_name");
         x->EnterElement();
       },
       [](IXmlComponent* x) { return Read(x, &IXmlComponent::ReadContent); }, After::Unchanged},
      {"ReadChildContent",
       [](IXmlComponent* x) {
         x->ParseText("<r><a>a content longer than short</a></r>");
         OnRoot(x);
         x->SeekChildElement("a");
       },
       [](IXmlComponent* x) { return Read(x, &IXmlComponent::ReadChildContent); }, After::Unchanged},
      {"ReadElementMarkup", OnY,
       [](IXmlComponent* x) {
         char buffer[256] = "#";
         x->ReadElementMarkup(buffer, sizeof buffer);
         return 0;
       },
       After::Unchanged},
      {"ReadInnerMarkup", OnY, [](IXmlComponent* x) { return Read(x, &IXmlComponent::ReadInnerMarkup); },
       After::Unchanged},
      {"ReadNodeName", OnComment, [](IXmlComponent* x) { return Read(x, &IXmlComponent::ReadNodeName); },
       After::Unchanged},
  };
}

// The checks after one call that ran into allocation failure: its result,
// no call left open, the document as the case expects it.
void CheckFailedCall(IXmlComponent* xml, const Case& c, const Snapshot& before, int result) {
  EXPECT_EQ(result, 0);
  Snapshot after(DocumentOf(xml));
  if (c.after == After::UnchangedButStatus) after.status = before.status;
  if (c.after == After::Unchanged || c.after == After::UnchangedButStatus) {
    EXPECT_TRUE(after == before) << "the document changed";
  } else if (c.after == After::Reindented && !after.text.empty()) {
    EXPECT_EQ(WithoutTabsAndSpaces(after.text), WithoutTabsAndSpaces(before.text));
  }
}

// One call with allocation n failing. Returns whether the call reached it.
bool CallWithFailureAt(const Case& c, long n) {
  const long liveBefore = LiveAllocations();
  IXmlComponent* xml = NewComponent();
  EXPECT_EQ(xml->ParseText(kDocument), 1);
  c.setup(xml);
  bool reached = false;
  {
    const Snapshot before(DocumentOf(xml));
    FailAllocation(n);
    const int result = c.call(xml);
    reached = AllocationsCounted() >= n;
    FailAllocation(0);
    EXPECT_EQ(NestingOf(xml), 0);
    if (reached) CheckFailedCall(xml, c, before, result);
  }
  const XmlDocument& d = DocumentOf(xml);
  EXPECT_TRUE(CheckTable(d));
  // Still usable: a new parse restores it.
  EXPECT_EQ(xml->ParseText(kDocument), 1);
  EXPECT_EQ(d.text, kDocument);
  xml->Release(0);
  EXPECT_EQ(LiveAllocations(), liveBefore) << "blocks leaked";
  return reached;
}

TEST(AllocationFailure, EveryAllocationOfEachCallMayFail) {
  ASSERT_TRUE(UseFactoryLibrary());
  for (const Case& c : Cases()) {
    // First uses (the module's own tables, the data root) allocate once and keep it.
    IXmlComponent* warm = NewComponent();
    warm->ParseText(kDocument);
    c.setup(warm);
    c.call(warm);
    warm->Release(0);
    long n = 1;
    for (; n < 10000; ++n) {
      SCOPED_TRACE(std::string(c.name) + ", allocation " + std::to_string(n));
      if (!CallWithFailureAt(c, n)) break;
      if (HasFailure()) return;  // the first failing case is enough to read
    }
    std::printf("%-32s %ld allocations\n", c.name, n - 1);
  }
  std::remove(TempPath("plain.xml").c_str());
  std::remove(TempPath("packed.xmlz").c_str());
  std::remove(TempPath("saved.xml").c_str());
}

}  // namespace
}  // namespace test
}  // namespace orvel
