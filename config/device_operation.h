#pragma once
// What a long device operation of the configuration page shows while it
// runs: the status bar text and the progress bar position. The window
// supplies both and repaints at once, since the run blocks its thread.

#include <functional>
#include <string_view>

struct OperationView {
  std::function<void(std::string_view utf8)> set_status;
  std::function<void(int position)> set_progress;
};
