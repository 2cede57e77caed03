#include "tools/held_signals.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>

#include <initializer_list>
#endif

namespace orvelxml {

#if defined(_WIN32)

namespace {

volatile LONG interrupted = 0;

// Runs on a thread of its own: the save goes on, and the tool ends after it.
BOOL WINAPI NoteInterrupt(DWORD) {
  InterlockedExchange(&interrupted, 1);
  return TRUE;
}

}  // namespace

HeldSignals::HeldSignals() { SetConsoleCtrlHandler(NoteInterrupt, TRUE); }

HeldSignals::~HeldSignals() {
  SetConsoleCtrlHandler(NoteInterrupt, FALSE);
  if (InterlockedExchange(&interrupted, 0) != 0) ExitProcess(STATUS_CONTROL_C_EXIT);
}

#else

namespace {

sigset_t Held() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, s);
  return set;
}

sigset_t before;
struct sigaction fileSizeBefore;

}  // namespace

HeldSignals::HeldSignals() {
  const sigset_t held = Held();
  sigprocmask(SIG_BLOCK, &held, &before);
  // Past the file size limit (ulimit -f) a write then fails with EFBIG,
  // which the save reports ("File too large"), instead of ending the tool.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &fileSizeBefore);
}

// Restoring the mask delivers what came meanwhile, with its usual effect.
HeldSignals::~HeldSignals() {
  sigaction(SIGXFSZ, &fileSizeBefore, nullptr);
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

#endif

}  // namespace orvelxml
