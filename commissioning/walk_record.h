// SPDX-License-Identifier: MIT
#pragma once
// The commissioning record: against which configuration file a walk or a
// field test ran, who checked, each session with what the module held and
// which module it was, and for every planned event what it had to light and
// every verdict the engineer gave. A walk shows the events itself; a field
// test watches the bus while detectors are set off in the building, so its
// events are the ones the bus reported, with the control unit, and what the
// bus reported beyond the plan is kept as findings. It is built from the journal (walk_journal.h),
// grown by CommissioningRecord (commissioning_record.h) and turned into the
// protocol (CSV here, PDF in the window).

#include <optional>
#include <string>
#include <vector>

#include "config/project_names.h"

class ConfigMatrix;

enum class Verdict { not_rated, ok, fault };

// "OK", "Błąd", "nie oceniono"
const char* verdict_text(Verdict verdict);
std::optional<Verdict> verdict_from_text(const std::string& text);

// The differing cells of a module that holds no valid configuration (erased, or damaged).
inline constexpr int kNoValidConfiguration = -1;
// A session of an old journal, whose resumption did not read the module.
inline constexpr int kNotRead = -2;

// What a session found in the module before its first event.
struct ModuleReading {
  int differing_cells = 0;  // the module's table against the file's; kNoValidConfiguration, kNotRead
  std::string greeting;     // the module's answer to the greeting, UTF-8; empty when not known
  std::string device;       // the USB device: its serial number where it has one, else its bus path
  bool operator==(const ModuleReading&) const = default;
};

// One sitting of the walk: its start, or a resumption (also after a crash).
struct RecordSession {
  std::string began;  // ISO 8601 local time
  std::string ended;  // the time of its last entry
  bool closed = false;  // it ended by the walk's end or Stop, not by a crash
  ModuleReading module;
  bool operator==(const RecordSession&) const = default;
};

// A verdict given for an event.
struct VerdictEntry {
  Verdict verdict = Verdict::not_rated;
  std::string comment;
  std::string time;  // ISO 8601 local time
  bool operator==(const VerdictEntry&) const = default;
};

// A walk: the tool shows each event. A field test: the bus reports them.
enum class RecordKind { walk, field };
// A field test listening to every control unit; a line's unit not known.
inline constexpr int kAnyUnit = -1;

// The rows that no bus frame calls up, checked by hand at the panel.
inline constexpr int kFirstByHandRow = 1;  // "Strata łączności"
inline constexpr int kLastByHandRow = 3;   // "Po resecie"
bool is_by_hand_row(int row);
// What the engineer does to provoke a by-hand event: "Odłącz magistralę RS485",
// "Uruchom test wyjść w centrali", "Wyłącz i włącz zasilanie modułu"; empty for other rows.
const char* by_hand_step_text(int row);

// One planned event: what it must light, and what became of it.
struct RecordLine {
  int row = 0;
  std::string label;     // "adr 0. Alarm I"
  std::string name;      // the address's name in the project, or empty
  std::string expected;  // see expected_lamps_text()
  // The last verdict (not_rated: shown on the timer, or not shown yet), its
  // comment and time; the time is empty until the event was shown.
  Verdict verdict = Verdict::not_rated;
  std::string comment;
  std::string time;
  std::vector<VerdictEntry> earlier;  // verdicts given before the last one, oldest first
  // A field test: when the bus first reported the event and from which control unit.
  std::string seen;
  int unit = kAnyUnit;

  bool shown() const { return !time.empty(); }
  bool rated() const { return verdict != Verdict::not_rated; }
  bool by_hand() const { return is_by_hand_row(row); }
  bool operator==(const RecordLine&) const = default;
};

// What the record checks; written once, at its start.
struct RecordHeader {
  std::string configuration_file;  // the file's name as the user knows it, UTF-8
  std::string sha256;              // of the file's 7625 bytes of the table
  std::string tool_version;
  std::string engineer;
  SiteInfo site;
  RecordKind kind = RecordKind::walk;
  int unit = kAnyUnit;  // a field test: the control unit it listens to
  bool operator==(const RecordHeader&) const = default;
};

// What a field test's bus reported beyond its plan, each kept once.
enum class FindingKind {
  no_lamp,     // an event the table lights nothing for: a detector the table does not know
  other_unit,  // an event of another control unit than the one listened to
};
// "bez lampy", "inna centrala"
const char* finding_kind_text(FindingKind kind);
std::optional<FindingKind> finding_kind_from_text(const std::string& text);

struct FieldFinding {
  FindingKind kind = FindingKind::no_lamp;
  int row = 0;
  int unit = 0;
  std::string label;  // "adr 5. Awaria"
  std::string name;   // the address's name in the project, or empty
  std::string time;   // when the bus first reported it
  bool operator==(const FieldFinding&) const = default;
};

// What an event that began on the bus is to a field test.
enum class Sighting {
  planned,       // first seen: its line is "widziano"
  seen_before,   // its line was seen already
  no_lamp,       // a finding (FindingKind)
  other_unit,    // a finding
  outside_plan,  // lights a lamp, but outside the chosen range
};

struct RecordSummary {
  int walked = 0;  // events shown
  int ok = 0;
  int faults = 0;
  int not_rated = 0;   // shown without a verdict
  int not_walked = 0;  // events of the plan not shown
  int no_lamp = 0;     // a field test's events without a lamp
  int other_unit = 0;  // a field test's events of another control unit
  bool operator==(const RecordSummary&) const = default;
};

// "OK 12, błędy 1, bez oceny 3, zostało 40": the verdicts so far and the events not shown yet.
std::string summary_tally_text(const RecordSummary& summary);
// A field test's: "widziano 37 z 60, bez lampy 2" (", innej centrali 1" when there are).
std::string field_tally_text(const RecordSummary& summary);
// Its closing sentence: "Widziano 37 z 60 zdarzeń planu, bez lampy: 2."
std::string field_summary_text(const RecordSummary& summary);
// A field test line's state: "nie widziano", "widziano – bez oceny", "OK", "Błąd".
const char* field_state_text(const RecordLine& line);

struct WalkRecord {
  RecordHeader header;
  std::vector<RecordLine> lines;        // the plan: one per event, in the walk's order
  std::vector<RecordSession> sessions;  // the first is the start
  std::vector<FieldFinding> findings;   // a field test's, in the order first reported

  bool field() const { return header.kind == RecordKind::field; }

  // The plan's rows, in its order.
  std::vector<int> rows() const;
  const RecordLine* line(int row) const;
  RecordSummary summary() const;
  // Where a resumed walk goes on: with verdicts, the first event without
  // one; on the timer, the first event not shown. -1 when there is none.
  int next_row(bool with_verdicts) const;
  // The rows rated "Błąd", in the plan's order.
  std::vector<int> fault_rows() const;
  // The time of the record's last entry.
  const std::string& ended() const;
  // The walk ended (at its end, or on Stop) after its last session.
  bool closed() const { return !sessions.empty() && sessions.back().closed; }

  // An event shown on the timer: its time, unless it has a verdict already.
  // A verdict: the line's earlier verdict goes into its history. Rows not in
  // the plan are not taken (false).
  bool take(int row, Verdict verdict, const std::string& comment, const std::string& time);

  // A field test: what the event `row` of control unit `unit`, which
  // `lights` some lamp, is to this record.
  Sighting sighting(int row, int unit, bool lights) const;
  // A planned event the bus reported first: its time and unit (false when
  // it is not planned or was seen).
  bool see(int row, int unit, const std::string& time);
  // A finding not kept yet (false when one of its kind, row and unit is).
  bool find(const FieldFinding& finding);
  bool has_finding(const FieldFinding& finding) const;
  bool operator==(const WalkRecord&) const = default;
};

// What an event must light: "3 Hala A – ciągłe, 7 Kotłownia – szybkie
// miganie", lamps in order, a lamp's name where the project has one
// ("3 – ciągłe" without); "nic" when it lights nothing.
std::string expected_lamps_text(const ConfigMatrix& matrix, int row, const ProjectNames& names);

// The line of an event as the plan of a record holds it, not shown yet.
RecordLine event_line(const ConfigMatrix& matrix, int row, const ProjectNames& names);

// The plan of a field test: the address events of rows `first`..`last`
// (either way round) that light some lamp.
std::vector<int> field_plan_rows(const ConfigMatrix& matrix, int first, int last);

// A new record over the events `rows` of the file `file_name` holding
// `matrix` (the plan's lines made from it and from `names`), begun `time`
// with the module found as `module`.
WalkRecord new_record(const std::string& file_name, const ConfigMatrix& matrix, const ProjectNames& names,
                      const std::vector<int>& rows, const std::string& tool_version, const std::string& engineer,
                      const ModuleReading& module, const std::string& time);

// "Konfiguracja w module zgodna z plikiem.", "Konfiguracja w module różni się w N komórkach!",
// "Moduł nie zawiera poprawnej konfiguracji!" (kNoValidConfiguration) or
// "Nie sprawdzono konfiguracji w module." (kNotRead).
std::string readback_result_text(int differing_cells);
// The same as the protocol lists the sessions: "zgodna z plikiem",
// "różni się w 12 komórkach", "brak poprawnej konfiguracji", "nie sprawdzono".
std::string readback_result_short_text(int differing_cells);

// "2026-12-07 14:03:11" from the ISO 8601 time of a record; the text as it is when it is not one.
std::string record_time_text(const std::string& iso8601);
