// SPDX-License-Identifier: MIT
#pragma once
// The records and constants of the platform's device-installation interface
// that the HID layer passes through Dynamic_DLL_load. The layouts match
// setupapi.h on both 32- and 64-bit Windows, so the Windows loader hands them
// to setupapi.dll unchanged; the Linux loader fills the same records from udev.

#include <cstddef>
#include <cstdint>

namespace setupapi {

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};
static_assert(sizeof(Guid) == 16);

// HID device-interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr Guid kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

using DeviceInfoSet = void*;     // HDEVINFO
using FileHandle = void*;        // HANDLE on Windows; an fd in the pointer on Linux

// INVALID_HANDLE_VALUE: all bits set.
inline DeviceInfoSet invalid_set() { return reinterpret_cast<DeviceInfoSet>(~std::uintptr_t{0}); }
inline FileHandle invalid_handle() { return reinterpret_cast<FileHandle>(~std::uintptr_t{0}); }

// SP_DEVICE_INTERFACE_DATA: 28 bytes on 32-bit Windows, 32 on x64.
struct InterfaceData {
  std::uint32_t size;
  Guid interface_class;
  std::uint32_t flags;
  std::uintptr_t reserved;
};

// SP_DEVINFO_DATA: 28 bytes on 32-bit Windows, 32 on x64.
struct DeviceInfoData {
  std::uint32_t size;
  Guid class_guid;
  std::uint32_t dev_inst;
  std::uintptr_t reserved;
};

// SP_DEVICE_INTERFACE_DETAIL_DATA_A: a 32-bit size field, then the device
// path as a zero-terminated text. The size the platform expects in cbSize is
// that of the fixed part: 5 for a 32-bit program (packed), 8 on x64.
inline constexpr std::size_t kDetailPathOffset = 4;
inline constexpr std::uint32_t kDetailFixedSize = sizeof(void*) == 8 ? 8 : 5;

inline constexpr std::uint32_t kDigcfPresent = 0x02;
inline constexpr std::uint32_t kDigcfDeviceInterface = 0x10;
inline constexpr std::uint32_t kSpdrpHardwareId = 1;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;

}  // namespace setupapi
