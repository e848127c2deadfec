// SPDX-License-Identifier: MIT
#pragma once
// Run-time access to the six device-installation functions the HID layer
// uses, and to the USB identity of the device found. On Windows they come from setupapi.dll; on Linux the same contract is
// provided over libudev.so.1. Neither is linked: the library is loaded when
// the object is made and every call looks its function up anew, returning 0
// when the library or the function is missing.

#include <cstdint>
#include <iosfwd>
#include <string>

#include "transport/setupapi_types.h"

class Dynamic_DLL_load {
 public:
  Dynamic_DLL_load();   // traces "Dynamic DLL load, setupapi.dll..." + "OK"/"Error"
  // Loads `library_name` in place of the platform's library, with the same
  // trace; lets tests see the loader without its library.
  explicit Dynamic_DLL_load(const char* library_name);
  // The same, with the trace written to `trace` instead of standard output.
  explicit Dynamic_DLL_load(std::ostream& trace);
  Dynamic_DLL_load(const char* library_name, std::ostream& trace);
  ~Dynamic_DLL_load();  // traces "Dynamic DLL unload"
  Dynamic_DLL_load(const Dynamic_DLL_load&) = delete;
  Dynamic_DLL_load& operator=(const Dynamic_DLL_load&) = delete;

  setupapi::DeviceInfoSet get_class_devs(const setupapi::Guid* class_guid, const char* enumerator,
                                         void* parent_window, std::uint32_t flags);
  int enum_device_interfaces(setupapi::DeviceInfoSet set, setupapi::DeviceInfoData* info,
                             const setupapi::Guid* interface_class, std::uint32_t member_index,
                             setupapi::InterfaceData* interface_data);
  int destroy_device_info_list(setupapi::DeviceInfoSet set);
  int enum_device_info(setupapi::DeviceInfoSet set, std::uint32_t member_index,
                       setupapi::DeviceInfoData* info);
  int get_device_registry_property(setupapi::DeviceInfoSet set, setupapi::DeviceInfoData* info,
                                   std::uint32_t property, std::uint32_t* property_type,
                                   std::uint8_t* buffer, std::uint32_t buffer_size,
                                   std::uint32_t* required_size);
  int get_device_interface_detail(setupapi::DeviceInfoSet set,
                                  setupapi::InterfaceData* interface_data, void* detail,
                                  std::uint32_t detail_size, std::uint32_t* required_size,
                                  setupapi::DeviceInfoData* info);

  // The USB device behind the interface `interface_data` of `set`, opened at
  // `device_path`: its serial number where it has one, else its place on the
  // bus; empty when neither is known.
  std::string usb_identity(setupapi::DeviceInfoSet set, setupapi::InterfaceData* interface_data,
                           const char* device_path);

  bool failed() const { return load_failed; }

 private:
  std::ostream* trace;
  void* library = nullptr;  // HMODULE / dlopen handle
  bool load_failed = true;
};
