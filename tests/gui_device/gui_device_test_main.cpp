// SPDX-License-Identifier: MIT
// The window against the emulated module: the test bed needs the umockdev
// preload, so a run by hand starts itself again under it.

#include "emulator/umockdev_preload.h"
#include "gui_test_application.h"

int main(int argc, char** argv) {
  run_under_umockdev_preload(argv);
  return run_window_tests(argc, argv);
}
