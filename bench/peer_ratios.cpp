// The rows of the speed table on the target this is built for (the module
// through its exports and slots, against pugixml and RapidXML built by the
// same compiler with the same flags), in one process: each row times ours and
// its peers in turn, round after round, in CPU time, and prints the median of
// the rounds. scripts/bench-tables.sh runs it in several processes on both
// targets and gives the ratios (peer time / ours).
//
//   peer_ratios [--rounds=N] [--min-seconds=S] [--only=ROW] [--who=NAME]
//
// Each measurement repeats its work until it has taken at least S seconds of
// CPU time (Wine's clock advances in 10 ms steps). Output, one line per row:
//   ROW name ours MS pugixml MS [rapidxml MS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <pugixml.hpp>
#include <rapidxml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "orvel/orvel.h"
#include "support/cpu_clock.h"
#include "support/document_generators.h"
#include "support/host_walks.h"

namespace {

using orvel::IXmlComponent;
using orvel::bench::Tally;

struct Options {
  int rounds = 5;
  double minSeconds = 0.5;
  std::string only;
  std::string who;  // only this contestant (for profiles)
};

// A component created through the module's export, released at the end.
class Component {
 public:
  Component() : x_(static_cast<IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0))) {}
  ~Component() { x_->Release(0); }
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  IXmlComponent* get() const { return x_; }

 private:
  IXmlComponent* x_;
};

// Keeps a value alive for the compiler.
volatile std::size_t g_sink = 0;

// One contestant of a row: a name and one run of its work.
struct Contestant {
  Contestant(const char* n, std::function<void()> r) : name(n), run(std::move(r)) {}
  const char* name;
  std::function<void()> run;
  int repeats = 0;  // runs per measurement, from the first (untimed) run
  std::vector<double> seconds;
};

// Whether any of rows is to be timed: a section makes its documents only then.
bool Wants(const Options& options, std::initializer_list<const char*> rows) {
  if (options.only.empty()) return true;
  for (const char* row : rows)
    if (options.only == row) return true;
  return false;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Times the contestants in turn, round after round, and prints the medians.
void RunRow(const Options& options, const char* row, std::vector<Contestant> contestants) {
  if (!options.only.empty() && options.only != row) return;
  if (!options.who.empty())
    contestants.erase(std::remove_if(contestants.begin(), contestants.end(),
                                     [&](const Contestant& c) { return options.who != c.name; }),
                      contestants.end());
  for (Contestant& c : contestants) {
    const double before = orvel::bench::ProcessCpuSeconds();
    c.run();  // warms up, and sizes the measurement
    const double once = orvel::bench::ProcessCpuSeconds() - before;
    c.repeats = once <= 0 ? 100 : std::max(1, static_cast<int>(options.minSeconds / once + 0.999));
  }
  for (int r = 0; r < options.rounds; ++r) {
    for (Contestant& c : contestants) {
      const double before = orvel::bench::ProcessCpuSeconds();
      for (int i = 0; i < c.repeats; ++i) c.run();
      c.seconds.push_back((orvel::bench::ProcessCpuSeconds() - before) / c.repeats);
    }
  }
  std::printf("ROW %s", row);
  for (const Contestant& c : contestants) std::printf(" %s %.3f", c.name, Median(c.seconds) * 1e3);
  std::printf("\n");
  std::fflush(stdout);
}

// ---- parsing ------------------------------------------------------------------

// RapidXML parses in place: each parse copies the text into its buffer first.
struct RapidParse {
  std::vector<char> buffer;
  rapidxml::xml_document<> doc;
  void Run(const std::string& text) {
    doc.clear();
    buffer.assign(text.c_str(), text.c_str() + text.size() + 1);
    doc.parse<0>(buffer.data());
    g_sink = g_sink + (doc.first_node() != nullptr);
  }
};

void ParseRows(const Options& options) {
  if (!Wants(options, {"first_parse_50MB", "reparse_50MB"})) return;
  const std::string text = orvel::bench::GenerateRecordDocument(50u << 20);
  // A host's first parse: create, ParseText, release; the peers build and
  // destroy a new document.
  RunRow(options, "first_parse_50MB",
         {{"ours",
           [&] {
             Component c;
             g_sink = g_sink + c.get()->ParseText(text.c_str());
           }},
          {"pugixml",
           [&] {
             pugi::xml_document doc;
             g_sink = g_sink + static_cast<bool>(doc.load_buffer(text.data(), text.size()));
           }},
          {"rapidxml", [&] { RapidParse().Run(text); }}});
  // The same document parsed again into the one kept.
  Component c;
  pugi::xml_document pugiDoc;
  RapidParse rapid;
  RunRow(options, "reparse_50MB",
         {{"ours", [&] { g_sink = g_sink + c.get()->ParseText(text.c_str()); }},
          {"pugixml",
           [&] { g_sink = g_sink + static_cast<bool>(pugiDoc.load_buffer(text.data(), text.size())); }},
          {"rapidxml", [&] { rapid.Run(text); }}});
}

// ---- walking ------------------------------------------------------------------

using Walk = void (*)(IXmlComponent*, Tally&);

void WalkRows(const Options& options) {
  if (!Wants(options, {"walk_asking_child_10MB", "parse_walk_asking_child_10MB", "walk_entering_10MB",
                       "parse_walk_entering_10MB"}))
    return;
  const std::string text = orvel::bench::GenerateAttributeDenseDocument(10u << 20);
  Component c;
  c.get()->ParseText(text.c_str());
  pugi::xml_document pugiDoc;
  pugiDoc.load_buffer(text.data(), text.size());
  Tally pugiTally;
  orvel::bench::WalkPugixml(pugiDoc, pugiTally);
  const struct {
    const char* walkRow;
    const char* parseRow;
    Walk walk;
  } forms[] = {{"walk_asking_child_10MB", "parse_walk_asking_child_10MB", orvel::bench::WalkAskingForAChild},
               {"walk_entering_10MB", "parse_walk_entering_10MB", orvel::bench::WalkEnteringEachElement}};
  for (const auto& form : forms) {
    Tally ours;
    form.walk(c.get(), ours);
    if (!(ours == pugiTally))
      std::fprintf(stderr, "%s reads %zu bytes of %zu elements, pugixml %zu of %zu\n", form.walkRow,
                   ours.bytes, ours.elements, pugiTally.bytes, pugiTally.elements);
    RunRow(options, form.walkRow,
           {{"ours",
             [&] {
               Tally t;
               form.walk(c.get(), t);
               g_sink = g_sink + t.bytes;
             }},
            {"pugixml", [&] {
               Tally t;
               orvel::bench::WalkPugixml(pugiDoc, t);
               g_sink = g_sink + t.bytes;
             }}});
    RunRow(options, form.parseRow,
           {{"ours",
             [&] {
               Tally t;
               c.get()->ParseText(text.c_str());
               form.walk(c.get(), t);
               g_sink = g_sink + t.bytes;
             }},
            {"pugixml", [&] {
               Tally t;
               pugiDoc.load_buffer(text.data(), text.size());
               orvel::bench::WalkPugixml(pugiDoc, t);
               g_sink = g_sink + t.bytes;
             }}});
  }
}

// ---- appending ----------------------------------------------------------------

constexpr int kAppended = 100000;
// Twice the text the appends make.
constexpr std::size_t kAppendedRoom = 2 * (kAppended * sizeof "<item>some text</item>\r\n" + 32);

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, std::size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

// 100,000 children appended to one parent, then the text handed back into a
// buffer of twice its size (pugixml: saved into memory reserved as large).
void AppendRows(const Options& options) {
  if (!Wants(options, {"append_100k"})) return;
  std::vector<char> out(kAppendedRoom);
  Component c;
  RunRow(options, "append_100k",
         {{"ours",
           [&] {
             IXmlComponent* x = c.get();
             x->ParseText("<list/>");
             x->SeekSiblingElement(nullptr);
             for (int i = 0; i < kAppended; ++i) x->AppendChildElement("item", "some text", 0);
             x->ReadDocumentText(out.data(), static_cast<int>(out.size()));
             g_sink = g_sink + static_cast<unsigned char>(out[0]);
           }},
          {"pugixml", [&] {
             pugi::xml_document doc;
             pugi::xml_node list = doc.append_child("list");
             for (int i = 0; i < kAppended; ++i) list.append_child("item").text().set("some text");
             StringWriter writer;
             writer.out.reserve(kAppendedRoom);
             doc.save(writer, "", pugi::format_raw);
             g_sink = g_sink + writer.out.size();
           }}});
}

bool ReadOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--rounds=", 9) == 0)
      options.rounds = std::atoi(a + 9);
    else if (std::strncmp(a, "--min-seconds=", 14) == 0)
      options.minSeconds = std::atof(a + 14);
    else if (std::strncmp(a, "--only=", 7) == 0)
      options.only = a + 7;
    else if (std::strncmp(a, "--who=", 6) == 0)
      options.who = a + 6;
    else
      return false;
  }
  return options.rounds > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ReadOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: peer_ratios [--rounds=N] [--min-seconds=S] [--only=ROW] [--who=NAME]\n");
    return 2;
  }
  ParseRows(options);
  WalkRows(options);
  AppendRows(options);
  return 0;
}
