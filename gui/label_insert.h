// SPDX-License-Identifier: MIT
#pragma once
// The label insert: the strip behind the board's front that names its 25
// lamps, on an A4 page at 100 % scale. Fields in 5 rows of 5 at the lamps'
// pitch, each the set size with a thin outline; in each the lamp's number
// and its name, wrapped to two lines, then shrunk to fit, never below
// kLabelMinimumPoints. Thin cut marks stand at the insert's corners, and a
// line at the foot gives the site and the date.

#include <QDateTime>
#include <QList>
#include <QString>

#include "config/project_file.h"
#include "config/project_names.h"

class QPagedPaintDevice;

inline constexpr double kLabelMinimumPoints = 6;
// Where the insert's first field starts on the page, in mm from the top.
inline constexpr double kLabelInsertTopMm = 30;

// The page's first field's top-left corner, in mm from the page's corner.
// The insert is centred across the page.
struct LabelOrigin {
  double left_mm;
  double top_mm;
};
LabelOrigin label_insert_origin(const LabelGeometry& geometry);

// Paints the page onto a device whose page is A4 without margins. Lamps
// (1-25) whose names do not fit their field even at the smallest size go
// to *not_fitting.
bool paint_label_insert(QPagedPaintDevice& device, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, QList<int>* not_fitting = nullptr);

class QPrinter;

// The insert on a printer set up by the user: A4 portrait at 100 %, the
// whole sheet, so the fields measure what was set.
bool print_label_insert(QPrinter& printer, const ProjectNames& names, const LabelGeometry& geometry,
                        const QDateTime& date, QList<int>* not_fitting);

// The insert as a PDF; an existing file is replaced only once the new one is complete.
bool export_label_insert_pdf(const QString& path, const ProjectNames& names, const LabelGeometry& geometry,
                             const QDateTime& date, QList<int>* not_fitting, QString* error);
