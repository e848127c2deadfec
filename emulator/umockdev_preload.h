// SPDX-License-Identifier: MIT
#pragma once
// The umockdev preload that a process touching the test bed needs, and the
// one call that makes a test program work when it is run by hand.

inline constexpr const char* kUmockdevPreload = "libumockdev-preload.so.0";

// Call first thing in main() of a test program that uses the test bed. When
// the preload is not loaded (the program was started by hand rather than by
// CTest, which sets LD_PRELOAD), the program starts itself again, with the
// same arguments, under LD_PRELOAD with the preload added: after the
// AddressSanitizer runtime, which must stay first, and after whatever
// LD_PRELOAD held. Ends the program with a message when that cannot work.
//
// It asks the dynamic loader rather than umockdev_in_mock_environment(),
// which is false until a test bed exists and keeps its first answer.
void run_under_umockdev_preload(char** argv);
