#include "support/walk_document.h"

#include <cstdint>
#include <string>

namespace orvel {
namespace bench {

namespace {

// A small linear congruential generator: the document must not depend on the
// standard library's distributions, which differ between implementations.
struct Lcg {
  std::uint32_t state;
  std::uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  std::uint32_t Below(std::uint32_t n) { return Next() % n; }
};

const char* const kWords[] = {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta",
                              "iota",  "kappa", "lambda", "mu",  "nu",      "xi",   "omicron", "pi"};

void AppendWords(std::string& out, Lcg& rng, int n) {
  for (int i = 0; i < n; ++i) {
    if (i) out += ' ';
    out += kWords[rng.Below(16)];
  }
}

}  // namespace

std::string WalkDocument(std::size_t targetBytes) {
  Lcg rng{20240601u};
  std::string out;
  out.reserve(targetBytes + 4096);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<catalog version=\"3\">\r\n";
  for (std::uint32_t id = 1; out.size() < targetBytes; ++id) {
    out += "\t<item id=\"" + std::to_string(id) + "\" kind=\"" + kWords[rng.Below(16)] + "\" price='" +
           std::to_string(rng.Below(10000) / 100.0).substr(0, 5) + "'>\r\n";
    out += "\t\t<title>";
    AppendWords(out, rng, 2 + static_cast<int>(rng.Below(5)));
    out += " &amp; ";
    AppendWords(out, rng, 1);
    out += "</title>\r\n\t\t<author first=\"";
    AppendWords(out, rng, 1);
    out += "\" last=\"";
    AppendWords(out, rng, 1);
    out += "\"/>\r\n";
    if (rng.Below(3) == 0) out += "\t\t<!-- reviewed -->\r\n";
    out += "\t\t<tags>";
    for (std::uint32_t t = 0, n = 1 + rng.Below(4); t < n; ++t) {
      out += "<tag>";
      AppendWords(out, rng, 1);
      out += "</tag>";
    }
    out += "</tags>\r\n\t\t<summary>";
    AppendWords(out, rng, 8 + static_cast<int>(rng.Below(16)));
    out += " &lt;&#233;&gt;</summary>\r\n";
    if (rng.Below(4) == 0) {
      out += "\t\t<note><![CDATA[";
      AppendWords(out, rng, 4);
      out += " <raw> & ]]></note>\r\n";
    }
    out += "\t</item>\r\n";
  }
  out += "</catalog>\r\n";
  return out;
}

}  // namespace bench
}  // namespace orvel
