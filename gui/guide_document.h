// SPDX-License-Identifier: MIT
#pragma once
// The engineer's guide (docs/podrecznik.md with its pictures, built into the
// program as a Qt resource) as a text document: rendered by Qt from the
// Markdown, every heading an anchor that links and the help window's
// sections name, every picture read from the resource and no wider than a
// printed page. The help window shows it; the PDF is printed from it.

#include <QRegularExpression>
#include <QString>
#include <QTextDocument>
#include <vector>

// The Markdown as built into the program.
QString guide_markdown();

// A heading's anchor, as Markdown renderers make it: lower case, letters
// (Polish ones too), digits, '-' and '_' kept, spaces turned into '-', the
// rest dropped. "Klawisze okna „Nazwy”" -> "klawisze-okna-nazwy".
QString heading_anchor(const QString& title);

struct GuideHeading {
  int level = 0;   // 1 the title, 2 a chapter, 3 a section
  QString title;
  QString anchor;
  int block = 0;   // the heading's block number in the document
};

class GuideDocument : public QTextDocument {
 public:
  // The guide as built into the program, or `markdown` whose pictures are
  // also looked up in the program's resource.
  explicit GuideDocument(QObject* parent = nullptr);
  GuideDocument(const QString& markdown, QObject* parent);

  const std::vector<GuideHeading>& headings() const { return headings_; }
  // The heading of this anchor; null when the guide has none.
  const GuideHeading* heading(const QString& anchor) const;
  // Pictures the Markdown names that the resource does not hold.
  QStringList missingPictures() const;

 protected:
  // Pictures come from the resource; a printed copy of the document asks its
  // original (Qt makes it the copy's parent), so they print too.
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  void load(const QString& markdown);

  std::vector<GuideHeading> headings_;
};

// The widest a picture is shown or printed, in the document's pixels: a
// page of A4 holds it between its margins.
inline constexpr int kGuidePictureWidth = 600;

// What the help window's search looks for: the typed text, each letter
// also matching its Polish kin ("lacznosc" finds "łączność"), any case.
QRegularExpression guide_search_pattern(const QString& typed);

// The guide as a PDF, A4, pages numbered; false with *error set when it
// could not be written (the file is then as it was).
bool save_guide_pdf(const QString& path, QString* error);
