// SPDX-License-Identifier: MIT
#pragma once
// A record's protocol on paper, A4 portrait. On top of every page the header
// block: the title, the site, the configuration's file and SHA-256, which
// module (its greeting and USB identity, once when every session had the
// same one), the tool's version, the start and end, the engineer; at its
// foot "Strona N z M". Between them the body: the sessions (when each began
// and ended, what the module held), then
// - a walk's: a table with a line per shown event, the earlier verdicts of
//   an event under its line, and the summary;
// - a field test's: a table with a line per planned event (its state, the
//   comment, when the bus reported it and from which control unit), the
//   events the bus reported beyond the plan apart, and the coverage;
// and the lines for two signatures with their captions. A table's column
// header stands on every page it runs over. No table line and nothing of
// the summary and signatures is cut by a page (gui/protocol_pages.h).
// The handover document holds a project's walk and its field test under one
// header block, each with its sessions, table and summary, and the
// signatures once at its end.

#include <QString>

#include "commissioning/walk_record.h"

inline constexpr const char* kWalkProtocolTitle = "Protokół sprawdzenia tablicy synoptycznej";
inline constexpr const char* kFieldProtocolTitle = "Protokół próby z obiektu";
inline constexpr const char* kHandoverProtocolTitle = "Protokół odbioru";
// The handover document's sections.
inline constexpr const char* kHandoverWalkSection = "Test po kolei";
inline constexpr const char* kHandoverFieldSection = "Próba z obiektu";

// Said when the handover document lacks its other half.
inline constexpr const char* kNoFieldTestForHandover =
    "Nie ma próby z obiektu tej samej konfiguracji (SHA-256): protokół odbioru łączy test po kolei z próbą z obiektu.";
inline constexpr const char* kNoWalkForHandover =
    "Nie ma testu po kolei tej samej konfiguracji (SHA-256): protokół odbioru łączy test po kolei z próbą z obiektu.";

// The header block of every page of the record's protocol, as HTML.
QString walk_protocol_header_html(const WalkRecord& record);

// A walk's or a field test's protocol, as the record's kind says. Written
// into memory, then saved whole as the tool's other files are.
bool export_walk_protocol_pdf(const QString& path, const WalkRecord& record, QString* error = nullptr);

// "Protokół odbioru": a walk and a field test of the same table, given in
// either order, as one document, the walk first. Refused (false, *error
// says why) for any other pair.
bool export_handover_protocol_pdf(const QString& path, const WalkRecord& one, const WalkRecord& other,
                                  QString* error = nullptr);
