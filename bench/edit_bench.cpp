// Edits through the component interface against pugixml doing the same work
// and saving to memory, in the same run. An edit costs one move of the text
// behind it plus one pass over the records behind it; appends touch only the
// ancestors. The floor benchmark does just that move and that pass on plain
// memory, for the insertions that pay for both.
#include <benchmark/benchmark.h>

#include <cstring>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "orvel/orvel.h"
#include "support/document_generators.h"
#include "support/heap_mode.h"
#include "support/run_benchmarks.h"

namespace {

using orvel::IXmlComponent;

const std::string& Catalog() {
  static const std::string text = orvel::bench::GenerateRecordDocument(50u << 20);
  return text;
}

const std::string& FlatList() {
  static const std::string text = orvel::bench::GenerateFlatDocument(5u << 20);
  return text;
}

// A component created through the module's export, released at the end.
class Component {
 public:
  Component() : x_(static_cast<IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0))) {}
  ~Component() { x_->Release(0); }
  IXmlComponent* operator->() const { return x_; }

 private:
  IXmlComponent* x_;
};

// The caller's buffer for the text handed back.
std::vector<char>& HandBackBuffer(std::size_t atLeast) {
  static std::vector<char> buffer;
  if (buffer.size() < atLeast) buffer.resize(atLeast);
  return buffer;
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, std::size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

// pugixml's text saved into memory reserved for about room bytes, as the
// component's text is handed back into a buffer the host sized.
std::size_t SaveRaw(const pugi::xml_document& doc, std::size_t room) {
  StringWriter writer;
  writer.out.reserve(room);
  doc.save(writer, "", pugi::format_raw);
  return writer.out.size();
}

enum Which { kFirst, kLast };

// Load the catalog, set the "kind" attribute of the first or last record, hand the text back.
void OrvelSetAttribute(benchmark::State& state, Which which) {
  const std::string& text = Catalog();
  std::vector<char>& out = HandBackBuffer(text.size() + 4096);
  Component xml;
  for (auto _ : state) {
    xml->ParseText(text.c_str());
    xml->SeekSiblingElement(nullptr);
    xml->EnterElement();
    xml->SeekSiblingElement(nullptr);
    if (which == kLast)
      while (xml->SeekSiblingElement(nullptr)) {
      }
    xml->WriteAttribute("kind", "edited");
    xml->ReadDocumentText(out.data(), static_cast<int>(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void PugiSetAttribute(benchmark::State& state, Which which) {
  const std::string& text = Catalog();
  pugi::xml_document doc;
  for (auto _ : state) {
    doc.load_buffer(text.data(), text.size());
    pugi::xml_node root = doc.document_element();
    pugi::xml_node record = which == kLast ? root.last_child() : root.first_child();
    record.attribute("kind").set_value("edited");
    benchmark::DoNotOptimize(SaveRaw(doc, text.size() + 4096));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_SetLastAttribute_Orvel(benchmark::State& s) { OrvelSetAttribute(s, kLast); }
void BM_SetLastAttribute_Pugi(benchmark::State& s) { PugiSetAttribute(s, kLast); }
void BM_SetFirstAttribute_Orvel(benchmark::State& s) { OrvelSetAttribute(s, kFirst); }
void BM_SetFirstAttribute_Pugi(benchmark::State& s) { PugiSetAttribute(s, kFirst); }
BENCHMARK(BM_SetLastAttribute_Orvel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetLastAttribute_Pugi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetFirstAttribute_Orvel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetFirstAttribute_Pugi)->Unit(benchmark::kMillisecond);

constexpr int kAppended = 100000;
// Twice the text the appends make.
constexpr std::size_t kAppendedRoom = 2 * (kAppended * sizeof "<item>some text</item>\r\n" + 32);

// Build a document of 100,000 children by appending to one parent, then hand
// it back into a buffer of twice its size.
void BM_AppendChildren_Orvel(benchmark::State& state) {
  std::vector<char>& out = HandBackBuffer(kAppendedRoom);
  Component xml;
  for (auto _ : state) {
    xml->ParseText("<list/>");
    xml->SeekSiblingElement(nullptr);
    for (int i = 0; i < kAppended; ++i) xml->AppendChildElement("item", "some text", 0);
    xml->ReadDocumentText(out.data(), static_cast<int>(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kAppended);
}
BENCHMARK(BM_AppendChildren_Orvel)->Unit(benchmark::kMillisecond);

void BM_AppendChildren_Pugi(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_node list = doc.append_child("list");
    for (int i = 0; i < kAppended; ++i) list.append_child("item").text().set("some text");
    benchmark::DoNotOptimize(SaveRaw(doc, kAppendedRoom));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kAppended);
}
BENCHMARK(BM_AppendChildren_Pugi)->Unit(benchmark::kMillisecond);

// Appending children one at a time, the count given by the row's argument,
// to a well-formed document, to one that holds a stray end tag near its start
// (so that every edit is made on a document holding an error), and as start
// tags without end tags (each one left open, so that the document holds an
// error from the first append on). Each edit should cost what it changes,
// not a parse of the document: the three rows should grow alike.
enum AppendKind { kWellFormed, kStrayEndTag, kNoEndTag };

void OrvelAppendChildren(benchmark::State& state, AppendKind kind) {
  const int n = static_cast<int>(state.range(0));
  std::vector<char>& out = HandBackBuffer(2 * (static_cast<std::size_t>(n) * 32 + 64));
  Component xml;
  for (auto _ : state) {
    xml->ParseText(kind == kStrayEndTag ? "<list></stray></list>" : "<list/>");
    xml->SeekSiblingElement(nullptr);
    for (int i = 0; i < n; ++i) {
      if (kind == kNoEndTag)
        xml->AppendChildElement("item", "", orvel::EditNoEndTag);
      else
        xml->AppendChildElement("item", "some text", 0);
    }
    xml->ReadDocumentText(out.data(), static_cast<int>(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}
void BM_AppendChildren_WellFormed_Orvel(benchmark::State& s) { OrvelAppendChildren(s, kWellFormed); }
void BM_AppendChildren_StrayEndTag_Orvel(benchmark::State& s) { OrvelAppendChildren(s, kStrayEndTag); }
void BM_AppendChildren_NoEndTag_Orvel(benchmark::State& s) { OrvelAppendChildren(s, kNoEndTag); }
BENCHMARK(BM_AppendChildren_WellFormed_Orvel)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendChildren_StrayEndTag_Orvel)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendChildren_NoEndTag_Orvel)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

constexpr int kInserted = 10000;

// The siblings, in order, before which an element goes: 10,000 of them,
// spread over the list by a fixed generator.
std::vector<char> InsertionPlan(int siblings) {
  std::vector<char> before(static_cast<std::size_t>(siblings), 0);
  unsigned state = 12345;
  for (int placed = 0; placed < kInserted;) {
    state = state * 1664525u + 1013904223u;
    char& slot = before[(state >> 8) % static_cast<unsigned>(siblings)];
    if (slot == 0) {
      slot = 1;
      ++placed;
    }
  }
  return before;
}

int ItemCount() {
  static const int n = [] {
    int count = 0;
    for (const char* p = FlatList().c_str(); (p = std::strstr(p, "<item ")) != nullptr; ++p) ++count;
    return count;
  }();
  return n;
}

// One pass along the list, inserting before the planned siblings, then the text handed back.
void BM_InsertBeforeSiblings_Orvel(benchmark::State& state) {
  const std::string& text = FlatList();
  const std::vector<char> plan = InsertionPlan(ItemCount());
  std::vector<char>& out = HandBackBuffer(text.size() + (1u << 20));
  Component xml;
  for (auto _ : state) {
    xml->ParseText(text.c_str());
    xml->SeekSiblingElement(nullptr);
    xml->EnterElement();
    for (std::size_t i = 0; i < plan.size() && xml->SeekSiblingElement(nullptr); ++i) {
      if (plan[i] == 0) continue;
      xml->InsertElement("new", "x", 0);
      xml->SeekSiblingElement(nullptr);  // back on the sibling it went before
    }
    xml->ReadDocumentText(out.data(), static_cast<int>(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kInserted);
}
BENCHMARK(BM_InsertBeforeSiblings_Orvel)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor of the same work: each insertion moves the text behind it once
// and adds the size to one 32-byte record per element behind it.
void BM_InsertBeforeSiblings_Floor(benchmark::State& state) {
  struct Record {
    std::int32_t start, length, tags, level, parent, first, next, previous;
  };
  static_assert(sizeof(Record) == 32, "a record is 32 bytes");
  const std::string& source = FlatList();
  const std::vector<char> plan = InsertionPlan(ItemCount());
  std::vector<std::int32_t> starts;
  for (const char* p = source.c_str(); (p = std::strstr(p, "<item ")) != nullptr; ++p)
    starts.push_back(static_cast<std::int32_t>(p - source.c_str()));
  const std::string markup = "<new>x</new>\r\n";
  const std::int32_t size = static_cast<std::int32_t>(markup.size());
  std::vector<char>& out = HandBackBuffer(source.size() + (1u << 20));
  for (auto _ : state) {
    std::string text = source;
    std::vector<Record> records(starts.size() + kInserted, Record{});
    for (std::size_t i = 0; i < starts.size(); ++i) records[i].start = starts[i];
    std::size_t live = starts.size();
    for (std::size_t i = 0; i < plan.size(); ++i) {
      if (plan[i] == 0) continue;
      const std::int32_t at = records[i].start;
      text.insert(static_cast<std::size_t>(at), markup);
      for (std::size_t r = i; r < starts.size(); ++r) records[r].start += size;
      records[live++].start = at;
    }
    std::memcpy(out.data(), text.c_str(), text.size() + 1);
    benchmark::DoNotOptimize(records.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kInserted);
}
BENCHMARK(BM_InsertBeforeSiblings_Floor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_InsertBeforeSiblings_Pugi(benchmark::State& state) {
  const std::string& text = FlatList();
  const std::vector<char> plan = InsertionPlan(ItemCount());
  pugi::xml_document doc;
  for (auto _ : state) {
    doc.load_buffer(text.data(), text.size());
    std::size_t i = 0;
    for (pugi::xml_node item = doc.document_element().first_child(); item && i < plan.size();
         item = item.next_sibling(), ++i)
      if (plan[i] != 0) doc.document_element().insert_child_before("new", item).text().set("x");
    benchmark::DoNotOptimize(SaveRaw(doc, text.size() + (1u << 20)));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kInserted);
}
BENCHMARK(BM_InsertBeforeSiblings_Pugi)->Unit(benchmark::kMillisecond);

// One content write on the first element of the 5 MB list. In a document that
// holds a parse error (a stray end tag at its end) the table is built again
// from the whole text; beside it the same write where the text is well formed.
void OrvelWriteFirstContent(benchmark::State& state, bool strayEndTag) {
  const std::string text = FlatList() + (strayEndTag ? "</stray>" : "");
  Component xml;
  xml->ParseText(text.c_str());
  xml->SeekSiblingElement(nullptr);
  xml->EnterElement();
  xml->SeekSiblingElement(nullptr);
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(xml->WriteContent(++i % 2 != 0 ? "a" : "bc", 0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
void BM_WriteContent_WellFormed_Orvel(benchmark::State& s) { OrvelWriteFirstContent(s, false); }
void BM_WriteContent_HoldingAnError_Orvel(benchmark::State& s) { OrvelWriteFirstContent(s, true); }
BENCHMARK(BM_WriteContent_WellFormed_Orvel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteContent_HoldingAnError_Orvel)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  orvel::bench::ApplyHeapModeFromEnvironment();
  return orvel::bench::RunBenchmarks(argc, argv);
}
