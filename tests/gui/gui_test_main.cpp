// SPDX-License-Identifier: MIT
// The window's tests that need no device: no test bed, no preload, so the
// same program also runs on Windows.

#include "gui_test_application.h"

int main(int argc, char** argv) { return run_window_tests(argc, argv); }
