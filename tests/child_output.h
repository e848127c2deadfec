// SPDX-License-Identifier: MIT
#pragma once
// Runs a piece of a test in a forked child (to change its user or its
// command line) and collects what it wrote to its standard output.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

// The child runs `body` and ends with its result as exit status, without
// running the test program's exit handlers. Empty when the child could not
// be started or ended otherwise than with status 0.
inline std::optional<std::string> output_of_child(const std::function<int()>& body) {
  std::fflush(stdout);  // else the child would send on what the parent buffered
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    dup2(channel[1], STDOUT_FILENO);
    close(channel[0]);
    close(channel[1]);
    const int status = body();
    std::fflush(stdout);
    _exit(status);
  }
  close(channel[1]);
  std::string output;
  char piece[512];
  for (ssize_t got; (got = read(channel[0], piece, sizeof piece)) > 0;) output.append(piece, got);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}
