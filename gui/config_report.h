// SPDX-License-Identifier: MIT
#pragma once
// The configuration on paper: one page layout for the PDF report and for
// printing. Page 1 opens with the title, the file, the date and the colour
// legend; every page carries the table's header (the outputs 1 to 25) above
// its share of the event rows, each row its label, its address's name whole
// (the label column widens for the longest name, down to narrower cells; a
// name longer still wraps within its row, which grows) and 25 cells in their
// mode colours with grid lines, and a footer with the page number. The rows
// are every event's, or only those of the events that light a lamp. A lit cell and
// its legend square carry the mode's letter ("W", "S", "C") as text, so the
// table reads the same printed in grey. Row 4, which has no function, is
// left out. The last page ends with the count of lit cells per mode. The
// pages are drawn as vectors and text, fonts embedded.

#include <QDateTime>
#include <QString>

#include "config/config_matrix.h"
#include "config/project_names.h"

class QPagedPaintDevice;
class QPrinter;

inline constexpr const char* kConfigReportTitle = "Konfiguracja tablicy synoptycznej ZEL";
// Shown instead of a file name when the grid was never saved or loaded.
inline constexpr const char* kConfigReportNoFile = "konfiguracja niezapisana";

// Which events the table lists.
enum class ReportRows {
  all,       // every event but row 4
  lighting,  // only the events that light at least one lamp
};
inline constexpr const char* kReportLightingOnly = "tylko zdarzenia, które zapalają lampy";

// How many events the table lists.
int report_row_count(const ConfigMatrix& matrix, ReportRows rows);

struct ConfigReportInfo {
  QString source_file;  // the file the grid was last saved to or loaded from; empty: none
  QDateTime created;    // the date and time printed on the report
  // The project's names: the site on the title block, each address's name
  // beside its rows' labels, and a last page listing the lamps. None: none.
  const ProjectNames* names = nullptr;
  ReportRows rows = ReportRows::all;
};

// Paints every page onto the device, which keeps its page size, orientation
// and margins. False, with the reason in *error, when the device can't be
// painted on.
bool paint_config_report(QPagedPaintDevice& device, const ConfigMatrix& matrix, const ConfigReportInfo& info,
                         QString* error = nullptr);

// The report as an A4 landscape PDF. An existing file is replaced only once
// the new one is complete.
bool export_config_pdf(const QString& path, const ConfigMatrix& matrix, const ConfigReportInfo& info,
                       QString* error = nullptr);

// The same pages on a printer set up by the print dialog; the paper stays
// the one chosen there, turned to landscape.
bool print_config_report(QPrinter& printer, const ConfigMatrix& matrix, const ConfigReportInfo& info,
                         QString* error = nullptr);
