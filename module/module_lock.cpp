// The one recursive module lock, created on first use.
#include <atomic>

#include "module/module_internal.h"
#include "platform/platform.h"

namespace orvel {
namespace {

// Constant-initialised, so the first registration during static
// initialisation finds it cleared whatever the order of the translation units.
std::atomic<platform::RecursiveLock*> g_moduleLock{nullptr};

platform::RecursiveLock* ModuleLock() {
  platform::RecursiveLock* lock = g_moduleLock.load(std::memory_order_acquire);
  if (lock != nullptr) return lock;
  // When the system refuses a lock the module still needs one: without it
  // every registry would be open to all threads at once.
  platform::RecursiveLock* made = platform::CreateRecursiveLock();
  if (made == nullptr) made = platform::StaticRecursiveLock();
  // Threads that get here together agree on the first lock stored.
  if (g_moduleLock.compare_exchange_strong(lock, made, std::memory_order_acq_rel)) {
    SetDllSafeFlag(1);
    return made;
  }
  if (made != platform::StaticRecursiveLock()) platform::DeleteRecursiveLock(made);
  return lock;
}

}  // namespace

void EnsureModuleLock() { ModuleLock(); }

void DeleteModuleLock() {
  platform::RecursiveLock* lock = g_moduleLock.exchange(nullptr, std::memory_order_acq_rel);
  if (lock != platform::StaticRecursiveLock()) platform::DeleteRecursiveLock(lock);
}

bool ModuleLockExists() { return g_moduleLock.load(std::memory_order_acquire) != nullptr; }

void LockModule() { platform::EnterLock(ModuleLock()); }

void UnlockModule() { platform::LeaveLock(g_moduleLock.load(std::memory_order_acquire)); }

}  // namespace orvel
