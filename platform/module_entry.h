// Process attach and detach, as the module handles them. The module defines
// these; the win32 entry point (dll_main_win32.cpp) calls them, and on POSIX
// the module calls them itself at load and unload.
#pragma once

namespace orvel {

// Saves the module instance handle; creates the module lock unless it exists.
void OnProcessAttach(void* moduleInstance);
// Reports the components still alive (without touching them) and deletes the lock.
void OnProcessDetach();

}  // namespace orvel
