// SPDX-License-Identifier: MIT
#include "emulator/bus_player.h"

BusScriptPlayer::BusScriptPlayer(ZelModule& module, BusScript script)
    : module_(module), script_(std::move(script)), thread_([this] { play(); }) {}

BusScriptPlayer::~BusScriptPlayer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BusScriptPlayer::play() {
  auto round_start = std::chrono::steady_clock::now();
  std::unique_lock lock(mutex_);
  for (;;) {
    for (const BusScriptFrame& frame : script_.frames) {
      if (wake_.wait_until(lock, round_start + frame.at, [this] { return stopping_; })) return;
      module_.queue_rs485(frame.bytes);
    }
    if (!script_.repeat_after) return;
    // Rounds follow the script's clock, not the wake-ups, so a long demo keeps its pace.
    round_start += *script_.repeat_after;
    if (wake_.wait_until(lock, round_start, [this] { return stopping_; })) return;
  }
}
