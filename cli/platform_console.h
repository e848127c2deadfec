// SPDX-License-Identifier: MIT
#pragma once
// What zel17-cli needs of the terminal and the process, one file per OS:
// Ctrl+C as a request to stop between exchanges, whether standard error is a
// terminal, and the arguments as UTF-8.

#include <chrono>
#include <string>
#include <vector>

// Ctrl+C (and, on Linux, SIGTERM) from now on only set a flag that the run
// looks at between exchanges, so the module is always left disconnected.
void install_interrupt_handlers();
// True once Ctrl+C was pressed, deferred or not.
bool interrupt_requested();
// True when the run must stop before its next exchange: at the first Ctrl+C,
// or while one is deferred, at the second.
bool interrupt_stops_run();
// While a step runs that should not be cut (the module's FLASH is being
// rewritten), the first Ctrl+C writes `notice` to standard error at once
// and lets the step finish; a second one stops it. `notice` must outlive
// the step. Ends with end_deferred_interrupt().
void defer_first_interrupt(const char* notice);
void end_deferred_interrupt();
// 128 + the signal's number (130 for Ctrl+C).
int interrupt_exit_status();
// Readable once a stop was requested, for waits that poll(); -1 where the
// platform has no such descriptor.
int interrupt_wake_fd();
// Sleeps for `time`, or less when a stop is requested; false then.
bool sleep_unless_interrupted(std::chrono::milliseconds time);

bool standard_error_is_terminal();
bool standard_input_is_terminal();

// The command line as UTF-8, whatever the console's code page; also makes
// the console show UTF-8 output.
std::vector<std::string> utf8_arguments(int argc, char** argv);
