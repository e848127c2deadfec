// SPDX-License-Identifier: MIT
#pragma once
// zel17-cli as a whole, short of the process: parses the arguments, reads
// FILE, runs the command once or, with --repeat, on module after module, and
// returns the exit status. Results go to `out`, everything else to `err`.

#include <ostream>
#include <string>
#include <vector>

int run_cli(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
