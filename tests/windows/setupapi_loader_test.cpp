// SPDX-License-Identifier: MIT
// The loader against the real setupapi.dll (wine's, here), against a missing
// library, and against a library that lacks the six functions.

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "../device/transport_trace.h"
#include "under_wine.h"
#include "transport/dynamic_dll_load.h"

namespace {

constexpr std::uint32_t kPresentInterfaces =
    setupapi::kDigcfPresent | setupapi::kDigcfDeviceInterface;

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Every wrapper with arguments a real call would reject; each must give 0.
std::vector<std::string> wrappers_that_did_not_return_0(Dynamic_DLL_load& loader) {
  setupapi::DeviceInfoSet set = setupapi::invalid_set();
  setupapi::InterfaceData interface_data{};
  setupapi::DeviceInfoData info{};
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::uint8_t buffer[16] = {};
  std::vector<std::string> nonzero;
  if (loader.get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr,
                            kPresentInterfaces) != nullptr)
    nonzero.push_back("get_class_devs");
  if (loader.enum_device_interfaces(set, nullptr, &setupapi::kHidInterfaceClass, 0,
                                    &interface_data) != 0)
    nonzero.push_back("enum_device_interfaces");
  if (loader.destroy_device_info_list(set) != 0) nonzero.push_back("destroy_device_info_list");
  if (loader.enum_device_info(set, 0, &info) != 0) nonzero.push_back("enum_device_info");
  if (loader.get_device_registry_property(set, &info, setupapi::kSpdrpHardwareId, &type, buffer,
                                          sizeof buffer, &size) != 0)
    nonzero.push_back("get_device_registry_property");
  if (loader.get_device_interface_detail(set, &interface_data, buffer, sizeof buffer, &size,
                                         &info) != 0)
    nonzero.push_back("get_device_interface_detail");
  return nonzero;
}

TEST(SetupapiLoader, LoadsAndUnloadsTheSetupLibraryWithTwoTraceLines) {
  TraceCapture trace;
  {
    Dynamic_DLL_load loader;
    EXPECT_FALSE(loader.failed());
    EXPECT_EQ(trace.text(), "Dynamic DLL load, setupapi.dll...OK\n");
  }
  EXPECT_EQ(trace.text(), "Dynamic DLL load, setupapi.dll...OK\nDynamic DLL unload\n");
}

TEST(SetupapiLoader, MissingLibraryTracesErrorAndEveryWrapperGives0WithoutACall) {
  TraceCapture trace;
  {
    Dynamic_DLL_load loader("zel-no-such-library.dll");
    EXPECT_TRUE(loader.failed());
    EXPECT_EQ(trace.lines(), std::vector<std::string>{"Dynamic DLL load, setupapi.dll...Error"});

    // Nothing is called, so not even the last-error code changes.
    SetLastError(12345);
    EXPECT_EQ(wrappers_that_did_not_return_0(loader), std::vector<std::string>{});
    EXPECT_EQ(GetLastError(), 12345u);
  }
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{"Dynamic DLL load, setupapi.dll...Error",
                                                     "Dynamic DLL unload"}));
}

TEST(SetupapiLoader, LibraryWithoutTheFunctionsLoadsButEveryWrapperGives0) {
  TraceCapture trace;
  Dynamic_DLL_load loader("kernel32.dll");
  EXPECT_FALSE(loader.failed());
  EXPECT_EQ(trace.text(), "Dynamic DLL load, setupapi.dll...OK\n");
  EXPECT_EQ(wrappers_that_did_not_return_0(loader), std::vector<std::string>{});
}

// The records' sizes are the platform's: with a wrong size field the calls
// below fail with ERROR_INVALID_USER_BUFFER.
TEST(SetupapiLoader, WalksThePresentHidInterfacesWithThePlatformsRecords) {
  TraceCapture trace;
  Dynamic_DLL_load loader;
  setupapi::DeviceInfoSet set =
      loader.get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr, kPresentInterfaces);
  ASSERT_NE(set, setupapi::invalid_set());
  ASSERT_NE(set, nullptr);

  std::vector<std::string> hardware_ids;
  std::vector<std::string> paths;
  constexpr std::uint32_t kEnough = 64;  // a bound, so a broken walk cannot loop on
  std::uint32_t index = 0;
  for (; index < kEnough; ++index) {
    setupapi::InterfaceData interface_data{};
    interface_data.size = sizeof interface_data;
    if (loader.enum_device_interfaces(set, nullptr, &setupapi::kHidInterfaceClass, index,
                                      &interface_data) == 0) {
      EXPECT_EQ(GetLastError(), setupapi::kErrorNoMoreItems);
      break;
    }

    setupapi::DeviceInfoData info{};
    info.size = sizeof info;
    ASSERT_NE(loader.enum_device_info(set, index, &info), 0) << GetLastError();
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(loader.get_device_registry_property(set, &info, setupapi::kSpdrpHardwareId, &type,
                                                  nullptr, 0, &size),
              0);
    EXPECT_EQ(GetLastError(), setupapi::kErrorInsufficientBuffer);
    std::vector<std::uint8_t> property(size + 1);
    ASSERT_NE(loader.get_device_registry_property(set, &info, setupapi::kSpdrpHardwareId, &type,
                                                  property.data(), size, nullptr),
              0)
        << GetLastError();
    EXPECT_EQ(type, static_cast<std::uint32_t>(REG_MULTI_SZ));
    hardware_ids.emplace_back(reinterpret_cast<const char*>(property.data()));

    std::uint32_t detail_size = 0;
    EXPECT_EQ(loader.get_device_interface_detail(set, &interface_data, nullptr, 0, &detail_size,
                                                 nullptr),
              0);
    ASSERT_GT(detail_size, setupapi::kDetailFixedSize);
    std::vector<std::uint8_t> detail(detail_size + 1);
    const std::uint32_t fixed_size = setupapi::kDetailFixedSize;
    std::memcpy(detail.data(), &fixed_size, sizeof fixed_size);
    ASSERT_NE(loader.get_device_interface_detail(set, &interface_data, detail.data(), detail_size,
                                                 nullptr, nullptr),
              0)
        << GetLastError();
    paths.emplace_back(reinterpret_cast<const char*>(detail.data() + setupapi::kDetailPathOffset));
  }
  EXPECT_LT(index, kEnough);
  EXPECT_NE(loader.destroy_device_info_list(set), 0);

  for (const auto& path : paths) EXPECT_EQ(path.rfind("\\\\?\\", 0), 0u) << path;
  // Wine's own virtual input devices are HID interfaces of vendor 845E.
  if (running_under_wine()) {
    EXPECT_FALSE(hardware_ids.empty());
    for (const auto& id : hardware_ids)
      EXPECT_NE(upper(id).find("VID_845E"), std::string::npos) << id;
  }
}

// The module's USB identity is the instance part of its interface's path,
// which the platform builds from the USB serial number where there is one.
TEST(SetupapiLoader, UsbIdentityIsTheInstancePartOfTheInterfacePath) {
  struct Case {
    const char* path;
    std::string identity;
  };
  const Case cases[] = {
      {"\\\\?\\hid#vid_04d8&pid_003f#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
       "7&1a2b3c4d&0&0000"},
      {"\\\\?\\hid#vid_04d8&pid_003f#ZEL17-0001", "ZEL17-0001"},
      {"\\\\?\\hid#vid_04d8&pid_003f", ""},
      {nullptr, ""},
  };
  TraceCapture trace;
  Dynamic_DLL_load loader;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path ? c.path : "(none)");
    EXPECT_EQ(loader.usb_identity(setupapi::invalid_set(), nullptr, c.path), c.identity);
  }
}

}  // namespace
