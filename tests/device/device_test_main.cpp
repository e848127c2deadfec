// SPDX-License-Identifier: MIT
// The device tests run against the umockdev test bed, so they start under its
// preload even when the program is run by hand.

#include <gtest/gtest.h>

#include "emulator/umockdev_preload.h"

int main(int argc, char** argv) {
  run_under_umockdev_preload(argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
