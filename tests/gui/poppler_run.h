// SPDX-License-Identifier: MIT
#pragma once
// Runs a poppler tool (pdftotext, pdfinfo, ...) on a written PDF; fails the
// test when it can't.

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

inline QString run_poppler(const QString& program, const QStringList& arguments) {
  QProcess process;
  // The tools are not ours: they run without this binary's preloaded
  // libraries (the test bed, the sanitizer's runtime).
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("LD_PRELOAD"));
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

// A written PDF's text as laid out; one page of it when `page` is given.
inline QString pdf_layout_text(const QString& pdf, int page = 0) {
  QStringList arguments{QStringLiteral("-layout")};
  if (page > 0) arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
  return run_poppler(QStringLiteral("pdftotext"), arguments << pdf << QStringLiteral("-"));
}
