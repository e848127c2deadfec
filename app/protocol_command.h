// SPDX-License-Identifier: MIT
#pragma once
// `zel17 --protocol JOURNAL FILE.pdf`: the walk's protocol written from its
// journal without a window (Qt's offscreen platform), for scripts. Exit
// status 0 when written, 64 for a wrong command line, 66 when the journal
// cannot be read, 73 when the PDF cannot be written; the reason on standard
// error.

#include <filesystem>
#include <vector>

inline constexpr const char* kProtocolOption = "--protocol";

int write_protocol_from_command_line(const std::vector<std::filesystem::path>& arguments);
