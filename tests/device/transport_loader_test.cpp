// SPDX-License-Identifier: MIT
// The setup-library loader on Linux: its trace, its soft failure, and the
// device-installation contract it keeps over libudev, seen against the
// umockdev test bed.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "emulator/test_bed.h"
#include "transport/dynamic_dll_load.h"
#include "transport/platform_file.h"
#include "transport_trace.h"

namespace {

constexpr std::uint32_t kPresentInterfaces =
    setupapi::kDigcfPresent | setupapi::kDigcfDeviceInterface;

TEST(TransportLoader, TracesLoadAndUnload) {
  struct Case {
    const char* library;
    const char* load_line;
  };
  const Case cases[] = {{"libudev.so.1", "Dynamic DLL load, setupapi.dll...OK"},
                        {"libzel-no-such-library.so.1", "Dynamic DLL load, setupapi.dll...Error"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    TraceCapture trace;
    { Dynamic_DLL_load loader(c.library); }
    EXPECT_EQ(trace.lines(), (std::vector<std::string>{c.load_line, "Dynamic DLL unload"}));
  }
  TraceCapture trace;
  { Dynamic_DLL_load loader; }
  EXPECT_EQ(trace.text(), "Dynamic DLL load, setupapi.dll...OK\nDynamic DLL unload\n");
}

TEST(TransportLoader, WithoutItsLibraryEveryCallGivesZero) {
  TestBed bed;
  TraceCapture quiet;
  Dynamic_DLL_load loader("libzel-no-such-library.so.1");
  ASSERT_TRUE(loader.failed());
  setupapi::InterfaceData interface_data{sizeof(setupapi::InterfaceData), {}, 0, 0};
  setupapi::DeviceInfoData info{sizeof(setupapi::DeviceInfoData), {}, 0, 0};
  std::uint32_t type = 0, size = 0;
  std::uint8_t buffer[64] = {};

  EXPECT_EQ(
      loader.get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr, kPresentInterfaces),
      nullptr);
  EXPECT_EQ(loader.enum_device_interfaces(nullptr, nullptr, &setupapi::kHidInterfaceClass, 0,
                                          &interface_data),
            0);
  EXPECT_EQ(loader.destroy_device_info_list(nullptr), 0);
  EXPECT_EQ(loader.enum_device_info(nullptr, 0, &info), 0);
  EXPECT_EQ(loader.get_device_registry_property(nullptr, &info, setupapi::kSpdrpHardwareId, &type,
                                                buffer, sizeof buffer, &size),
            0);
  EXPECT_EQ(loader.get_device_interface_detail(nullptr, &interface_data, buffer, sizeof buffer,
                                               &size, nullptr),
            0);
  EXPECT_NE(platform::last_error(), setupapi::kErrorNoMoreItems);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(interface_data.reserved, 0u);
}

class LoaderContract : public testing::Test {
 protected:
  static TestBedOptions two_modules() {
    TestBedOptions options;
    options.modules = 2;
    return options;
  }

  void SetUp() override {
    set_ =
        loader_.get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr, kPresentInterfaces);
    ASSERT_NE(set_, nullptr);
    ASSERT_NE(set_, setupapi::invalid_set());
  }
  void TearDown() override { EXPECT_NE(loader_.destroy_device_info_list(set_), 0); }

  setupapi::InterfaceData interface(std::uint32_t index, int* result) {
    setupapi::InterfaceData data{sizeof(setupapi::InterfaceData), {}, 0, 0};
    *result =
        loader_.enum_device_interfaces(set_, nullptr, &setupapi::kHidInterfaceClass, index, &data);
    return data;
  }

  // The hardware-ID property of member `index`, as one string of its
  // zero-terminated texts.
  std::string hardware_ids(std::uint32_t index) {
    setupapi::DeviceInfoData info{sizeof(setupapi::DeviceInfoData), {}, 0, 0};
    EXPECT_NE(loader_.enum_device_info(set_, index, &info), 0);
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(loader_.get_device_registry_property(set_, &info, setupapi::kSpdrpHardwareId, &type,
                                                   nullptr, 0, &size),
              0);
    EXPECT_EQ(platform::last_error(), setupapi::kErrorInsufficientBuffer);
    EXPECT_EQ(type, 7u);  // a list of texts
    std::vector<std::uint8_t> buffer(size);
    EXPECT_EQ(loader_.get_device_registry_property(set_, &info, setupapi::kSpdrpHardwareId, &type,
                                                   buffer.data(), size - 1, nullptr),
              0);
    EXPECT_NE(loader_.get_device_registry_property(set_, &info, setupapi::kSpdrpHardwareId, &type,
                                                   buffer.data(), size, nullptr),
              0);
    return std::string(buffer.begin(), buffer.end());
  }

  std::string device_path(std::uint32_t index) {
    int found = 0;
    setupapi::InterfaceData data = interface(index, &found);
    EXPECT_NE(found, 0);
    std::uint32_t size = 0;
    EXPECT_EQ(loader_.get_device_interface_detail(set_, &data, nullptr, 0, &size, nullptr), 0);
    EXPECT_EQ(platform::last_error(), setupapi::kErrorInsufficientBuffer);
    std::vector<std::uint8_t> detail(size, 0xEE);
    std::uint32_t wrong_size = 1;
    std::memcpy(detail.data(), &wrong_size, 4);
    EXPECT_EQ(
        loader_.get_device_interface_detail(set_, &data, detail.data(), size, nullptr, nullptr), 0);
    const std::uint32_t fixed_size = setupapi::kDetailFixedSize;
    std::memcpy(detail.data(), &fixed_size, 4);
    EXPECT_NE(
        loader_.get_device_interface_detail(set_, &data, detail.data(), size, nullptr, nullptr), 0);
    EXPECT_EQ(detail.back(), 0);  // the reported size holds the path and its zero exactly
    return reinterpret_cast<const char*>(detail.data() + setupapi::kDetailPathOffset);
  }

  TestBed bed_{two_modules()};
  TraceCapture quiet_;
  Dynamic_DLL_load loader_;
  setupapi::DeviceInfoSet set_ = nullptr;
};

using namespace std::string_literals;

TEST_F(LoaderContract, InterfacesAreTheHidrawNodesInSysfsOrder) {
  // The keyboard sorts first; the modules are hidraw0 and hidraw1, the keyboard hidraw2.
  EXPECT_EQ(device_path(0), "/dev/hidraw2");
  EXPECT_EQ(device_path(1), "/dev/hidraw0");
  EXPECT_EQ(device_path(2), "/dev/hidraw1");

  int found = 1;
  const setupapi::InterfaceData past_end = interface(3, &found);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(platform::last_error(), setupapi::kErrorNoMoreItems);
  EXPECT_EQ(past_end.reserved, 0u);
  interface(0, &found);
  EXPECT_NE(found, 0);
  EXPECT_EQ(platform::last_error(), 0u);  // a success leaves no stale code
}

TEST_F(LoaderContract, HardwareIdsMostSpecificFirst) {
  EXPECT_EQ(hardware_ids(0),
            "HID\\VID_046D&PID_C31C&REV_6400\0HID\\VID_046D&PID_C31C\0HID_DEVICE\0\0"s);
  EXPECT_EQ(hardware_ids(1),
            "HID\\VID_04D8&PID_003F&REV_0100\0HID\\VID_04D8&PID_003F\0HID_DEVICE\0\0"s);
  setupapi::DeviceInfoData info{sizeof(setupapi::DeviceInfoData), {}, 0, 0};
  EXPECT_EQ(loader_.enum_device_info(set_, 3, &info), 0);
  EXPECT_EQ(platform::last_error(), setupapi::kErrorNoMoreItems);
}

TEST_F(LoaderContract, RecordsMustCarryTheirSize) {
  setupapi::InterfaceData data{28 + 100, {}, 0, 0};
  EXPECT_EQ(loader_.enum_device_interfaces(set_, nullptr, &setupapi::kHidInterfaceClass, 0, &data),
            0);
  EXPECT_NE(platform::last_error(), setupapi::kErrorNoMoreItems);
  setupapi::DeviceInfoData info{0, {}, 0, 0};
  EXPECT_EQ(loader_.enum_device_info(set_, 0, &info), 0);
  // Another interface class has no members here.
  const setupapi::Guid other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
  data.size = sizeof data;
  EXPECT_EQ(loader_.enum_device_interfaces(set_, nullptr, &other, 0, &data), 0);
  EXPECT_EQ(platform::last_error(), setupapi::kErrorNoMoreItems);
}

TEST(TransportLoader, CompositeDeviceIdsCarryTheInterfaceNumber) {
  TestBedOptions options;
  options.composite_module = true;
  options.other_device = false;
  options.lower_case_ids = true;
  TestBed bed(options);
  TraceCapture quiet;
  Dynamic_DLL_load loader;
  setupapi::DeviceInfoSet set =
      loader.get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr, kPresentInterfaces);
  setupapi::DeviceInfoData info{sizeof(setupapi::DeviceInfoData), {}, 0, 0};
  ASSERT_NE(loader.enum_device_info(set, 0, &info), 0);
  std::uint8_t buffer[256] = {};
  std::uint32_t type = 0, size = 0;
  ASSERT_NE(loader.get_device_registry_property(set, &info, setupapi::kSpdrpHardwareId, &type,
                                                buffer, sizeof buffer, &size),
            0);
  // The kernel's hex digits are kept as they are; the search upper-cases them.
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size),
            "HID\\VID_04d8&PID_003f&REV_0100&MI_00\0HID\\VID_04d8&PID_003f&MI_00\0HID_DEVICE\0\0"s);
  EXPECT_NE(loader.destroy_device_info_list(set), 0);
}

}  // namespace
