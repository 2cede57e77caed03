// A host's first parse, through the component's slots: create an XmlComponent,
// ParseText, release it; against pugixml's construct, load_buffer and destroy
// of a new document. Both pay for fresh memory, as a first parse does.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <string>

#include "orvel/orvel.h"
#include "support/document_generators.h"
#include "support/heap_mode.h"
#include "support/run_benchmarks.h"

namespace {

// The record document, and chains 50,000 elements deep (a text dense in tags).
const std::string& RecordDocument() {
  static const std::string text = orvel::bench::GenerateRecordDocument(50u << 20);
  return text;
}

const std::string& DeepChains() {
  static const std::string text = orvel::bench::GenerateDeepChains(20u << 20, 50000);
  return text;
}

using DocumentFn = const std::string& (*)();

void SetBytes(benchmark::State& state, const std::string& text) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

void FirstParseComponent(benchmark::State& state, DocumentFn document) {
  const std::string& text = document();
  for (auto _ : state) {
    auto* x = static_cast<orvel::IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0));
    const int valid = x->ParseText(text.c_str());
    benchmark::DoNotOptimize(valid);
    x->Release(0);
  }
  SetBytes(state, text);
}

void FirstParsePugixml(benchmark::State& state, DocumentFn document) {
  const std::string& text = document();
  for (auto _ : state) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
    benchmark::DoNotOptimize(result);
  }
  SetBytes(state, text);
}

}  // namespace

BENCHMARK_CAPTURE(FirstParseComponent, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstParsePugixml, Records, RecordDocument)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstParseComponent, DeepChains, DeepChains)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstParsePugixml, DeepChains, DeepChains)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  orvel::bench::ApplyHeapModeFromEnvironment();
  RecordDocument();  // generated before any timing
  DeepChains();
  return orvel::bench::RunBenchmarks(argc, argv);
}
