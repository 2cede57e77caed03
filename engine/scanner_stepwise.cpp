// The scanner's rules applied one byte at a time with the scan state flags.
// Document type declarations, with their nested markup, take this path; the
// tests hold the fast scanner to it on every other construct.
#include <cstring>

#include "engine/byte_classes.h"
#include "engine/scanner.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

enum : unsigned {
  AfterLt = 0x01,           // '<' read: the next byte decides the construct
  AfterBang = 0x02,         // "<!" read
  AfterBangDash = 0x04,     // "<!-" read
  AfterBangBracket = 0x08,  // "<![" read
  InSpace = 0x10,           // the token is white space so far
  InDoctype = 0x20,         // inside a document type declaration
  InSingle = 0x40,          // inside '...'
  InDouble = 0x80           // inside "..."
};

const char* UnterminatedWord(unsigned flags, int type) {
  if ((flags & InDoctype) || type == NodeDoctype) return "Doctype";
  switch (type) {
    case NodeElement: return "Element tag";
    case ScanEndTag: return "Element end tag";
    case NodeCData: return "CDATA Section";
    case NodeInstruction: return "Processing instruction";
    case NodeComment: return "Comment";
    default: return "tag";
  }
}

}  // namespace

int ScanTokenStepwise(ScanCursor& cursor, MarkupToken& token) {
  const char* const s = cursor.text;
  token.flags = 0;
  token.start = cursor.pos;
  if (s[cursor.pos] == '\0') {
    token.length = 0;
    token.type = 0;
    return ScanAtEnd;
  }
  unsigned flags = 0;
  const char* terminator = "";
  int terminatorLength = 0;  // 0: none pending
  int type = ScanBadMarkup;
  std::int32_t nameBegin = 0;  // 0: no name being read
  char last = 0, beforeLast = 0;  // last two bytes seen inside a start tag
  std::int32_t end = token.start;

  for (std::int32_t i = cursor.pos;; ++i) {
    const char b = s[i];
    if (b == '\0') {
      end = i - 1;
      if (type == NodeText || type == NodeSpace) break;
      FormatScanMessage(token, "%s at offset %d unterminated", UnterminatedWord(flags, type));
      type = ScanBadMarkup;
      break;
    }
    if (nameBegin != 0) {
      if (!bytes::Is(b, bytes::kNameEnd)) continue;
      if (type == ScanEndTag) {
        cursor.nameStart = nameBegin;
        cursor.nameEnd = i - 1;
      } else if (!token.quiet) {
        token.text.assign(s + nameBegin, static_cast<std::size_t>(i - nameBegin));
      }
      nameBegin = 0;
      last = beforeLast = 0;
    }
    if (terminatorLength != 0) {
      if (b == '>' && !(flags & (InSingle | InDouble))) {
        end = i;
        if (terminatorLength == 1) {
          terminatorLength = 0;
          if (type == NodeElement && last == '/' &&
              (beforeLast == 0 || std::strchr(" \t\n\r'\"", beforeLast) != nullptr))
            token.flags |= TokenEmptyTag;
        } else if (i > terminatorLength &&
                   std::memcmp(s + i - (terminatorLength - 1), terminator,
                               static_cast<std::size_t>(terminatorLength - 1)) == 0) {
          terminatorLength = 0;
        }
        if (terminatorLength != 0 || (flags & InDoctype)) continue;
        break;
      }
      if (b == '<' && (type == NodeText || type == ScanBadMarkup)) {
        end = i - 1;
        break;
      }
      if (type == NodeElement || type == NodeDoctype || type == ScanBadMarkup) {
        if (b == '"' && !(flags & InSingle)) flags ^= InDouble;
        else if (b == '\'' && !(flags & InDouble)) flags ^= InSingle;
      }
      if (type == NodeElement) {
        beforeLast = last;
        last = b;
      }
      continue;
    }
    if (flags == 0) {
      if (b == '<') {
        flags = AfterLt;
      } else if (bytes::Is(b, bytes::kSpace)) {
        type = NodeSpace;
        flags = InSpace;
      } else {
        type = NodeText;
        terminator = "<";
        terminatorLength = 1;
      }
    } else if (flags & InSpace) {
      if (b == '<') {
        end = i - 1;
        type = NodeSpace;
        break;
      }
      if (!bytes::Is(b, bytes::kSpace)) {
        flags &= ~InSpace;
        type = NodeText;
        terminator = "<";
        terminatorLength = 1;
      }
    } else if (flags & AfterLt) {
      flags &= ~AfterLt;
      terminator = ">";
      terminatorLength = 1;
      if (bytes::Is(b, bytes::kNameStart)) {
        nameBegin = i;
        type = NodeElement;
      } else if (b == '/') {
        nameBegin = i + 1;
        type = ScanEndTag;
      } else if (b == '!') {
        flags |= AfterBang;
        terminatorLength = 0;
      } else if (b == '?') {
        nameBegin = i + 1;
        type = NodeInstruction;
        terminator = "?>";
        terminatorLength = 2;
      } else {
        FormatScanMessage(token, "Incorrect %s at offset %d", "tag name character");
        type = ScanBadMarkup;
      }
    } else if (flags & AfterBang) {
      flags &= ~AfterBang;
      if (b == '-') {
        flags |= AfterBangDash;
      } else if (b == '[' && !(flags & InDoctype)) {
        flags |= AfterBangBracket;
      } else if (b == 'D' && !(flags & InDoctype)) {
        flags |= InDoctype;
      } else {
        terminator = ">";
        terminatorLength = 1;
        if (b == 'E' || b == 'A' || b == 'N') {
          type = NodeDoctype;
        } else {
          FormatScanMessage(token, "Incorrect %s at offset %d", "! tag");
          type = ScanBadMarkup;
        }
      }
    } else if (flags & AfterBangDash) {
      flags &= ~AfterBangDash;
      if (b == '-') {
        type = NodeComment;
        terminator = "-->";
        terminatorLength = 3;
      } else {
        FormatScanMessage(token, "Incorrect %s at offset %d", "comment tag");
        type = ScanBadMarkup;
        terminator = ">";
        terminatorLength = 1;
      }
    } else if (flags & AfterBangBracket) {
      flags &= ~AfterBangBracket;
      type = NodeCData;
      if (b == 'C') {
        terminator = "]]>";
        terminatorLength = 3;
      } else {
        FormatScanMessage(token, "Incorrect %s at offset %d", "tag");
        type = ScanBadMarkup;
        terminator = ">";
        terminatorLength = 1;
      }
    } else if (flags & InDoctype) {
      if (b == '<') {
        flags |= AfterLt;
      } else if (b == '>') {
        end = i;
        type = NodeDoctype;
        break;
      }
    }
  }
  cursor.pos = end + 1;
  token.length = end + 1 - token.start;
  token.type = type;
  return type;
}

}  // namespace orvel
