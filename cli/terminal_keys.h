// SPDX-License-Identifier: MIT
#pragma once
// The keys that steer `zel17-cli walk` on a terminal: Space pauses and
// resumes, n or Right goes on at once, p or Left goes back one row, q ends.
// While a TerminalKeys lives, a terminal on standard input hands each key
// over at once and echoes nothing; the terminal is restored when it goes.
// Ctrl+C still interrupts. One file per OS.

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

enum class WalkKey { none, pause, next, back, quit };

// The key that the bytes a terminal sent for one key press stand for.
WalkKey decode_walk_key(std::string_view input);

class TerminalKeys {
 public:
  TerminalKeys();
  ~TerminalKeys();
  TerminalKeys(const TerminalKeys&) = delete;
  TerminalKeys& operator=(const TerminalKeys&) = delete;

  // Is standard input a terminal that hands keys over?
  bool active() const { return active_; }
  // The next key pressed within `time` (a negative time: no limit); none when
  // the time ran out or a stop was requested (Ctrl+C). Not a terminal: sleeps.
  WalkKey wait(std::chrono::milliseconds time);
  // The text of the next key pressed within `time` (a negative time: no
  // limit), arrows as the terminal's escape sequences ("\x1b[C"), Return as
  // "\r"; empty when the time ran out or a stop was requested. A pasted text
  // may come in one piece. Not a terminal: sleeps.
  std::string read_key(std::chrono::milliseconds time);

 private:
  bool active_ = false;
  struct Saved;
  std::unique_ptr<Saved> saved_;
};
