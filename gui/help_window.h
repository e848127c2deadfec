// SPDX-License-Identifier: MIT
#pragma once
// "Pomoc – ZEL17": the engineer's guide in a window of its own. On the left
// its contents, which follow the reading; on the right the guide, its links
// leading to its sections; above them the search (Ctrl+F, F3 and Shift+F3
// for the next and the previous place, Polish letters found also when typed
// without their marks), "Drukuj..." (Ctrl+P) and "Zapisz PDF...".

#include <QWidget>
#include <functional>

class GuideDocument;
class QLabel;
class QLineEdit;
class QPrinter;
class QTextBrowser;
class QTreeWidget;
class QUrl;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shown and raised, the section's heading at the top of the view.
  void showSection(const QString& anchor);
  // The section the reader is in: the last heading at or above the top of the view.
  QString sectionInView() const;
  // Finds the search field's text from the cursor on (or back), going round
  // the guide's end; false when it is nowhere.
  bool find(bool backward = false);

  const GuideDocument& guide() const { return *guide_; }
  QTextBrowser* browser() const { return browser_; }
  QTreeWidget* contents() const { return contents_; }
  QLineEdit* searchField() const { return search_; }
  QLabel* statusLabel() const { return status_; }

  // How the window asks; the toolkit's own dialogs unless replaced.
  std::function<bool(QPrinter& printer)> setUpPrinter;
  std::function<QString()> askPdfName;
  std::function<void(const QString& text)> showWarning;

  void print();
  void savePdf();

 private:
  void fillContents();
  void followLink(const QUrl& url);
  void markSectionInView();

  GuideDocument* guide_;
  QTextBrowser* browser_;
  QTreeWidget* contents_;
  QLineEdit* search_;
  QLabel* status_;
  bool marking_ = false;  // the contents follow the reading: no jump back
};
