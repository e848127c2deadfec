// SPDX-License-Identifier: MIT
#pragma once
// Where the parts of a printed protocol's body go on its pages. A part (a
// table line with what belongs under it, the closing block with its
// signatures) is never cut: it begins the next page when it does not fit on
// this one. Only a part taller than a whole page runs over pages, each piece
// on a page of its own. A table's column header stands above its first line
// on every page. A body may hold several tables (a handover document does),
// each with its own column header.

#include <vector>

struct BodyPart {
  double height = 0;     // laid out whole
  bool table_line = false;  // under the table's column header
  int pieces = 1;        // more than one: taller than a page, laid out in that many page-high pieces
  int table = 0;         // a table line: which table's column header it stands under
};

struct PlacedPiece {
  int part = 0;
  int piece = 0;       // of the part, 0 ..
  int page = 0;        // 0 ..
  double top = 0;      // from the top of the page's body room
  bool column_header = false;  // the column header is drawn at `top`, the piece below it
};

// The pieces in order; `room` is the body's height on a page, `column_header`
// the header's height. An empty list of parts makes one empty page.
std::vector<PlacedPiece> place_body_parts(const std::vector<BodyPart>& parts, double room, double column_header);
// The same with a column header's height per table (BodyPart::table).
std::vector<PlacedPiece> place_body_parts(const std::vector<BodyPart>& parts, double room,
                                          const std::vector<double>& column_headers);

// The number of pages the placed pieces take: at least one.
int page_count(const std::vector<PlacedPiece>& pieces);
