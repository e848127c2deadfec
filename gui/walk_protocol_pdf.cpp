// SPDX-License-Identifier: MIT
#include "gui/walk_protocol_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include "gui/pdf_file.h"

namespace {

QString html(const std::string& utf8) { return QString::fromStdString(utf8).toHtmlEscaped(); }

QString field(const char* name, const QString& value) {
  return QStringLiteral("<tr><td width='22%'><b>%1</b></td><td>%2</td></tr>").arg(QString::fromUtf8(name), value);
}

QFont protocol_font() { return pdf_text_font(9); }

// A part of the page laid out for the writer's resolution, `width` device units wide.
void lay_out(QTextDocument& document, QPdfWriter& writer, const QString& html, double width) {
  document.documentLayout()->setPaintDevice(&writer);
  document.setDefaultFont(protocol_font());
  document.setDocumentMargin(0);
  document.setHtml(html);
  document.setTextWidth(width);
}

void set_error(QString* error, const char* text) {
  if (error) *error = QString::fromUtf8(text);
}

// Each page: the header block on top, the page's part of the body below it
// (the body laid out in pages of the room left, so no table line is cut),
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

  QTextDocument header;
  lay_out(header, writer, walk_protocol_header_html(record), width);
  const double top = header.size().height() + metrics.height();
  const double room = height - top - footer;
  if (room < 10 * metrics.height()) {
    painter.end();
    set_error(error, "nagłówek protokołu nie mieści się na stronie");
    return false;
  }
  QTextDocument body;
  lay_out(body, writer, walk_protocol_body_html(record), width);
  body.setPageSize(QSizeF(width, room));

  const int pages = body.pageCount();
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && !writer.newPage()) {
      painter.end();
      set_error(error, "nie udało się dodać strony");
      return false;
    }
    header.drawContents(&painter);
    painter.setFont(protocol_font());
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, height - footer, width, footer), Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Strona %1 z %2").arg(page + 1).arg(pages));
    painter.save();
    painter.translate(0, top - page * room);
    body.drawContents(&painter, QRectF(0, page * room, width, room));
    painter.restore();
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
  if (!record.sessions.empty())
    page += field("Odczyt z modułu", html(readback_result_text(record.sessions.front().module.differing_cells)));
  page += field("Wersja programu", html(header.tool_version));
  if (!record.sessions.empty()) page += field("Początek", html(record_time_text(record.sessions.front().began)));
  page += field("Koniec", html(record_time_text(record.ended())));
  page += field("Sprawdzający", html(header.engineer));
  page += QStringLiteral("</table>");
  return page;
}

QString walk_protocol_body_html(const WalkRecord& record) {
  QString page = QStringLiteral(
      "<table border='1' cellspacing='0' cellpadding='3' width='100%'><thead><tr>"
      "<th>Zdarzenie</th><th>Nazwa</th><th>Oczekiwane</th><th>Ocena</th><th>Uwagi</th><th>Czas</th>"
      "</tr></thead>");
  for (const RecordLine& line : record.lines) {
    if (!line.shown()) continue;
    const bool fault = line.verdict == Verdict::fault;
    page += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td></tr>")
                .arg(html(line.label), html(line.name), html(line.expected),
                     fault ? QStringLiteral("<b>%1</b>").arg(html(verdict_text(line.verdict)))
                           : html(verdict_text(line.verdict)),
                     html(line.comment), html(record_time_text(line.time)));
  }
  page += QStringLiteral("</table>");

  const RecordSummary summary = record.summary();
  page += QString::fromUtf8(
              "<p><b>Podsumowanie:</b> sprawdzono zdarzeń: %1, OK: %2, błędy: %3, nie oceniono: %4, "
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

bool export_walk_protocol_pdf(const QString& path, const WalkRecord& record, QString* error) {
  return save_pdf_file(path, QString::fromUtf8(kWalkProtocolTitle), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       [&record](QPdfWriter& writer, QString* failure) { return paint_protocol(writer, record, failure); },
                       error);
}

