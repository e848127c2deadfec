// SPDX-License-Identifier: MIT
#include "cli/walk_command.h"

#include <chrono>
#include <functional>

#include "cli/exit_codes.h"
#include "cli/platform_console.h"
#include "cli/terminal_keys.h"
#include "commissioning/walk_sequence.h"
#include "config/config_matrix.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// What ended the wait for the next row.
enum class Step { next, back, quit, interrupted };

// Waits out the dwell time, pausing and resuming on Space; a resumed row
// gets its whole time again. `paused_now` hears of each pause and resume.
Step wait_for_step(TerminalKeys& keys, milliseconds dwell, const std::function<void(bool)>& paused_now) {
  bool paused = false;
  auto deadline = Clock::now() + dwell;
  for (;;) {
    if (interrupt_requested()) return Step::interrupted;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (!paused && left <= milliseconds::zero()) return Step::next;
    switch (keys.wait(paused ? milliseconds(-1) : left)) {
      case WalkKey::none: break;
      case WalkKey::pause:
        paused = !paused;
        deadline = Clock::now() + dwell;
        paused_now(paused);
        break;
      case WalkKey::next: return Step::next;
      case WalkKey::back: return Step::back;
      case WalkKey::quit: return Step::quit;
    }
  }
}

}  // namespace

ModuleResult walk_events(USB_protocol& protocol, const ModuleJob& job) {
  const CliOptions& options = job.options;
  WalkPlan plan(options.walk_first, options.walk_last);
  WalkSequence walk(protocol, plan, options.unit);
  TerminalKeys keys;
  job.progress.start(plan.count());

  std::string status = walk.finished_text();
  bool stopped_by_signal = false;
  for (bool walking = true; walking;) {
    if (const std::string cause = walk.show(); !cause.empty()) {
      // A module failure is one, also after a Ctrl+C.
      return {exit_code::kIoError, walk.stopped_text(), "BŁĄD: " + cause, {}, {}};
    }
    job.progress.clear();
    if (job.results_out) {
      *job.results_out << plan.current_row() << '\t' << row_label(plan.current_row()) << std::endl;
    }
    job.progress.set_status(walk_status_text(plan));
    job.progress.set_position(plan.position());

    // A pause is said on standard error: the board stands still on purpose.
    const auto paused_now = [&](bool paused) {
      job.progress.clear();
      if (job.notices) *job.notices << (paused ? "wstrzymano" : "wznowiono") << std::endl;
      job.progress.set_status(paused ? walk_paused_text(plan) : walk_status_text(plan));
    };
    switch (wait_for_step(keys, milliseconds(options.dwell_ms), paused_now)) {
      case Step::next:
        walking = walk.next();
        break;
      case Step::back:
        walk.back();
        break;
      case Step::quit:
        status = walk.stopped_text();
        walking = false;
        break;
      case Step::interrupted:
        stopped_by_signal = true;
        walking = false;
        break;
    }
  }

  // The board must not keep showing the last event.
  if (const std::string cause = walk.finish(); !cause.empty()) {
    return {exit_code::kIoError, walk.stopped_text(), "BŁĄD: " + cause, {}, {}};
  }
  if (stopped_by_signal) return interrupted();
  return {exit_code::kDone, status, "OK (" + status + ")", {}, {}};
}
