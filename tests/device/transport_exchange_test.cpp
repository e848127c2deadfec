// SPDX-License-Identifier: MIT
// One report each way through the real transport and the emulated module:
// traces, failures, a silent or vanishing module, and byte transparency.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "emulator/test_bed.h"
#include "protocol/usb_frame.h"
#include "transport/hid_device.h"
#include "transport_trace.h"

namespace {

UsbFrame ping_frame(std::uint8_t fill) {
  UsbFrame frame{};
  frame.fill(fill);
  frame[0] = PING_PONG_USB_FRAME;
  return frame;
}

// The transport's open descriptors on the module's pty with the given access.
std::vector<int> descriptors_on(const std::string& pty, int access) {
  std::vector<int> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    char target[PATH_MAX] = {};
    const ssize_t length = readlink(entry.path().c_str(), target, sizeof target - 1);
    if (length <= 0 || pty != target) continue;
    const int fd = std::stoi(entry.path().filename().string());
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0 && (flags & O_ACCMODE) == access) found.push_back(fd);
  }
  return found;
}

class TransportExchange : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(device_.search_device()); }

  // One exchange; its verbose trace lines land in `trace_lines`.
  bool exchange(const UsbFrame& request, UsbFrame& reply, bool verbose = true) {
    TraceCapture trace;
    const bool ok = device_.send_receive(request.data(), reply.data(), verbose);
    trace_lines = trace.lines();
    return ok;
  }

  TestBed bed_;
  TraceCapture quiet_;  // the search's trace is tested elsewhere
  HID_device device_;
  std::vector<std::string> trace_lines;
};

TEST_F(TransportExchange, VerboseTracesBothStepsQuietTracesNothing) {
  const UsbFrame request = ping_frame(0x41);
  UsbFrame reply{};
  ASSERT_TRUE(exchange(request, reply, true));
  EXPECT_EQ(reply, request);
  EXPECT_EQ(trace_lines, (std::vector<std::string>{"HID device sending...OK [65]",
                                                   "HID device receiving...OK [65]"}));

  reply.fill(0);
  ASSERT_TRUE(exchange(request, reply, false));
  EXPECT_EQ(reply, request);
  EXPECT_TRUE(trace_lines.empty());
  EXPECT_EQ(bed_.module().requests(), (std::vector<UsbFrame>{request, request}));
}

// The write handle is swapped for a read-only descriptor, so the write
// fails; a report that is waiting anyway is still read and handed over.
TEST_F(TransportExchange, FailedWriteIsStillFollowedByARead) {
  const std::vector<int> writers = descriptors_on(bed_.pty_path(), O_WRONLY);
  ASSERT_EQ(writers.size(), 1u);
  const int read_only = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(read_only, 0);
  ASSERT_EQ(dup3(read_only, writers[0], O_CLOEXEC), writers[0]);
  close(read_only);

  // The report comes while the read waits (one already waiting before the
  // exchange would be dropped as stale).
  const UsbFrame waiting = ping_frame(0x5A);
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    bed_.send_unsolicited(waiting);
  });
  UsbFrame reply{};
  EXPECT_FALSE(exchange(ping_frame(0x11), reply));
  late.join();
  EXPECT_EQ(trace_lines, (std::vector<std::string>{"HID device sending...Error [0]",
                                                   "HID device receiving...OK [65]"}));
  EXPECT_EQ(reply, waiting);
  EXPECT_TRUE(bed_.module().requests().empty());
}

// A module that keeps silent makes the read fail once its time is up, with
// the receive buffer cleared; the next exchange works again.
TEST_F(TransportExchange, UnansweredRequestFailsAndTheNextOneWorks) {
  ZelModule::Faults faults;
  faults.no_answer = true;
  faults.fail_at = 1;
  bed_.module().set_faults(faults);

  UsbFrame reply{};
  EXPECT_TRUE(exchange(ping_frame(1), reply));
  reply.fill(0xAA);
  EXPECT_FALSE(exchange(ping_frame(2), reply));
  EXPECT_EQ(trace_lines, (std::vector<std::string>{"HID device sending...OK [65]",
                                                   "HID device receiving...Error [0]"}));
  EXPECT_EQ(device_.last_transfer(), platform::Transfer::timed_out);
  EXPECT_EQ(reply, UsbFrame{});
  EXPECT_TRUE(exchange(ping_frame(3), reply));
  EXPECT_EQ(device_.last_transfer(), platform::Transfer::done);
  EXPECT_EQ(reply, ping_frame(3));
}

// A reply that comes after the read gave up is not taken for the answer to
// the next request.
TEST_F(TransportExchange, LateReplyIsNotTakenForTheNextAnswer) {
  ZelModule::Faults faults;
  faults.no_answer = true;
  faults.fail_at = 0;
  bed_.module().set_faults(faults);
  UsbFrame reply{};
  EXPECT_FALSE(exchange(ping_frame(2), reply));
  bed_.send_unsolicited(ping_frame(2));  // the late reply
  bed_.send_unsolicited(ping_frame(4));  // and one more nobody asked for
  EXPECT_TRUE(exchange(ping_frame(3), reply));
  EXPECT_EQ(reply, ping_frame(3));
}

TEST_F(TransportExchange, SlowAnswerWithinTheLimitArrives) {
  ZelModule::Faults faults;
  faults.delay = std::chrono::milliseconds(200);
  bed_.module().set_faults(faults);
  UsbFrame reply{};
  EXPECT_TRUE(exchange(ping_frame(7), reply));
  EXPECT_EQ(reply, ping_frame(7));
}

// Unplugged while a request is on its way: that read fails without waiting
// for an answer, and so does every later exchange, starting at the write.
TEST_F(TransportExchange, UnplugMidExchangeFailsThisAndEveryLaterExchange) {
  ZelModule::Faults faults;
  faults.unplug_after = 2;
  bed_.module().set_faults(faults);

  UsbFrame reply{};
  EXPECT_TRUE(exchange(ping_frame(1), reply));
  EXPECT_TRUE(exchange(ping_frame(2), reply));
  EXPECT_FALSE(exchange(ping_frame(3), reply));
  EXPECT_EQ(trace_lines, (std::vector<std::string>{"HID device sending...OK [65]",
                                                   "HID device receiving...Error [0]"}));
  EXPECT_EQ(device_.last_transfer(), platform::Transfer::disconnected);  // not a time-out
  EXPECT_TRUE(bed_.unplugged());
  EXPECT_FALSE(exchange(ping_frame(4), reply));
  EXPECT_EQ(trace_lines, (std::vector<std::string>{"HID device sending...Error [0]",
                                                   "HID device receiving...Error [0]"}));
  EXPECT_EQ(device_.last_transfer(), platform::Transfer::disconnected);
  EXPECT_EQ(reply, UsbFrame{});
  EXPECT_EQ(bed_.module().requests().size(), 3u);
}

TEST_F(TransportExchange, UnplugBetweenExchanges) {
  UsbFrame reply{};
  EXPECT_TRUE(exchange(ping_frame(1), reply));
  bed_.unplug();
  EXPECT_FALSE(exchange(ping_frame(2), reply, false));
  EXPECT_FALSE(exchange(ping_frame(3), reply, false));
  EXPECT_EQ(bed_.module().requests().size(), 1u);
}

// Every byte value in every position of the frame, and thousands of random
// frames besides, come back from the echoing module unchanged; the module
// saw exactly what was sent.
TEST_F(TransportExchange, EveryByteValueArrivesIntactBothWays) {
  std::mt19937 random(20240917);
  std::vector<UsbFrame> sent;
  for (int k = 0; k < 3000; ++k) {
    UsbFrame request;
    for (std::size_t i = 1; i < request.size(); ++i) {
      request[i] =
          k < 256 ? static_cast<std::uint8_t>(k + 7 * i) : static_cast<std::uint8_t>(random());
    }
    request[0] = k % 2 == 0 ? PING_PONG_USB_FRAME : DEBUG_USB_FRAME;
    UsbFrame reply{};
    ASSERT_TRUE(exchange(request, reply, false)) << "exchange " << k;
    ASSERT_EQ(reply, request) << "exchange " << k;
    sent.push_back(request);
  }
  EXPECT_EQ(bed_.module().requests(), sent);
}

}  // namespace
