// Flag and code constants shared by hosts and the module.
#pragma once

#include <cstdint>

namespace orvel {

// Node type codes: single bits, usable as SeekNode masks.
enum : int {
  NodeElement = 1,
  NodeText = 2,
  NodeSpace = 4,
  NodeCData = 8,
  NodeInstruction = 16,
  NodeComment = 32,
  NodeDoctype = 64,
  NodeEndTag = 128,      // node walk only
  NodeBadMarkup = 0x8000 // node walk only
};

// EditFlags word of the adding and content-writing operations.
enum : int {
  EditCData = 0x1,           // write content as CDATA
  EditNoBreak = 0x2,         // no line break around added markup
  EditSpaceSlash = 0x4,      // "<a />" instead of "<a/>"
  EditKeepRefs = 0x8,        // leave existing entity references alone
  EditNoEndTag = 0x10,       // write a start tag only
  EditAttribute = 0x100,     // attribute-mode escaping
  EditReplaceContent = 0x1000,
  AddBefore = 0x2000,        // before the reference position
  AddAsChild = 0x4000        // one level down
};

// Document flags.
enum : int {
  DocNoCase = 8  // names compare without ASCII letter case
};

// Identifiers of the components this module serves or asks for.
enum : std::uint32_t {
  XmlComponentID = 1,
  DecoderComponentID = 64,
  FactoryComponentID = 361,
  ConfigStoreComponentID = 991
};

}  // namespace orvel
