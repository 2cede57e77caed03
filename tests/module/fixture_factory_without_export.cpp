// A library under the factory library's soname that lacks CreateComponent.
extern "C" __attribute__((visibility("default"))) int ZandropFixtureMarker() { return 1; }
