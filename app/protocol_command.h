// SPDX-License-Identifier: MIT
#pragma once
// `zel17 --protocol DZIENNIK PLIK.pdf [--record N] [--handover]`: a walk's
// or a field test's protocol written from its journal (a project's folder of
// records, or a journal file) without a window (Qt's offscreen platform), for
// scripts. The newest record unless --record names another (1 the oldest);
// --handover writes it with the newest record of the other kind of the same
// table as the handover document. Exit status 0 when written, 64 for a wrong
// command line, 66 when the journal or that record cannot be read (also a
// journal that is neither a file nor a folder) or the handover document has
// no record of the other kind, 73 when the PDF cannot be written; the reason
// on standard error.

#include <filesystem>
#include <vector>

inline constexpr const char* kProtocolOption = "--protocol";
inline constexpr const char* kRecordOption = "--record";
inline constexpr const char* kHandoverOption = "--handover";
inline constexpr const char* kProtocolUsage = "Użycie: zel17 --protocol DZIENNIK PLIK.pdf [--record N] [--handover]";

int write_protocol_from_command_line(const std::vector<std::filesystem::path>& arguments);
