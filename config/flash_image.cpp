// SPDX-License-Identifier: MIT
#include "config/flash_image.h"

#include <algorithm>

namespace {

using BlockBuffer = std::array<std::uint8_t, flash::kBlockBytes>;

void put_mask(BlockBuffer& block, int slot, std::uint32_t mask) {
  const int at = slot * flash::kRecordBytes;
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(mask >> (8 * i));
}

FlashCommand half_command(FlashCommand::Kind kind, int page, int block, const BlockBuffer& buffer,
                          int half) {
  FlashCommand command;
  command.kind = kind;
  command.page = static_cast<std::uint8_t>(page);
  command.block = static_cast<std::uint8_t>(block);
  std::copy_n(buffer.begin() + half * flash::kHalfBytes, flash::kHalfBytes, command.data.begin());
  return command;
}

const std::array<std::uint32_t, ConfigMatrix::kRows>& page_masks(const ModeMasks& masks, int page) {
  return flash::page_mode_bit(page) == 0 ? masks.bit0 : masks.bit1;
}

}  // namespace

ModeMasks convert_to_masks(const ConfigMatrix& matrix) {
  ModeMasks masks;
  for (int r = 0; r < ConfigMatrix::kRows; ++r) {
    for (int c = 0; c < ConfigMatrix::kColumns; ++c) {
      const std::uint8_t value = matrix.at(r, c);
      if (value > LED_STEADY) continue;
      if (value & 1) masks.bit0[r] |= 1u << c;
      if (value & 2) masks.bit1[r] |= 1u << c;
    }
  }
  return masks;
}

std::vector<UploadStep> build_upload_plan(const ModeMasks& masks) {
  std::vector<UploadStep> steps;
  steps.reserve(kUploadCommandCount);
  int progress = kUploadProgressAfterConversion;
  const char* status = nullptr;

  auto add = [&](const FlashCommand& command, bool advances) {
    if (advances) ++progress;
    steps.push_back({status, command, progress});
    status = nullptr;
  };

  status = kUploadStatusErasing;
  for (int page = 0; page < flash::kPages; ++page) {
    FlashCommand erase;
    erase.page = static_cast<std::uint8_t>(page);
    add(erase, true);
  }

  status = kUploadStatusSpecial;
  for (int page = 0; page < 2; ++page) {
    BlockBuffer buffer{};
    for (int row = 0; row < flash::kSpecialRows; ++row) put_mask(buffer, row, page_masks(masks, page)[row]);
    add(half_command(FlashCommand::buffer, page, flash::kSpecialBlock, buffer, 0), false);
    add(half_command(FlashCommand::write, page, flash::kSpecialBlock, buffer, 1), page == 1);
  }

  status = kUploadStatusAddresses;
  for (int page = 0; page < flash::kPages; ++page) {
    const auto& source = page_masks(masks, page);
    BlockBuffer buffer{};
    for (int n = 0; n < ConfigMatrix::kAddresses; ++n) {
      const int block = n / flash::kRecordsPerBlock;
      const int slot = n % flash::kRecordsPerBlock;
      put_mask(buffer, slot, source[flash::page_first_row(page) + 3 * n]);
      if (slot == 3) add(half_command(FlashCommand::buffer, page, block, buffer, 0), false);
      if (slot == 7) add(half_command(FlashCommand::write, page, block, buffer, 1), true);
    }
    // Block 12 holds only records 96 to 99; the module gets its half 0 twice.
    add(half_command(FlashCommand::write, page, flash::kAddressBlocks - 1, buffer, 0), true);
  }
  return steps;
}
