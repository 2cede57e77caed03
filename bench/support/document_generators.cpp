#include "support/document_generators.h"

#include <cstdio>

namespace orvel {
namespace bench {

namespace {

// A small linear congruential generator: the same document on every machine.
class Lcg {
 public:
  explicit Lcg(unsigned seed) : state_(seed * 2654435761u + 1u) {}
  unsigned Next(unsigned bound) {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) % bound;
  }

 private:
  unsigned state_;
};

const char* const kWords[] = {"alpha", "bravo", "delta", "omega", "sierra", "tango", "kilo", "lima"};
const char* const kKinds[] = {"book", "disc", "tool", "part"};

void AppendRecord(std::string& out, unsigned n, Lcg& rng) {
  const char* word = kWords[rng.Next(8)];
  out += "\t<record id=\"" + std::to_string(n) + "\" kind=\"" + kKinds[rng.Next(4)] + "\" updated=\"2024-0" +
         std::to_string(1 + rng.Next(9)) + "-1" + std::to_string(rng.Next(10)) + "\">\r\n";
  out += "\t\t<name>";
  out += word;
  out += " item " + std::to_string(n) + "</name>\r\n";
  out += "\t\t<price currency=\"EUR\">" + std::to_string(rng.Next(1000)) + "." +
         std::to_string(10 + rng.Next(90)) + "</price>\r\n";
  out += "\t\t<tags>";
  for (unsigned t = rng.Next(4); t > 0; --t) {
    out += "<tag>";
    out += kWords[rng.Next(8)];
    out += "</tag>";
  }
  out += "</tags>\r\n";
  if (rng.Next(3) == 0) out += "\t\t<!-- checked by " + std::string(word) + " -->\r\n";
  out += "\t\t<details level=\"" + std::to_string(rng.Next(5)) + "\">\r\n";
  out += "\t\t\t<size w=\"" + std::to_string(rng.Next(100)) + "\" h=\"" + std::to_string(rng.Next(100)) +
         "\"/>\r\n";
  out += "\t\t\t<text>A &amp; B, " + std::to_string(rng.Next(100000)) + "</text>\r\n";
  out += "\t\t</details>\r\n";
  out += "\t\t<flag/>\r\n";
  out += "\t</record>\r\n";
}

const char* const kStyles[] = {"stroke:#336699", "fill:none;stroke-width:0.35", "fill:#e0e0e0", "dash:4 2"};
const char* const kLabels[] = {
    "Grundriss \xC3\x89"
    "bene 2",
    "Fl\xC3\xA4"
    "che",
    "Gr\xC3\xB6\xC3\x9F"
    "e 12 m\xC2\xB2",
    "Wand Nord",
    "T\xC3\xBCr 3",
    "Fenster"};

// A number of a drawing: "123.45".
std::string Coordinate(Lcg& rng) {
  return std::to_string(rng.Next(2000)) + "." + std::to_string(10 + rng.Next(90));
}

// One shape of a drawing: two to five attributes, rarely a text.
void AppendShape(std::string& out, unsigned n, Lcg& rng, const char* indent) {
  out += indent;
  switch (rng.Next(4)) {
    case 0:
      out += "<rect id=\"r" + std::to_string(n) + "\" x=\"" + Coordinate(rng) + "\" y=\"" + Coordinate(rng) +
             "\" w=\"" + Coordinate(rng) + "\" h=\"" + Coordinate(rng) + "\"/>\r\n";
      break;
    case 1:
      out += "<line from=\"" + Coordinate(rng) + "," + Coordinate(rng) + "\" to=\"" + Coordinate(rng) + "," +
             Coordinate(rng) + "\" style=\"" + kStyles[rng.Next(4)] + "\"/>\r\n";
      break;
    case 2:
      out += "<point at=\"" + Coordinate(rng) + "," + Coordinate(rng) + "\" mark=\"cross\"/>\r\n";
      break;
    default:
      out += "<label id=\"t" + std::to_string(n) + "\" at=\"" + Coordinate(rng) + "," + Coordinate(rng) +
             "\" font=\"Sans " + std::to_string(8 + rng.Next(8)) + "\">" + kLabels[rng.Next(6)] +
             "</label>\r\n";
      break;
  }
}

}  // namespace

std::string GenerateAttributeDenseDocument(std::size_t targetBytes) {
  Lcg rng(7);
  std::string out;
  out.reserve(targetBytes + 1024);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<drawing version=\"2\" units=\"mm\" scale=\"1:50\">\r\n";
  for (unsigned layer = 1; out.size() < targetBytes; ++layer) {
    out += "\t<layer id=\"L" + std::to_string(layer) + "\" name=\"" + kLabels[rng.Next(6)] +
           "\" visible=\"true\">\r\n";
    for (unsigned g = 0; g < 20; ++g) {
      out += "\t\t<group id=\"g" + std::to_string(layer) + "-" + std::to_string(g) +
             "\" transform=\"translate(" + Coordinate(rng) + "," + Coordinate(rng) + ")\">\r\n";
      for (unsigned n = 4 + rng.Next(8); n > 0; --n) AppendShape(out, n, rng, "\t\t\t");
      out += "\t\t</group>\r\n";
    }
    out += "\t</layer>\r\n";
  }
  out += "</drawing>\r\n";
  return out;
}

std::string GenerateRecordDocument(std::size_t targetBytes, unsigned seed) {
  Lcg rng(seed);
  std::string out;
  out.reserve(targetBytes + 1024);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<catalog version=\"3\">\r\n";
  for (unsigned n = 1; out.size() < targetBytes; ++n) {
    if (n % 50 == 1) out += "\t<!-- section " + std::to_string(n / 50) + " -->\r\n";
    AppendRecord(out, n, rng);
  }
  out += "</catalog>\r\n";
  return out;
}

std::string GenerateFlatDocument(std::size_t targetBytes) {
  std::string out;
  out.reserve(targetBytes + 64);
  out += "<list>\r\n";
  for (unsigned n = 1; out.size() < targetBytes; ++n)
    out += "\t<item id=\"" + std::to_string(n) + "\">" + kWords[n % 8] + "</item>\r\n";
  out += "</list>\r\n";
  return out;
}

std::string GenerateDeepDocument(int depth) {
  std::string out;
  for (int i = 0; i < depth; ++i) out += "<n i=\"" + std::to_string(i % 100) + "\">";
  out += "bottom";
  for (int i = 0; i < depth; ++i) out += "</n>";
  return out;
}

std::string GenerateDeepChains(std::size_t targetBytes, int depth) {
  const std::string chain = GenerateDeepDocument(depth);
  std::string out = "<chains>";
  out.reserve(targetBytes + chain.size() + 16);
  while (out.size() < targetBytes) out += chain;
  return out + "</chains>";
}

std::string GenerateUnmatchedEndTags(int n, const char* open, const char* close) {
  std::string out;
  for (int i = 0; i < n; ++i) out += open;
  for (int i = 0; i < n; ++i) out += close;
  return out;
}

std::string GenerateDeepLines(int depth, bool distinct) {
  std::string out;
  for (int i = 0; i < depth; ++i) out += "<e" + (distinct ? std::to_string(i) : std::string()) + ">\n";
  for (int i = depth; i-- > 0;) out += "</e" + (distinct ? std::to_string(i) : std::string()) + ">\n";
  return out;
}

std::string SmallDocument() {
  return "<?xml version=\"1.0\"?>\r\n<config><item key=\"a\" value=\"1\"/><item "
         "key=\"b\">text</item></config>";
}

std::string ReadWholeFile(const char* path) {
  std::string out;
  if (std::FILE* f = std::fopen(path, "rb")) {
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    std::fclose(f);
  }
  return out;
}

}  // namespace bench
}  // namespace orvel
