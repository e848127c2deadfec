// SPDX-License-Identifier: MIT
// HID_device: the search for the module through the setup-library loader,
// and one report each way through the platform's file interface. Nothing
// here depends on the platform; the loader and platform:: hide it.

#include "transport/hid_device.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <new>

#include "transport/platform_file.h"

namespace {

constexpr const char* kModuleId = "VID_04D8&PID_003F";
constexpr std::uint32_t kPresentInterfaces =
    setupapi::kDigcfPresent | setupapi::kDigcfDeviceInterface;  // 0x12

std::string to_upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// An announcement's outcome, ending its line.
void trace_outcome(std::ostream& trace, bool ok) { trace << (ok ? "OK" : "Error") << std::endl; }

}  // namespace

HID_device::HID_device() : HID_device(nullptr, std::cout) {}

HID_device::HID_device(const char* setup_library_name) : HID_device(setup_library_name, std::cout) {}

HID_device::HID_device(std::ostream& trace_stream) : HID_device(nullptr, trace_stream) {}

HID_device::HID_device(const char* setup_library_name, std::ostream& trace_stream)
    : trace(&trace_stream) {
  device_id.clear();
  *trace << "HID device start..." << std::endl;
  loader = setup_library_name != nullptr
               ? std::make_unique<Dynamic_DLL_load>(setup_library_name, *trace)
               : std::make_unique<Dynamic_DLL_load>(*trace);
  device_info_set = setupapi::invalid_set();
  write_handle = setupapi::invalid_handle();
  read_handle = setupapi::invalid_handle();
  member_index = 0;
  detail_size = 0;
  interface_data = std::make_unique<setupapi::InterfaceData>();
}

HID_device::~HID_device() {
  *trace << "HID device stop..." << std::endl;
  destroy_device_table();
  platform::close_device(write_handle);
  platform::close_device(read_handle);
  interface_detail.reset();
  loader.reset();
  interface_data.reset();
}

bool HID_device::search_device() {
  *trace << "HID device searching..." << std::endl;
  found_ = false;
  identity_.clear();
  member_index = 0;
  detail_size = 0;
  property_type = 0;
  property_size = 0;
  if (!load_device_table()) return false;

  const std::string wanted = to_upper(kModuleId);
  for (;; ++member_index) {
    *trace << "Interface index: " << member_index << std::endl;
    if (!read_interface_data()) return false;
    if (!read_device_id()) return false;
    if (device_id.find(wanted) != std::string::npos) {
      *trace << "HID device found: " << wanted << std::endl;
      found_ = true;
      if (!load_interface_detail()) return false;
      identity_ = loader->usb_identity(
          device_info_set, interface_data.get(),
          reinterpret_cast<const char*>(interface_detail.get() + setupapi::kDetailPathOffset));
      return open_handles();
    }
  }
}

bool HID_device::load_device_table() {
  destroy_device_table();
  *trace << "HID device table load..." << std::flush;
  device_info_set =
      loader->get_class_devs(&setupapi::kHidInterfaceClass, nullptr, nullptr, kPresentInterfaces);
  const bool ok = device_info_set != setupapi::invalid_set();
  trace_outcome(*trace, ok);
  return ok;
}

bool HID_device::destroy_device_table() {
  *trace << "HID device table destroy" << std::endl;
  if (device_info_set != setupapi::invalid_set()) loader->destroy_device_info_list(device_info_set);
  device_info_set = setupapi::invalid_set();
  return true;
}

bool HID_device::read_interface_data() {
  *trace << "HID device interface data structure..." << std::flush;
  interface_data->size = sizeof(setupapi::InterfaceData);
  const int found = loader->enum_device_interfaces(
      device_info_set, nullptr, &setupapi::kHidInterfaceClass,
      static_cast<std::uint32_t>(member_index), interface_data.get());
  const std::uint32_t error = platform::last_error();
  // A success counts whatever an earlier call left in the last-error code.
  if (found != 0) {
    trace_outcome(*trace, true);
    return true;
  }
  if (error == setupapi::kErrorNoMoreItems) {
    *trace << "Error. Could not find the device." << std::endl;
  } else {
    trace_outcome(*trace, false);
  }
  return false;
}

bool HID_device::read_device_id() {
  *trace << "HID device reading device ID..." << std::flush;
  // The ID is that of the device that owns the interface at member_index,
  // as the interface's detail names it: the platform keeps its devices and
  // its interfaces in two lists whose orders need not agree, and an ID read
  // by position could send the module's frames to another device.
  device_info_data = {};
  device_info_data.size = sizeof(setupapi::DeviceInfoData);
  if (!fetch_interface_detail(&device_info_data)) {
    *trace << "Error. Not enough memory" << std::endl;
    return false;
  }
  interface_detail.reset();
  // A device whose property cannot be read gets an empty ID and does not
  // match; nothing of the previous device may be taken for it.
  property_size = 0;
  loader->get_device_registry_property(device_info_set, &device_info_data,
                                       setupapi::kSpdrpHardwareId, &property_type, nullptr, 0,
                                       &property_size);
  std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[property_size]());
  if (!buffer) {
    *trace << "Error. Not enough memory" << std::endl;
    return false;
  }
  loader->get_device_registry_property(device_info_set, &device_info_data,
                                       setupapi::kSpdrpHardwareId, &property_type, buffer.get(),
                                       property_size, nullptr);
  // Only the first, most specific hardware ID of the list is used.
  const auto* text = reinterpret_cast<const char*>(buffer.get());
  device_id = to_upper(std::string(text, strnlen(text, property_size)));
  buffer.reset();
  trace_outcome(*trace, true);
  *trace << "Device ID is: " << device_id << std::endl;
  return true;
}

bool HID_device::load_interface_detail() {
  *trace << "HID device loading detail interface..." << std::flush;
  if (!fetch_interface_detail(nullptr)) {
    *trace << "Error. Not enough memory" << std::endl;
    return false;
  }
  trace_outcome(*trace, true);
  return true;
}

// Reads the current interface's detail into interface_detail, and the
// device that owns the interface into `owner` when it is given. Some
// platforms fill `owner` only when the detail fits, so the detail is always
// read whole. False when there is no memory for it.
bool HID_device::fetch_interface_detail(setupapi::DeviceInfoData* owner) {
  detail_size = 0;
  loader->get_device_interface_detail(device_info_set, interface_data.get(), nullptr, 0,
                                      &detail_size, nullptr);
  // Room for the size field and a closing zero also when the platform
  // reported less, so the path read later always ends inside the block.
  const std::size_t block_size =
      std::max<std::size_t>(detail_size, setupapi::kDetailPathOffset) + 1;
  interface_detail.reset(new (std::nothrow) std::uint8_t[block_size]());
  if (!interface_detail) return false;
  const std::uint32_t fixed_size = setupapi::kDetailFixedSize;
  std::memcpy(interface_detail.get(), &fixed_size, sizeof fixed_size);
  loader->get_device_interface_detail(device_info_set, interface_data.get(), interface_detail.get(),
                                      detail_size, nullptr, owner);
  return true;
}

bool HID_device::open_handles() {
  const auto* path =
      reinterpret_cast<const char*>(interface_detail.get() + setupapi::kDetailPathOffset);
  // A repeated search must not leave the handles of the first one open.
  platform::close_device(write_handle);
  platform::close_device(read_handle);

  *trace << "HID device creating write handle..." << std::flush;
  write_handle = platform::open_device(path, platform::Access::write);
  trace_outcome(*trace, write_handle != setupapi::invalid_handle());

  *trace << "HID device creating read handle..." << std::flush;
  read_handle = platform::open_device(path, platform::Access::read);
  trace_outcome(*trace, read_handle != setupapi::invalid_handle());

  interface_detail.reset();
  return write_handle != setupapi::invalid_handle() && read_handle != setupapi::invalid_handle();
}

bool HID_device::send_receive(const std::uint8_t* frame, std::uint8_t* received, bool verbose) {
  out_report[0] = 0;
  in_report[0] = 0;
  std::memcpy(out_report.data() + 1, frame, kFrameSize);
  std::fill(in_report.begin() + 1, in_report.end(), 0);

  discard_stale_reports();

  if (verbose) *trace << "HID device sending..." << std::flush;
  std::uint32_t written = 0;
  const platform::Transfer write_outcome =
      platform::write_report(write_handle, out_report.data(), kReportSize, &written);
  write_ok = write_outcome == platform::Transfer::done;
  if (verbose) *trace << (write_ok ? "OK [" : "Error [") << written << "]" << std::endl;

  // The read is made also after a failed write.
  if (verbose) *trace << "HID device receiving..." << std::flush;
  std::uint32_t read_count = 0;
  const platform::Transfer read_outcome =
      platform::read_report(read_handle, in_report.data(), kReportSize, &read_count);
  read_ok = read_outcome == platform::Transfer::done;
  if (verbose) *trace << (read_ok ? "OK [" : "Error [") << read_count << "]" << std::endl;

  if (write_outcome == platform::Transfer::disconnected ||
      read_outcome == platform::Transfer::disconnected) {
    last_transfer_ = platform::Transfer::disconnected;
  } else {
    last_transfer_ = write_ok ? read_outcome : write_outcome;
  }
  std::memcpy(received, in_report.data() + 1, kFrameSize);
  return write_ok && read_ok;
}

// A reply that arrived after an earlier read had given up waiting would be
// taken for the answer to the next request; the frames carry no sequence
// number to tell them apart. Whatever is already waiting is dropped.
void HID_device::discard_stale_reports() {
  constexpr int kMostStaleReports = 16;  // a bound, should reports keep coming
  std::array<std::uint8_t, kReportSize> stale{};
  std::uint32_t count = 0;
  for (int i = 0; i < kMostStaleReports; ++i) {
    if (platform::read_report(read_handle, stale.data(), kReportSize, &count, 0) !=
        platform::Transfer::done)
      break;
  }
}

std::string HID_device::identity() const { return identity_; }
