#include "engine/edit_checks.h"

#include <cstring>

#include "engine/byte_classes.h"
#include "engine/scanner.h"

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
