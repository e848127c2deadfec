// SPDX-License-Identifier: MIT
#pragma once
// The real zel17-cli binary run from a test: its exit status, standard
// output (also line by line while it runs) and standard error. It inherits
// this process's environment, so it sees the test bed the test built.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

struct CliRun {
  int status = -1;  // the exit status; 128 + N when killed by signal N
  std::string out;
  std::string err;
};

class CliProcess {
 public:
  // Standard output goes to a pipe that the test reads, or to the file
  // `output_path` names (e.g. /dev/full). Standard input is /dev/null, or
  // with `keys_from_terminal` a pseudo-terminal that press() types into.
  explicit CliProcess(const std::vector<std::string>& arguments, const char* output_path = nullptr,
                      bool keys_from_terminal = false) {
    std::string input_path = "/dev/null";
    if (keys_from_terminal) {
      terminal_fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (terminal_fd_ < 0 || grantpt(terminal_fd_) != 0 || unlockpt(terminal_fd_) != 0) return;
      input_path = ptsname(terminal_fd_);
    }
    char err_template[] = "/tmp/zel-cli-stderr.XXXXXX";
    const int err_fd = mkstemp(err_template);
    err_path_ = err_template;
    int out_pipe[2] = {-1, -1};
    if (err_fd < 0 || pipe2(out_pipe, O_CLOEXEC) != 0) return;
    out_fd_ = out_pipe[0];

    std::vector<std::string> argv_text = {ZEL_CLI_BINARY};
    argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argv_text) argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output_path != nullptr)
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output_path, O_WRONLY, 0);
    else
      posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input_path.c_str(), O_RDWR | O_NOCTTY, 0);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_fd);
  }

  ~CliProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (out_fd_ >= 0) close(out_fd_);
    if (terminal_fd_ >= 0) close(terminal_fd_);
    std::remove(err_path_.c_str());
  }

  // Types `keys` on the terminal at once, as one key press (or a paste).
  void press(const std::string& keys) const {
    if (terminal_fd_ >= 0 && write(terminal_fd_, keys.data(), keys.size()) < 0) std::perror("press");
  }

  // Waits until standard error holds `text` at least `times` times.
  bool wait_for_err(const std::string& text, std::size_t times, std::chrono::milliseconds patience) const {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::string err = err_so_far();
      std::size_t count = 0;
      for (std::size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++count;
      if (count >= times) return true;
      poll(nullptr, 0, 10);
    }
    return false;
  }
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  bool started() const { return pid_ > 0; }

  // The next whole line of standard output, or nothing when none came in time.
  std::optional<std::string> next_line(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
      const std::size_t end = out_.find('\n', taken_);
      if (end != std::string::npos) {
        std::string line = out_.substr(taken_, end - taken_);
        taken_ = end + 1;
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !read_some(static_cast<int>(left.count()))) return std::nullopt;
    }
  }

  void interrupt() const {
    if (pid_ > 0) kill(pid_, SIGINT);
  }

  // Standard error as written so far, while the program runs.
  std::string err_so_far() const {
    std::ifstream err(err_path_, std::ios::binary);
    std::ostringstream text;
    text << err.rdbuf();
    return text.str();
  }

  // Waits for the end; `out` holds all of standard output, also lines taken.
  CliRun finish() {
    CliRun run;
    while (read_some(-1)) {
    }
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) {
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    pid_ = -1;
    run.out = out_;
    run.err = err_so_far();
    return run;
  }

 private:
  // False at the end of output or when nothing came in `timeout_ms`.
  bool read_some(int timeout_ms) {
    if (out_fd_ < 0) return false;
    pollfd ready{out_fd_, POLLIN, 0};
    if (poll(&ready, 1, timeout_ms) <= 0) return false;
    char buffer[4096];
    const ssize_t count = read(out_fd_, buffer, sizeof buffer);
    if (count <= 0) return false;
    out_.append(buffer, static_cast<std::size_t>(count));
    return true;
  }

  pid_t pid_ = -1;
  int out_fd_ = -1;
  int terminal_fd_ = -1;  // the pseudo-terminal's master side
  std::string err_path_;
  std::string out_;
  std::size_t taken_ = 0;
};

inline CliRun run_cli_binary(const std::vector<std::string>& arguments) {
  CliProcess process(arguments);
  return process.finish();
}
