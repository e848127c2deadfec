// SPDX-License-Identifier: MIT
#pragma once
// The program's own command line after its name, exactly as the user gave
// it: one file per OS. Paths, not text, so that a file name that is not
// valid in the system's encoding still names its file.

#include <filesystem>
#include <vector>

std::vector<std::filesystem::path> arguments_after_program_name(int argc, char** argv);
