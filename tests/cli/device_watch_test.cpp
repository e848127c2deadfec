// SPDX-License-Identifier: MIT
// --repeat learns of modules from udev's monitor: it waits without a time
// limit, and a module plugged in on the test bed wakes it.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "cli/device_watch.h"
#include "emulator/test_bed.h"

namespace {

using namespace std::chrono_literals;

bool becomes_true(const std::atomic<bool>& flag, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!flag && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
  return flag;
}

TEST(DeviceWatch, HearsAModulePluggedInAndDoesNotPoll) {
  TestBedOptions empty;
  empty.modules = 0;
  TestBed bed(empty);
  auto watch = std::make_shared<DeviceWatch>();
  ASSERT_TRUE(watch->listening());

  // Shared with a thread that may outlive a failed test, blocked in wait().
  auto woke = std::make_shared<std::atomic<bool>>(false);
  std::thread([watch, woke] { *woke = watch->wait(); }).detach();
  // The re-search interval passes without a change: no wake-up.
  EXPECT_FALSE(becomes_true(*woke, DeviceWatch::kResearchInterval + 300ms));
  const int index = bed.plug_module();
  ASSERT_TRUE(becomes_true(*woke, 5s));

  *woke = false;
  std::thread([watch, woke] { *woke = watch->wait(); }).detach();
  bed.remove_module(index);
  EXPECT_TRUE(becomes_true(*woke, 5s));
}

}  // namespace
