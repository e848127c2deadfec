#pragma once
// A PDF the tool writes (the report, the walk's protocol): painted into
// memory on an A4 page with the given orientation and margins, then saved
// as the tool's other files are, so an existing file is replaced only once
// the new one is complete.

#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <functional>

class QPdfWriter;

// `paint` draws every page; false, with the reason in *error, when it could
// not. False too when the file could not be saved.
bool save_pdf_file(const QString& path, const QString& title, QPageLayout::Orientation orientation,
                   const QMarginsF& margins_mm, const std::function<bool(QPdfWriter&, QString*)>& paint,
                   QString* error);
