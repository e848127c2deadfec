// SPDX-License-Identifier: MIT
#pragma once
// The printed protocol's pieces as HTML, each laid out on its own so that a
// page never cuts one (walk_protocol_pdf.cpp places them): the header block
// of every page, a record's sessions, a table line per event of a walk or a
// field test (the earlier verdicts of an event under its line), a line per
// event a field test's bus reported beyond its plan, the summaries and the
// signatures. Verdicts are words, so the page reads the same in grey.

#include <QString>
#include <vector>

#include "commissioning/walk_record.h"

struct ProtocolColumn {
  const char* title;
  int width;  // per cent of the page's width
};
using ProtocolColumns = std::vector<ProtocolColumn>;

// A walk's events: "Zdarzenie", "Nazwa", "Oczekiwane", "Ocena", "Uwagi", "Czas".
const ProtocolColumns& walk_columns();
// A field test's planned events: ... "Stan", "Uwagi", "Widziano", "Centrala".
const ProtocolColumns& field_columns();
// What its bus reported beyond the plan: "Rodzaj", "Zdarzenie", "Nazwa", "Centrala", "Czas".
const ProtocolColumns& finding_columns();

QString bordered_table(const QString& rows);
// The columns' titles as one table row.
QString column_header_row(const ProtocolColumns& columns);

// The header block of every page: the title, the site, the file and its
// SHA-256, the module, the tool's version, the start and end, who checked.
// Of several records (a handover document) the start of the first, the end
// of the last, and each engineer and version once.
QString protocol_header_html(const QString& title, const std::vector<const WalkRecord*>& records);

// A record's sessions under `heading`: when each began and ended, what the module held.
QString sessions_html(const WalkRecord& record, const QString& heading);

QString walk_line_html(const RecordLine& line);
// When the bus reported it: its time only where it is the day of `day_of` (the record's start).
QString field_line_html(const RecordLine& line, const std::string& day_of);
QString finding_line_html(const FieldFinding& finding);
// "Zdarzenia spoza planu", or that there were none.
QString findings_heading_html(bool any);

// "Podsumowanie: sprawdzono zdarzeń: 5, OK: ..."
QString walk_summary_html(const WalkRecord& record);
// "Podsumowanie: Widziano 2 z 3 zdarzeń planu, bez lampy: 1." and the verdicts.
QString field_summary_html(const WalkRecord& record);
// The lines for the installer's and the receiving party's signatures.
QString signatures_html();
