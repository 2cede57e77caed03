#include <cstdio>

#include "component/calling_frame.h"

namespace orvel {

NumberText::NumberText(int value) { std::snprintf(text, sizeof text, "%d", value); }

}  // namespace orvel
