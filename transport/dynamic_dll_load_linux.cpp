// SPDX-License-Identifier: MIT
// Dynamic_DLL_load on Linux: the six device-installation operations provided
// over libudev, which is loaded at run time and never linked. The contract is
// the one HID_device relies on:
//   - the interfaces are the present hidraw nodes, in sysfs order;
//   - an index past the end fails with the "no more items" code 259;
//   - the hardware ID property is a list of zero-terminated texts built as
//     the platform builds it for a USB HID device, most specific first:
//     HID\VID_04D8&PID_003F&REV_0100, HID\VID_04D8&PID_003F, HID_DEVICE
//     (with &MI_nn after the revision and after the product when the USB
//     device has several interfaces), from the hid parent's HID_ID and the
//     usb device's bcdDevice; the hex digits are copied as the kernel wrote
//     them;
//   - the interface detail is the device node path after a 4-byte size field.
// Every call looks up the libudev functions it needs anew; when the library
// or a function is missing, the call returns 0.

#include "transport/dynamic_dll_load.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "transport/library_symbol_linux.h"
#include "transport/platform_file.h"

namespace {

// libudev's entry points, declared here since nothing links against it.
struct udev;
struct udev_enumerate;
struct udev_list_entry;
struct udev_device;
using UdevNewFn = udev* (*)();
using UdevUnrefFn = udev* (*)(udev*);
using EnumerateNewFn = udev_enumerate* (*)(udev*);
using EnumerateUnrefFn = udev_enumerate* (*)(udev_enumerate*);
using EnumerateMatchSubsystemFn = int (*)(udev_enumerate*, const char*);
using EnumerateScanFn = int (*)(udev_enumerate*);
using EnumerateListFn = udev_list_entry* (*)(udev_enumerate*);
using ListNextFn = udev_list_entry* (*)(udev_list_entry*);
using ListNameFn = const char* (*)(udev_list_entry*);
using DeviceFromSyspathFn = udev_device* (*)(udev*, const char*);
using DeviceUnrefFn = udev_device* (*)(udev_device*);
using DeviceDevnodeFn = const char* (*)(udev_device*);
using DeviceParentFn = udev_device* (*)(udev_device*, const char*, const char*);
using DevicePropertyFn = const char* (*)(udev_device*, const char*);
using DeviceSysattrFn = const char* (*)(udev_device*, const char*);
using DeviceSysnameFn = const char* (*)(udev_device*);

// The platform's error codes, as its last-error value reports them.
constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorInvalidData = 13;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorModNotFound = 126;
constexpr std::uint32_t kErrorProcNotFound = 127;
constexpr std::uint32_t kErrorInvalidUserBuffer = 1784;

constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kSpintActive = 1;
// The HIDClass device setup class {745A17A0-74D3-11D0-B6FE-00A0C90F57DA}.
constexpr setupapi::Guid kHidSetupClass = {
    0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

thread_local std::uint32_t t_last_error = kErrorSuccess;

int fail(std::uint32_t error) {
  t_last_error = error;
  return 0;
}

int succeed() {
  t_last_error = kErrorSuccess;
  return 1;
}

bool same_guid(const setupapi::Guid& a, const setupapi::Guid& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The device-information set: the context and one reference per present
// hidraw node, taken in sysfs order when the set was made.
struct DeviceSet {
  static constexpr std::uint32_t kTag = 0x5A454C31;  // "ZEL1"
  std::uint32_t tag = kTag;
  udev* context = nullptr;
  std::vector<udev_device*> devices;
};

DeviceSet* as_device_set(setupapi::DeviceInfoSet set) {
  if (set == nullptr || set == setupapi::invalid_set()) return nullptr;
  auto* devices = static_cast<DeviceSet*>(set);
  return devices->tag == DeviceSet::kTag ? devices : nullptr;
}

// The records carry the member's index + 1 in their reserved field, so a
// zeroed record names no member.
udev_device* member_of(const DeviceSet& set, std::uintptr_t reserved) {
  if (reserved == 0 || reserved > set.devices.size()) return nullptr;
  return set.devices[reserved - 1];
}

// The device that a caller's interface or device record names in `set`, or
// null with the last error set as the platform would set it.
template <class Record>
udev_device* named_device(setupapi::DeviceInfoSet set, const Record* record) {
  const DeviceSet* devices = as_device_set(set);
  if (devices == nullptr) {
    fail(kErrorInvalidHandle);
    return nullptr;
  }
  if (record == nullptr || record->size != sizeof(Record)) {
    fail(kErrorInvalidUserBuffer);
    return nullptr;
  }
  udev_device* device = member_of(*devices, record->reserved);
  if (device == nullptr) fail(kErrorInvalidParameter);
  return device;
}

// The last four hex digits of one field of HID_ID ("0003:000004D8:0000003F").
std::string id_digits(const std::string& hid_id, int field) {
  std::size_t begin = 0;
  for (int i = 0; i < field; ++i) {
    begin = hid_id.find(':', begin);
    if (begin == std::string::npos) return {};
    ++begin;
  }
  const std::size_t end = std::min(hid_id.find(':', begin), hid_id.size());
  if (end - begin < 4) return {};
  return hid_id.substr(end - 4, 4);
}

// A sysfs text without the blanks around it; empty for none.
std::string trimmed(const char* text) {
  if (text == nullptr) return {};
  std::string value(text);
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!value.empty() && blank(value.back())) value.pop_back();
  std::size_t first = 0;
  while (first < value.size() && blank(value[first])) ++first;
  return value.substr(first);
}

}  // namespace

namespace platform {
std::uint32_t last_error() { return t_last_error; }
}  // namespace platform

Dynamic_DLL_load::Dynamic_DLL_load() : Dynamic_DLL_load(std::cout) {}

Dynamic_DLL_load::Dynamic_DLL_load(std::ostream& trace_stream)
    : Dynamic_DLL_load("libudev.so.1", trace_stream) {}

Dynamic_DLL_load::Dynamic_DLL_load(const char* library_name)
    : Dynamic_DLL_load(library_name, std::cout) {}

Dynamic_DLL_load::Dynamic_DLL_load(const char* library_name, std::ostream& trace_stream)
    : trace(&trace_stream) {
  *trace << "Dynamic DLL load, setupapi.dll..." << std::flush;
  library = dlopen(library_name, RTLD_NOW | RTLD_LOCAL);
  load_failed = library == nullptr;
  if (load_failed) t_last_error = kErrorModNotFound;
  *trace << (load_failed ? "Error" : "OK") << std::endl;
}

Dynamic_DLL_load::~Dynamic_DLL_load() {
  *trace << "Dynamic DLL unload" << std::endl;
  if (library != nullptr) dlclose(library);
}

setupapi::DeviceInfoSet Dynamic_DLL_load::get_class_devs(const setupapi::Guid* class_guid,
                                                         const char* /*enumerator*/,
                                                         void* /*parent_window*/,
                                                         std::uint32_t /*flags*/) {
  if (load_failed) return nullptr;
  UdevNewFn udev_new;
  UdevUnrefFn udev_unref;
  EnumerateNewFn enumerate_new;
  EnumerateUnrefFn enumerate_unref;
  EnumerateMatchSubsystemFn match_subsystem;
  EnumerateScanFn scan_devices;
  EnumerateListFn list_entry;
  ListNextFn list_next;
  ListNameFn list_name;
  DeviceFromSyspathFn device_from_syspath;
  DeviceUnrefFn device_unref;
  DeviceDevnodeFn device_devnode;
  if (!look_up(library, "udev_new", udev_new) || !look_up(library, "udev_unref", udev_unref) ||
      !look_up(library, "udev_enumerate_new", enumerate_new) ||
      !look_up(library, "udev_enumerate_unref", enumerate_unref) ||
      !look_up(library, "udev_enumerate_add_match_subsystem", match_subsystem) ||
      !look_up(library, "udev_enumerate_scan_devices", scan_devices) ||
      !look_up(library, "udev_enumerate_get_list_entry", list_entry) ||
      !look_up(library, "udev_list_entry_get_next", list_next) ||
      !look_up(library, "udev_list_entry_get_name", list_name) ||
      !look_up(library, "udev_device_new_from_syspath", device_from_syspath) ||
      !look_up(library, "udev_device_unref", device_unref) ||
      !look_up(library, "udev_device_get_devnode", device_devnode)) {
    fail(kErrorProcNotFound);
    return nullptr;
  }

  auto set = std::make_unique<DeviceSet>();
  set->context = udev_new();
  if (set->context == nullptr) {
    fail(kErrorNotEnoughMemory);
    return setupapi::invalid_set();
  }
  // Only the HID interface class has members here.
  if (class_guid == nullptr || same_guid(*class_guid, setupapi::kHidInterfaceClass)) {
    udev_enumerate* enumerate = enumerate_new(set->context);
    if (enumerate == nullptr || match_subsystem(enumerate, "hidraw") < 0 ||
        scan_devices(enumerate) < 0) {
      if (enumerate != nullptr) enumerate_unref(enumerate);
      udev_unref(set->context);
      fail(kErrorNotEnoughMemory);
      return setupapi::invalid_set();
    }
    // libudev lists the devices sorted by their sysfs path.
    for (udev_list_entry* entry = list_entry(enumerate); entry != nullptr;
         entry = list_next(entry)) {
      udev_device* device = device_from_syspath(set->context, list_name(entry));
      if (device == nullptr) continue;
      if (device_devnode(device) == nullptr) {
        device_unref(device);
        continue;
      }
      set->devices.push_back(device);
    }
    enumerate_unref(enumerate);
  }
  succeed();
  // The caller holds the set by its handle until destroy_device_info_list.
  return set.release();
}

int Dynamic_DLL_load::destroy_device_info_list(setupapi::DeviceInfoSet set) {
  if (load_failed) return 0;
  DeviceSet* devices = as_device_set(set);
  if (devices == nullptr) return fail(kErrorInvalidHandle);
  UdevUnrefFn udev_unref;
  DeviceUnrefFn device_unref;
  if (!look_up(library, "udev_unref", udev_unref) ||
      !look_up(library, "udev_device_unref", device_unref)) {
    return fail(kErrorProcNotFound);
  }
  const std::unique_ptr<DeviceSet> owned(devices);
  for (udev_device* device : owned->devices) device_unref(device);
  udev_unref(owned->context);
  owned->tag = 0;
  return succeed();
}

int Dynamic_DLL_load::enum_device_interfaces(setupapi::DeviceInfoSet set,
                                             setupapi::DeviceInfoData* info,
                                             const setupapi::Guid* interface_class,
                                             std::uint32_t member_index,
                                             setupapi::InterfaceData* interface_data) {
  if (load_failed) return 0;
  const DeviceSet* devices = as_device_set(set);
  if (devices == nullptr) return fail(kErrorInvalidHandle);
  if (interface_data == nullptr || interface_data->size != sizeof(setupapi::InterfaceData)) {
    return fail(kErrorInvalidUserBuffer);
  }
  if (interface_class != nullptr && !same_guid(*interface_class, setupapi::kHidInterfaceClass)) {
    return fail(setupapi::kErrorNoMoreItems);
  }
  // Each hidraw device has exactly one interface.
  std::uintptr_t member = std::uintptr_t{member_index} + 1;
  if (info != nullptr) {
    if (member_index != 0) return fail(setupapi::kErrorNoMoreItems);
    member = info->reserved;
  }
  if (member_of(*devices, member) == nullptr) return fail(setupapi::kErrorNoMoreItems);
  interface_data->interface_class = setupapi::kHidInterfaceClass;
  interface_data->flags = kSpintActive;
  interface_data->reserved = member;
  return succeed();
}

int Dynamic_DLL_load::enum_device_info(setupapi::DeviceInfoSet set, std::uint32_t member_index,
                                       setupapi::DeviceInfoData* info) {
  if (load_failed) return 0;
  const DeviceSet* devices = as_device_set(set);
  if (devices == nullptr) return fail(kErrorInvalidHandle);
  if (info == nullptr || info->size != sizeof(setupapi::DeviceInfoData)) {
    return fail(kErrorInvalidUserBuffer);
  }
  const std::uintptr_t member = std::uintptr_t{member_index} + 1;
  if (member_of(*devices, member) == nullptr) return fail(setupapi::kErrorNoMoreItems);
  info->class_guid = kHidSetupClass;
  info->dev_inst = member_index + 1;
  info->reserved = member;
  return succeed();
}

int Dynamic_DLL_load::get_device_registry_property(setupapi::DeviceInfoSet set,
                                                   setupapi::DeviceInfoData* info,
                                                   std::uint32_t property,
                                                   std::uint32_t* property_type,
                                                   std::uint8_t* buffer, std::uint32_t buffer_size,
                                                   std::uint32_t* required_size) {
  if (load_failed) return 0;
  udev_device* device = named_device(set, info);
  if (device == nullptr) return 0;
  if (property != setupapi::kSpdrpHardwareId) return fail(kErrorInvalidData);

  DeviceParentFn parent_of;
  DevicePropertyFn property_of;
  DeviceSysattrFn sysattr_of;
  if (!look_up(library, "udev_device_get_parent_with_subsystem_devtype", parent_of) ||
      !look_up(library, "udev_device_get_property_value", property_of) ||
      !look_up(library, "udev_device_get_sysattr_value", sysattr_of)) {
    return fail(kErrorProcNotFound);
  }

  // The parents belong to the device and are not unreferenced.
  udev_device* hid = parent_of(device, "hid", nullptr);
  const char* hid_id = hid != nullptr ? property_of(hid, "HID_ID") : nullptr;
  const std::string vendor = hid_id != nullptr ? id_digits(hid_id, 1) : std::string();
  const std::string product = hid_id != nullptr ? id_digits(hid_id, 2) : std::string();
  if (vendor.empty() || product.empty()) return fail(kErrorInvalidData);

  std::string ids;  // zero-terminated texts, ended by an empty one
  const std::string base = "HID\\VID_" + vendor + "&PID_" + product;
  udev_device* usb = parent_of(device, "usb", "usb_device");
  if (usb != nullptr) {
    std::string interface_suffix;
    const char* interfaces = sysattr_of(usb, "bNumInterfaces");
    udev_device* usb_interface = parent_of(device, "usb", "usb_interface");
    const char* number =
        usb_interface != nullptr ? sysattr_of(usb_interface, "bInterfaceNumber") : nullptr;
    if (interfaces != nullptr && std::atoi(interfaces) > 1 && number != nullptr) {
      interface_suffix = std::string("&MI_") + number;
    }
    const char* revision = sysattr_of(usb, "bcdDevice");
    if (revision != nullptr) {
      ids += base + "&REV_" + revision + interface_suffix;
      ids.push_back('\0');
    }
    ids += base + interface_suffix;
  } else {
    ids += base;
  }
  ids.push_back('\0');
  ids += "HID_DEVICE";
  ids.push_back('\0');
  ids.push_back('\0');

  const auto size = static_cast<std::uint32_t>(ids.size());
  if (property_type != nullptr) *property_type = kRegMultiSz;
  if (required_size != nullptr) *required_size = size;
  if (buffer == nullptr || buffer_size < size) return fail(setupapi::kErrorInsufficientBuffer);
  std::memcpy(buffer, ids.data(), size);
  return succeed();
}

int Dynamic_DLL_load::get_device_interface_detail(setupapi::DeviceInfoSet set,
                                                  setupapi::InterfaceData* interface_data,
                                                  void* detail, std::uint32_t detail_size,
                                                  std::uint32_t* required_size,
                                                  setupapi::DeviceInfoData* info) {
  if (load_failed) return 0;
  udev_device* device = named_device(set, interface_data);
  if (device == nullptr) return 0;
  DeviceDevnodeFn device_devnode;
  if (!look_up(library, "udev_device_get_devnode", device_devnode)) {
    return fail(kErrorProcNotFound);
  }
  const char* node = device_devnode(device);
  if (node == nullptr) return fail(kErrorInvalidData);

  const std::size_t path_length = std::strlen(node) + 1;
  const auto size = static_cast<std::uint32_t>(setupapi::kDetailPathOffset + path_length);
  if (required_size != nullptr) *required_size = size;
  if (info != nullptr) {
    if (info->size != sizeof(setupapi::DeviceInfoData)) return fail(kErrorInvalidUserBuffer);
    info->class_guid = kHidSetupClass;
    info->dev_inst = static_cast<std::uint32_t>(interface_data->reserved);
    info->reserved = interface_data->reserved;
  }
  if (detail == nullptr) {
    return fail(detail_size == 0 ? setupapi::kErrorInsufficientBuffer : kErrorInvalidUserBuffer);
  }
  std::uint32_t fixed_size;
  std::memcpy(&fixed_size, detail, sizeof fixed_size);
  if (fixed_size != setupapi::kDetailFixedSize) return fail(kErrorInvalidUserBuffer);
  if (detail_size < size) return fail(setupapi::kErrorInsufficientBuffer);
  std::memcpy(static_cast<std::uint8_t*>(detail) + setupapi::kDetailPathOffset, node, path_length);
  return succeed();
}

// The usb_device parent's "serial" attribute; a device without one is named
// by its sysfs name, which is its place on the bus ("1-1.2": bus 1, ports 1
// and 2), as "usb 1-1.2".
std::string Dynamic_DLL_load::usb_identity(setupapi::DeviceInfoSet set,
                                           setupapi::InterfaceData* interface_data,
                                           const char* /*device_path*/) {
  if (load_failed) return {};
  udev_device* device = named_device(set, interface_data);
  if (device == nullptr) return {};
  DeviceParentFn parent_of;
  DeviceSysattrFn sysattr_of;
  DeviceSysnameFn sysname_of;
  if (!look_up(library, "udev_device_get_parent_with_subsystem_devtype", parent_of) ||
      !look_up(library, "udev_device_get_sysattr_value", sysattr_of) ||
      !look_up(library, "udev_device_get_sysname", sysname_of)) {
    fail(kErrorProcNotFound);
    return {};
  }
  // The parent belongs to the device and is not unreferenced.
  udev_device* usb = parent_of(device, "usb", "usb_device");
  if (usb == nullptr) return {};
  if (std::string serial = trimmed(sysattr_of(usb, "serial")); !serial.empty()) return serial;
  const std::string place = trimmed(sysname_of(usb));
  return place.empty() ? std::string() : "usb " + place;
}
