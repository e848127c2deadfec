// SPDX-License-Identifier: MIT
#include "gui/guide_document.h"

#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFormat>
#include <QUrl>
#include <algorithm>

#include "gui/pdf_file.h"

namespace {

const QString kResourceFolder = QStringLiteral(":/guide/");

QImage resource_picture(const QString& name) { return QImage(kResourceFolder + name); }

}  // namespace

QString guide_markdown() {
  QFile file(kResourceFolder + QStringLiteral("podrecznik.md"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString heading_anchor(const QString& title) {
  QString anchor;
  for (const QChar c : title.trimmed().toLower()) {
    if (c.isLetterOrNumber() || c == u'-' || c == u'_') anchor += c;
    else if (c == u' ') anchor += u'-';
  }
  return anchor;
}

GuideDocument::GuideDocument(QObject* parent) : GuideDocument(guide_markdown(), parent) {}

GuideDocument::GuideDocument(const QString& markdown, QObject* parent) : QTextDocument(parent) {
  setDefaultFont(pdf_text_font(10));
  load(markdown);
}

void GuideDocument::load(const QString& markdown) {
  setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
  headings_.clear();
  struct Change {
    int from, to;
    QTextCharFormat format;
    bool merged;
  };
  std::vector<Change> changes;  // made once the blocks are read: a change may split their fragments
  for (QTextBlock block = begin(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level > 0) {
      const QString anchor = heading_anchor(block.text());
      headings_.push_back({level, block.text(), anchor, block.blockNumber()});
      // The heading's text carries its name, so links and scrollToAnchor() find it.
      QTextCharFormat named;
      named.setAnchor(true);
      named.setAnchorNames({anchor});
      changes.push_back({block.position(), block.position() + block.length() - 1, named, true});
    }
    // A picture wider than a page is shown and printed narrower, keeping its shape.
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QTextImageFormat picture = fragment.charFormat().toImageFormat();
      if (!picture.isValid()) continue;
      const QImage image = resource_picture(picture.name());
      if (image.width() <= kGuidePictureWidth) continue;
      picture.setWidth(kGuidePictureWidth);
      picture.setHeight(double(image.height()) * kGuidePictureWidth / image.width());
      changes.push_back({fragment.position(), fragment.position() + fragment.length(), picture, false});
    }
  }
  QTextCursor cursor(this);
  for (const Change& change : changes) {
    cursor.setPosition(change.from);
    cursor.setPosition(change.to, QTextCursor::KeepAnchor);
    if (change.merged) cursor.mergeCharFormat(change.format);
    else cursor.setCharFormat(change.format);
  }
}

const GuideHeading* GuideDocument::heading(const QString& anchor) const {
  for (const GuideHeading& heading : headings_) {
    if (heading.anchor == anchor) return &heading;
  }
  return nullptr;
}

QStringList GuideDocument::missingPictures() const {
  QStringList missing;
  for (QTextBlock block = begin(); block.isValid(); block = block.next()) {
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
      const QTextImageFormat picture = fragment.fragment().charFormat().toImageFormat();
      if (picture.isValid() && resource_picture(picture.name()).isNull()) missing << picture.name();
    }
  }
  return missing;
}

QVariant GuideDocument::loadResource(int type, const QUrl& name) {
  if (type == QTextDocument::ImageResource) {
    const QImage image = resource_picture(name.toString());
    if (!image.isNull()) return image;
  }
  return QTextDocument::loadResource(type, name);
}

QRegularExpression guide_search_pattern(const QString& typed) {
  // Each plain letter also matches the Polish letters written with it.
  static const std::pair<QChar, QString> kKin[] = {
      {u'a', QStringLiteral("aą")}, {u'c', QStringLiteral("cć")}, {u'e', QStringLiteral("eę")},
      {u'l', QStringLiteral("lł")}, {u'n', QStringLiteral("nń")}, {u'o', QStringLiteral("oó")},
      {u's', QStringLiteral("sś")}, {u'z', QStringLiteral("zźż")}};
  QString pattern;
  for (const QChar c : typed.simplified()) {
    const QChar lower = c.toLower();
    const auto kin = std::find_if(std::begin(kKin), std::end(kKin), [&](const auto& k) { return k.first == lower; });
    if (kin != std::end(kKin)) pattern += u'[' + kin->second + u']';
    else if (c == u' ') pattern += QStringLiteral("\\s+");
    else pattern += QRegularExpression::escape(QString(c));
  }
  return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
}

bool save_guide_pdf(const QString& path, QString* error) {
  // The printed copy keeps Qt's own 2 cm margins around the text and numbers its pages.
  return save_pdf_file(path, QString::fromUtf8("Podręcznik ZEL17"), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       [](QPdfWriter& writer, QString*) {
                         const GuideDocument guide;
                         guide.print(&writer);
                         return true;
                       },
                       error);
}
