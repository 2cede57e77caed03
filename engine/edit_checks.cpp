#include "engine/edit_checks.h"

#include <cstring>

#include "engine/byte_classes.h"
#include "engine/scanner.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

bool HoldsAnyOf(const char* text, const char* set) { return std::strpbrk(text, set) != nullptr; }

}  // namespace

bool IsWritableElementName(const char* name) {
  return name != nullptr && bytes::Is(name[0], bytes::kNameStart) && !HoldsAnyOf(name, " \t\n\r<>/='\"");
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
