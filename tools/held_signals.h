// While a file is being replaced, the signals that usually end the tool
// (Ctrl-C, kill, a closed terminal) are held back: the save then either has
// not begun or has finished, and no new file is left half written beside the
// one it replaces. A signal that came meanwhile takes effect at the end.
// The file size limit's signal (SIGXFSZ) is ignored meanwhile: the save
// fails with its reason instead.
#pragma once

namespace orvelxml {

class HeldSignals {
 public:
  HeldSignals();
  ~HeldSignals();
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;
};

}  // namespace orvelxml
