// SPDX-License-Identifier: MIT
#pragma once
// Plays a bus script into an emulated module: each frame is queued in the
// module at its time, as if a control unit had just sent it. A thread of its
// own does the waiting; destroying the player stops it at once.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "emulator/bus_script.h"
#include "emulator/zel_module.h"

class BusScriptPlayer {
 public:
  BusScriptPlayer(ZelModule& module, BusScript script);
  ~BusScriptPlayer();
  BusScriptPlayer(const BusScriptPlayer&) = delete;
  BusScriptPlayer& operator=(const BusScriptPlayer&) = delete;

 private:
  void play();

  ZelModule& module_;
  const BusScript script_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};
