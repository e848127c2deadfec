// SPDX-License-Identifier: MIT
// Dynamic_DLL_load on Windows: setupapi.dll, loaded at run time and never
// linked. The records of transport/setupapi_types.h are handed to it as they
// are, so their layout is checked here against the platform's own headers.

#include "transport/dynamic_dll_load.h"

#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <iostream>

namespace {

static_assert(sizeof(setupapi::Guid) == sizeof(GUID));
static_assert(sizeof(setupapi::InterfaceData) == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(setupapi::InterfaceData, flags) == offsetof(SP_DEVICE_INTERFACE_DATA, Flags));
static_assert(offsetof(setupapi::InterfaceData, reserved) ==
              offsetof(SP_DEVICE_INTERFACE_DATA, Reserved));
static_assert(sizeof(setupapi::DeviceInfoData) == sizeof(SP_DEVINFO_DATA));
static_assert(offsetof(setupapi::DeviceInfoData, dev_inst) == offsetof(SP_DEVINFO_DATA, DevInst));
static_assert(offsetof(setupapi::DeviceInfoData, reserved) == offsetof(SP_DEVINFO_DATA, Reserved));
static_assert(setupapi::kDetailFixedSize == sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A));
static_assert(setupapi::kDetailPathOffset ==
              offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
static_assert(setupapi::kDigcfPresent == DIGCF_PRESENT);
static_assert(setupapi::kDigcfDeviceInterface == DIGCF_DEVICEINTERFACE);
static_assert(setupapi::kSpdrpHardwareId == SPDRP_HARDWAREID);
static_assert(setupapi::kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(setupapi::kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(sizeof(std::uint32_t) == sizeof(DWORD));

// The six exports, declared over the shared records (same layout, above).
using GetClassDevsFn = HDEVINFO(WINAPI*)(const setupapi::Guid*, const char*, HWND, DWORD);
using EnumDeviceInterfacesFn = BOOL(WINAPI*)(HDEVINFO, setupapi::DeviceInfoData*,
                                             const setupapi::Guid*, DWORD,
                                             setupapi::InterfaceData*);
using DestroyDeviceInfoListFn = BOOL(WINAPI*)(HDEVINFO);
using EnumDeviceInfoFn = BOOL(WINAPI*)(HDEVINFO, DWORD, setupapi::DeviceInfoData*);
using GetDeviceRegistryPropertyFn = BOOL(WINAPI*)(HDEVINFO, setupapi::DeviceInfoData*, DWORD,
                                                  DWORD*, BYTE*, DWORD, DWORD*);
using GetDeviceInterfaceDetailFn = BOOL(WINAPI*)(HDEVINFO, setupapi::InterfaceData*, void*,
                                                 DWORD, DWORD*, setupapi::DeviceInfoData*);

// Looked up at every call: nothing is cached between calls.
template <typename Fn>
Fn find_function(void* library, bool load_failed, const char* exported_name) {
  if (load_failed || library == nullptr) return nullptr;
  FARPROC address = GetProcAddress(static_cast<HMODULE>(library), exported_name);
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

DWORD* as_dword(std::uint32_t* value) { return reinterpret_cast<DWORD*>(value); }

}  // namespace

Dynamic_DLL_load::Dynamic_DLL_load() : Dynamic_DLL_load(std::cout) {}

Dynamic_DLL_load::Dynamic_DLL_load(std::ostream& trace_stream)
    : Dynamic_DLL_load("setupapi.dll", trace_stream) {}

Dynamic_DLL_load::Dynamic_DLL_load(const char* library_name)
    : Dynamic_DLL_load(library_name, std::cout) {}

Dynamic_DLL_load::Dynamic_DLL_load(const char* library_name, std::ostream& trace_stream)
    : trace(&trace_stream) {
  *trace << "Dynamic DLL load, setupapi.dll..." << std::flush;
  library = LoadLibraryA(library_name);
  load_failed = library == nullptr;
  *trace << (load_failed ? "Error" : "OK") << std::endl;
}

Dynamic_DLL_load::~Dynamic_DLL_load() {
  *trace << "Dynamic DLL unload" << std::endl;
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

setupapi::DeviceInfoSet Dynamic_DLL_load::get_class_devs(const setupapi::Guid* class_guid,
                                                         const char* enumerator,
                                                         void* parent_window,
                                                         std::uint32_t flags) {
  auto fn = find_function<GetClassDevsFn>(library, load_failed, "SetupDiGetClassDevsA");
  if (fn == nullptr) return nullptr;
  return fn(class_guid, enumerator, static_cast<HWND>(parent_window), flags);
}

int Dynamic_DLL_load::enum_device_interfaces(setupapi::DeviceInfoSet set,
                                             setupapi::DeviceInfoData* info,
                                             const setupapi::Guid* interface_class,
                                             std::uint32_t member_index,
                                             setupapi::InterfaceData* interface_data) {
  auto fn =
      find_function<EnumDeviceInterfacesFn>(library, load_failed, "SetupDiEnumDeviceInterfaces");
  if (fn == nullptr) return 0;
  return fn(set, info, interface_class, member_index, interface_data);
}

int Dynamic_DLL_load::destroy_device_info_list(setupapi::DeviceInfoSet set) {
  auto fn = find_function<DestroyDeviceInfoListFn>(library, load_failed,
                                                   "SetupDiDestroyDeviceInfoList");
  if (fn == nullptr) return 0;
  return fn(set);
}

int Dynamic_DLL_load::enum_device_info(setupapi::DeviceInfoSet set, std::uint32_t member_index,
                                       setupapi::DeviceInfoData* info) {
  auto fn = find_function<EnumDeviceInfoFn>(library, load_failed, "SetupDiEnumDeviceInfo");
  if (fn == nullptr) return 0;
  return fn(set, member_index, info);
}

int Dynamic_DLL_load::get_device_registry_property(setupapi::DeviceInfoSet set,
                                                   setupapi::DeviceInfoData* info,
                                                   std::uint32_t property,
                                                   std::uint32_t* property_type,
                                                   std::uint8_t* buffer,
                                                   std::uint32_t buffer_size,
                                                   std::uint32_t* required_size) {
  auto fn = find_function<GetDeviceRegistryPropertyFn>(library, load_failed,
                                                       "SetupDiGetDeviceRegistryPropertyA");
  if (fn == nullptr) return 0;
  return fn(set, info, property, as_dword(property_type), buffer, buffer_size,
            as_dword(required_size));
}

int Dynamic_DLL_load::get_device_interface_detail(setupapi::DeviceInfoSet set,
                                                  setupapi::InterfaceData* interface_data,
                                                  void* detail, std::uint32_t detail_size,
                                                  std::uint32_t* required_size,
                                                  setupapi::DeviceInfoData* info) {
  auto fn = find_function<GetDeviceInterfaceDetailFn>(library, load_failed,
                                                      "SetupDiGetDeviceInterfaceDetailA");
  if (fn == nullptr) return 0;
  return fn(set, interface_data, detail, detail_size, as_dword(required_size), info);
}

// A HID interface's path is "\\?\hid#vid_04d8&pid_003f#7&1a2b3c4d&0&0000#{guid}":
// its third part is the device's instance, which the platform derives from
// the USB device's serial number where it has one, else from its port.
std::string Dynamic_DLL_load::usb_identity(setupapi::DeviceInfoSet /*set*/,
                                           setupapi::InterfaceData* /*interface_data*/,
                                           const char* device_path) {
  if (device_path == nullptr) return {};
  const std::string path(device_path);
  const std::size_t first = path.find('#');
  const std::size_t second = first == std::string::npos ? first : path.find('#', first + 1);
  if (second == std::string::npos) return {};
  const std::size_t third = path.find('#', second + 1);
  return path.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
}
