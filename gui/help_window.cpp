// SPDX-License-Identifier: MIT
#include "gui/help_window.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/guide_document.h"

namespace {

constexpr int kAnchorRole = Qt::UserRole;

QPushButton* tool_button(const QString& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setFocusPolicy(Qt::TabFocus);  // a click leaves the keys with the reading
  return button;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QString::fromUtf8("Pomoc – ZEL17"));
  // Open beside the program, it does not keep the program running once the main window is closed.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(980, 700);

  guide_ = new GuideDocument(this);
  guide_->setDocumentMargin(12);  // on screen; a print has margins of its own
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("HelpText"));
  browser_->setFont(guide_->defaultFont());  // the widget's font would become the guide's
  browser_->setDocument(guide_);
  browser_->setOpenLinks(false);
  contents_ = new QTreeWidget(this);
  contents_->setObjectName(QStringLiteral("HelpContents"));
  contents_->setHeaderHidden(true);
  contents_->header()->setStretchLastSection(true);
  fillContents();

  search_ = new QLineEdit(this);
  search_->setObjectName(QStringLiteral("HelpSearch"));
  search_->setPlaceholderText(QStringLiteral("Ctrl+F"));
  search_->setClearButtonEnabled(true);
  auto* previous = tool_button(QString::fromUtf8("Poprzednie"), "HelpFindPrevious", this);
  auto* next = tool_button(QString::fromUtf8("Następne"), "HelpFindNext", this);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("HelpStatus"));
  auto* print_button = tool_button(QString::fromUtf8("Drukuj..."), "HelpPrint", this);
  auto* pdf_button = tool_button(QString::fromUtf8("Zapisz PDF..."), "HelpSavePdf", this);

  auto* tools = new QHBoxLayout;
  tools->addWidget(new QLabel(QString::fromUtf8("Szukaj:"), this));
  tools->addWidget(search_, 1);
  tools->addWidget(previous);
  tools->addWidget(next);
  tools->addWidget(status_, 1);
  tools->addWidget(print_button);
  tools->addWidget(pdf_button);
  auto* split = new QSplitter(this);
  split->addWidget(contents_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({260, 720});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(tools);
  layout->addWidget(split, 1);

  setUpPrinter = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
  };
  askPdfName = [this] {
    return QFileDialog::getSaveFileName(this, QString::fromUtf8("Zapisz podręcznik jako PDF"),
                                        QStringLiteral("podrecznik-zel17.pdf"), QString::fromUtf8("Dokument PDF (*.pdf)"));
  };
  showWarning = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
  connect(browser_->verticalScrollBar(), &QScrollBar::valueChanged, this, &HelpWindow::markSectionInView);
  connect(contents_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item && !marking_) showSection(item->data(0, kAnchorRole).toString());
  });
  connect(search_, &QLineEdit::returnPressed, this, [this] { find(); });
  connect(search_, &QLineEdit::textEdited, this, [this] { status_->clear(); });
  connect(previous, &QPushButton::clicked, this, [this] { find(true); });
  connect(next, &QPushButton::clicked, this, [this] { find(); });
  connect(print_button, &QPushButton::clicked, this, &HelpWindow::print);
  connect(pdf_button, &QPushButton::clicked, this, &HelpWindow::savePdf);

  // The window's own keys; the guide's keys table for this window lists them.
  const auto key = [this](const QKeySequence& keys, auto action) {
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, action);
  };
  key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
  });
  key(QKeySequence(Qt::Key_F3), [this] { find(); });
  key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { find(true); });
  key(QKeySequence(Qt::CTRL | Qt::Key_P), [this] { print(); });
  browser_->setFocus();
}

void HelpWindow::fillContents() {
  QTreeWidgetItem* chapter = nullptr;
  for (const GuideHeading& heading : guide_->headings()) {
    if (heading.level > 3) continue;
    QTreeWidgetItem* item = heading.level == 3 && chapter ? new QTreeWidgetItem(chapter) : new QTreeWidgetItem(contents_);
    if (heading.level < 3) chapter = item;
    item->setText(0, heading.title);
    item->setToolTip(0, heading.title);
    item->setData(0, kAnchorRole, heading.anchor);
  }
  contents_->expandAll();
}

void HelpWindow::showSection(const QString& anchor) {
  show();
  raise();
  activateWindow();
  const bool start = !guide_->headings().empty() && anchor == guide_->headings().front().anchor;
  if (start) browser_->verticalScrollBar()->setValue(0);
  else browser_->scrollToAnchor(anchor);
  markSectionInView();
}

QString HelpWindow::sectionInView() const {
  const int top = browser_->verticalScrollBar()->value();
  // At the very top the reader is in the first section, its margin above it.
  QString found = guide_->headings().empty() ? QString() : guide_->headings().front().anchor;
  for (const GuideHeading& heading : guide_->headings()) {
    const QTextBlock block = guide_->findBlockByNumber(heading.block);
    // A heading scrolled to stands at the top, give or take its rounding.
    if (guide_->documentLayout()->blockBoundingRect(block).top() > top + 2) break;
    found = heading.anchor;
  }
  return found;
}

void HelpWindow::markSectionInView() {
  const QString anchor = sectionInView();
  for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
    if ((*it)->data(0, kAnchorRole).toString() != anchor) continue;
    marking_ = true;
    contents_->setCurrentItem(*it);
    contents_->scrollToItem(*it);
    marking_ = false;
    return;
  }
}

bool HelpWindow::find(bool backward) {
  const QString typed = search_->text().simplified();
  if (typed.isEmpty()) {
    search_->setFocus(Qt::OtherFocusReason);
    return false;
  }
  const QRegularExpression pattern = guide_search_pattern(typed);
  QTextDocument::FindFlags flags;
  if (backward) flags |= QTextDocument::FindBackward;
  status_->clear();
  if (browser_->find(pattern, flags)) return true;
  // Round the end: from the other end once.
  QTextCursor cursor(guide_);
  cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
  const QTextCursor before = browser_->textCursor();
  browser_->setTextCursor(cursor);
  if (browser_->find(pattern, flags)) {
    status_->setText(backward ? QString::fromUtf8("Od końca.") : QString::fromUtf8("Od początku."));
    return true;
  }
  browser_->setTextCursor(before);
  status_->setText(QString::fromUtf8("Nie znaleziono: „%1”.").arg(typed));
  return false;
}

void HelpWindow::followLink(const QUrl& url) {
  if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment()) return showSection(url.fragment());
  QDesktopServices::openUrl(url);
}

void HelpWindow::print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QString::fromUtf8("Podręcznik ZEL17"));
  if (!setUpPrinter(printer)) return;
  guide_->print(&printer);
  status_->setText(QString::fromUtf8("Wysłano do drukarki."));
}

void HelpWindow::savePdf() {
  const QString name = askPdfName();
  if (name.isEmpty()) return;
  QString error;
  if (!save_guide_pdf(name, &error)) {
    status_->setText(QString::fromUtf8("Błąd zapisu podręcznika!"));
    showWarning(QString::fromUtf8("Nie udało się zapisać podręcznika do pliku\n%1\n\n%2").arg(name, error));
    return;
  }
  status_->setText(QString::fromUtf8("Zapisano: ") + QFileInfo(name).fileName());
}
