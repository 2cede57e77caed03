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

const std::string& Document() {
  static const std::string text = orvel::bench::GenerateRecordDocument(50u << 20);
  return text;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(Document().size()));
}

void BM_FirstParseComponent(benchmark::State& state) {
  for (auto _ : state) {
    auto* x = static_cast<orvel::IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0));
    const int valid = x->ParseText(Document().c_str());
    benchmark::DoNotOptimize(valid);
    x->Release(0);
  }
  SetBytes(state);
}

void BM_FirstParsePugixml(benchmark::State& state) {
  for (auto _ : state) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_buffer(Document().data(), Document().size());
    benchmark::DoNotOptimize(result);
  }
  SetBytes(state);
}

}  // namespace

BENCHMARK(BM_FirstParseComponent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstParsePugixml)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  orvel::bench::ApplyHeapModeFromEnvironment();
  Document();  // generated before any timing
  return orvel::bench::RunBenchmarks(argc, argv);
}
