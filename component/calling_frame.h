// The calling frame around every XML operation: entry assertion, usage guard,
// and a defined failure result when an exception (memory exhaustion) reaches
// the boundary.
#pragma once

#include <string>
#include <utility>

#include "component/text_result.h"
#include "module/component_base.h"
#include "module/module_state.h"

namespace orvel {

// Runs op() for component c inside a UsageGuard and returns its result, or
// failure when op throws. The guard closes before the result is returned, so a
// Release issued during the call destroys c here: nothing touches c afterwards.
template <class Interface, class Result, class Op>
Result RunInFrame(ComponentBase<Interface>* c, Result failure, Op&& op) noexcept {
  if (c->liveFlag == 0) AssertionFailed("operation called on a released component");
  try {
    UsageGuard guard(c);
    return std::forward<Op>(op)();
  } catch (...) {
    return failure;
  }
}

template <class Interface, class Op>
void RunInFrameVoid(ComponentBase<Interface>* c, Op&& op) noexcept {
  if (c->liveFlag == 0) AssertionFailed("operation called on a released component");
  try {
    UsageGuard guard(c);
    std::forward<Op>(op)();
  } catch (...) {
  }
}

// Boolean slot: the engine's result as exactly 0 or 1; 0 on failure.
template <class Interface, class Op>
int BoolSlot(ComponentBase<Interface>* c, Op&& op) noexcept {
  return RunInFrame(c, 0, [&]() -> int { return std::forward<Op>(op)() ? 1 : 0; });
}

// Integer slot: the engine's value unchanged; 0 on failure.
template <class Interface, class Op>
int IntSlot(ComponentBase<Interface>* c, Op&& op) noexcept {
  return RunInFrame(c, 0, [&]() -> int { return static_cast<int>(std::forward<Op>(op)()); });
}

// Text slot with a result: builds the whole text, then hands it back by the
// text rule. A failure while building leaves buf untouched and returns 0. An
// op that returns a reference to a text the document holds is read in place.
template <class Interface, class Op>
int TextSlot(ComponentBase<Interface>* c, char* buf, int len, Op&& op) noexcept {
  return RunInFrame(c, 0, [&]() -> int {
    decltype(auto) text = std::forward<Op>(op)();
    return HandBackText(text, buf, len);
  });
}

// Text slot without a result (slots 30, 45, 48).
template <class Interface, class Op>
void TextSlotVoid(ComponentBase<Interface>* c, char* buf, int len, Op&& op) noexcept {
  RunInFrameVoid(c, [&] {
    decltype(auto) text = std::forward<Op>(op)();
    HandBackText(text, buf, len);
  });
}

// Formats value with "%d" into the 28-byte buffer that the number variants
// hand to their text variants.
struct NumberText {
  explicit NumberText(int value);
  char text[28];
};

}  // namespace orvel
