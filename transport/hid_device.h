// SPDX-License-Identifier: MIT
#pragma once
// The system's only access to the module: finds it among the present HID
// interfaces by "VID_04D8&PID_003F", opens a write and a read handle on its
// path, and exchanges one 65-byte report each way. Every step of the search
// is traced, to standard output unless the maker names another stream.

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "transport/dynamic_dll_load.h"
#include "transport/platform_file.h"
#include "transport/setupapi_types.h"

class HID_device {
 public:
  static constexpr std::size_t kFrameSize = 64;
  static constexpr std::size_t kReportSize = 65;

  HID_device();
  // Uses `setup_library_name` in place of the platform's setup library, with
  // the same trace; lets tests see a search without its library.
  explicit HID_device(const char* setup_library_name);
  // The trace goes to `trace` instead of standard output (the loader's too).
  explicit HID_device(std::ostream& trace);
  HID_device(const char* setup_library_name, std::ostream& trace);
  ~HID_device();
  HID_device(const HID_device&) = delete;
  HID_device& operator=(const HID_device&) = delete;

  bool search_device();
  // The last search came upon the module, whether or not it could be opened.
  bool found() const { return found_; }
  // The opened module's USB identity: its serial number where it has one,
  // else its place on the bus (one implementation per OS); empty before a
  // module was found.
  std::string identity() const;
  // Sends `frame` (64 bytes) and fills all 64 bytes of `received`, also on
  // failure. True when both the write and the read succeeded.
  bool send_receive(const std::uint8_t* frame, std::uint8_t* received, bool verbose);
  // How the last exchange ended: done, or why not. A module that is gone
  // says so in either direction; otherwise the first failed step tells.
  platform::Transfer last_transfer() const { return last_transfer_; }
  // Whether the last exchange's report was written to the module, whatever
  // became of the answer.
  bool request_written() const { return write_ok; }

 private:
  bool load_device_table();
  bool destroy_device_table();
  bool read_interface_data();
  bool read_device_id();
  bool load_interface_detail();
  bool fetch_interface_detail(setupapi::DeviceInfoData* owner);
  bool open_handles();
  void discard_stale_reports();

  std::ostream* trace;
  std::unique_ptr<Dynamic_DLL_load> loader;
  std::array<std::uint8_t, kReportSize> out_report{};
  std::array<std::uint8_t, kReportSize> in_report{};
  bool write_ok = false;
  bool read_ok = false;
  bool found_ = false;
  platform::Transfer last_transfer_ = platform::Transfer::done;
  setupapi::DeviceInfoSet device_info_set = setupapi::invalid_set();
  std::unique_ptr<setupapi::InterfaceData> interface_data;
  std::unique_ptr<std::uint8_t[]> interface_detail;
  setupapi::DeviceInfoData device_info_data{};
  int member_index = 0;
  std::uint32_t detail_size = 0;
  std::uint32_t property_type = 0;
  std::uint32_t property_size = 0;
  std::string device_id;
  std::string identity_;  // of the module found, see identity()
  setupapi::FileHandle write_handle = setupapi::invalid_handle();
  setupapi::FileHandle read_handle = setupapi::invalid_handle();
};
