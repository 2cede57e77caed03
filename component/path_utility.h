// The path utility: second base of XmlComponent. It carries the record that
// the factory library fills when the utility registers itself at construction.
#pragma once

#include <cstdint>

#include "module/factory_access.h"

namespace orvel {

class PathUtility {
 public:
  // Initialises the record and registers it with an already loaded factory library.
  PathUtility();
  PathUtility(const PathUtility&) = delete;
  PathUtility& operator=(const PathUtility&) = delete;

  // The utility's one virtual operation; a placeholder in the binary layout
  // that nothing calls and that does nothing.
  virtual void ReservedPathOperation(std::int32_t first, std::int32_t second);

 protected:
  // Components are destroyed through OwnedObjectLists, never through this base.
  ~PathUtility() = default;

 private:
  PathRegistrationRecord registration_;
};

}  // namespace orvel
