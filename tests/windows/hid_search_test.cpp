// The search for the module through the real setupapi.dll. Wine presents HID
// interfaces of its own (vendor 845E) and no module: the search must pass
// over every one of them and end without a device.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "../device/transport_trace.h"
#include "under_wine.h"
#include "transport/hid_device.h"

namespace {

const std::vector<std::string> kStart = {"HID device start...",
                                         "Dynamic DLL load, setupapi.dll...OK",
                                         "HID device searching...", "HID device table destroy",
                                         "HID device table load...OK"};
const std::vector<std::string> kStop = {"HID device stop...", "HID device table destroy",
                                        "Dynamic DLL unload"};

bool has_lower_case(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::islower(c) != 0; });
}

std::vector<std::string> slice(const std::vector<std::string>& lines, std::size_t from,
                               std::size_t count) {
  if (from + count > lines.size()) return {};
  return {lines.begin() + from, lines.begin() + from + count};
}

TEST(HidSearchUnderWindows, PassesOverEveryOtherHidInterfaceAndFindsNoModule) {
  SKIP_UNLESS_UNDER_WINE();
  TraceCapture trace;
  {
    HID_device device;
    EXPECT_FALSE(device.search_device());
  }
  const std::vector<std::string> lines = trace.lines();
  ASSERT_GT(lines.size(), kStart.size() + 2 + kStop.size());
  EXPECT_EQ(slice(lines, 0, kStart.size()), kStart);
  EXPECT_EQ(slice(lines, lines.size() - kStop.size(), kStop.size()), kStop);

  // Four lines per interface passed over, then the end of the enumeration.
  const std::size_t interface_lines = lines.size() - kStart.size() - 2 - kStop.size();
  ASSERT_EQ(interface_lines % 4, 0u);
  const std::size_t interfaces = interface_lines / 4;
  EXPECT_GE(interfaces, 1u);
  for (std::size_t i = 0; i < interfaces; ++i) {
    const auto block = slice(lines, kStart.size() + 4 * i, 4);
    EXPECT_EQ(block[0], "Interface index: " + std::to_string(i));
    EXPECT_EQ(block[1], "HID device interface data structure...OK");
    EXPECT_EQ(block[2], "HID device reading device ID...OK");
    const std::string prefix = "Device ID is: ";
    ASSERT_EQ(block[3].rfind(prefix, 0), 0u) << block[3];
    const std::string id = block[3].substr(prefix.size());
    EXPECT_NE(id.find("VID_845E"), std::string::npos) << id;
    EXPECT_FALSE(has_lower_case(id)) << id;
  }
  EXPECT_EQ(slice(lines, kStart.size() + interface_lines, 2),
            (std::vector<std::string>{
                "Interface index: " + std::to_string(interfaces),
                "HID device interface data structure...Error. Could not find the device."}));
}

TEST(HidSearchUnderWindows, WithoutTheSetupLibraryTheSearchStopsAtTheFirstInterface) {
  TraceCapture trace;
  {
    HID_device device("zel-no-such-library.dll");
    EXPECT_FALSE(device.search_device());
  }
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               "HID device start...", "Dynamic DLL load, setupapi.dll...Error",
                               "HID device searching...", "HID device table destroy",
                               "HID device table load...OK", "Interface index: 0",
                               "HID device interface data structure...Error", "HID device stop...",
                               "HID device table destroy", "Dynamic DLL unload"}));
}

}  // namespace
