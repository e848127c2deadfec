// SPDX-License-Identifier: MIT
#pragma once
// A PDF the tool writes (the report, the label insert, the walk's protocol):
// rendered into memory first, then saved as the CSV table is, with the same
// durable replacement and the same refusals (a FIFO, a folder, a link loop).
// An existing file is replaced only once the new one is complete.

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <functional>

class QPdfWriter;

// `paint` sets the writer up and paints every page; false (with *error set
// by it) stops before anything is written.
bool write_pdf_file(const QString& path, const std::function<bool(QPdfWriter& writer)>& paint, QString* error);

// The same on an A4 page of the given orientation and margins, titled.
bool save_pdf_file(const QString& path, const QString& title, QPageLayout::Orientation orientation,
                   const QMarginsF& margins_mm, const std::function<bool(QPdfWriter&, QString*)>& paint,
                   QString* error);

// The sans-serif face of the tool's printed documents, at `points`.
QFont pdf_text_font(double points, bool bold = false);
