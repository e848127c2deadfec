// SPDX-License-Identifier: MIT
#pragma once
// A field of pasted or imported text without the blanks around it; which
// bytes count as blanks is the reader's to say.

#include <string_view>

inline std::string_view trimmed(std::string_view text, std::string_view blanks) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
