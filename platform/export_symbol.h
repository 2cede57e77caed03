// Exports a C function from the shared library it is built into (the factory
// library and the test fixtures; the module itself exports through its .def
// file on Windows).
#pragma once

#if defined(_WIN32)
#define ORVEL_LIBRARY_EXPORT extern "C" __declspec(dllexport)
#else
#define ORVEL_LIBRARY_EXPORT extern "C" __attribute__((visibility("default")))
#endif
