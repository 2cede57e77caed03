#include "tests/support/document_generator.h"

#include <random>
#include <string>
#include <vector>

namespace orvel {

namespace {

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  std::string Document() {
    std::string out;
    if (Chance(50)) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    if (Chance(20)) out += "<!DOCTYPE root [ <!ENTITY e 'x'> ]>\n";
    if (Chance(30)) out += "<!-- lead -->";
    Element(out, 0);
    if (Chance(30)) out += "\n<?after pi?>";
    return out;
  }

 private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  bool Chance(int percent) { return Pick(100) < percent; }

  std::string Name() {
    static const char* const kNames[] = {"a", "ab", "abc", "item", "Item", "x:y", "n-1", "_u", "v.w", "\xC3\xA9l"};
    return kNames[Pick(10)];
  }

  std::string Reference() {
    static const char* const kRefs[] = {"&amp;", "&lt;", "&gt;", "&apos;", "&quot;", "&#65;", "&#x41;",
                                        "&#233;", "&#x20AC;", "&#x1F600;", "&#1114111;", "&#x10000;",
                                        "&#xFFFF;", "&#128;", "&#2047;", "&#2048;", "&#x7F;"};
    return kRefs[Pick(17)];
  }

  // Text without '<'; '>' and a lone '&' followed by a space are allowed.
  std::string Text(bool allowLineBreaks) {
    std::string out;
    int pieces = 1 + Pick(4);
    for (int i = 0; i < pieces; ++i) {
      switch (Pick(7)) {
        case 0: out += Reference(); break;
        case 1: out += " "; break;
        case 2: out += allowLineBreaks ? "\r\n" : "\t"; break;
        case 3: out += "a>b"; break;
        case 4: out += "& "; break;
        default: out += "word"; break;
      }
    }
    return out;
  }

  void Attributes(std::string& out) {
    std::vector<std::string> used;
    int n = Pick(4);
    for (int i = 0; i < n; ++i) {
      std::string name = Name();
      bool repeated = false;
      for (const std::string& u : used) repeated = repeated || u == name;
      if (repeated) continue;
      used.push_back(name);
      char quote = Chance(50) ? '"' : '\'';
      std::string value = Text(false);
      value += quote == '"' ? "'" : "\"";  // the other quote needs no escape
      out += Chance(30) ? "\n\t" : " ";
      out += name + (Chance(20) ? " = " : "=") + quote + value + quote;
    }
  }

  void Element(std::string& out, int depth) {
    std::string name = Name();
    out += "<" + name;
    Attributes(out);
    if (Chance(20)) {
      out += Chance(50) ? "/>" : " />";
      return;
    }
    out += ">";
    int children = Pick(depth < 4 ? 8 : 3);
    for (int i = 0; i < children; ++i) {
      switch (Pick(depth < 4 ? 9 : 5)) {
        case 0: out += Text(true); break;
        case 1: out += "<![CDATA[" + std::string(Chance(50) ? "c<d>&amp;" : "]]") + "]]>"; break;
        case 2: out += "<!--" + std::string(Chance(50) ? " c " : "<x>") + "-->"; break;
        case 3: out += "<?pi " + std::string("data") + "?>"; break;
        case 4: out += Chance(50) ? "\n  " : "\r\n\t"; break;
        default: Element(out, depth + 1); break;
      }
    }
    out += "</" + name + (Chance(10) ? " >" : ">");
  }

  std::mt19937 rng_;
};

}  // namespace

std::string GenerateDocument(std::uint32_t seed) { return Generator(seed).Document(); }

}  // namespace orvel
