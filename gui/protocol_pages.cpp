// SPDX-License-Identifier: MIT
#include "gui/protocol_pages.h"

namespace {

// The page being filled.
struct Page {
  int number = 0;
  double used = 0;
  int table = -1;  // its last piece is a line of this table: the next one of it needs no column header

  void next() {
    ++number;
    used = 0;
    table = -1;
  }
};

}  // namespace

std::vector<PlacedPiece> place_body_parts(const std::vector<BodyPart>& parts, double room, double column_header) {
  return place_body_parts(parts, room, std::vector<double>{column_header});
}

std::vector<PlacedPiece> place_body_parts(const std::vector<BodyPart>& parts, double room,
                                          const std::vector<double>& column_headers) {
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
    const double column_header =
        static_cast<std::size_t>(body.table) < column_headers.size() ? column_headers[static_cast<std::size_t>(body.table)] : 0;
    const auto header_needed = [&] { return body.table_line && page.table != body.table; };
    double height = body.height + (header_needed() ? column_header : 0);
    if (page.used > 0 && page.used + height > room) {
      page.next();
      height = body.height + (header_needed() ? column_header : 0);
    }
    placed.push_back({part, 0, page.number, page.used, header_needed()});
    page.used += height;
    page.table = body.table_line ? body.table : -1;
  }
  return placed;
}

int page_count(const std::vector<PlacedPiece>& pieces) { return pieces.empty() ? 1 : pieces.back().page + 1; }
