// SPDX-License-Identifier: MIT
#pragma once
// A cell's mode in words, for whoever can't tell the colours apart: the
// grid's tool tips and screen-reader texts, the legend's accessible names;
// and how many cells a comparison found, in words.

#include <cstddef>
#include <cstdint>
#include <string>

// "adr 0. Alarm I, wyjście 3: szybkie miganie" (outputs counted from 1), UTF-8.
std::string cell_description(int row, int column, std::uint8_t value);

// "W: wolne miganie": a lit mode's letter and its meaning; empty for any other value.
std::string mode_letter_description(std::uint8_t value);

// "w 1 komórce", "w 7 komórkach": where two configurations differ, UTF-8.
std::string in_cells_text(std::size_t count);
// "1 komórkę", "3 komórki", "75 komórek": how many cells an edit set, UTF-8.
std::string cells_text(std::size_t count);
