// A full read walk: every element's name, every attribute's name and value and
// every leaf element's text, on this engine's positions against pugixml's tree.
#include <benchmark/benchmark.h>

#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "engine/xml_document.h"
#include "orvel/orvel.h"
#include "support/document_generators.h"
#include "support/heap_mode.h"
#include "support/run_benchmarks.h"

namespace {

using orvel::XmlDocument;

const std::string& Document() {
  static const std::string text = orvel::bench::GenerateRecordDocument(1u << 20);
  return text;
}

// Bytes read, so that the compiler keeps every read.
struct Tally {
  std::size_t bytes = 0;
  std::size_t elements = 0;
};

// Depth first with the three positions: down with SeekChildElement and
// EnterElement, along with SeekSiblingElement, up with LeaveElement.
void WalkEngine(XmlDocument& doc, Tally& tally) {
  doc.RewindDocument();
  if (!doc.SeekSiblingElement(nullptr)) return;
  std::string name;
  for (;;) {
    ++tally.elements;
    tally.bytes += doc.TagNameView(doc.mainPos).size();
    for (int i = 0;; ++i) {
      const std::string_view attribute = doc.AttributeNameView(i);
      if (attribute.empty()) break;
      name.assign(attribute.data(), attribute.size());  // a view lives until the next read
      tally.bytes += name.size() + doc.AttributeValueView(doc.mainPos, name.c_str()).size();
    }
    if (doc.SeekChildElement(nullptr)) {
      doc.EnterElement();
      continue;
    }
    tally.bytes += doc.ContentView(doc.mainPos).size();
    while (!doc.SeekSiblingElement(nullptr))
      if (!doc.LeaveElement()) return;
  }
}

// The same walk on pugixml's tree; a leaf's text is its text and CDATA children.
void WalkPugi(const pugi::xml_document& doc, Tally& tally) {
  pugi::xml_node node = doc.document_element();
  while (node) {
    ++tally.elements;
    tally.bytes += std::strlen(node.name());
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
      tally.bytes += std::strlen(a.name()) + std::strlen(a.value());
    pugi::xml_node firstElement =
        node.find_child([](pugi::xml_node c) { return c.type() == pugi::node_element; });
    if (firstElement) {
      node = firstElement;
      continue;
    }
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
        tally.bytes += std::strlen(c.value());
    for (;;) {
      pugi::xml_node next = node.next_sibling();
      while (next && next.type() != pugi::node_element) next = next.next_sibling();
      if (next) {
        node = next;
        break;
      }
      node = node.parent();
      if (!node || node.type() != pugi::node_element) return;
    }
  }
}

constexpr unsigned kPugiFlags = pugi::parse_default;

// Times step(tally), a walk or a parse and a walk; both peers report the
// same counters so their rows compare directly.
template <class Step>
void Measure(benchmark::State& state, const std::string& text, Step step) {
  Tally tally;
  for (auto _ : state) {
    tally = Tally();
    step(tally);
    benchmark::DoNotOptimize(tally.bytes);
  }
  state.counters["elements"] = static_cast<double>(tally.elements);
  state.counters["bytes_read"] = static_cast<double>(tally.bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void BM_WalkEngine(benchmark::State& state) {
  XmlDocument doc;
  doc.ParseText(Document().c_str());
  Measure(state, Document(), [&](Tally& tally) { WalkEngine(doc, tally); });
}

void BM_WalkPugixml(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_buffer(Document().data(), Document().size(), kPugiFlags);
  Measure(state, Document(), [&](Tally& tally) { WalkPugi(doc, tally); });
}

// Parse and walk together: this engine decodes on read, pugixml while parsing.
void BM_ParseWalkEngine(benchmark::State& state) {
  Measure(state, Document(), [](Tally& tally) {
    XmlDocument doc;
    doc.ParseText(Document().c_str());
    WalkEngine(doc, tally);
  });
}

void BM_ParseWalkPugixml(benchmark::State& state) {
  Measure(state, Document(), [](Tally& tally) {
    pugi::xml_document doc;
    doc.load_buffer(Document().data(), Document().size(), kPugiFlags);
    WalkPugi(doc, tally);
  });
}

// ---- the same walk as a host makes it, through the component's slots --------

// The record document (about 0.7 attributes per element) and a drawing with
// about three per element, 10 MB each.
const std::string& RecordDocument() {
  static const std::string text = orvel::bench::GenerateRecordDocument(10u << 20);
  return text;
}

const std::string& DenseDocument() {
  static const std::string text = orvel::bench::GenerateAttributeDenseDocument(10u << 20);
  return text;
}

using DocumentFn = const std::string& (*)();

// Every text into the host's own buffer: names, each attribute by index and
// then by name, leaf contents; moves by SeekSiblingElement, SeekChildElement,
// EnterElement and LeaveElement.
void WalkHost(orvel::IXmlComponent* x, Tally& tally) {
  char name[256], attribute[256], value[4096];
  x->RewindDocument();
  if (!x->SeekSiblingElement(nullptr)) return;
  for (;;) {
    ++tally.elements;
    x->ReadNodeName(name, sizeof name);
    tally.bytes += std::strlen(name);
    for (int i = 0;; ++i) {
      attribute[0] = '\0';
      x->ReadAttributeName(i, attribute, sizeof attribute);
      if (attribute[0] == '\0') break;
      x->ReadAttribute(attribute, value, sizeof value);
      tally.bytes += std::strlen(attribute) + std::strlen(value);
    }
    if (x->SeekChildElement(nullptr)) {
      x->EnterElement();
      continue;
    }
    x->ReadContent(value, sizeof value);
    tally.bytes += std::strlen(value);
    while (!x->SeekSiblingElement(nullptr))
      if (!x->LeaveElement()) return;
  }
}

struct HostComponent {
  orvel::IXmlComponent* x = static_cast<orvel::IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0));
  ~HostComponent() { x->Release(0); }
};

void HostWalk(benchmark::State& state, DocumentFn document) {
  HostComponent c;
  c.x->ParseText(document().c_str());
  Measure(state, document(), [&](Tally& tally) { WalkHost(c.x, tally); });
}

void HostWalkPugixml(benchmark::State& state, DocumentFn document) {
  pugi::xml_document doc;
  doc.load_buffer(document().data(), document().size(), kPugiFlags);
  Measure(state, document(), [&](Tally& tally) { WalkPugi(doc, tally); });
}

// Parse and walk: the component's steady heap against a reused pugixml document.
void HostParseWalk(benchmark::State& state, DocumentFn document) {
  HostComponent c;
  Measure(state, document(), [&](Tally& tally) {
    c.x->ParseText(document().c_str());
    WalkHost(c.x, tally);
  });
}

void HostParseWalkPugixml(benchmark::State& state, DocumentFn document) {
  pugi::xml_document doc;
  Measure(state, document(), [&](Tally& tally) {
    doc.load_buffer(document().data(), document().size(), kPugiFlags);
    WalkPugi(doc, tally);
  });
}

BENCHMARK_CAPTURE(HostWalk, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalkPugixml, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalk, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalkPugixml, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalk, Attributes, DenseDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalkPugixml, Attributes, DenseDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalk, Attributes, DenseDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalkPugixml, Attributes, DenseDocument)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_WalkEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkPugixml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseWalkEngine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseWalkPugixml)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  orvel::bench::ApplyHeapModeFromEnvironment();
  return orvel::bench::RunBenchmarks(argc, argv);
}
