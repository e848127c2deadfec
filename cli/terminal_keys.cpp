// SPDX-License-Identifier: MIT
#include "cli/terminal_keys.h"

WalkKey decode_walk_key(std::string_view input) {
  if (input == " ") return WalkKey::pause;
  if (input == "n" || input == "N" || input == "\x1b[C" || input == "\x1bOC") return WalkKey::next;
  if (input == "p" || input == "P" || input == "\x1b[D" || input == "\x1bOD") return WalkKey::back;
  if (input == "q" || input == "Q") return WalkKey::quit;
  return WalkKey::none;
}

WalkKey TerminalKeys::wait(std::chrono::milliseconds time) { return decode_walk_key(read_key(time)); }
