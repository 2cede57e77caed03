#include "component/path_utility.h"

namespace orvel {

PathUtility::PathUtility() { RegisterPathUtility(registration_); }

void PathUtility::ReservedPathOperation(std::int32_t /*first*/, std::int32_t /*second*/) {}

}  // namespace orvel
