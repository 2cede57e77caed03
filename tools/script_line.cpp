#include "tools/script_line.h"

#include <cerrno>
#include <cstdlib>

namespace orvelxml {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the string that starts at line[*i] (the opening quote); *i ends past the closing quote.
bool ReadQuoted(const std::string& line, std::size_t* i, std::string* out, std::string* error) {
  std::size_t p = *i + 1;
  while (p < line.size() && line[p] != '"') {
    char c = line[p++];
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (p >= line.size()) break;
    const char e = line[p++];
    switch (e) {
      case 'n':
        out->push_back('\n');
        break;
      case 't':
        out->push_back('\t');
        break;
      case 'r':
        out->push_back('\r');
        break;
      case '\\':
      case '"':
      case '\'':
        out->push_back(e);
        break;
      case 'x': {
        const int hi = p < line.size() ? HexDigit(line[p]) : -1;
        const int lo = p + 1 < line.size() ? HexDigit(line[p + 1]) : -1;
        if (hi < 0 || lo < 0) {
          *error = "\\x needs two hex digits";
          return false;
        }
        out->push_back(static_cast<char>(hi * 16 + lo));
        p += 2;
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          int v = e - '0';
          for (int k = 0; k < 2 && p < line.size() && line[p] >= '0' && line[p] <= '7'; ++k)
            v = v * 8 + (line[p++] - '0');
          if (v > 255) {
            *error = "octal escape above \\377";
            return false;
          }
          out->push_back(static_cast<char>(v));
          break;
        }
        *error = std::string("unknown escape \\") + e;
        return false;
    }
  }
  if (p >= line.size()) {
    *error = "unterminated string";
    return false;
  }
  *i = p + 1;
  return true;
}

bool ParseInteger(const std::string& word, long long* value) {
  errno = 0;
  char* end = nullptr;
  // Decimal, or hexadecimal after 0x; a leading 0 does not mean octal.
  const std::size_t sign = (word[0] == '-' || word[0] == '+') ? 1 : 0;
  const bool hex =
      word.size() > sign + 2 && word[sign] == '0' && (word[sign + 1] == 'x' || word[sign + 1] == 'X');
  const long long v = std::strtoll(word.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || end == word.c_str() || *end != '\0') return false;
  *value = v;
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool SplitScriptLine(const std::string& line, std::vector<ScriptValue>* values, std::string* error) {
  values->clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    ScriptValue v;
    if (line[i] == '"') {
      v.kind = ScriptValue::String;
      if (!ReadQuoted(line, &i, &v.text, error)) return false;
      if (i < line.size() && !IsBlank(line[i]) && line[i] != '#') {
        *error = "a string must be followed by a blank";
        return false;
      }
    } else {
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i]) && line[i] != '"' && line[i] != '#') ++i;
      v.text = line.substr(start, i - start);
      const char c0 = v.text[0];
      if (v.text == "null") {
        v.kind = ScriptValue::Null;
      } else if ((c0 >= '0' && c0 <= '9') || c0 == '-' || c0 == '+') {
        if (!ParseInteger(v.text, &v.number)) {
          *error = "bad number '" + v.text + "'";
          return false;
        }
        v.kind = ScriptValue::Integer;
      }
    }
    values->push_back(std::move(v));
  }
  return true;
}

std::string Quote(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out.push_back(ch);
        } else {
          out += "\\x";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 15]);
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace orvelxml
