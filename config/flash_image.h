// SPDX-License-Identifier: MIT
#pragma once
// The module's FLASH layout of a configuration and the upload that writes it.
//
// Each matrix row becomes two 25-bit output masks, one per bit of its LedMode
// (ModeBit0Masks and ModeBit1Masks). An 8-byte event record holds one mask,
// little-endian, in its first four bytes. Pages come in pairs, the even page
// carrying bit 0 and the odd page bit 1:
//   pages 0/1: Alarm I rows 5 + 3n, pages 2/3: Alarm II rows 6 + 3n,
//   pages 4/5: Awaria rows 7 + 3n; record n = address n, blocks 0 to 12;
//   pages 0/1 also hold special rows 0 to 3 as records 0 to 3 of block 13.
// A 64-byte block travels as two 32-byte halves: a buffer command with
// half 0, then a write command with half 1 that completes the block.
// Block 12 (records 96 to 99) is completed with its half 0 sent again.

#include <array>
#include <cstdint>
#include <vector>

#include "config/config_matrix.h"

namespace flash {

inline constexpr int kPages = 6;           // pages 0 to 5 are erased and written
inline constexpr int kBlockBytes = 64;
inline constexpr int kHalfBytes = 32;
inline constexpr int kRecordBytes = 8;
inline constexpr int kRecordsPerBlock = kBlockBytes / kRecordBytes;
inline constexpr int kAddressBlocks = 13;  // blocks 0 to 12: records 0 to 99
inline constexpr int kSpecialBlock = 13;   // pages 0 and 1 only
inline constexpr int kSpecialRows = 4;     // matrix rows 0 to 3
inline constexpr std::uint32_t kOutputBits = (1u << ConfigMatrix::kColumns) - 1;

// The first matrix row of a page's address records (row of record n is
// first + 3n) and which mode bit the page carries.
constexpr int page_first_row(int page) { return ConfigMatrix::kFirstAddressRow + page / 2; }
constexpr int page_mode_bit(int page) { return page % 2; }

}  // namespace flash

// ModeBit0Masks and ModeBit1Masks: bit c of a row's mask is column c.
struct ModeMasks {
  std::array<std::uint32_t, ConfigMatrix::kRows> bit0{};
  std::array<std::uint32_t, ConfigMatrix::kRows> bit1{};
};

// Values 1, 2 and 3 set bit 0, bit 1 and both; any other value sets nothing.
ModeMasks convert_to_masks(const ConfigMatrix& matrix);

struct FlashCommand {
  enum Kind : std::uint8_t { erase, buffer, write };
  Kind kind = erase;
  std::uint8_t page = 0;
  std::uint8_t block = 0;
  std::array<std::uint8_t, flash::kHalfBytes> data{};  // zero for an erase

  friend bool operator==(const FlashCommand&, const FlashCommand&) = default;
};

// One command of the upload with what the window shows around it: the status
// text to set before sending it (UTF-8, or null for no change) and the
// progress bar position once it has been sent.
struct UploadStep {
  const char* status_before = nullptr;
  FlashCommand command;
  int progress_after = 0;
};

// The window's side of the run: before the conversion the status reads
// kUploadStatusConverting at position 0; after it the position is
// kUploadProgressAfterConversion; the last step ends at kUploadProgressMax.
inline constexpr const char* kUploadStatusConverting = "Konwersja konfiguracji...";
inline constexpr const char* kUploadStatusErasing = "Czyszczenie pamięci FLASH...";
inline constexpr const char* kUploadStatusSpecial = "Zapisywanie konfiguracji zdarzeń specjalnych...";
inline constexpr const char* kUploadStatusAddresses = "Zapisywanie konfiguracji zdarzeń adresów...";
inline constexpr const char* kUploadStatusDone = "Konfiguracja zapisana!";
inline constexpr int kUploadProgressAfterConversion = 1;
inline constexpr int kUploadProgressMax = 86;
inline constexpr int kUploadCommandCount = 166;

// The 166 commands of an upload in the order they are sent: erase pages 0-5,
// the special-event blocks of pages 0 and 1, then blocks 0-12 of pages 0-5.
std::vector<UploadStep> build_upload_plan(const ModeMasks& masks);
