// SPDX-License-Identifier: MIT
// zel17-cli uploading a configuration to the emulated module. Two rows:
//   - the module answering 2 ms after each request: the real binary, started
//     and waited for as a script would, over the floor of 167 x 2 ms;
//   - no module delay: the command line's own code per exchange, run in this
//     process so the transport can be timed around it (ld --wrap, as the
//     window's benchmark does) and subtracted.
// Must run under LD_PRELOAD=libumockdev-preload.so.0 (scripts/bench.sh).
//   bench_cli ZEL17_CLI [--runs N] [--delayed-runs N]

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "cli/cli_app.h"
#include "config/config_file.h"
#include "config/flash_image.h"
#include "emulator/test_bed.h"
#include "transport_timer.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kExchanges = 1 + kUploadCommandCount;  // the greeting and the commands

double micros(Clock::duration time) { return std::chrono::duration<double, std::micro>(time).count(); }

void fail(const char* what) {
  std::fprintf(stderr, "bench_cli: %s\n", what);
  std::exit(1);
}

// The binary from spawn to exit, its output dropped.
double run_binary_us(std::vector<std::string> text) {
  std::vector<char*> argv;
  for (std::string& part : text) argv.push_back(part.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) fail("cannot start zel17-cli");
  int status = 0;
  waitpid(pid, &status, 0);
  const auto total = Clock::now() - start;
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("zel17-cli failed");
  return micros(total);
}

}  // namespace

int main(int argc, char** argv) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload == nullptr || std::strstr(preload, "umockdev") == nullptr)
    fail("run it under LD_PRELOAD=libumockdev-preload.so.0");
  if (argc < 2) fail("usage: bench_cli ZEL17_CLI [--runs N] [--delayed-runs N]");
  const std::string binary = argv[1];
  int runs = 21, delayed_runs = 9;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--delayed-runs") == 0) delayed_runs = std::atoi(argv[i + 1]);
  }

  // The module's serving thread inherits this: its 2 ms wait ends within
  // microseconds instead of the default 50 µs timer slack.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  TestBed bed;
  const std::string file =
      (std::filesystem::temp_directory_path() / ("bench-cli-" + std::to_string(getpid()) + ".zel")).string();
  ConfigMatrix matrix;
  for (int r = 5; r < ConfigMatrix::kRows; ++r) matrix.set(r, r % ConfigMatrix::kColumns, LED_STEADY);
  if (!save_config_file(file, matrix).ok) fail("cannot write the configuration file");

  // In process, no delay: everything but the transport is the tool's own.
  std::vector<double> own, whole;
  for (int i = 0; i <= runs; ++i) {
    bed.module().clear_requests();
    transport_time() = {};
    std::ostringstream out, err;
    const auto start = Clock::now();
    const int status = run_cli({"upload", file}, out, err);
    const double total = micros(Clock::now() - start);
    if (status != 0 || transport_time().exchanges != kExchanges) fail("the upload did not go through");
    if (i == 0) continue;  // warm-up
    whole.push_back(total / kExchanges);
    own.push_back((total - micros(transport_time().exchange) - micros(transport_time().connect)) / kExchanges);
  }
  print_row("zel17-cli upload, no module delay: whole time per exchange (in process)", median(whole),
            "%.1f µs", runs, Goal::none, 0, "");
  print_row("… of which the command line's own code (outside the HID exchanges and the device search)",
            median(own), "%.1f µs", runs, Goal::at_most, 10, "≤ 10 µs");

  // The real binary, 2 ms module.
  ZelModule::Faults faults;
  faults.delay = std::chrono::microseconds(2000);
  bed.module().set_faults(faults);
  std::vector<double> ratios;
  const double floor_us = 2000.0 * kExchanges;
  std::vector<double> start_exit;
  for (int i = 0; i < delayed_runs; ++i) {
    ratios.push_back(run_binary_us({binary, "upload", file}) / floor_us);
    start_exit.push_back(run_binary_us({binary, "--version"}) / 1000);
  }
  print_row("zel17-cli upload, module answering after 2 ms: whole run of the program / (167 × 2 ms)",
            median(ratios), "%.3f", delayed_runs, Goal::at_most, 1.03, "≤ 1.03");
  print_row("… of which the program's start and exit (zel17-cli --version, from spawn to exit)",
            median(start_exit), "%.1f ms", delayed_runs, Goal::none, 0, "");
  std::filesystem::remove(file);
  return 0;
}
