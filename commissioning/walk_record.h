// SPDX-License-Identifier: MIT
#pragma once
// The record of a walk test: against which configuration it ran, what the
// module held, who checked, and for every walked event what it had to light
// and what the engineer saw. It is built from the journal (walk_journal.h)
// and turned into the protocol (CSV here, PDF in the window).

#include <optional>
#include <string>
#include <vector>

#include "config/project_names.h"

class ConfigMatrix;

enum class Verdict { not_rated, ok, fault };

// "OK", "Błąd", "nie oceniono"
const char* verdict_text(Verdict verdict);
std::optional<Verdict> verdict_from_text(const std::string& text);

// What the walk was run against; written once, at its start.
struct RecordHeader {
  std::string configuration_file;  // the name as the user knows it, UTF-8
  std::string sha256;              // of the 7625 bytes of the grid walked
  int differing_cells = 0;         // the module's table against the grid, read before the walk;
                                   // kNoValidConfiguration when the module held none
  std::string tool_version;
  std::string engineer;
  SiteInfo site;
  std::string started;             // ISO 8601 local time
  std::vector<int> rows;           // the walk's plan, in its order
  bool operator==(const RecordHeader&) const = default;
};

// One walked event and the verdict given last for it.
struct RecordLine {
  int row = 0;
  std::string label;     // "adr 0. Alarm I"
  std::string name;      // the address's name in the project, or empty
  std::string expected;  // see expected_lamps_text()
  Verdict verdict = Verdict::not_rated;
  std::string comment;
  std::string time;      // ISO 8601 local time of the verdict
  bool operator==(const RecordLine&) const = default;
};

struct RecordSummary {
  int walked = 0;  // events with a line
  int ok = 0;
  int faults = 0;
  int not_rated = 0;
  int not_walked = 0;  // events of the plan without a line
  bool operator==(const RecordSummary&) const = default;
};

struct WalkRecord {
  RecordHeader header;
  std::vector<RecordLine> lines;  // in the plan's order, one per walked event
  std::string ended;              // the time of the last entry
  bool closed = false;            // the walk came to its end or was stopped after its last row

  RecordSummary summary() const;
  // Every event of the plan has a line.
  bool complete() const;
  // The first event of the plan without a line, where a resumed walk goes on; -1 when none.
  int first_unwalked_row() const;
  // The row's line has a verdict ("OK" or "Błąd").
  bool rated(int row) const;
  // The rows rated "Błąd", in the plan's order.
  std::vector<int> fault_rows() const;
  // Puts `line` in place of the row's earlier line, or among the others in the plan's order.
  void take(RecordLine line);
  bool operator==(const WalkRecord&) const = default;
};

// What an event must light: "3 Hala A – ciągłe, 7 Kotłownia – szybkie
// miganie", lamps in order, a lamp's name where the project has one
// ("3 – ciągłe" without); "nic" when it lights nothing.
std::string expected_lamps_text(const ConfigMatrix& matrix, int row, const ProjectNames& names);

// The line of an event as the walk records it, without verdict or time.
RecordLine event_line(const ConfigMatrix& matrix, int row, const ProjectNames& names);

// The header of a new record of a walk over `rows` of `matrix`, begun now.
RecordHeader new_record_header(const std::string& file_name, const ConfigMatrix& matrix, int differing_cells,
                               const std::string& tool_version, const std::string& engineer,
                               const ProjectNames& names, const std::vector<int>& rows);

// The differing cells of a module that holds no valid configuration (erased, or damaged).
inline constexpr int kNoValidConfiguration = -1;

// "Konfiguracja w module zgodna z plikiem.", "Konfiguracja w module różni się w N komórkach!"
// or, for kNoValidConfiguration, "Moduł nie zawiera poprawnej konfiguracji!"
std::string readback_result_text(int differing_cells);

// "2026-12-07 14:03:11" from the ISO 8601 time of a record; the text as it is when it is not one.
std::string record_time_text(const std::string& iso8601);
