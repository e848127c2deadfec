// SPDX-License-Identifier: MIT
#pragma once
// The label insert: the strip behind the board's front that names its 25
// lamps, on an A4 page at 100 % scale, laid out by config/label_page.h.
// Fields in 5 rows of 5 at the lamps' pitch, each the set size with a thin
// outline; in each the lamp's number and its name, wrapped to two lines and
// shrunk down to kLabelMinimumPoints, then, where that is not enough, in
// more lines and smaller. Thin cut marks stand at the insert's corners, and
// the foot gives the site and the date, wrapped and shrunk to the page's width.

#include <QDateTime>
#include <QList>
#include <QString>

#include "config/project_file.h"
#include "config/project_names.h"

class QPagedPaintDevice;

// The smallest type that reads at arm's length.
inline constexpr double kLabelMinimumPoints = 6;

// The lamps (1-25) whose names the page does not give at a readable size.
struct LabelInsertFit {
  QList<int> shrunk;       // whole, but smaller than kLabelMinimumPoints
  QList<int> not_fitting;  // cut by the field's edge even at the smallest type
  bool operator==(const LabelInsertFit&) const = default;
};

// The status after the insert was written or printed: "Wkładka z nazwami
// lamp zapisana." or the lamps whose names are too small or cut.
QString label_insert_status(bool printed, const LabelInsertFit& fit);

// The page's first field's top-left corner, in mm from the page's corner.
// The insert is centred across the page; its edge, half a gap outside the
// outer fields, starts at kLabelInsertTopMm.
struct LabelOrigin {
  double left_mm;
  double top_mm;
};
LabelOrigin label_insert_origin(const LabelGeometry& geometry);

// Paints the page onto a device whose page is A4 without margins, noting
// in *fit the names that are not at a readable size.
bool paint_label_insert(QPagedPaintDevice& device, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, LabelInsertFit* fit = nullptr);

class QPrinter;

// The insert on a printer set up by the user: A4 portrait at 100 %, the
// whole sheet, so the fields measure what was set.
bool print_label_insert(QPrinter& printer, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, LabelInsertFit* fit);

// The insert as a PDF; an existing file is replaced only once the new one is complete.
bool export_label_insert_pdf(const QString& path, const ProjectNames& names, const LabelGeometry& geometry,
                             const QDateTime& date, LabelInsertFit* fit, QString* error);
