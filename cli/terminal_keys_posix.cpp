// SPDX-License-Identifier: MIT
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "cli/platform_console.h"
#include "cli/terminal_keys.h"

struct TerminalKeys::Saved {
  termios settings;
};

namespace {

// Only the terminal's foreground job may change its modes or read from it:
// anyone else (`zel17-cli walk ... &`) is stopped by SIGTTOU or SIGTTIN,
// and would hold the module's connection while stopped.
// A terminal that is not the process's controlling one (tcgetpgrp fails)
// sends it no such signal, and its keys are the process's.
bool in_terminal_foreground() {
  const pid_t group = tcgetpgrp(STDIN_FILENO);
  return group < 0 || group == getpgrp();
}

}  // namespace

TerminalKeys::TerminalKeys() {
  termios settings{};
  if (isatty(STDIN_FILENO) == 0 || !in_terminal_foreground() || tcgetattr(STDIN_FILENO, &settings) != 0)
    return;
  saved_ = std::make_unique<Saved>(Saved{settings});
  // Keys one by one, unechoed; ISIG stays, so Ctrl+C is still a signal.
  settings.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  active_ = tcsetattr(STDIN_FILENO, TCSANOW, &settings) == 0;
}

TerminalKeys::~TerminalKeys() {
  // Sent to the background meanwhile: the shell keeps the modes of a job it stops.
  if (saved_ && in_terminal_foreground()) tcsetattr(STDIN_FILENO, TCSANOW, &saved_->settings);
}

std::string TerminalKeys::read_key(std::chrono::milliseconds time) {
  if (!active_ || !in_terminal_foreground()) {
    sleep_unless_interrupted(time < std::chrono::milliseconds::zero() ? std::chrono::hours(24) : time);
    return {};
  }
  if (interrupt_requested()) return {};
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {interrupt_wake_fd(), POLLIN, 0}};
  const int count = interrupt_wake_fd() >= 0 ? 2 : 1;
  int ready = 0;
  while ((ready = poll(fds, count, static_cast<int>(time.count()))) < 0 && errno == EINTR) {
    if (interrupt_requested()) return {};
  }
  if (ready <= 0 || !(fds[0].revents & POLLIN)) return {};
  // One key press arrives whole: an arrow is three bytes at once.
  char input[256];
  const ssize_t length = read(STDIN_FILENO, input, sizeof input);
  if (length <= 0) return {};
  return std::string(input, static_cast<std::size_t>(length));
}
