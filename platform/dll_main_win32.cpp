// The entry point of a module DLL. The C runtime has run the static
// initialisers (creator registration) before it calls this, and runs the
// static destructors (the live-component map) after the detach.
#if defined(_WIN32)

#include <windows.h>

#include "platform/module_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    orvel::OnProcessAttach(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    orvel::OnProcessDetach();
  }
  return TRUE;
}

#endif  // _WIN32
