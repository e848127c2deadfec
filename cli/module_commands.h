// SPDX-License-Identifier: MIT
#pragma once
// One command of zel17-cli on one module: connect, run, disconnect. The
// module is left disconnected on every path, also after Ctrl+C.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/bus_monitor_command.h"
#include "cli/cli_options.h"
#include "cli/progress_line.h"
#include "config/config_matrix.h"
#include "config/operation_view.h"
#include "config/project_names.h"

class CommissioningRecord;
class USB_protocol;

struct ModuleResult {
  int exit_status = 0;  // see cli/exit_codes.h
  std::string status;   // the window's status text for the outcome (UTF-8), if it has one
  std::string summary;  // after the running number of --repeat: "OK (zapisano)", "BŁĄD: ..."
  std::vector<std::string> results;  // for standard output: differing cells, the greeting
  std::optional<ConfigMatrix> read_cells;  // read: the module's cells, once saved to FILE
};

struct ModuleJob {
  const CliOptions& options;
  const ConfigMatrix& file;        // upload, verify, walk --confirm, field: the cells read from FILE
  ProgressLine& progress;
  std::ostream& transport_trace;   // the transport's trace (--trace), or a stream that drops it
  std::ostream* results_out = nullptr;  // walk, field: their lines as they come, not at the end
  const BusMonitorOutput* monitor_output = nullptr;  // monitor: where it prints as it runs
  std::ostream* notices = nullptr;  // walk: its pauses and resumes (standard error unless --quiet)
  // When FILE is a project: its names end each result line and go into the walk's record.
  const ProjectNames* names = nullptr;
  std::ostream* prompts = nullptr;  // walk --confirm, field: what the engineer is asked, and the comment typed
  CommissioningRecord* record = nullptr;  // walk --confirm, field: its journal, read before the module is opened
};

ModuleResult run_on_module(const ModuleJob& job);

// A run that Ctrl+C stopped.
ModuleResult interrupted();
// A failure with its exit status, the window's status text and its reason ("BŁĄD: reason").
ModuleResult failed(int exit_status, std::string status, const std::string& reason);

// A run stopped on a command the module did not accept, or at a Ctrl+C
// (then the last command was accepted).
ModuleResult not_accepted(const USB_protocol& protocol, std::string status);

// The status and the progress of a long step on the progress line; Ctrl+C stops it.
OperationView view_on(ProgressLine& progress);
