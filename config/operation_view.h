// SPDX-License-Identifier: MIT
#pragma once
// What a long device operation of the configuration page shows while it
// runs: the status bar text and the progress bar position. The window
// supplies both and repaints at once, since the run blocks its thread. The
// command line also asks, before each command, whether to stop (Ctrl+C).

#include <functional>
#include <string_view>

struct OperationView {
  std::function<void(std::string_view utf8)> set_status;
  std::function<void(int position)> set_progress;
  // True ends the run before its next command, as a failed run ends. Left
  // empty, the run never stops early.
  std::function<bool()> stop_requested = nullptr;
  // Called when the module accepted the upload's first erase: from then on
  // it holds no valid configuration until the upload ends. May be empty.
  std::function<void()> module_erased = nullptr;
};

inline bool stop_requested(const OperationView& view) {
  return view.stop_requested && view.stop_requested();
}
