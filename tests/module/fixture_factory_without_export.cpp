// A library under the factory library's soname that lacks CreateComponent.
#include "platform/export_symbol.h"

ORVEL_LIBRARY_EXPORT int ZandropFixtureMarker() { return 1; }
