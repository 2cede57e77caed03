// The one recursive module lock, created on first use.
#include "module/module_internal.h"
#include "platform/platform.h"

namespace orvel {
namespace {

// Zero-initialised, so the first registration during static initialisation
// finds it cleared whatever the order of the translation units.
platform::RecursiveLock* g_moduleLock = nullptr;
bool g_moduleLockCreated = false;

}  // namespace

void EnsureModuleLock() {
  if (g_moduleLockCreated) return;
  g_moduleLock = platform::CreateRecursiveLock();
  g_moduleLockCreated = true;
  SetDllSafeFlag(1);
}

void DeleteModuleLock() {
  if (!g_moduleLockCreated) return;
  platform::DeleteRecursiveLock(g_moduleLock);
  g_moduleLock = nullptr;
  g_moduleLockCreated = false;
}

bool ModuleLockExists() { return g_moduleLockCreated; }

void LockModule() {
  EnsureModuleLock();
  platform::EnterLock(g_moduleLock);
}

void UnlockModule() { platform::LeaveLock(g_moduleLock); }

}  // namespace orvel
