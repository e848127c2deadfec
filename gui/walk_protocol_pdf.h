// SPDX-License-Identifier: MIT
#pragma once
// The walk's protocol on paper, A4 portrait. On top of every page the header
// block: the title, the site, the configuration's file and SHA-256, what the
// module held, the tool's version, the start and end, the engineer; at its
// foot "Strona N z M". Between them the body: a table with a line per
// walked event (its column header repeated on every page), the summary and
// the lines for two signatures. Verdicts are words, so the page reads the
// same in grey.

#include <QString>

#include "commissioning/walk_record.h"

inline constexpr const char* kWalkProtocolTitle = "Protokół sprawdzenia tablicy synoptycznej";

// The header block and the body as HTML.
QString walk_protocol_header_html(const WalkRecord& record);
QString walk_protocol_body_html(const WalkRecord& record);

// Written into memory, then saved whole as the tool's other files are.
bool export_walk_protocol_pdf(const QString& path, const WalkRecord& record, QString* error = nullptr);
