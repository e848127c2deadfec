// SPDX-License-Identifier: MIT
#pragma once
// A tiny stand-in for the module's FLASH, for tests: an erase fills a page
// with 0xFF, a buffer command holds half 0 of a block, and a write command
// stores that held half and its own half 1 into the block.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/flash_image.h"

struct FlashModel {
  static constexpr int kPages = 8;
  static constexpr int kBlocks = 16;
  static constexpr int kPageBytes = kBlocks * 64;
  static constexpr std::uint8_t kUntouched = 0x5A;  // neither erased nor written

  std::array<std::array<std::uint8_t, kPageBytes>, kPages> pages;
  std::array<std::uint8_t, 32> held{};
  int held_page = -1, held_block = -1;
  std::vector<std::string> faults;  // commands the model could not carry out

  FlashModel() { for (auto& page : pages) page.fill(kUntouched); }

  void apply(const FlashCommand& command) {
    if (command.page >= kPages || command.block >= kBlocks) {
      faults.push_back("address out of range");
      return;
    }
    auto& page = pages[command.page];
    switch (command.kind) {
      case FlashCommand::erase:
        page.fill(0xFF);
        break;
      case FlashCommand::buffer:
        held = command.data;
        held_page = command.page;
        held_block = command.block;
        break;
      case FlashCommand::write:
        if (held_page != command.page || held_block != command.block) {
          faults.push_back("write without its buffer: page " + std::to_string(command.page) +
                           " block " + std::to_string(command.block));
          return;
        }
        for (int i = 0; i < 32; ++i) {
          page[command.block * 64 + i] = held[i];
          page[command.block * 64 + 32 + i] = command.data[i];
        }
        held_page = held_block = -1;
        break;
    }
  }
};
