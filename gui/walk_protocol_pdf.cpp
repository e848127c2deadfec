// SPDX-License-Identifier: MIT
#include "gui/walk_protocol_pdf.h"

#include <QPdfWriter>
#include <QTextDocument>

#include "gui/pdf_file.h"

namespace {

QString html(const std::string& utf8) { return QString::fromStdString(utf8).toHtmlEscaped(); }

QString field(const char* name, const QString& value) {
  return QStringLiteral("<tr><td width='22%'><b>%1</b></td><td>%2</td></tr>").arg(QString::fromUtf8(name), value);
}

}  // namespace

QString walk_protocol_html(const WalkRecord& record) {
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
  page += field("Odczyt z modułu", html(readback_result_text(header.differing_cells)));
  page += field("Wersja programu", html(header.tool_version));
  page += field("Początek", html(record_time_text(header.started)));
  page += field("Koniec", html(record_time_text(record.ended)));
  page += field("Sprawdzający", html(header.engineer));
  page += QStringLiteral("</table><p></p>");

  page += QStringLiteral(
      "<table border='1' cellspacing='0' cellpadding='3' width='100%'><thead><tr>"
      "<th>Zdarzenie</th><th>Nazwa</th><th>Oczekiwane</th><th>Ocena</th><th>Uwagi</th><th>Czas</th>"
      "</tr></thead>");
  for (const RecordLine& line : record.lines) {
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
                       [&record](QPdfWriter& writer, QString*) {
                         QTextDocument document;
                         QFont font;
                         font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
                         font.setStyleHint(QFont::SansSerif);
                         font.setPointSizeF(9);
                         document.setDefaultFont(font);
                         document.setHtml(walk_protocol_html(record));
                         document.print(&writer);
                         return true;
                       },
                       error);
}
