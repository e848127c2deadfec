// SPDX-License-Identifier: MIT
#pragma once
// The walk's protocol on paper, A4 portrait. On top of every page the header
// block: the title, the site, the configuration's file and SHA-256, which
// module (its greeting and USB identity, once when every session had the
// same one), the tool's version, the start and end, the engineer; at its
// foot "Strona N z M". Between them the body: the sessions (when each began
// and ended, what the module held), a table with a line per shown event (its
// column header on every page), the earlier verdicts of an event under its
// line, the summary and the lines for two signatures with their captions.
// No table line and nothing of the summary and signatures is cut by a page.
// Verdicts are words, so the page reads the same in grey.

#include <QString>

#include "commissioning/walk_record.h"

inline constexpr const char* kWalkProtocolTitle = "Protokół sprawdzenia tablicy synoptycznej";

// The header block of every page, as HTML.
QString walk_protocol_header_html(const WalkRecord& record);

// Written into memory, then saved whole as the tool's other files are.
bool export_walk_protocol_pdf(const QString& path, const WalkRecord& record, QString* error = nullptr);
