// SPDX-License-Identifier: MIT
#pragma once
// The rules of a name and where a name stands beside the system's own texts.
// A name is one line of at most kMaxNameLength characters (code points),
// trimmed; empty means "no name".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/project_names.h"

inline constexpr std::size_t kMaxNameLength = 60;

// What the user typed or pasted as a name: line breaks and tabs become
// spaces and the ends are trimmed. A longer name is never cut: whoever takes
// it checks name_length() and refuses it, naming it. The text must be UTF-8.
std::string clean_name(std::string_view text);

// The characters (code points) of a UTF-8 name.
std::size_t name_length(std::string_view text);

// Empty when the text is a name as stored, otherwise what is wrong with it.
std::string name_fault(std::string_view text);

// The name of a row's address; empty for the rows 0-4 and unnamed addresses.
const std::string& address_name_of_row(const ProjectNames& names, int row);
// The name of output `column` (0-based); empty when it has none.
const std::string& lamp_name(const ProjectNames& names, int column);

// "adr 12. Alarm I (Kotłownia)": a name in brackets after a text; the text alone without one.
std::string with_name(const std::string& text, const std::string& name);

// "adr 12. Alarm I (Kotłownia), wyjście 7 (Hala A): szybkie miganie".
std::string named_cell_description(const ProjectNames& names, int row, int column, std::uint8_t value);

// "Zakład, ul. Długa 5, miejsce tablicy: portiernia": the site's name,
// address and the board's place as one line on paper; empty without them.
std::string site_line(const SiteInfo& site);

// Whether the site or any lamp or address has a name.
bool has_names(const ProjectNames& names);

// The window's one set of names, beside config_matrix().
ProjectNames& project_names();
