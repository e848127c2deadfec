// SPDX-License-Identifier: MIT
#include "gui/walk_protocol_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <array>
#include <memory>

#include "gui/pdf_file.h"
#include "gui/protocol_pages.h"

namespace {

QString html(const std::string& utf8) { return QString::fromStdString(utf8).toHtmlEscaped(); }

QString field(const char* name, const QString& value) {
  return QStringLiteral("<tr><td width='22%'><b>%1</b></td><td>%2</td></tr>").arg(QString::fromUtf8(name), value);
}

QFont protocol_font() { return pdf_text_font(9); }

// The events table's columns, each line laid out on its own at the same widths (per cent).
struct Column {
  const char* title;
  int width;
};
constexpr std::array<Column, 6> kColumns{{{"Zdarzenie", 17},
                                          {"Nazwa", 14},
                                          {"Oczekiwane", 23},
                                          {"Ocena", 10},
                                          {"Uwagi", 18},
                                          {"Czas", 18}}};
// The columns the earlier verdicts of an event stand under: from "Ocena" on.
constexpr int kVerdictColumn = 3;

QString bordered_table(const QString& rows) {
  return QStringLiteral(
             "<table border='1' cellspacing='0' cellpadding='3' width='100%' style='border-collapse:collapse'>") +
         rows + QStringLiteral("</table>");
}

QString column_header_row() {
  QString row = QStringLiteral("<tr>");
  for (const Column& column : kColumns)
    row += QStringLiteral("<th width='%1%'>%2</th>").arg(column.width).arg(QString::fromUtf8(column.title));
  return row + QStringLiteral("</tr>");
}

// "14:02:03" where it is the day of `day_of`, else the date too.
QString time_beside(const std::string& time, const std::string& day_of) {
  const std::string text = record_time_text(time);
  const std::string day = record_time_text(day_of);
  constexpr std::size_t kDate = 11;  // "2026-12-07 "
  if (text.size() > kDate && day.size() > kDate && text.compare(0, kDate, day, 0, kDate) == 0)
    return html(text.substr(kDate));
  return html(text);
}

// "Wcześniej: Błąd 14:02:03 – lampa 3 miga wolno; OK 14:10:00", oldest first.
QString earlier_verdicts_html(const RecordLine& line) {
  QStringList verdicts;
  for (const VerdictEntry& entry : line.earlier) {
    QString text = html(verdict_text(entry.verdict)) + QLatin1Char(' ') + time_beside(entry.time, line.time);
    if (!entry.comment.empty()) text += QString::fromUtf8(" – ") + html(entry.comment);
    verdicts << text;
  }
  return QString::fromUtf8("Wcześniej: ") + verdicts.join(QStringLiteral("; "));
}

QString line_html(const RecordLine& line) {
  const QString verdict = html(verdict_text(line.verdict));
  QString label = html(line.label);
  if (line.by_hand()) label += QString::fromUtf8("<br><i>sprawdzone ręcznie</i>");
  QString row = QStringLiteral("<tr>");
  const std::array<QString, kColumns.size()> cells{
      label, html(line.name), html(line.expected),
      line.verdict == Verdict::fault ? QStringLiteral("<b>%1</b>").arg(verdict) : verdict, html(line.comment),
      html(record_time_text(line.time))};
  for (std::size_t column = 0; column < cells.size(); ++column)
    row += QStringLiteral("<td width='%1%'>%2</td>").arg(kColumns[column].width).arg(cells[column]);
  row += QStringLiteral("</tr>");
  if (!line.earlier.empty()) {
    row += QStringLiteral("<tr><td colspan='%1'></td><td colspan='%2'>%3</td></tr>")
               .arg(kVerdictColumn)
               .arg(static_cast<int>(kColumns.size()) - kVerdictColumn)
               .arg(earlier_verdicts_html(line));
  }
  return bordered_table(row);
}

bool one_module(const WalkRecord& record) {
  for (const RecordSession& session : record.sessions)
    if (session.module.greeting != record.sessions.front().module.greeting ||
        session.module.device != record.sessions.front().module.device)
      return false;
  return true;
}

QString greeting_html(const ModuleReading& module) {
  return module.greeting.empty() ? QStringLiteral("nieznany") : html(module.greeting);
}
QString device_html(const ModuleReading& module) {
  return module.device.empty() ? QStringLiteral("nieznane") : html(module.device);
}

// Each session: its start and end, what the module held, and which module
// it was where the sessions had different ones.
QString sessions_html(const WalkRecord& record) {
  const bool per_session = !one_module(record);
  QString rows = QString::fromUtf8("<tr><th>Sesja</th><th>Początek</th><th>Koniec</th><th>Konfiguracja w module</th>");
  if (per_session) rows += QString::fromUtf8("<th>Moduł</th>");
  rows += QStringLiteral("</tr>");
  for (std::size_t i = 0; i < record.sessions.size(); ++i) {
    const RecordSession& session = record.sessions[i];
    QString ended = html(record_time_text(session.ended));
    if (!session.closed) ended += QString::fromUtf8(" (bez zakończenia)");
    rows += QStringLiteral("<tr><td>%1.</td><td>%2</td><td>%3</td><td>%4</td>")
                .arg(i + 1)
                .arg(html(record_time_text(session.began)), ended,
                     html(readback_result_short_text(session.module.differing_cells)));
    if (per_session)
      rows += QStringLiteral("<td>%1<br>USB: %2</td>").arg(greeting_html(session.module), device_html(session.module));
    rows += QStringLiteral("</tr>");
  }
  return QStringLiteral("<p><b>Sesje sprawdzenia</b></p>") + bordered_table(rows) + QStringLiteral("<p></p>");
}

QString closing_html(const WalkRecord& record) {
  const RecordSummary summary = record.summary();
  QString page = QString::fromUtf8(
                     "<p>&nbsp;</p><p><b>Podsumowanie:</b> sprawdzono zdarzeń: %1, OK: %2, błędy: %3, nie oceniono: %4, "
                     "nie sprawdzono: %5.</p>")
                     .arg(summary.walked)
                     .arg(summary.ok)
                     .arg(summary.faults)
                     .arg(summary.not_rated)
                     .arg(summary.not_walked);
  page += QString::fromUtf8(
      "<p></p><p></p><table width='100%'><tr>"
      "<td align='center'>.................................................<br>instalator (podpis)</td>"
      "<td align='center'>.................................................<br>strona odbierająca (podpis)</td>"
      "</tr></table>");
  return page;
}

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

// The body's parts, each laid out on its own so that none is cut by a page:
// the sessions, a part per shown event, and the closing block with the summary
// and the signatures.
struct Body {
  std::vector<std::unique_ptr<QTextDocument>> documents;
  std::vector<BodyPart> parts;
  std::vector<double> piece_room;  // of a part over several pages: the height of each piece
};

Body laid_out_body(QPdfWriter& writer, const WalkRecord& record, double width, double room, double column_header,
                   double overlap) {
  Body body;
  const auto add = [&](const QString& html, bool table_line) {
    std::unique_ptr<QTextDocument> document = laid_out(writer, html, width);
    // A table line is drawn over the border of what stands above it.
    const double height = document->size().height() - (table_line ? overlap : 0);
    const double limit = room - (table_line ? column_header : 0);
    BodyPart part{height, table_line, 1};
    if (height > limit) {
      document->setPageSize(QSizeF(width, limit));
      part.pieces = document->pageCount();
    }
    body.piece_room.push_back(limit);
    body.parts.push_back(part);
    body.documents.push_back(std::move(document));
  };
  add(sessions_html(record), false);
  for (const RecordLine& line : record.lines)
    if (line.shown()) add(line_html(line), true);
  add(closing_html(record), false);
  return body;
}

// Each page: the header block on top, the page's parts of the body below it,
// and "Strona N z M" at the foot.
bool paint_protocol(QPdfWriter& writer, const WalkRecord& record, QString* error) {
  QPainter painter;
  if (!painter.begin(&writer)) {
    set_error(error, "nie można rozpocząć rysowania stron");
    return false;
  }
  const double width = writer.width();
  const double height = writer.height();
  const QFontMetricsF metrics(protocol_font(), &writer);
  const double footer = 2 * metrics.height();

  const std::unique_ptr<QTextDocument> header = laid_out(writer, walk_protocol_header_html(record), width);
  const double top = header->size().height() + metrics.height();
  const double room = height - top - footer;
  if (room < 10 * metrics.height()) {
    painter.end();
    set_error(error, "nagłówek protokołu nie mieści się na stronie");
    return false;
  }
  const std::unique_ptr<QTextDocument> columns = laid_out(writer, bordered_table(column_header_row()), width);
  const double column_header = columns->size().height();
  // The width of a table's border, which lines laid out apart share: two
  // lines of one table are that much lower than the two apart.
  const double overlap =
      2 * column_header -
      laid_out(writer, bordered_table(column_header_row() + column_header_row()), width)->size().height();
  const Body body = laid_out_body(writer, record, width, room, column_header, overlap);
  const std::vector<PlacedPiece> placed = place_body_parts(body.parts, room, column_header);
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
        painter.save();
        painter.translate(0, y);
        columns->drawContents(&painter);
        painter.restore();
        y += column_header;
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

}  // namespace

QString walk_protocol_header_html(const WalkRecord& record) {
  const RecordHeader& header = record.header;
  QString page = QStringLiteral("<h2>%1</h2><table width='100%' cellspacing='0' cellpadding='2'>")
                     .arg(QString::fromUtf8(kWalkProtocolTitle));
  page += field("Obiekt", html(header.site.name));
  page += field("Adres obiektu", html(header.site.address));
  page += field("Miejsce tablicy", html(header.site.board_place));
  if (!header.site.notes.empty()) page += field("Uwagi", html(header.site.notes));
  page += field("Plik konfiguracji", html(header.configuration_file));
  // The fingerprint on a line of its own, so that it is never broken.
  page += QStringLiteral("<tr><td colspan='2'><b>SHA-256</b> <tt>%1</tt></td></tr>").arg(html(header.sha256));
  if (record.sessions.empty() || one_module(record)) {
    const ModuleReading module = record.sessions.empty() ? ModuleReading{} : record.sessions.front().module;
    page += field("Moduł", greeting_html(module));
    page += field("Urządzenie USB", device_html(module));
  } else {
    page += field("Moduł", QString::fromUtf8("różny w sesjach, zob. niżej"));
  }
  page += field("Wersja programu", html(header.tool_version));
  if (!record.sessions.empty()) page += field("Początek", html(record_time_text(record.sessions.front().began)));
  page += field("Koniec", html(record_time_text(record.ended())));
  page += field("Sprawdzający", html(header.engineer));
  page += QStringLiteral("</table>");
  return page;
}

bool export_walk_protocol_pdf(const QString& path, const WalkRecord& record, QString* error) {
  return save_pdf_file(path, QString::fromUtf8(kWalkProtocolTitle), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       [&record](QPdfWriter& writer, QString* failure) { return paint_protocol(writer, record, failure); },
                       error);
}
