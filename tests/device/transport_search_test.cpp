// SPDX-License-Identifier: MIT
// The search for the module through the real transport, against the
// emulated module presented by the umockdev test bed.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/test_bed.h"
#include "protocol/usb_frame.h"
#include "transport/hid_device.h"
#include "transport_trace.h"

namespace {

const std::string kKeyboardId = "HID\\VID_046D&PID_C31C&REV_6400";
const std::string kModuleId = "HID\\VID_04D8&PID_003F&REV_0100";

std::vector<std::string> interface_lines(int index, const std::string& device_id) {
  return {"Interface index: " + std::to_string(index), "HID device interface data structure...OK",
          "HID device reading device ID...OK", "Device ID is: " + device_id};
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const std::vector<std::string> kStart = {
    "HID device start...", "Dynamic DLL load, setupapi.dll...OK", "HID device searching...",
    "HID device table destroy", "HID device table load...OK"};
const std::vector<std::string> kFoundAndOpened = {
    "HID device found: VID_04D8&PID_003F", "HID device loading detail interface...OK",
    "HID device creating write handle...OK", "HID device creating read handle...OK"};
const std::vector<std::string> kStop = {"HID device stop...", "HID device table destroy",
                                        "Dynamic DLL unload"};

// One hello exchange; true when the module answered it.
bool hello(HID_device& device) {
  UsbFrame request{};
  request[0] = HELLO_USB_FRAME;
  UsbFrame reply{};
  return device.send_receive(request.data(), reply.data(), false) && reply[0] == HELLO_USB_FRAME;
}

TEST(TransportSearch, ModuleAsSecondInterfaceTracesEveryStep) {
  TestBed bed;
  TraceCapture trace;
  {
    HID_device device;
    ASSERT_TRUE(device.search_device());
    EXPECT_TRUE(hello(device));
  }
  EXPECT_EQ(trace.lines(), concat({kStart, interface_lines(0, kKeyboardId),
                                   interface_lines(1, kModuleId), kFoundAndOpened, kStop}));
  EXPECT_EQ(bed.module().requests().size(), 1u);
}

// The command line sends the trace elsewhere; standard output then stays clean.
TEST(TransportSearch, TraceGoesToTheStreamTheMakerNames) {
  TestBed bed;
  TraceCapture standard_output;
  std::ostringstream elsewhere;
  {
    HID_device device(elsewhere);
    ASSERT_TRUE(device.search_device());
    EXPECT_TRUE(hello(device));
  }
  EXPECT_EQ(standard_output.text(), "");
  std::vector<std::string> lines;
  std::istringstream in(elsewhere.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_EQ(lines, concat({kStart, interface_lines(0, kKeyboardId), interface_lines(1, kModuleId),
                           kFoundAndOpened, kStop}));
}

TEST(TransportSearch, NoModuleEndsAfterTheLastInterface) {
  struct Case {
    const char* name;
    TestBedOptions options;
    std::vector<std::string> interfaces;
  };
  TestBedOptions keyboard_only;
  keyboard_only.modules = 0;
  TestBedOptions nothing = keyboard_only;
  nothing.other_device = false;
  const Case cases[] = {
      {"keyboard only", keyboard_only, interface_lines(0, kKeyboardId)},
      {"no HID device", nothing, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestBed bed(c.options);
    TraceCapture trace;
    {
      HID_device device;
      EXPECT_FALSE(device.search_device());
    }
    const int present = static_cast<int>(c.interfaces.size() / 4);
    EXPECT_EQ(trace.lines(),
              concat({kStart,
                      c.interfaces,
                      {"Interface index: " + std::to_string(present),
                       "HID device interface data structure...Error. Could not find the device."},
                      kStop}));
  }
}

// The hardware ID is matched in upper case, anywhere inside the ID, and the
// first matching interface is the one opened.
TEST(TransportSearch, IdVariantsFindTheModule) {
  struct Case {
    const char* name;
    TestBedOptions options;
    std::string module_id;  // as traced, after upper-casing
    int module_index;       // its interface index
  };
  TestBedOptions lower;
  lower.lower_case_ids = true;
  TestBedOptions composite;
  composite.composite_module = true;
  TestBedOptions module_first;
  module_first.other_device_first = false;
  TestBedOptions two_modules;
  two_modules.modules = 2;
  const Case cases[] = {
      {"lower-case ids", lower, kModuleId, 1},
      {"id followed by an interface suffix", composite, kModuleId + "&MI_00", 1},
      {"module before the keyboard", module_first, kModuleId, 0},
      {"two modules", two_modules, kModuleId, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestBed bed(c.options);
    TraceCapture trace;
    auto device = std::make_unique<HID_device>();
    ASSERT_TRUE(device->search_device());
    EXPECT_TRUE(hello(*device));
    device.reset();

    const std::vector<std::string> lines = trace.lines();
    const auto found = std::find(lines.begin(), lines.end(), kFoundAndOpened.front());
    ASSERT_NE(found, lines.end());
    EXPECT_EQ(*(found - 1), "Device ID is: " + c.module_id);
    EXPECT_EQ(*(found - 4), "Interface index: " + std::to_string(c.module_index));
    EXPECT_EQ(std::vector<std::string>(found, found + 4), kFoundAndOpened);
    // Interfaces after the first match are not examined.
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.rfind("Interface index:", 0) == 0; }),
        c.module_index + 1);
    EXPECT_EQ(bed.module(0).requests().size(), 1u);
    if (bed.module_count() > 1) {
      EXPECT_TRUE(bed.module(1).requests().empty());
    }
  }
}

// The module found is known by its USB serial number, else by its port;
// nothing is known before a search or after one that found no module.
TEST(TransportSearch, IdentityIsTheSerialNumberElseThePort) {
  struct Case {
    const char* name;
    TestBedOptions options;
    std::string identity;
  };
  TestBedOptions no_serials;
  no_serials.module_serials = false;
  TestBedOptions keyboard_only;
  keyboard_only.modules = 0;
  const Case cases[] = {
      {"serial number", {}, "ZEL17-0001"},
      {"no serial number", no_serials, "usb 1-2"},
      {"no module", keyboard_only, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestBed bed(c.options);
    std::ostringstream trace;
    HID_device device(trace);
    EXPECT_EQ(device.identity(), "");
    EXPECT_EQ(device.search_device(), !c.identity.empty());
    EXPECT_EQ(device.identity(), c.identity);
  }
}

TEST(TransportSearch, LowerCaseIdIsTracedInUpperCase) {
  TestBedOptions options;
  options.lower_case_ids = true;
  TestBed bed(options);
  TraceCapture trace;
  HID_device device;
  ASSERT_TRUE(device.search_device());
  const std::string text = trace.text();
  EXPECT_NE(text.find("Device ID is: HID\\VID_04D8&PID_003F&REV_0100\n"), std::string::npos);
  EXPECT_NE(text.find("Device ID is: HID\\VID_046D&PID_C31C&REV_6400\n"), std::string::npos);
}

// Without its setup library the search fails softly: every call gives 0, the
// null set is not the invalid-handle value, so the interface step fails.
TEST(TransportSearch, MissingLibraryOrFunctionsFailSoftly) {
  struct Case {
    const char* library;
    const char* load_line;
  };
  const Case cases[] = {
      {"libzel-no-such-library.so.1", "Dynamic DLL load, setupapi.dll...Error"},
      {"libm.so.6", "Dynamic DLL load, setupapi.dll...OK"},  // loads, has no udev function
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    TestBed bed;
    TraceCapture trace;
    {
      HID_device device(c.library);
      EXPECT_FALSE(device.search_device());
      UsbFrame request{};
      UsbFrame reply{};
      reply.fill(0xAA);
      EXPECT_FALSE(device.send_receive(request.data(), reply.data(), false));
      EXPECT_EQ(reply, UsbFrame{});
    }
    EXPECT_EQ(trace.lines(),
              concat({{"HID device start...", c.load_line, "HID device searching...",
                       "HID device table destroy", "HID device table load...OK",
                       "Interface index: 0", "HID device interface data structure...Error"},
                      kStop}));
    EXPECT_TRUE(bed.module().requests().empty());
  }
}

// A module that is listed but gone (its pty closed) cannot be opened; both
// handles are tried and the search fails.
TEST(TransportSearch, ModuleGoneBeforeOpeningFailsBothHandles) {
  TestBed bed;
  bed.unplug();
  TraceCapture trace;
  {
    HID_device device;
    EXPECT_FALSE(device.search_device());
  }
  EXPECT_EQ(trace.lines(), concat({kStart,
                                   interface_lines(0, kKeyboardId),
                                   interface_lines(1, kModuleId),
                                   {"HID device found: VID_04D8&PID_003F",
                                    "HID device loading detail interface...OK",
                                    "HID device creating write handle...Error",
                                    "HID device creating read handle...Error"},
                                   kStop}));
}

}  // namespace
