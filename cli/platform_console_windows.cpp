// SPDX-License-Identifier: MIT
#include "cli/platform_console.h"

#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {

std::atomic<int> g_signal{0};
std::atomic<int> g_presses{0};
std::atomic<bool> g_deferring{false};
std::atomic<const char*> g_notice{nullptr};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI on_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  int none = 0;
  g_signal.compare_exchange_strong(none, 2);  // SIGINT
  const int presses = g_presses.fetch_add(1) + 1;
  const char* notice = g_notice.load();
  if (g_deferring.load() && presses == 1 && notice != nullptr) {
    std::fputs(notice, stderr);
    std::fflush(stderr);
  }
  return TRUE;
}

std::string to_utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string result(static_cast<std::size_t>(size - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  return result;
}

}  // namespace

void install_interrupt_handlers() { SetConsoleCtrlHandler(on_console_event, TRUE); }

bool interrupt_requested() { return g_signal.load() != 0; }

bool interrupt_stops_run() { return g_presses.load() >= (g_deferring.load() ? 2 : 1); }

void defer_first_interrupt(const char* notice) {
  g_notice.store(notice);
  g_deferring.store(true);
}

void end_deferred_interrupt() { g_deferring.store(false); }

int interrupt_exit_status() { return 128 + (g_signal.load() != 0 ? g_signal.load() : 2); }

int interrupt_wake_fd() { return -1; }

bool sleep_unless_interrupted(std::chrono::milliseconds time) {
  constexpr auto kSlice = std::chrono::milliseconds(50);
  for (auto left = time; left.count() > 0 && !interrupt_requested(); left -= kSlice)
    Sleep(static_cast<DWORD>(std::min(left, kSlice).count()));
  return !interrupt_requested();
}

bool standard_error_is_terminal() { return _isatty(_fileno(stderr)) != 0; }
bool standard_input_is_terminal() { return _isatty(_fileno(stdin)) != 0; }

std::vector<std::string> utf8_arguments(int argc, char** argv) {
  SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(to_utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}
