// SPDX-License-Identifier: MIT
#include "gui/protocol_pages.h"

namespace {

// The page being filled.
struct Page {
  int number = 0;
  double used = 0;
  bool ends_in_table = false;  // its last piece is a table line: the next one needs no column header

  void next() {
    ++number;
    used = 0;
    ends_in_table = false;
  }
};

}  // namespace

std::vector<PlacedPiece> place_body_parts(const std::vector<BodyPart>& parts, double room, double column_header) {
  std::vector<PlacedPiece> placed;
  Page page;
  for (int part = 0; part < static_cast<int>(parts.size()); ++part) {
    const BodyPart& body = parts[static_cast<std::size_t>(part)];
    if (body.pieces > 1) {
      for (int piece = 0; piece < body.pieces; ++piece) {
        if (page.used > 0) page.next();
        placed.push_back({part, piece, page.number, 0, body.table_line});
        page.used = room;
      }
      continue;
    }
    const auto header_needed = [&] { return body.table_line && !page.ends_in_table; };
    double height = body.height + (header_needed() ? column_header : 0);
    if (page.used > 0 && page.used + height > room) {
      page.next();
      height = body.height + (header_needed() ? column_header : 0);
    }
    placed.push_back({part, 0, page.number, page.used, header_needed()});
    page.used += height;
    page.ends_in_table = body.table_line;
  }
  return placed;
}

int page_count(const std::vector<PlacedPiece>& pieces) { return pieces.empty() ? 1 : pieces.back().page + 1; }
