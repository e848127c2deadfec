// SPDX-License-Identifier: MIT
#pragma once
// Telling UTF-8 text from text in a one-byte code page, which is seldom
// well-formed UTF-8 once it holds a letter outside ASCII.

#include <string_view>

namespace text {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool is_utf8(std::string_view bytes);

}  // namespace text
