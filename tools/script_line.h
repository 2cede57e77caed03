// The words of one line of an orvelxml script, and the quoting used to echo
// strings and texts back.
#pragma once

#include <string>
#include <vector>

namespace orvelxml {

struct ScriptValue {
  enum Kind { Word, String, Integer, Null } kind = Word;
  std::string text;      // Word: the word; String: the unescaped bytes
  long long number = 0;  // Integer
};

// Splits line into values: "..." strings with C escapes (\n \t \r \0 \\ \" \'
// \xHH with two hex digits, \ooo octal), the word null, decimal or 0x hex
// integers with an optional sign, and bare words. A '#' outside a string ends
// the line. false with a message in *error on a malformed line.
bool SplitScriptLine(const std::string& line, std::vector<ScriptValue>* values, std::string* error);

// bytes as a double-quoted C string: printable ASCII as is, \" \\ \n \r \t,
// every other byte as \xHH.
std::string Quote(const std::string& bytes);

}  // namespace orvelxml
