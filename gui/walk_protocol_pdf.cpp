// SPDX-License-Identifier: MIT
#include "gui/walk_protocol_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <memory>

#include "gui/pdf_file.h"
#include "gui/protocol_html.h"
#include "gui/protocol_pages.h"

namespace {

QFont protocol_font() { return pdf_text_font(9); }

// A part of the page laid out for the writer's resolution, `width` device units wide.
std::unique_ptr<QTextDocument> laid_out(QPdfWriter& writer, const QString& html, double width) {
  auto document = std::make_unique<QTextDocument>();
  document->documentLayout()->setPaintDevice(&writer);
  document->setDefaultFont(protocol_font());
  document->setDocumentMargin(0);
  document->setHtml(html);
  document->setTextWidth(width);
  return document;
}

void set_error(QString* error, const char* text) {
  if (error) *error = QString::fromUtf8(text);
}

// What a protocol prints: the header block of every page, the tables'
// columns, and the body's parts in order, each laid out on its own.
struct ProtocolDocument {
  static constexpr int kNoTable = -1;
  struct Part {
    QString html;
    int table = kNoTable;  // a line of this table, under its column header
  };
  QString title;
  QString header;
  std::vector<const ProtocolColumns*> tables;
  std::vector<Part> parts;

  int table(const ProtocolColumns& columns) {
    tables.push_back(&columns);
    return static_cast<int>(tables.size()) - 1;
  }
};

// A walk's sessions and a part per shown event; `closing` ends its summary.
void add_walk(ProtocolDocument& document, const WalkRecord& record, const QString& heading, const QString& closing) {
  document.parts.push_back({sessions_html(record, heading)});
  const int table = document.table(walk_columns());
  for (const RecordLine& line : record.lines)
    if (line.shown()) document.parts.push_back({walk_line_html(line), table});
  document.parts.push_back({walk_summary_html(record) + closing});
}

// A field test's sessions, a part per planned event (also those not seen),
// what the bus reported beyond the plan apart, and the coverage.
void add_field(ProtocolDocument& document, const WalkRecord& record, const QString& heading, const QString& closing) {
  document.parts.push_back({sessions_html(record, heading)});
  const int table = document.table(field_columns());
  const std::string began = record.sessions.empty() ? std::string() : record.sessions.front().began;
  for (const RecordLine& line : record.lines) document.parts.push_back({field_line_html(line, began), table});
  document.parts.push_back({findings_heading_html(!record.findings.empty())});
  const int findings = document.table(finding_columns());
  for (const FieldFinding& finding : record.findings)
    document.parts.push_back({finding_line_html(finding), findings});
  document.parts.push_back({field_summary_html(record) + closing});
}

ProtocolDocument record_document(const WalkRecord& record) {
  ProtocolDocument document;
  document.title = QString::fromUtf8(record.field() ? kFieldProtocolTitle : kWalkProtocolTitle);
  document.header = walk_protocol_header_html(record);
  if (record.field())
    add_field(document, record, {}, signatures_html());
  else
    add_walk(document, record, {}, signatures_html());
  return document;
}

QString section_heading(const char* title) {
  return QStringLiteral("<h3>%1</h3>").arg(QString::fromUtf8(title));
}

ProtocolDocument handover_document(const WalkRecord& walk, const WalkRecord& field) {
  ProtocolDocument document;
  document.title = QString::fromUtf8(kHandoverProtocolTitle);
  document.header = protocol_header_html(document.title, {&walk, &field});
  add_walk(document, walk, section_heading(kHandoverWalkSection), {});
  add_field(document, field, QStringLiteral("<p>&nbsp;</p>") + section_heading(kHandoverFieldSection),
            signatures_html());
  return document;
}

// The body's parts laid out: none is cut by a page unless it is taller than one.
struct Body {
  std::vector<std::unique_ptr<QTextDocument>> documents;
  std::vector<BodyPart> parts;
  std::vector<double> piece_room;  // of a part over several pages: the height of each piece
};

Body laid_out_body(QPdfWriter& writer, const ProtocolDocument& protocol, double width, double room,
                   const std::vector<double>& column_headers, double overlap) {
  Body body;
  for (const ProtocolDocument::Part& part : protocol.parts) {
    const bool table_line = part.table != ProtocolDocument::kNoTable;
    std::unique_ptr<QTextDocument> document = laid_out(writer, part.html, width);
    // A table line is drawn over the border of what stands above it.
    const double height = document->size().height() - (table_line ? overlap : 0);
    const double limit = room - (table_line ? column_headers[static_cast<std::size_t>(part.table)] : 0);
    BodyPart placed{height, table_line, 1, table_line ? part.table : 0};
    if (height > limit) {
      document->setPageSize(QSizeF(width, limit));
      placed.pieces = document->pageCount();
    }
    body.piece_room.push_back(limit);
    body.parts.push_back(placed);
    body.documents.push_back(std::move(document));
  }
  return body;
}

// Each page: the header block on top, the page's parts of the body below it,
// and "Strona N z M" at the foot.
bool paint_protocol(QPdfWriter& writer, const ProtocolDocument& protocol, QString* error) {
  QPainter painter;
  if (!painter.begin(&writer)) {
    set_error(error, "nie można rozpocząć rysowania stron");
    return false;
  }
  const double width = writer.width();
  const double height = writer.height();
  const QFontMetricsF metrics(protocol_font(), &writer);
  const double footer = 2 * metrics.height();

  const std::unique_ptr<QTextDocument> header = laid_out(writer, protocol.header, width);
  const double top = header->size().height() + metrics.height();
  const double room = height - top - footer;
  if (room < 10 * metrics.height()) {
    painter.end();
    set_error(error, "nagłówek protokołu nie mieści się na stronie");
    return false;
  }
  std::vector<std::unique_ptr<QTextDocument>> columns;
  std::vector<double> column_headers;
  for (const ProtocolColumns* table : protocol.tables) {
    columns.push_back(laid_out(writer, bordered_table(column_header_row(*table)), width));
    column_headers.push_back(columns.back()->size().height());
  }
  // The width of a table's border, which lines laid out apart share: two
  // lines of one table are that much lower than the two apart.
  const QString header_row = column_header_row(walk_columns());
  const double overlap = 2 * laid_out(writer, bordered_table(header_row), width)->size().height() -
                         laid_out(writer, bordered_table(header_row + header_row), width)->size().height();
  const Body body = laid_out_body(writer, protocol, width, room, column_headers, overlap);
  const std::vector<PlacedPiece> placed = place_body_parts(body.parts, room, column_headers);
  const int pages = page_count(placed);

  std::size_t next = 0;
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && !writer.newPage()) {
      painter.end();
      set_error(error, "nie udało się dodać strony");
      return false;
    }
    header->drawContents(&painter);
    painter.setFont(protocol_font());
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, height - footer, width, footer), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Strona %1 z %2").arg(page + 1).arg(pages));
    for (; next < placed.size() && placed[next].page == page; ++next) {
      const PlacedPiece& piece = placed[next];
      const std::size_t part = static_cast<std::size_t>(piece.part);
      double y = top + piece.top;
      if (piece.column_header) {
        const std::size_t table = static_cast<std::size_t>(body.parts[part].table);
        painter.save();
        painter.translate(0, y);
        columns[table]->drawContents(&painter);
        painter.restore();
        y += column_headers[table];
      }
      if (body.parts[part].table_line) y -= overlap;
      QTextDocument& document = *body.documents[part];
      const double from = piece.piece * body.piece_room[part];
      const double shown = body.parts[part].pieces > 1 ? body.piece_room[part] : document.size().height();
      painter.save();
      painter.translate(0, y - from);
      document.drawContents(&painter, QRectF(0, from, width, shown));
      painter.restore();
    }
  }
  if (!painter.end()) {
    set_error(error, "nie udało się narysować wszystkich stron");
    return false;
  }
  return true;
}

bool save_protocol(const QString& path, const ProtocolDocument& protocol, QString* error) {
  return save_pdf_file(path, protocol.title, QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       [&protocol](QPdfWriter& writer, QString* failure) { return paint_protocol(writer, protocol, failure); },
                       error);
}

}  // namespace

QString walk_protocol_header_html(const WalkRecord& record) {
  return protocol_header_html(QString::fromUtf8(record.field() ? kFieldProtocolTitle : kWalkProtocolTitle), {&record});
}

bool export_walk_protocol_pdf(const QString& path, const WalkRecord& record, QString* error) {
  return save_protocol(path, record_document(record), error);
}

bool export_handover_protocol_pdf(const QString& path, const WalkRecord& one, const WalkRecord& other,
                                  QString* error) {
  if (one.field() == other.field() || one.header.sha256 != other.header.sha256) {
    set_error(error, "protokół odbioru łączy test po kolei i próbę z obiektu tej samej konfiguracji");
    return false;
  }
  return save_protocol(path, one.field() ? handover_document(other, one) : handover_document(one, other), error);
}
