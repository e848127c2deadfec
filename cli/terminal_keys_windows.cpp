// SPDX-License-Identifier: MIT
#include <windows.h>

#include <algorithm>

#include "cli/platform_console.h"
#include "cli/terminal_keys.h"

struct TerminalKeys::Saved {
  HANDLE input;
  DWORD mode;
};

namespace {

// The key as a terminal would send it; empty for a key that types nothing.
std::string text_of(const KEY_EVENT_RECORD& key) {
  switch (key.wVirtualKeyCode) {
    case VK_RIGHT: return "\x1b[C";
    case VK_LEFT: return "\x1b[D";
    case VK_RETURN: return "\r";
    default: break;
  }
  if (key.uChar.AsciiChar == '\0') return {};
  return std::string(1, static_cast<char>(key.uChar.AsciiChar));
}

}  // namespace

TerminalKeys::TerminalKeys() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == INVALID_HANDLE_VALUE || input == nullptr || !GetConsoleMode(input, &mode)) return;
  saved_ = std::make_unique<Saved>(Saved{input, mode});
  // Keys one by one, unechoed; Ctrl+C stays a signal.
  const DWORD keys = (mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) | ENABLE_PROCESSED_INPUT;
  active_ = SetConsoleMode(input, keys) != 0;
}

TerminalKeys::~TerminalKeys() {
  if (saved_) SetConsoleMode(saved_->input, saved_->mode);
}

std::string TerminalKeys::read_key(std::chrono::milliseconds time) {
  const bool forever = time < std::chrono::milliseconds::zero();
  if (!active_) {
    sleep_unless_interrupted(forever ? std::chrono::hours(24) : time);
    return {};
  }
  // Ctrl+C sets only a flag: look at it every slice.
  constexpr std::chrono::milliseconds kSlice(50);
  const auto deadline = std::chrono::steady_clock::now() + time;
  while (!interrupt_requested()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!forever && left <= std::chrono::milliseconds::zero()) return {};
    const auto slice = forever ? kSlice : std::min(kSlice, left);
    if (WaitForSingleObject(saved_->input, static_cast<DWORD>(slice.count())) != WAIT_OBJECT_0) continue;
    INPUT_RECORD record;
    DWORD read = 0;
    if (!ReadConsoleInputA(saved_->input, &record, 1, &read) || read == 0) continue;
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    std::string key = text_of(record.Event.KeyEvent);
    if (!key.empty()) return key;
  }
  return {};
}
