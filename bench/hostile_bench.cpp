// Hostile inputs, each timed whole: the parse of texts made to be slow or to
// break the record limits (pugixml beside it on the same bytes), reads of the
// last of 50,000 attributes, and runs of named marks.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "support/run_benchmarks.h"
#include "tests/support/hostile_inputs.h"

namespace {

using orvel::XmlDocument;
namespace test = orvel::test;

struct Input {
  std::string name;
  std::string bytes;
};

std::vector<Input>& Inputs() {
  static std::vector<Input> inputs;
  return inputs;
}

void ParseBench(benchmark::State& state, const Input* in) {
  XmlDocument doc;
  for (auto _ : state) benchmark::DoNotOptimize(doc.ParseText(in->bytes.c_str()));
  state.counters["records"] = doc.recordCount;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(in->bytes.size()));
}

void PugiBench(benchmark::State& state, const Input* in) {
  pugi::xml_document doc;
  for (auto _ : state) benchmark::DoNotOptimize(doc.load_buffer(in->bytes.data(), in->bytes.size()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(in->bytes.size()));
}

// The last of 50,000 attributes, by name and by index.
void LastAttributeBench(benchmark::State& state) {
  XmlDocument doc;
  doc.ParseText(test::ManyAttributes(50000).c_str());
  doc.SeekSiblingElement(nullptr);
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.AttributeValue(doc.mainPos, "a49999"));
    benchmark::DoNotOptimize(doc.ReadAttributeName(49999));
  }
}

// state.range(0) distinct marks set, then each returned to once.
void MarksBench(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<std::string> names;
  for (int i = 0; i < n; ++i) names.push_back(test::MarkName(i));
  XmlDocument doc;
  doc.ParseText("<r><a/></r>");
  doc.SeekSiblingElement(nullptr);
  for (auto _ : state) {
    doc.ParseText("<r><a/></r>");  // drops the marks of the last round
    doc.SeekSiblingElement(nullptr);
    for (const std::string& name : names) doc.MarkPosition(name.c_str());
    for (const std::string& name : names) benchmark::DoNotOptimize(doc.ReturnToMark(name.c_str()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  Inputs().push_back({"lt_100MB", test::LessThanRun(100u << 20)});
  Inputs().push_back({"quotes_100MB", test::QuoteRun(100u << 20, false)});
  Inputs().push_back({"quotes_in_tag_100MB", test::QuoteRun(100u << 20, true)});
  Inputs().push_back({"nested_1M", test::NestedElements(1000000)});
  Inputs().push_back({"start_tag_2MiB", test::LongStartTag(2u << 20)});
  Inputs().push_back({"end_tag_600B", test::LongEndTag(600)});
  Inputs().push_back({"attributes_50k", test::ManyAttributes(50000)});
  for (const Input& in : Inputs()) {
    benchmark::RegisterBenchmark(("ParseText/" + in.name).c_str(), ParseBench, &in)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Pugi/" + in.name).c_str(), PugiBench, &in)->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("LastOf50kAttributes", LastAttributeBench)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Marks", MarksBench)
      ->Arg(10000)
      ->Arg(100000)
      ->Arg(1000000)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  return orvel::bench::RunBenchmarks(argc, argv);
}
