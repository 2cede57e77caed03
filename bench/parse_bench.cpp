// ParseText against pugixml (parse_default and parse_minimal) on the same
// bytes in the same run. Counters: mem_per_byte is the peak of the bytes
// allocated by one fresh parse (document text, record blocks, token stack;
// pugixml: its buffer copy and nodes) divided by the input size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <new>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "support/document_generators.h"
#include "support/heap_mode.h"
#include "support/run_benchmarks.h"

namespace {

// Every allocation of the process carries its size in front, so that the
// bytes in use and their peak are known at any time.
std::size_t g_inUse = 0;
std::size_t g_peak = 0;

void* CountedAlloc(std::size_t n) {
  void* block = std::malloc(n + 16);
  if (block == nullptr) return nullptr;
  *static_cast<std::size_t*>(block) = n;
  g_inUse += n;
  if (g_inUse > g_peak) g_peak = g_inUse;
  return static_cast<char*>(block) + 16;
}

void CountedFree(void* p) {
  if (p == nullptr) return;
  char* block = static_cast<char*>(p) - 16;
  g_inUse -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

// Peak bytes allocated while work runs, above what was in use before.
double PeakBytes(const std::function<void()>& work) {
  const std::size_t before = g_inUse;
  g_peak = before;
  work();
  return static_cast<double>(g_peak - before);
}

}  // namespace

void* operator new(std::size_t n) {
  if (void* p = CountedAlloc(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = CountedAlloc(n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

namespace {

using orvel::XmlDocument;

struct Input {
  std::string name;
  std::string bytes;
};

void SetCommon(benchmark::State& state, const Input& in, double peak) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(in.bytes.size()));
  state.counters["mem_per_byte"] = peak / static_cast<double>(in.bytes.size());
}

void ParseTextBench(benchmark::State& state, const Input* in) {
  XmlDocument doc;
  for (auto _ : state) {
    bool valid = doc.ParseText(in->bytes.c_str());
    benchmark::DoNotOptimize(valid);
  }
  state.counters["records"] = doc.recordCount;
  state.counters["valid"] = doc.IsDocumentValid() ? 1 : 0;
  SetCommon(state, *in, PeakBytes([&] {
              XmlDocument fresh;
              fresh.ParseText(in->bytes.c_str());
            }));
}

// The same with a new XmlDocument each time: text and table allocated afresh.
void NewDocumentBench(benchmark::State& state, const Input* in) {
  for (auto _ : state) {
    XmlDocument doc;
    bool valid = doc.ParseText(in->bytes.c_str());
    benchmark::DoNotOptimize(valid);
  }
  SetCommon(state, *in, PeakBytes([&] {
              XmlDocument fresh;
              fresh.ParseText(in->bytes.c_str());
            }));
}

void PugiBench(benchmark::State& state, const Input* in, unsigned options) {
  pugi::xml_document doc;
  for (auto _ : state) {
    pugi::xml_parse_result result = doc.load_buffer(in->bytes.data(), in->bytes.size(), options);
    benchmark::DoNotOptimize(result);
  }
  state.counters["valid"] = doc.load_buffer(in->bytes.data(), in->bytes.size(), options) ? 1 : 0;
  SetCommon(state, *in, PeakBytes([&] {
              pugi::xml_document fresh;
              fresh.load_buffer(in->bytes.data(), in->bytes.size(), options);
            }));
}

// ReindentDocument on a fresh copy of the bytes each time (the copy is timed too).
void ReindentBench(benchmark::State& state, const Input* in) {
  XmlDocument doc;
  for (auto _ : state) {
    doc.text = in->bytes;
    doc.ReindentDocument();
    benchmark::DoNotOptimize(doc.text.data());
  }
  state.counters["records"] = doc.recordCount;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(in->bytes.size()));
}

std::vector<Input>& Inputs() {
  static std::vector<Input> inputs;
  return inputs;
}

// Texts made to be slow: end tags that match no open element at a depth of
// tens of thousands, and deep nesting to re-indent.
std::vector<Input>& HostileInputs() {
  static std::vector<Input> inputs;
  return inputs;
}

std::vector<Input>& ReindentInputs() {
  static std::vector<Input> inputs;
  return inputs;
}

void AddInputs() {
  using namespace orvel::bench;
  Inputs().push_back({"generated_50MB", GenerateRecordDocument(50u << 20)});
  Inputs().push_back({"deep_50k", GenerateDeepDocument(50000)});
  Inputs().push_back({"deep_chains_20MB", GenerateDeepChains(20u << 20, 50000)});
  const char* files[] = {"/usr/share/xml/iso-codes/iso_639-3.xml", "/usr/share/X11/xkb/rules/evdev.xml",
                         "/usr/share/mime/packages/freedesktop.org.xml"};
  for (const char* path : files) {
    std::string bytes = ReadWholeFile(path);
    if (bytes.empty()) continue;  // not installed here
    std::string name = path;
    name = name.substr(name.rfind('/') + 1);
    Inputs().push_back({name, std::move(bytes)});
  }
  Inputs().push_back({"small_100B", SmallDocument()});

  HostileInputs().push_back({"unmatched_end_20k", GenerateUnmatchedEndTags(20000)});
  HostileInputs().push_back({"unmatched_end_100k", GenerateUnmatchedEndTags(100000)});
  HostileInputs().push_back(
      {"unmatched_bracketed_end_20k", GenerateUnmatchedEndTags(20000, "<a[1]>", "</a[2]>")});

  ReindentInputs().push_back({"generated_5MB", GenerateRecordDocument(5u << 20)});
  std::string flat = GenerateRecordDocument(5u << 20);  // every tab to be inserted again
  flat.erase(std::remove(flat.begin(), flat.end(), '\t'), flat.end());
  ReindentInputs().push_back({"generated_5MB_unindented", std::move(flat)});
  ReindentInputs().push_back({"deep_lines_10k_same", GenerateDeepLines(10000, false)});
  ReindentInputs().push_back({"deep_lines_10k_distinct", GenerateDeepLines(10000, true)});
  ReindentInputs().push_back({"unmatched_lines_10k", GenerateUnmatchedEndTags(10000, "<a>\n", "</b>\n")});
}

}  // namespace

int main(int argc, char** argv) {
  orvel::bench::ApplyHeapModeFromEnvironment();
  pugi::set_memory_management_functions(CountedAlloc, CountedFree);
  AddInputs();
  for (const std::vector<Input>* set : {&Inputs(), &HostileInputs()})
    for (const Input& in : *set) {
      benchmark::RegisterBenchmark(("ParseText/" + in.name).c_str(), ParseTextBench, &in);
      benchmark::RegisterBenchmark(("ParseTextNewDocument/" + in.name).c_str(), NewDocumentBench, &in);
      benchmark::RegisterBenchmark(("PugiDefault/" + in.name).c_str(), PugiBench, &in, pugi::parse_default);
      benchmark::RegisterBenchmark(("PugiMinimal/" + in.name).c_str(), PugiBench, &in, pugi::parse_minimal);
    }
  for (const Input& in : ReindentInputs())
    benchmark::RegisterBenchmark(("ReindentDocument/" + in.name).c_str(), ReindentBench, &in);
  return orvel::bench::RunBenchmarks(argc, argv);
}
