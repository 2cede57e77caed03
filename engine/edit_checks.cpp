#include "engine/edit_checks.h"

#include <cstring>

#include "engine/byte_classes.h"
#include "engine/scanner.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

bool HoldsAnyOf(const char* text, const char* set) { return std::strpbrk(text, set) != nullptr; }

// The bytes no element name may hold: those that end a name where names are
// read (NUL among them, which ends the loop below), the quotes, and '[' and
// ']', after which an end tag's name may stop and still close the element
// ("</a>" closes "<a[1]>").
struct NameRefusals {
  bool of[256] = {};
  constexpr NameRefusals() {
    for (int b = 0; b < 256; ++b) of[b] = bytes::kClasses.bits[b] & bytes::kDelimiter;
    for (const char c : {'"', '\'', '[', ']'}) of[static_cast<unsigned char>(c)] = true;
  }
};
constexpr NameRefusals kNameRefusals{};

}  // namespace

bool IsWritableElementName(const char* name) {
  if (name == nullptr || !bytes::Is(name[0], bytes::kNameStart)) return false;
  const char* p = name + 1;
  while (!kNameRefusals.of[static_cast<unsigned char>(*p)]) ++p;
  return *p == '\0';
}

bool IsWritableAttributeName(const char* name) {
  return name != nullptr && name[0] != '\0' && !HoldsAnyOf(name, " \t\n\r<>/?='\"");
}

bool IsWritableNodeType(int type) {
  switch (type) {
    case NodeElement:
    case NodeText:
    case NodeSpace:
    case NodeCData:
    case NodeInstruction:
    case NodeComment:
    case NodeDoctype:
      return true;
    default:
      return false;
  }
}

bool ReadsBackAsNode(int type, const std::string& markup, int* scanned) {
  *scanned = 0;
  if (markup.empty()) return true;
  *scanned = ScanWholeToken(markup);
  if (type == NodeText || type == NodeSpace) return *scanned == NodeText || *scanned == NodeSpace;
  return *scanned == type;
}

bool MayJoinNeighbours(const std::string& text, std::int32_t offset, std::int32_t length) {
  if (length <= 0) return false;
  const std::size_t end = static_cast<std::size_t>(offset) + static_cast<std::size_t>(length);
  const bool joinsBefore = offset > 0 && text[static_cast<std::size_t>(offset)] != '<' &&
                           text[static_cast<std::size_t>(offset) - 1] != '>';
  const bool joinsAfter = text[end - 1] != '>' && end < text.size() && text[end] != '<' && text[end] != '\0';
  return joinsBefore || joinsAfter;
}

bool ExposesOpenInstruction(const std::string& text, std::int32_t position, std::int32_t count) {
  return position == 0 && BareInstructionAt(text, static_cast<std::size_t>(count));
}

int ScanWholeToken(const std::string& markup, std::uint32_t* flags) {
  static const char kLead[] = "    ";
  constexpr std::int32_t kLeadLength = sizeof kLead - 1;
  const std::string probe = kLead + markup;
  ScanCursor cursor(probe.c_str(), 0);
  cursor.pos = kLeadLength;
  MarkupToken token;
  const int type = ScanToken(cursor, token);
  if (flags != nullptr) *flags = token.flags;
  if (type == ScanAtEnd || static_cast<std::size_t>(token.length) != markup.size()) return ScanBadMarkup;
  return type;
}

}  // namespace orvel
