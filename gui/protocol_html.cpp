// SPDX-License-Identifier: MIT
#include "gui/protocol_html.h"

#include <QStringList>
#include <algorithm>

namespace {

QString html(const std::string& utf8) { return QString::fromStdString(utf8).toHtmlEscaped(); }

QString field(const char* name, const QString& value) {
  return QStringLiteral("<tr><td width='22%'><b>%1</b></td><td>%2</td></tr>").arg(QString::fromUtf8(name), value);
}

// The columns the earlier verdicts of an event stand under: from the verdict's on.
constexpr int kVerdictColumn = 3;

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

// One line of a table, laid out at its columns' widths; an event's earlier
// verdicts under it, from the verdict's column on.
QString table_line_html(const ProtocolColumns& columns, const QStringList& cells, const RecordLine* line) {
  QString row = QStringLiteral("<tr>");
  for (qsizetype column = 0; column < cells.size(); ++column)
    row += QStringLiteral("<td width='%1%'>%2</td>").arg(columns[static_cast<std::size_t>(column)].width).arg(cells[column]);
  row += QStringLiteral("</tr>");
  if (line != nullptr && !line->earlier.empty()) {
    row += QStringLiteral("<tr><td colspan='%1'></td><td colspan='%2'>%3</td></tr>")
               .arg(kVerdictColumn)
               .arg(static_cast<int>(columns.size()) - kVerdictColumn)
               .arg(earlier_verdicts_html(*line));
  }
  return bordered_table(row);
}

QString bold_when(bool bold, const QString& text) { return bold ? QStringLiteral("<b>%1</b>").arg(text) : text; }

std::vector<const RecordSession*> sessions_of(const std::vector<const WalkRecord*>& records) {
  std::vector<const RecordSession*> sessions;
  for (const WalkRecord* record : records)
    for (const RecordSession& session : record->sessions) sessions.push_back(&session);
  return sessions;
}

bool one_module(const std::vector<const RecordSession*>& sessions) {
  for (const RecordSession* session : sessions)
    if (session->module.greeting != sessions.front()->module.greeting ||
        session->module.device != sessions.front()->module.device)
      return false;
  return true;
}

QString greeting_html(const ModuleReading& module) {
  return module.greeting.empty() ? QStringLiteral("nieznany") : html(module.greeting);
}
QString device_html(const ModuleReading& module) {
  return module.device.empty() ? QStringLiteral("nieznane") : html(module.device);
}

// Each text once, in the records' order: "Jan Kowalski, Anna Nowak".
QString each_once(const std::vector<const WalkRecord*>& records, std::string (*of)(const WalkRecord&)) {
  std::vector<std::string> texts;
  for (const WalkRecord* record : records) {
    const std::string text = of(*record);
    if ((records.size() == 1 || !text.empty()) && std::find(texts.begin(), texts.end(), text) == texts.end())
      texts.push_back(text);
  }
  QStringList joined;
  for (const std::string& text : texts) joined << html(text);
  return joined.join(QStringLiteral(", "));
}

}  // namespace

const ProtocolColumns& walk_columns() {
  static const ProtocolColumns columns{{"Zdarzenie", 17}, {"Nazwa", 14}, {"Oczekiwane", 23},
                                       {"Ocena", 10},     {"Uwagi", 18}, {"Czas", 18}};
  return columns;
}

const ProtocolColumns& field_columns() {
  static const ProtocolColumns columns{{"Zdarzenie", 14}, {"Nazwa", 13},    {"Oczekiwane", 19}, {"Stan", 20},
                                       {"Uwagi", 14},     {"Widziano", 11}, {"Centrala", 9}};
  return columns;
}

const ProtocolColumns& finding_columns() {
  static const ProtocolColumns columns{
      {"Rodzaj", 16}, {"Zdarzenie", 20}, {"Nazwa", 26}, {"Centrala", 12}, {"Czas", 26}};
  return columns;
}

QString bordered_table(const QString& rows) {
  return QStringLiteral(
             "<table border='1' cellspacing='0' cellpadding='3' width='100%' style='border-collapse:collapse'>") +
         rows + QStringLiteral("</table>");
}

QString column_header_row(const ProtocolColumns& columns) {
  QString row = QStringLiteral("<tr>");
  for (const ProtocolColumn& column : columns)
    row += QStringLiteral("<th width='%1%'>%2</th>").arg(column.width).arg(QString::fromUtf8(column.title));
  return row + QStringLiteral("</tr>");
}

QString protocol_header_html(const QString& title, const std::vector<const WalkRecord*>& records) {
  const RecordHeader& header = records.front()->header;
  const std::vector<const RecordSession*> sessions = sessions_of(records);
  QString page = QStringLiteral("<h2>%1</h2><table width='100%' cellspacing='0' cellpadding='2'>").arg(title);
  page += field("Obiekt", html(header.site.name));
  page += field("Adres obiektu", html(header.site.address));
  page += field("Miejsce tablicy", html(header.site.board_place));
  if (!header.site.notes.empty()) page += field("Uwagi", html(header.site.notes));
  page += field("Plik konfiguracji", html(header.configuration_file));
  // The fingerprint on a line of its own, so that it is never broken.
  page += QStringLiteral("<tr><td colspan='2'><b>SHA-256</b> <tt>%1</tt></td></tr>").arg(html(header.sha256));
  if (sessions.empty() || one_module(sessions)) {
    const ModuleReading module = sessions.empty() ? ModuleReading{} : sessions.front()->module;
    page += field("Moduł", greeting_html(module));
    page += field("Urządzenie USB", device_html(module));
  } else {
    page += field("Moduł", QString::fromUtf8("różny w sesjach, zob. niżej"));
  }
  page += field("Wersja programu", each_once(records, [](const WalkRecord& r) { return r.header.tool_version; }));
  std::string began, ended;
  for (const WalkRecord* record : records) {
    if (!record->sessions.empty() && (began.empty() || record->sessions.front().began < began))
      began = record->sessions.front().began;
    ended = std::max(ended, record->ended());
  }
  if (!sessions.empty()) page += field("Początek", html(record_time_text(began)));
  page += field("Koniec", html(record_time_text(ended)));
  page += field("Sprawdzający", each_once(records, [](const WalkRecord& r) { return r.header.engineer; }));
  page += QStringLiteral("</table>");
  return page;
}

QString sessions_html(const WalkRecord& record, const QString& heading) {
  std::vector<const RecordSession*> sessions;
  for (const RecordSession& session : record.sessions) sessions.push_back(&session);
  const bool per_session = !one_module(sessions);
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
  return heading + QStringLiteral("<p><b>Sesje sprawdzenia</b></p>") + bordered_table(rows) + QStringLiteral("<p></p>");
}

QString walk_line_html(const RecordLine& line) {
  QString label = html(line.label);
  if (line.by_hand()) label += QString::fromUtf8("<br><i>sprawdzone ręcznie</i>");
  return table_line_html(walk_columns(),
                         {label, html(line.name), html(line.expected),
                          bold_when(line.verdict == Verdict::fault, html(verdict_text(line.verdict))),
                          html(line.comment), html(record_time_text(line.time))},
                         &line);
}

QString field_line_html(const RecordLine& line, const std::string& day_of) {
  const QString unit = line.shown() && line.unit != kAnyUnit ? QString::number(line.unit) : QString();
  return table_line_html(field_columns(),
                         {html(line.label), html(line.name), html(line.expected),
                          bold_when(line.verdict == Verdict::fault || !line.shown(), html(field_state_text(line))),
                          html(line.comment), time_beside(line.seen, day_of), unit},
                         &line);
}

QString finding_line_html(const FieldFinding& finding) {
  return table_line_html(finding_columns(),
                         {html(finding_kind_text(finding.kind)), html(finding.label), html(finding.name),
                          QString::number(finding.unit), html(record_time_text(finding.time))},
                         nullptr);
}

QString findings_heading_html(bool any) {
  return any ? QString::fromUtf8("<p>&nbsp;</p><p><b>Zdarzenia spoza planu</b> (bez lampy: tablica nie zna "
                                 "zdarzenia; inna centrala: zdarzenie centrali, której próba nie słuchała)</p>")
             : QString::fromUtf8("<p>&nbsp;</p><p><b>Zdarzenia spoza planu:</b> brak.</p>");
}

QString walk_summary_html(const WalkRecord& record) {
  const RecordSummary summary = record.summary();
  return QString::fromUtf8(
             "<p>&nbsp;</p><p><b>Podsumowanie:</b> sprawdzono zdarzeń: %1, OK: %2, błędy: %3, nie oceniono: %4, "
             "nie sprawdzono: %5.</p>")
      .arg(summary.walked)
      .arg(summary.ok)
      .arg(summary.faults)
      .arg(summary.not_rated)
      .arg(summary.not_walked);
}

QString field_summary_html(const WalkRecord& record) {
  const RecordSummary summary = record.summary();
  QString text = QString::fromUtf8("<p>&nbsp;</p><p><b>Podsumowanie:</b> %1").arg(html(field_summary_text(summary)));
  if (summary.other_unit > 0) text += QString::fromUtf8(" Zdarzeń innej centrali: %1.").arg(summary.other_unit);
  return text + QString::fromUtf8("<br>Oceny widzianych zdarzeń: OK: %1, błędy: %2, bez oceny: %3.</p>")
                    .arg(summary.ok)
                    .arg(summary.faults)
                    .arg(summary.not_rated);
}

QString signatures_html() {
  return QString::fromUtf8(
      "<p></p><p></p><table width='100%'><tr>"
      "<td align='center'>.................................................<br>instalator (podpis)</td>"
      "<td align='center'>.................................................<br>strona odbierająca (podpis)</td>"
      "</tr></table>");
}
