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
#include "support/host_walks.h"
#include "support/run_benchmarks.h"

namespace {

using orvel::XmlDocument;

const std::string& Document() {
  static const std::string text = orvel::bench::GenerateRecordDocument(1u << 20);
  return text;
}

using orvel::bench::Tally;

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
  Measure(state, Document(), [&](Tally& tally) { orvel::bench::WalkPugixml(doc, tally); });
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
    orvel::bench::WalkPugixml(doc, tally);
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

struct HostComponent {
  orvel::IXmlComponent* x = static_cast<orvel::IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0));
  ~HostComponent() { x->Release(0); }
};

using HostWalkFn = void (*)(orvel::IXmlComponent*, Tally&);

// The two walks a host writes: asking SeekChildElement before it enters an
// element, or entering every element and seeking its children until none is left.
void HostWalk(benchmark::State& state, DocumentFn document, HostWalkFn walk) {
  HostComponent c;
  c.x->ParseText(document().c_str());
  Measure(state, document(), [&](Tally& tally) { walk(c.x, tally); });
}

void HostWalkPugixml(benchmark::State& state, DocumentFn document) {
  pugi::xml_document doc;
  doc.load_buffer(document().data(), document().size(), kPugiFlags);
  Measure(state, document(), [&](Tally& tally) { orvel::bench::WalkPugixml(doc, tally); });
}

// Parse and walk: the component's steady heap against a reused pugixml document.
void HostParseWalk(benchmark::State& state, DocumentFn document, HostWalkFn walk) {
  HostComponent c;
  Measure(state, document(), [&](Tally& tally) {
    c.x->ParseText(document().c_str());
    walk(c.x, tally);
  });
}

void HostParseWalkPugixml(benchmark::State& state, DocumentFn document) {
  pugi::xml_document doc;
  Measure(state, document(), [&](Tally& tally) {
    doc.load_buffer(document().data(), document().size(), kPugiFlags);
    orvel::bench::WalkPugixml(doc, tally);
  });
}

using orvel::bench::WalkAskingForAChild;
using orvel::bench::WalkEnteringEachElement;
BENCHMARK_CAPTURE(HostWalk, Records, RecordDocument, WalkAskingForAChild)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalk, RecordsEntering, RecordDocument, WalkEnteringEachElement)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalkPugixml, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalk, Records, RecordDocument, WalkAskingForAChild)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalk, RecordsEntering, RecordDocument, WalkEnteringEachElement)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalkPugixml, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalk, Attributes, DenseDocument, WalkAskingForAChild)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalk, AttributesEntering, DenseDocument, WalkEnteringEachElement)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostWalkPugixml, Attributes, DenseDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalk, Attributes, DenseDocument, WalkAskingForAChild)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HostParseWalk, AttributesEntering, DenseDocument, WalkEnteringEachElement)
    ->Unit(benchmark::kMillisecond);
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
