// SPDX-License-Identifier: MIT
#pragma once
// `zel17 --guide-pdf FILE.pdf`: the guide the help window shows, written as
// a PDF without a window (Qt's offscreen platform). The packages carry the
// PDF made so at build time. Exit status 0 when written, 64 for a wrong
// command line, 73 when the PDF cannot be written; the reason on standard
// error.

#include <filesystem>
#include <vector>

inline constexpr const char* kGuidePdfOption = "--guide-pdf";

int write_guide_pdf_from_command_line(const std::vector<std::filesystem::path>& arguments);
