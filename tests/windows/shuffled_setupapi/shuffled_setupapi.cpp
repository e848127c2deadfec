// SPDX-License-Identifier: MIT
// A setup library with two HID devices whose device list and interface list
// run in opposite orders, as nothing in the platform forbids: devices are
// [another device, the module], interfaces [the module's, the other's].
// Each interface's path is a file the test names, so the test sees which
// interface a search opened and wrote to. Like the platform's own, the
// detail call names the owning device only when the detail fits.

#include <windows.h>

#include <cstring>
#include <string>

#include "transport/setupapi_types.h"

namespace {

struct Device {
  const char* hardware_ids;  // zero-terminated texts, ended by an empty one
  std::size_t hardware_ids_size;
  std::string path;
};

constexpr char kOtherIds[] = "HID\\VID_845E&PID_0001\0HID_DEVICE\0";
constexpr char kModuleIds[] = "HID\\VID_04D8&PID_003F&REV_0100\0HID_DEVICE\0";
Device g_devices[2] = {{kOtherIds, sizeof kOtherIds, {}}, {kModuleIds, sizeof kModuleIds, {}}};
constexpr std::size_t kOwnerOfInterface[2] = {1, 0};
int g_set_tag = 0;  // the set's handle is its address

bool is_set(setupapi::DeviceInfoSet set) { return set == &g_set_tag; }

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

extern "C" {

__declspec(dllexport) void shuffled_setupapi_set_paths(const char* module_path,
                                                       const char* other_path) {
  g_devices[1].path = module_path;
  g_devices[0].path = other_path;
}

__declspec(dllexport) setupapi::DeviceInfoSet WINAPI SetupDiGetClassDevsA(const setupapi::Guid*, const char*,
                                                           HWND, DWORD) {
  return &g_set_tag;
}

__declspec(dllexport) BOOL WINAPI SetupDiDestroyDeviceInfoList(setupapi::DeviceInfoSet set) {
  return is_set(set) ? TRUE : fail(ERROR_INVALID_HANDLE);
}

__declspec(dllexport) BOOL WINAPI SetupDiEnumDeviceInterfaces(setupapi::DeviceInfoSet set,
                                                              setupapi::DeviceInfoData*,
                                                              const setupapi::Guid*, DWORD index,
                                                              setupapi::InterfaceData* data) {
  if (!is_set(set)) return fail(ERROR_INVALID_HANDLE);
  if (data == nullptr || data->size != sizeof *data) return fail(ERROR_INVALID_USER_BUFFER);
  if (index >= 2) return fail(ERROR_NO_MORE_ITEMS);
  data->interface_class = setupapi::kHidInterfaceClass;
  data->flags = 1;
  data->reserved = index + 1;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiEnumDeviceInfo(setupapi::DeviceInfoSet set, DWORD index,
                                                        setupapi::DeviceInfoData* info) {
  if (!is_set(set)) return fail(ERROR_INVALID_HANDLE);
  if (info == nullptr || info->size != sizeof *info) return fail(ERROR_INVALID_USER_BUFFER);
  if (index >= 2) return fail(ERROR_NO_MORE_ITEMS);
  info->dev_inst = index + 1;
  info->reserved = index + 1;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(
    setupapi::DeviceInfoSet set, setupapi::DeviceInfoData* info, DWORD, DWORD* type, BYTE* buffer, DWORD size,
    DWORD* required) {
  if (!is_set(set)) return fail(ERROR_INVALID_HANDLE);
  if (info == nullptr || info->reserved < 1 || info->reserved > 2) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  const Device& device = g_devices[info->reserved - 1];
  if (type != nullptr) *type = REG_MULTI_SZ;
  if (required != nullptr) *required = static_cast<DWORD>(device.hardware_ids_size);
  if (buffer == nullptr || size < device.hardware_ids_size) {
    return fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, device.hardware_ids, device.hardware_ids_size);
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiGetDeviceInterfaceDetailA(
    setupapi::DeviceInfoSet set, setupapi::InterfaceData* data, void* detail, DWORD size, DWORD* required,
    setupapi::DeviceInfoData* owner) {
  if (!is_set(set)) return fail(ERROR_INVALID_HANDLE);
  if (data == nullptr || data->reserved < 1 || data->reserved > 2) {
    return fail(ERROR_INVALID_PARAMETER);
  }
  const std::size_t device = kOwnerOfInterface[data->reserved - 1];
  const std::string& path = g_devices[device].path;
  const auto needed = static_cast<DWORD>(setupapi::kDetailPathOffset + path.size() + 1);
  if (required != nullptr) *required = needed;
  if (detail == nullptr || size < needed) return fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(static_cast<char*>(detail) + setupapi::kDetailPathOffset, path.c_str(),
              path.size() + 1);
  if (owner != nullptr && owner->size == sizeof *owner) {
    owner->dev_inst = static_cast<DWORD>(device + 1);
    owner->reserved = device + 1;
  }
  return TRUE;
}

}  // extern "C"
