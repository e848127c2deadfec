// SPDX-License-Identifier: MIT
// The device file calls on Windows, against named pipes that stand in for the
// module's path: a pipe end opened like the module, and a server end the test
// writes and reads as the module would.

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstring>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "../device/transport_trace.h"
#include "under_wine.h"
#include "transport/dynamic_dll_load.h"
#include "transport/platform_file.h"

namespace {

using Report = std::array<std::uint8_t, 65>;

std::string unique_pipe_name() {
  static int counter = 0;
  return "\\\\.\\pipe\\zel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

Report numbered_report(std::uint8_t first) {
  Report report{};
  std::iota(report.begin(), report.end(), first);
  return report;
}

// The module's side: the pipe's server end, connected to the handle the
// transport opens on its name.
class ModuleEnd {
 public:
  // A pipe without a buffer takes a write only while the test reads.
  explicit ModuleEnd(DWORD direction, DWORD buffer_size = 4096) : name_(unique_pipe_name()) {
    server_ = CreateNamedPipeA(name_.c_str(), direction, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                               buffer_size, buffer_size, 0, nullptr);
  }
  ~ModuleEnd() { hang_up(); }
  ModuleEnd(const ModuleEnd&) = delete;
  ModuleEnd& operator=(const ModuleEnd&) = delete;

  const char* path() const { return name_.c_str(); }
  bool valid() const { return server_ != INVALID_HANDLE_VALUE; }

  // After the transport opened the path.
  bool connected() {
    return ConnectNamedPipe(server_, nullptr) != 0 || GetLastError() == ERROR_PIPE_CONNECTED;
  }
  bool send(const Report& report) {
    DWORD count = 0;
    return WriteFile(server_, report.data(), report.size(), &count, nullptr) != 0 &&
           count == report.size();
  }
  bool receive(Report* report) {
    DWORD count = 0;
    return ReadFile(server_, report->data(), report->size(), &count, nullptr) != 0 &&
           count == report->size();
  }
  void hang_up() {
    if (server_ != INVALID_HANDLE_VALUE) CloseHandle(server_);
    server_ = INVALID_HANDLE_VALUE;
  }

 private:
  std::string name_;
  HANDLE server_ = INVALID_HANDLE_VALUE;
};

TEST(PlatformFile, OpeningAPathThatIsNotThereFailsWithThePlatformsCode) {
  const std::string path = unique_pipe_name();
  for (auto access : {platform::Access::write, platform::Access::read}) {
    SetLastError(0);
    EXPECT_EQ(platform::open_device(path.c_str(), access), setupapi::invalid_handle());
    EXPECT_EQ(platform::last_error(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  }
  platform::close_device(setupapi::invalid_handle());  // a no-op
}

TEST(PlatformFile, WritesOneWholeReport) {
  ModuleEnd module(PIPE_ACCESS_INBOUND);
  ASSERT_TRUE(module.valid());
  setupapi::FileHandle handle = platform::open_device(module.path(), platform::Access::write);
  ASSERT_NE(handle, setupapi::invalid_handle()) << platform::last_error();
  ASSERT_TRUE(module.connected());

  const Report sent = numbered_report(0);
  std::uint32_t count = 0;
  EXPECT_EQ(platform::write_report(handle, sent.data(), sent.size(), &count), platform::Transfer::done);
  EXPECT_EQ(count, 65u);
  Report arrived{};
  ASSERT_TRUE(module.receive(&arrived));
  EXPECT_EQ(arrived, sent);
  platform::close_device(handle);
}

// A module that takes no report: the write gives up at the limit, reports a
// failure, and leaves the handle fit for the next write.
TEST(PlatformFile, WriteGivesUpOnAModuleThatTakesNoReportAndTheNextWriteStillWorks) {
  ModuleEnd module(PIPE_ACCESS_INBOUND, 0);
  ASSERT_TRUE(module.valid());
  setupapi::FileHandle handle = platform::open_device(module.path(), platform::Access::write);
  ASSERT_NE(handle, setupapi::invalid_handle()) << platform::last_error();
  ASSERT_TRUE(module.connected());

  const Report first = numbered_report(0);
  std::uint32_t count = 99;
  EXPECT_EQ(platform::write_report(handle, first.data(), first.size(), &count),
            platform::Transfer::timed_out);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(platform::last_error(), static_cast<std::uint32_t>(ERROR_TIMEOUT));

  Report arrived{};
  bool received = false;
  std::thread reader([&] { received = module.receive(&arrived); });
  const Report second = numbered_report(9);
  EXPECT_EQ(platform::write_report(handle, second.data(), second.size(), &count),
            platform::Transfer::done);
  reader.join();
  EXPECT_EQ(count, 65u);
  ASSERT_TRUE(received);
  EXPECT_EQ(arrived, second);
  platform::close_device(handle);
}

// A silent module: the read gives up at the limit, reports a failure, and
// leaves the handle fit for the next read, which loses nothing.
TEST(PlatformFile, ReadGivesUpOnASilentModuleAndTheNextReadStillWorks) {
  ModuleEnd module(PIPE_ACCESS_OUTBOUND);
  ASSERT_TRUE(module.valid());
  setupapi::FileHandle handle = platform::open_device(module.path(), platform::Access::read);
  ASSERT_NE(handle, setupapi::invalid_handle()) << platform::last_error();
  ASSERT_TRUE(module.connected());

  Report received = numbered_report(1);
  std::uint32_t count = 99;
  EXPECT_EQ(platform::read_report(handle, received.data(), received.size(), &count, 50),
            platform::Transfer::timed_out);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(platform::last_error(), static_cast<std::uint32_t>(ERROR_TIMEOUT));

  const Report answer = numbered_report(7);
  ASSERT_TRUE(module.send(answer));
  EXPECT_EQ(platform::read_report(handle, received.data(), received.size(), &count),
            platform::Transfer::done);
  EXPECT_EQ(count, 65u);
  EXPECT_EQ(received, answer);
  platform::close_device(handle);
}

// An unplugged module: both calls fail at once, not by the time limit.
TEST(PlatformFile, WriteAndReadFailWhenTheModuleIsGone) {
  ModuleEnd module_in(PIPE_ACCESS_INBOUND);
  ModuleEnd module_out(PIPE_ACCESS_OUTBOUND);
  setupapi::FileHandle writer = platform::open_device(module_in.path(), platform::Access::write);
  setupapi::FileHandle reader = platform::open_device(module_out.path(), platform::Access::read);
  ASSERT_NE(writer, setupapi::invalid_handle());
  ASSERT_NE(reader, setupapi::invalid_handle());
  module_in.hang_up();
  module_out.hang_up();

  const Report report = numbered_report(0);
  std::uint32_t count = 99;
  EXPECT_EQ(platform::write_report(writer, report.data(), report.size(), &count),
            platform::Transfer::disconnected);
  EXPECT_EQ(count, 0u);

  Report received{};
  count = 99;
  EXPECT_EQ(platform::read_report(reader, received.data(), received.size(), &count),
            platform::Transfer::disconnected);
  EXPECT_EQ(count, 0u);
  EXPECT_NE(platform::last_error(), static_cast<std::uint32_t>(ERROR_TIMEOUT));

  platform::close_device(writer);
  platform::close_device(reader);
}

// The device path of the first present HID interface, empty when none.
std::string first_hid_interface_path() {
  TraceCapture quiet;
  Dynamic_DLL_load loader;
  setupapi::DeviceInfoSet set =
      loader.get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr,
                            setupapi::kDigcfPresent | setupapi::kDigcfDeviceInterface);
  if (set == setupapi::invalid_set() || set == nullptr) return {};
  std::string path;
  setupapi::InterfaceData interface_data{};
  interface_data.size = sizeof interface_data;
  std::uint32_t size = 0;
  if (loader.enum_device_interfaces(set, nullptr, &setupapi::kHidInterfaceClass, 0,
                                    &interface_data) != 0) {
    loader.get_device_interface_detail(set, &interface_data, nullptr, 0, &size, nullptr);
    std::vector<std::uint8_t> detail(size + setupapi::kDetailFixedSize + 1);
    const std::uint32_t fixed_size = setupapi::kDetailFixedSize;
    std::memcpy(detail.data(), &fixed_size, sizeof fixed_size);
    if (loader.get_device_interface_detail(set, &interface_data, detail.data(), size, nullptr,
                                           nullptr) != 0)
      path = reinterpret_cast<const char*>(detail.data() + setupapi::kDetailPathOffset);
  }
  loader.destroy_device_info_list(set);
  return path;
}

// Wine's own HID interfaces (a mouse and a keyboard without a display) never
// send a report: a real HID read handle that the limit and the cancellation
// must end.
TEST(PlatformFile, ReadFromASilentHidInterfaceGivesUpAtTheLimit) {
  SKIP_UNLESS_UNDER_WINE();
  const std::string path = first_hid_interface_path();
  ASSERT_FALSE(path.empty());
  setupapi::FileHandle reader = platform::open_device(path.c_str(), platform::Access::read);
  setupapi::FileHandle writer = platform::open_device(path.c_str(), platform::Access::write);
  ASSERT_NE(reader, setupapi::invalid_handle()) << path << " " << platform::last_error();
  EXPECT_NE(writer, setupapi::invalid_handle()) << "shared access";

  Report received = numbered_report(1);
  std::uint32_t count = 99;
  EXPECT_EQ(platform::read_report(reader, received.data(), received.size(), &count, 100),
            platform::Transfer::timed_out);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(platform::last_error(), static_cast<std::uint32_t>(ERROR_TIMEOUT));
  platform::close_device(writer);
  platform::close_device(reader);
}

}  // namespace
