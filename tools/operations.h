// The interface operations a script can call by name, with the readers of
// their arguments and the printed form of their results.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "orvel/orvel.h"
#include "tools/script_line.h"

namespace orvelxml {

// A script line whose arguments do not fit its operation.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A caller buffer for a text operation: filled with a marker byte so that the
// printed result can tell a copied text from an untouched buffer.
class TextBuffer {
 public:
  TextBuffer(bool null, long long capacity);
  char* data() { return null_ ? nullptr : bytes_.data(); }
  int capacity() const { return capacity_; }
  // "" for a null buffer; the copied text quoted; "untouched"; or
  // "garbled" when bytes changed without a terminating NUL.
  std::string Render() const;

 private:
  bool null_;
  int capacity_;
  std::vector<char> bytes_;
};

// Hands out the arguments of one operation in order and keeps their echo.
class ArgReader {
 public:
  explicit ArgReader(const std::vector<ScriptValue>& values) : values_(values) {}
  // A string or null.
  const char* Text();
  int Integer();
  // An optional trailing capacity (default kDefaultCapacity), or null for a null buffer.
  TextBuffer Buffer();
  // Fails when arguments are left over.
  void End() const;
  const std::string& Echo() const { return echo_; }

  static constexpr int kDefaultCapacity = 1 << 20;

 private:
  const ScriptValue* Next(const char* what);
  const std::vector<ScriptValue>& values_;
  std::size_t next_ = 1;  // values_[0] is the operation's name
  std::string echo_;
};

using OperationInvoker = std::string (*)(orvel::IXmlComponent*, ArgReader&);

struct Operation {
  const char* name;
  OperationInvoker invoke;  // calls the slot and returns the printed result
};

// The operation called name, or null.
const Operation* FindOperation(const std::string& name);
// Every operation, in slot order (slots 0 to 63).
const std::vector<Operation>& AllOperations();

}  // namespace orvelxml
