// SPDX-License-Identifier: MIT
#pragma once
// Windows-1250, the code page of every text the module and the console hold.
// Source literals are UTF-8; they are encoded once where they enter a frame
// or the console, and decoded only for display.

#include <string>
#include <string_view>

namespace text {

// UTF-8 -> Windows-1250 bytes. A character the code page lacks becomes '?'.
std::string to_cp1250(std::string_view utf8);

// Windows-1250 bytes -> UTF-8. The five byte values the code page leaves
// undefined (0x81 0x83 0x88 0x90 0x98) map to the C1 controls U+0081 etc.,
// so every byte value survives a round trip through to_cp1250.
std::string to_utf8(std::string_view cp1250);

}  // namespace text
