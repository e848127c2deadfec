// SPDX-License-Identifier: MIT
// zel-testbed-launch: a program it starts sees the emulated module as
// /dev/hidraw0 and gets its answers; the program's exit status comes back.

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "emulator_build_file.h"

namespace {

// The launcher sits in the build tree next to this test's folder.
std::string launcher_path() { return emulator_build_file("zel-testbed-launch"); }

struct Launched {
  std::string output;
  int status = -1;
};

// Runs the launcher outside this process's own preload and test bed.
Launched launch(const std::string& options, const std::string& script) {
  const std::string command = "env -u LD_PRELOAD -u UMOCKDEV_DIR '" + launcher_path() + "' " +
                              options + " -- /bin/sh -c '" + script + "' 2>&1";
  Launched run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[256];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// Sends a hello request (report number 0, code 2, 63 zeros) and prints the
// first four bytes of the answer in hex.
constexpr const char* kHelloScript =
    "exec 3<>/dev/hidraw0 || exit 3; "
    "{ printf \"\\000\\002\"; head -c 63 /dev/zero; } >&3; "
    "head -c 64 <&3 | od -An -tx1 -v | head -n 1; exit 7";

TEST(TransportLauncher, ProgramTalksToTheModuleAndItsStatusComesBack) {
  ASSERT_TRUE(std::filesystem::exists(launcher_path())) << launcher_path();
  const Launched run = launch("--delay-ms 5", kHelloScript);
  EXPECT_EQ(run.status, 7) << run.output;
  EXPECT_EQ(run.output.substr(0, 12), " 02 00 00 00") << run.output;
}

TEST(TransportLauncher, NoModuleAndBadCommandLines) {
  ASSERT_TRUE(std::filesystem::exists(launcher_path())) << launcher_path();
  // Without the module only the keyboard is there, as hidraw0.
  const Launched keyboard =
      launch("--no-module", "grep -q HID_ID=0003:0000046D /sys/class/hidraw/hidraw0/../../uevent");
  EXPECT_EQ(keyboard.status, 0) << keyboard.output;

  EXPECT_EQ(launch("--delay-ms soon", "true").status, 2);
  EXPECT_EQ(launch("--no-such-option", "true").status, 2);
}

std::string read_file(const std::filesystem::path& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "r")) {
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
  }
  return text;
}

// The summary says what reached the module and the other device; a module
// that takes requests without answering leaves the reader waiting.
TEST(TransportLauncher, SummaryCountsRequestsAndBytesForTheOtherDevice) {
  const std::filesystem::path summary =
      std::filesystem::temp_directory_path() / ("zel-launch-summary-" + std::to_string(getpid()));
  const Launched silent = launch("--no-answer --summary " + summary.string(),
                                 "exec 3<>/dev/hidraw0 || exit 3; "
                                 "{ printf \"\\000\\002\"; head -c 63 /dev/zero; } >&3; "
                                 "timeout 0.5 head -c 64 <&3 | wc -c");
  EXPECT_EQ(silent.output, "0\n");
  EXPECT_EQ(read_file(summary), "module-requests 1\nother-device-bytes 0\n");

  const Launched foreign = launch("--no-module --summary " + summary.string(),
                                  "printf 0123456789 >/dev/hidraw0");
  EXPECT_EQ(foreign.status, 0) << foreign.output;
  EXPECT_EQ(read_file(summary), "module-requests 0\nother-device-bytes 10\n");
  std::filesystem::remove(summary);
}

// --bus: the module hears the script's frames; asked for one, it answers with it.
TEST(TransportLauncher, BusScriptFramesReachTheModulesQueue) {
  const std::filesystem::path script =
      std::filesystem::temp_directory_path() / ("zel-bus-" + std::to_string(getpid()) + ".txt");
  {
    std::ofstream out(script);
    out << "# one frame\n0 raw 01 02 03\n";
  }
  const Launched run = launch(
      "--bus " + script.string(),
      "exec 3<>/dev/hidraw0 || exit 3; for i in $(seq 100); do "
      "{ printf \"\\000\\041\"; head -c 63 /dev/zero; } >&3; "
      "a=$(head -c 64 <&3 | od -An -tx1 -v | head -n 1); "
      "case \"$a\" in \" 21 00\"*) sleep 0.02;; *) echo \"$a\"; exit 7;; esac; done; exit 4");
  EXPECT_EQ(run.status, 7) << run.output;
  EXPECT_EQ(run.output.substr(0, 21), " 21 03 00 00 01 02 03") << run.output;

  {
    std::ofstream out(script);
    out << "0 0 adr 100. Alarm I\n";
  }
  const Launched bad = launch("--bus " + script.string(), "true");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.output.find(": line 1: unknown event \"adr 100. Alarm I\""), std::string::npos) << bad.output;
  std::filesystem::remove(script);
  EXPECT_EQ(launch("--bus " + script.string(), "true").status, 2);  // no such file
}

}  // namespace
