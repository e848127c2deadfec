// SPDX-License-Identifier: MIT
// The bus monitor against the emulated module. Four rows:
//   - zel17-cli monitor (the real binary): time from a frame queued in the
//     module to its line on the program's standard output;
//   - CPU time of zel17-cli monitor on a quiet bus, over 10 s;
//   - CPU time of the window's monitor (the monitor tab, polling on this
//     process's event loop) on a quiet bus, over 10 s; the module's serving
//     thread is not counted, only the thread that runs the window;
//   - the window's memory after an hour of a busy bus (simulated time) as a
//     ratio to its memory after the first minute.
// Must run under LD_PRELOAD=libumockdev-preload.so.0 (scripts/bench.sh).
//   bench_monitor ZEL17_CLI [--runs N] [--cpu-runs N]

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/bus_monitor_tab.h"
#include "app/main.h"
#include "bench_stats.h"
#include "config/test_payload.h"
#include "emulator/test_bed.h"
#include "protocol/connection_state.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kQuietSeconds = 10;

void fail(const char* what) {
  std::fprintf(stderr, "bench_monitor: %s\n", what);
  std::exit(1);
}

double seconds_of(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }
double cpu_seconds(const rusage& usage) { return seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime); }

std::vector<std::uint8_t> unit_frame(int row) {
  const TestPayload payload = build_test_payload(row, 0);
  return {payload.begin(), payload.end()};
}

// zel17-cli monitor with its standard output on a pipe.
class Monitor {
 public:
  explicit Monitor(std::vector<std::string> text) {
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0) fail("no pipe");
    std::vector<char*> argv;
    for (std::string& part : text) argv.push_back(part.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) fail("cannot start zel17-cli");
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    out_ = pipe_ends[0];
  }
  ~Monitor() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(out_);
  }
  // Waits for the next whole line.
  void next_line() {
    for (;;) {
      const auto end = buffer_.find('\n');
      if (end != std::string::npos) {
        buffer_.erase(0, end + 1);
        return;
      }
      pollfd ready{out_, POLLIN, 0};
      char bytes[512];
      if (poll(&ready, 1, 5000) <= 0) fail("no line from zel17-cli monitor");
      const ssize_t count = read(out_, bytes, sizeof bytes);
      if (count <= 0) fail("zel17-cli monitor ended");
      buffer_.append(bytes, static_cast<std::size_t>(count));
    }
  }
  // Waits for the end; the CPU time the program used.
  double cpu_at_end() {
    int status = 0;
    rusage usage{};
    if (wait4(pid_, &status, 0, &usage) != pid_ || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      fail("zel17-cli monitor failed");
    pid_ = -1;
    return cpu_seconds(usage);
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

// The connection of a long operation, as the window opens it, without its trace.
LongOperationLink bench_link() {
  return [] {
    static std::ostream nowhere(nullptr);
    return std::make_unique<Device_session>(connection_state(), nowhere);
  };
}

// Processes events until `done` holds; false after five seconds.
bool wait_until(const std::function<bool()>& done) {
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (Clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

long resident_bytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

// The real window with its console and the board's monitor, fed an hour of a
// busy bus without waiting for it: four units each send their state once a
// (simulated) second, and unit 0's alarm begins or ends every minute. The
// frames come 32 at a time, as many as the module keeps, and each batch is
// drained before the next. The window's resident memory after the hour, as a
// ratio to its memory after the first minute.
double busy_hour_memory_ratio(int argc, char** argv, TestBed& bed) {
  QApplication app(argc, argv);
  TForm_main window;
  window.show();
  window.BoardButtonClick();
  BusMonitorTab* tab = window.busMonitor();
  tab->controller()->start();
  if (!tab->controller()->running()) fail("the window's monitor did not connect");
  constexpr int kUnits = 4, kSecondsPerBatch = 8, kHour = 3600;
  double at_start = 0;
  for (int second = 0; second < kHour; second += kSecondsPerBatch) {
    for (int s = second; s < second + kSecondsPerBatch; ++s) {
      for (int unit = 0; unit < kUnits; ++unit) {
        const bool alarm = unit == 0 && (s / 60) % 2 == 1;
        const TestPayload payload = build_test_payload(alarm ? 26 : 0, unit);
        bed.module().queue_rs485({payload.begin(), payload.end()});
      }
    }
    bed.module().clear_requests();
    // Each frame, then the empty answer that ends the drain.
    if (!wait_until([&] { return bed.module().requests().size() > kUnits * kSecondsPerBatch; }))
      fail("the window's monitor did not drain the module");
    if (second == 56) {
      QCoreApplication::processEvents();
      at_start = static_cast<double>(resident_bytes());
    }
  }
  QCoreApplication::processEvents();
  const double after_hour = static_cast<double>(resident_bytes());
  tab->controller()->stop();
  return after_hour / at_start;
}

double window_cpu_share(int argc, char** argv) {
  QApplication app(argc, argv);
  BusMonitorTab tab(bench_link());
  tab.show();
  tab.controller()->start();
  if (!tab.controller()->running()) fail("the window's monitor did not connect");
  rusage before{}, after{};
  getrusage(RUSAGE_THREAD, &before);
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(kQuietSeconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
  getrusage(RUSAGE_THREAD, &after);
  tab.controller()->stop();
  return (cpu_seconds(after) - cpu_seconds(before)) / kQuietSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  const char* preload = std::getenv("LD_PRELOAD");
  if (preload == nullptr || std::strstr(preload, "umockdev") == nullptr)
    fail("run it under LD_PRELOAD=libumockdev-preload.so.0");
  if (argc < 2) fail("usage: bench_monitor ZEL17_CLI [--runs N] [--cpu-runs N]");
  const std::string binary = argv[1];
  int runs = 21, cpu_runs = 3;
  for (int i = 2; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--cpu-runs") == 0) cpu_runs = std::atoi(argv[i + 1]);
  }
  TestBed bed;

  std::vector<double> latencies;
  {
    Monitor monitor({binary, "monitor"});
    for (int i = 0; i <= runs; ++i) {
      // Every frame changes the unit's state, so each brings one line.
      std::this_thread::sleep_for(std::chrono::milliseconds(7 + 13 * (i % 3)));  // at any point of a poll's period
      const auto queued = Clock::now();
      bed.module().queue_rs485(unit_frame(i % 2 == 0 ? 26 : 0));
      monitor.next_line();
      if (i > 0) latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - queued).count());
    }
  }
  print_row("zel17-cli monitor: a frame queued in the module to its line on standard output", median(latencies),
            "%.1f ms", runs, Goal::at_most, 30, "≤ 30 ms");

  std::vector<double> cli_shares, window_shares;
  for (int i = 0; i < cpu_runs; ++i) {
    Monitor quiet({binary, "monitor", "--for", "10"});
    cli_shares.push_back(100 * quiet.cpu_at_end() / kQuietSeconds);
    window_shares.push_back(100 * window_cpu_share(argc, argv));
  }
  print_row("zel17-cli monitor on a quiet bus: CPU time over 10 s", median(cli_shares), "%.2f %% of a core", cpu_runs,
            Goal::at_most, 2, "≤ 2 %");
  print_row("The window's monitor on a quiet bus: CPU time of its thread over 10 s", median(window_shares),
            "%.2f %% of a core", cpu_runs, Goal::at_most, 2, "≤ 2 %");
  const double memory = busy_hour_memory_ratio(argc, argv, bed);
  print_row("The window after an hour of a busy bus (4 units, a frame each per second, simulated): memory / at "
            "its first minute",
            memory, "%.2f", 1, Goal::at_most, 1.2, "≤ 1.2");
  return 0;
}
