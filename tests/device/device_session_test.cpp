// SPDX-License-Identifier: MIT
// A device session against the emulated module: it connects when made,
// disconnects once when it ends, and tells the window each time.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "emulator/test_bed.h"
#include "protocol/console_log.h"
#include "protocol/device_session.h"
#include "text/cp1250.h"
#include "transport_trace.h"

namespace {

const std::string kConnectedBanner = text::to_cp1250(banner_line("Połączono z urządzeniem interfejsu HID!"));
const std::string kDisconnectedBanner =
    text::to_cp1250(banner_line("Połączenie z urządzeniem interfejsu HID zostało zerwane!"));

int count_of(const std::string& line) {
  const std::vector<std::string>& lines = console_log().lines();
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST(DeviceSession, ConnectsForItsLifetimeAndEndsOnce) {
  struct Case {
    const char* name;
    int modules;
    bool ended_early;
  };
  for (const Case& c : {Case{"module, ends at scope exit", 1, false}, Case{"module, ended early", 1, true},
                        Case{"no module", 0, false}}) {
    SCOPED_TRACE(c.name);
    TestBedOptions options;
    options.modules = c.modules;
    TestBed bed(options);
    TraceCapture quiet;
    console_log().clear();
    ConnectionState state;
    std::vector<bool> shown;  // the state each time the session told of a change
    {
      Device_session session(state, std::cout, [&] { shown.push_back(state.Connected); });
      EXPECT_EQ(session.connected(), c.modules > 0);
      EXPECT_EQ(shown, std::vector<bool>{c.modules > 0});
      EXPECT_EQ(count_of(kConnectedBanner), c.modules > 0 ? 1 : 0);
      if (session.connected()) {
        console_log().clear();
        EXPECT_TRUE(session.protocol().Ping_pong_frame());
        EXPECT_EQ(console_log().lines().size(), 2u);
      }
      if (c.ended_early) {
        session.end();
        EXPECT_FALSE(session.connected());
        EXPECT_EQ(state.Protocol, nullptr);
        session.end();
      }
    }
    EXPECT_FALSE(state.Connected);
    EXPECT_EQ(state.Protocol, nullptr);
    EXPECT_EQ(shown, (std::vector<bool>{c.modules > 0, false}));
    EXPECT_EQ(count_of(kDisconnectedBanner), 1);
  }
}

}  // namespace
