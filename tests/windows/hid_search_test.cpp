// SPDX-License-Identifier: MIT
// The search for the module through the real setupapi.dll. Wine presents HID
// interfaces of its own (vendor 845E) and no module: the search must pass
// over every one of them and end without a device.

#include <gtest/gtest.h>

#include <windows.h>

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

// A file of its own in the temporary folder, removed with the object.
class ScratchFile {
 public:
  ScratchFile() {
    char folder[MAX_PATH] = {};
    char name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "zel", 0, name);
    path_ = name;
  }
  ~ScratchFile() { DeleteFileA(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }
  long long size() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path_.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

 private:
  std::string path_;
};

// The setup library lists the other device first and the module's interface
// first: the module's ID must be read at the interface that is the module's,
// and the frame must go to the module alone.
TEST(HidSearchUnderWindows, DeviceIdIsTheOneOfTheInterfacesOwnDevice) {
  ScratchFile module_node;
  ScratchFile other_node;
  HMODULE library = LoadLibraryA("shuffled_setupapi.dll");
  ASSERT_NE(library, nullptr);
  using SetPathsFn = void (*)(const char*, const char*);
  auto set_paths = reinterpret_cast<SetPathsFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "shuffled_setupapi_set_paths")));
  ASSERT_NE(set_paths, nullptr);
  set_paths(module_node.path().c_str(), other_node.path().c_str());

  TraceCapture trace;
  {
    HID_device device("shuffled_setupapi.dll");
    ASSERT_TRUE(device.search_device());
    std::uint8_t frame[HID_device::kFrameSize] = {0x55};
    std::uint8_t reply[HID_device::kFrameSize] = {};
    device.send_receive(frame, reply, false);
  }
  FreeLibrary(library);
  std::vector<std::string> expected = kStart;
  expected.insert(expected.end(),
                  {"Interface index: 0", "HID device interface data structure...OK",
                   "HID device reading device ID...OK",
                   "Device ID is: HID\\VID_04D8&PID_003F&REV_0100",
                   "HID device found: VID_04D8&PID_003F",
                   "HID device loading detail interface...OK",
                   "HID device creating write handle...OK",
                   "HID device creating read handle...OK"});
  expected.insert(expected.end(), kStop.begin(), kStop.end());
  EXPECT_EQ(trace.lines(), expected);
  EXPECT_EQ(module_node.size(), static_cast<long long>(HID_device::kReportSize));
  EXPECT_EQ(other_node.size(), 0);
}

}  // namespace
