// SPDX-License-Identifier: MIT
#include "cli/platform_console.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

volatile sig_atomic_t g_signal = 0;
volatile sig_atomic_t g_presses = 0;
volatile sig_atomic_t g_deferring = 0;
const char* volatile g_notice = nullptr;
volatile std::size_t g_notice_length = 0;
int g_wake[2] = {-1, -1};

void on_signal(int signal_number) {
  const int saved_errno = errno;
  if (g_signal == 0) g_signal = signal_number;
  if (g_presses < 2) g_presses = g_presses + 1;
  if (g_deferring && g_presses == 1 && g_notice != nullptr)
    (void)!write(STDERR_FILENO, g_notice, g_notice_length);
  if (g_wake[1] >= 0) {
    const char byte = 1;
    (void)!write(g_wake[1], &byte, 1);
  }
  errno = saved_errno;
}

}  // namespace

void install_interrupt_handlers() {
  if (g_wake[0] < 0 && pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0) g_wake[0] = g_wake[1] = -1;
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a transfer in progress finishes; the run stops after it
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool interrupt_requested() { return g_signal != 0; }

bool interrupt_stops_run() { return g_presses >= (g_deferring ? 2 : 1); }

void defer_first_interrupt(const char* notice) {
  g_notice_length = std::strlen(notice);
  g_notice = notice;
  g_deferring = 1;
}

void end_deferred_interrupt() { g_deferring = 0; }

int interrupt_exit_status() { return 128 + (g_signal != 0 ? g_signal : SIGINT); }

int interrupt_wake_fd() { return g_wake[0]; }

bool sleep_unless_interrupted(std::chrono::milliseconds time) {
  if (interrupt_requested()) return false;
  pollfd wake{g_wake[0], POLLIN, 0};
  const int timeout = static_cast<int>(time.count());
  while (poll(&wake, g_wake[0] >= 0 ? 1 : 0, timeout) < 0 && errno == EINTR) {
    if (interrupt_requested()) return false;
  }
  return !interrupt_requested();
}

bool standard_error_is_terminal() { return isatty(STDERR_FILENO) != 0; }
bool standard_input_is_terminal() { return isatty(STDIN_FILENO) != 0; }

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
