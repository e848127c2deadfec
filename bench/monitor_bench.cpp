// The bus monitor against the emulated module. Three rows:
//   - zel17-cli monitor (the real binary): time from a frame queued in the
//     module to its line on the program's standard output;
//   - CPU time of zel17-cli monitor on a quiet bus, over 10 s;
//   - CPU time of the window's monitor (the monitor tab, polling on this
//     process's event loop) on a quiet bus, over 10 s; the module's serving
//     thread is not counted, only the thread that runs the window.
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
#include <string>
#include <thread>
#include <vector>

#include "app/bus_monitor_tab.h"
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

double window_cpu_share(int argc, char** argv) {
  QApplication app(argc, argv);
  const BusMonitorController::Link link{[]() -> USB_protocol* {
                                          ConnectionState& state = connection_state();
                                          return connect_module(state) ? state.Protocol.get() : nullptr;
                                        },
                                        [] { disconnect_module(connection_state()); }};
  BusMonitorTab tab(link);
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
  return 0;
}
