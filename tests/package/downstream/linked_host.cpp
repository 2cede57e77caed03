// A host linked against the module: it calls the exports directly.
#include "host_steps.h"

int main() {
  return RunHostSteps({&CreateComponent, &SetDLLRegistry, &OrvelDllCanUnloadNow}, ORVELXML_EXPECTED);
}
