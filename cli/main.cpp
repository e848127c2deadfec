// SPDX-License-Identifier: MIT
// zel17-cli: the module from a terminal, in scripts and on a production
// line. See cli/cli_app.h; `zel17-cli --help` lists the commands.

#include <iostream>

#include "cli/cli_app.h"
#include "cli/platform_console.h"

int main(int argc, char** argv) {
  install_interrupt_handlers();
  return run_cli(utf8_arguments(argc, argv), std::cout, std::cerr);
}
