// Access to the framework's factory library and the components it creates.
#pragma once

#include <cstdint>

#include "orvel/component.h"

namespace orvel {

// Record shared with the factory library when a path utility registers
// itself; the factory receives its address and fills two words.
struct PathRegistrationRecord {
  std::int32_t reserved0 = 0;
  std::int32_t argumentWord = 0;  // its address is passed separately
  std::int32_t resultWord1 = -1;  // second word of the registration result
  std::int32_t resultWord0 = 0;   // first word of the registration result
  char name[64] = {};
  char kind[16] = {};
  char tail[16] = {};
};
static_assert(sizeof(PathRegistrationRecord) == 112, "registration record ends within 112 bytes");

// Registers record with the factory library when that library is already
// loaded in the process; silent when it is not.
void RegisterPathUtility(PathRegistrationRecord& record);

}  // namespace orvel
