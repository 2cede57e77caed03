#include "tools/operations.h"

#include <climits>
#include <cstring>

namespace orvelxml {

using Xml = orvel::IXmlComponent;

namespace {

constexpr char kUnwritten = '\x7F';

}  // namespace

// ---- buffers and arguments ---------------------------------------------------

TextBuffer::TextBuffer(bool null, long long capacity) : null_(null) {
  if (capacity < INT_MIN || capacity > INT_MAX) throw ScriptError("capacity out of range");
  if (capacity > 256 << 20) throw ScriptError("capacity above 256 MiB");
  capacity_ = static_cast<int>(capacity);
  // A non-positive capacity still gets one real byte, so a write through it would show.
  bytes_.assign(capacity_ > 0 ? capacity_ : 1, kUnwritten);
}

std::string TextBuffer::Render() const {
  if (null_) return "";
  const void* nul = std::memchr(bytes_.data(), 0, bytes_.size());
  if (nul != nullptr) return Quote(std::string(bytes_.data()));
  for (const char c : bytes_)
    if (c != kUnwritten) return "garbled";
  return "untouched";
}

const ScriptValue* ArgReader::Next(const char* what) {
  if (next_ >= values_.size()) throw ScriptError(std::string("missing argument: ") + what);
  const ScriptValue* v = &values_[next_++];
  echo_ += ' ';
  echo_ += v->kind == ScriptValue::String ? Quote(v->text) : v->text;
  return v;
}

const char* ArgReader::Text() {
  const ScriptValue* v = Next("a string or null");
  if (v->kind == ScriptValue::Null) return nullptr;
  if (v->kind != ScriptValue::String) throw ScriptError("expected a string or null, got " + v->text);
  return v->text.c_str();
}

int ArgReader::Integer() {
  const ScriptValue* v = Next("an integer");
  if (v->kind != ScriptValue::Integer) throw ScriptError("expected an integer, got " + v->text);
  if (v->number < INT_MIN || v->number > UINT_MAX)
    throw ScriptError("integer out of 32-bit range: " + v->text);
  return static_cast<int>(static_cast<unsigned int>(v->number));
}

TextBuffer ArgReader::Buffer() {
  if (next_ >= values_.size()) return TextBuffer(false, kDefaultCapacity);
  const ScriptValue* v = Next("a capacity or null");
  if (v->kind == ScriptValue::Null) return TextBuffer(true, kDefaultCapacity);
  if (v->kind != ScriptValue::Integer) throw ScriptError("expected a capacity or null, got " + v->text);
  return TextBuffer(false, v->number);
}

void ArgReader::End() const {
  if (next_ < values_.size()) throw ScriptError("too many arguments");
}

// ---- one caller per signature -------------------------------------------------
// Overload resolution picks the caller from the member's signature; members of
// IComponent convert to members of IXmlComponent.

namespace {

std::string WithText(int result, const TextBuffer& b) {
  const std::string shown = b.Render();
  return shown.empty() ? std::to_string(result) : std::to_string(result) + " " + shown;
}

std::string Call(Xml* x, unsigned int (Xml::*m)(), ArgReader& a) {
  a.End();
  return std::to_string((x->*m)());
}
std::string Call(Xml* x, int (Xml::*m)(), ArgReader& a) {
  a.End();
  return std::to_string((x->*m)());
}
std::string Call(Xml* x, void (Xml::*m)(), ArgReader& a) {
  a.End();
  (x->*m)();
  return "done";
}
std::string Call(Xml* x, int (Xml::*m)(int), ArgReader& a) {
  const int v = a.Integer();
  a.End();
  return std::to_string((x->*m)(v));
}
std::string Call(Xml* x, void (Xml::*m)(int), ArgReader& a) {
  const int v = a.Integer();
  a.End();
  (x->*m)(v);
  return "done";
}
std::string Call(Xml* x, int (Xml::*m)(const char*), ArgReader& a) {
  const char* s = a.Text();
  a.End();
  return std::to_string((x->*m)(s));
}
std::string Call(Xml* x, int (Xml::*m)(const char*, int), ArgReader& a) {
  const char* s = a.Text();
  const int v = a.Integer();
  a.End();
  return std::to_string((x->*m)(s, v));
}
std::string Call(Xml* x, int (Xml::*m)(int, const char*), ArgReader& a) {
  const int v = a.Integer();
  const char* s = a.Text();
  a.End();
  return std::to_string((x->*m)(v, s));
}
std::string Call(Xml* x, int (Xml::*m)(const char*, const char*), ArgReader& a) {
  const char* s = a.Text();
  const char* t = a.Text();
  a.End();
  return std::to_string((x->*m)(s, t));
}
std::string Call(Xml* x, int (Xml::*m)(const char*, int, int), ArgReader& a) {
  const char* s = a.Text();
  const int v = a.Integer();
  const int f = a.Integer();
  a.End();
  return std::to_string((x->*m)(s, v, f));
}
std::string Call(Xml* x, int (Xml::*m)(const char*, const char*, int), ArgReader& a) {
  const char* s = a.Text();
  const char* t = a.Text();
  const int f = a.Integer();
  a.End();
  return std::to_string((x->*m)(s, t, f));
}
std::string Call(Xml* x, int (Xml::*m)(char*, int), ArgReader& a) {
  TextBuffer b = a.Buffer();
  a.End();
  return WithText((x->*m)(b.data(), b.capacity()), b);
}
std::string Call(Xml* x, void (Xml::*m)(char*, int), ArgReader& a) {
  TextBuffer b = a.Buffer();
  a.End();
  (x->*m)(b.data(), b.capacity());
  const std::string shown = b.Render();
  return shown.empty() ? "done" : shown;
}
std::string Call(Xml* x, int (Xml::*m)(const char*, char*, int), ArgReader& a) {
  const char* s = a.Text();
  TextBuffer b = a.Buffer();
  a.End();
  return WithText((x->*m)(s, b.data(), b.capacity()), b);
}
std::string Call(Xml* x, int (Xml::*m)(int, char*, int), ArgReader& a) {
  const int v = a.Integer();
  TextBuffer b = a.Buffer();
  a.End();
  return WithText((x->*m)(v, b.data(), b.capacity()), b);
}

#define ORVELXML_OPERATION(name)                                         \
  Operation {                                                            \
#name, [](Xml * x, ArgReader & a) { return Call(x, &Xml::name, a); } \
  }

}  // namespace

const std::vector<Operation>& AllOperations() {
  static const std::vector<Operation> table = {
      ORVELXML_OPERATION(GetComponentID),
      ORVELXML_OPERATION(ReservedQuery),
      ORVELXML_OPERATION(Release),
      ORVELXML_OPERATION(GetAutoRelease),
      ORVELXML_OPERATION(SetAutoRelease),
      ORVELXML_OPERATION(LoadDocumentFile),
      ORVELXML_OPERATION(ParseText),
      ORVELXML_OPERATION(IsDocumentValid),
      ORVELXML_OPERATION(SeekSiblingElement),
      ORVELXML_OPERATION(SeekChildElement),
      ORVELXML_OPERATION(EnterElement),
      ORVELXML_OPERATION(LeaveElement),
      ORVELXML_OPERATION(RewindChildren),
      ORVELXML_OPERATION(RewindSiblings),
      ORVELXML_OPERATION(RewindDocument),
      ORVELXML_OPERATION(ReadNodeName),
      ORVELXML_OPERATION(ReadChildTagName),
      ORVELXML_OPERATION(ReadContent),
      ORVELXML_OPERATION(ReadChildContent),
      ORVELXML_OPERATION(ReadInnerMarkup),
      ORVELXML_OPERATION(ReadAttribute),
      ORVELXML_OPERATION(ReadChildAttribute),
      ORVELXML_OPERATION(ReadAttributeName),
      ORVELXML_OPERATION(SeekNode),
      ORVELXML_OPERATION(CurrentNodeType),
      ORVELXML_OPERATION(MarkPosition),
      ORVELXML_OPERATION(ReturnToMark),
      ORVELXML_OPERATION(GetDocumentFlags),
      ORVELXML_OPERATION(SetDocumentFlags),
      ORVELXML_OPERATION(SaveDocumentFile),
      ORVELXML_OPERATION(ReadDocumentText),
      ORVELXML_OPERATION(AppendElementNumber),
      ORVELXML_OPERATION(AppendElement),
      ORVELXML_OPERATION(InsertElementNumber),
      ORVELXML_OPERATION(InsertElement),
      ORVELXML_OPERATION(AppendChildElementNumber),
      ORVELXML_OPERATION(AppendChildElement),
      ORVELXML_OPERATION(InsertChildElementNumber),
      ORVELXML_OPERATION(InsertChildElement),
      ORVELXML_OPERATION(WriteAttributeNumber),
      ORVELXML_OPERATION(WriteAttribute),
      ORVELXML_OPERATION(WriteChildAttributeNumber),
      ORVELXML_OPERATION(WriteChildAttribute),
      ORVELXML_OPERATION(AppendMarkup),
      ORVELXML_OPERATION(InsertMarkup),
      ORVELXML_OPERATION(ReadElementMarkup),
      ORVELXML_OPERATION(AppendChildMarkup),
      ORVELXML_OPERATION(InsertChildMarkup),
      ORVELXML_OPERATION(ReadChildElementMarkup),
      ORVELXML_OPERATION(AppendNode),
      ORVELXML_OPERATION(InsertNode),
      ORVELXML_OPERATION(DeleteElement),
      ORVELXML_OPERATION(DeleteChildElement),
      ORVELXML_OPERATION(DeleteNode),
      ORVELXML_OPERATION(PutAttributeNumber),
      ORVELXML_OPERATION(PutAttribute),
      ORVELXML_OPERATION(PutChildAttributeNumber),
      ORVELXML_OPERATION(PutChildAttribute),
      ORVELXML_OPERATION(WriteContentNumber),
      ORVELXML_OPERATION(WriteContent),
      ORVELXML_OPERATION(WriteChildContentNumber),
      ORVELXML_OPERATION(WriteChildContent),
      ORVELXML_OPERATION(ReplaceInnerMarkup),
      ORVELXML_OPERATION(ReindentDocument),
  };
  return table;
}

const Operation* FindOperation(const std::string& name) {
  for (const Operation& op : AllOperations())
    if (name == op.name) return &op;
  return nullptr;
}

}  // namespace orvelxml
