// SPDX-License-Identifier: MIT
// Start-up to the first painted window and peak memory until then, of the
// program against a bare Qt window of the same size, started in turn on the
// same display with the first-paint probe preloaded. Each row is the median
// of the per-round ratios. The program is also set against the bare window
// holding one text label: Qt starts its font system only for a window that
// shows text, and that alone is a good part of the gap to the empty one.
//   bench_startup PROGRAM BARE_WINDOW PROBE_LIBRARY [RUNS]

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_stats.h"

extern char** environ;

namespace {

struct Start {
  double ms;
  double peak_mib;
};

long long monotonic_ns() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Starts `program` with the probe and waits for its report.
Start measure(const std::string& program, const std::string& probe, const char* argument = nullptr) {
  char out_template[] = "/tmp/zel-probe-XXXXXX";
  const int fd = mkstemp(out_template);
  if (fd < 0) {
    std::perror("bench_startup: mkstemp");
    std::exit(1);
  }
  close(fd);
  const std::string out_path = out_template;

  std::vector<std::string> settings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "LD_PRELOAD=", 11) != 0 && std::strncmp(*entry, "ZEL_PROBE_OUT=", 14) != 0)
      settings.emplace_back(*entry);
  }
  settings.push_back("LD_PRELOAD=" + probe);
  settings.push_back("ZEL_PROBE_OUT=" + out_path);
  std::vector<char*> env;
  for (std::string& setting : settings) env.push_back(setting.data());
  env.push_back(nullptr);
  std::string program_copy = program;
  std::string argument_copy = argument != nullptr ? argument : "";
  char* argv[] = {program_copy.data(), argument != nullptr ? argument_copy.data() : nullptr, nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  const long long start = monotonic_ns();
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv, env.data()) != 0) {
    std::fprintf(stderr, "bench_startup: cannot start %s\n", program.c_str());
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);

  // The probe ends the program after its report; give up after 30 s.
  int status = 0;
  bool ended = false;
  for (int i = 0; i < 3000 && !ended; ++i) {
    ended = waitpid(child, &status, WNOHANG) == child;
    if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }

  long long painted = 0;
  long peak_kib = 0;
  std::ifstream report(out_path);
  report >> painted >> peak_kib;
  std::remove(out_path.c_str());
  if (!ended || painted <= start || peak_kib <= 0) {
    std::fprintf(stderr, "bench_startup: %s painted no window (is a display or QT_QPA_PLATFORM set?)\n",
                 program.c_str());
    std::exit(1);
  }
  return {(painted - start) / 1e6, peak_kib / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_startup PROGRAM BARE_WINDOW PROBE_LIBRARY [RUNS]\n");
    return 2;
  }
  const std::string program = argv[1], bare = argv[2], probe = argv[3];
  const int runs = argc > 4 ? std::atoi(argv[4]) : 11;

  measure(program, probe);  // warm-up: caches of the files all of them load
  measure(bare, probe);
  measure(bare, probe, "--label");
  std::vector<double> time_ratios, memory_ratios, label_time_ratios, label_memory_ratios;
  std::vector<double> program_ms, bare_ms, label_ms, program_mib, bare_mib, label_mib;
  for (int i = 0; i < runs; ++i) {
    const Start p = measure(program, probe);
    const Start b = measure(bare, probe);
    const Start l = measure(bare, probe, "--label");
    time_ratios.push_back(p.ms / b.ms);
    memory_ratios.push_back(p.peak_mib / b.peak_mib);
    label_time_ratios.push_back(p.ms / l.ms);
    label_memory_ratios.push_back(p.peak_mib / l.peak_mib);
    program_ms.push_back(p.ms);
    bare_ms.push_back(b.ms);
    label_ms.push_back(l.ms);
    program_mib.push_back(p.peak_mib);
    bare_mib.push_back(b.peak_mib);
    label_mib.push_back(l.peak_mib);
  }
  char shown[128];
  std::snprintf(shown, sizeof shown, "%.2f (%.0f ms / %.0f ms)", median(time_ratios), median(program_ms),
                median(bare_ms));
  print_row("Start-up to the first painted window / a bare Qt window", median(time_ratios), shown, runs,
            Goal::at_most, 1.3, "≤ 1.3");
  std::snprintf(shown, sizeof shown, "%.2f (%.0f ms / %.0f ms)", median(label_time_ratios), median(program_ms),
                median(label_ms));
  print_row("… / the bare window with one text label", median(label_time_ratios), shown, runs, Goal::at_most, 1.15,
            "≤ 1.15");
  std::snprintf(shown, sizeof shown, "%.2f (%.1f MiB / %.1f MiB)", median(memory_ratios), median(program_mib),
                median(bare_mib));
  print_row("Peak memory until then (VmHWM) / a bare Qt window", median(memory_ratios), shown, runs,
            Goal::at_most, 1.3, "≤ 1.3");
  std::snprintf(shown, sizeof shown, "%.2f (%.1f MiB / %.1f MiB)", median(label_memory_ratios),
                median(program_mib), median(label_mib));
  print_row("… / the bare window with one text label", median(label_memory_ratios), shown, runs, Goal::at_most,
            1.15, "≤ 1.15");
  return 0;
}
