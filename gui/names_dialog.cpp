// SPDX-License-Identifier: MIT
#include "gui/names_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/name_text.h"
#include "gui/name_edit.h"
#include "text/counted.h"

namespace {

constexpr int kNameColumn = 1;
constexpr int kSiteTab = 0;
constexpr int kLampsTab = 1;
constexpr int kAddressesTab = 2;

QString name_text(const std::string& name) { return QString::fromStdString(name); }
std::string cleaned(const QString& text) { return clean_name(text.toStdString()); }

// A name in a list is edited as the site's fields are: typing stops at the longest a name may be.
class NameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* editor = new NameEdit(parent);
    editor->setFrame(false);
    return editor;
  }
};

}  // namespace

NamesDialog::NamesDialog(const ProjectNames& names, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Nazwy"));
  setModal(true);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("NamesTabs"));

  auto* site = new QWidget;
  auto* form = new QFormLayout(site);
  const std::array<std::pair<const char*, const char*>, 4> fields{{{"SiteNameEdit", "Obiekt"},
                                                                   {"SiteAddressEdit", "Adres obiektu"},
                                                                   {"BoardPlaceEdit", "Miejsce tablicy"},
                                                                   {"SiteNotesEdit", "Uwagi"}}};
  const std::array<const std::string*, 4> values{&names.site.name, &names.site.address, &names.site.board_place,
                                                 &names.site.notes};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    site_[i] = new NameEdit(name_text(*values[i]));
    site_[i]->setObjectName(QString::fromUtf8(fields[i].first));
    form->addRow(QString::fromUtf8(fields[i].second), site_[i]);
  }
  tabs_->addTab(site, QStringLiteral("Obiekt"));

  lamps_ = nameList(QStringLiteral("LampNames"), QStringLiteral("Lampa"), 25, 1);
  for (int row = 0; row < 25; ++row) lamps_->item(row, kNameColumn)->setText(name_text(names.lamps[static_cast<std::size_t>(row)]));
  tabs_->addTab(lamps_, QStringLiteral("Lampy"));
  addresses_ = nameList(QStringLiteral("AddressNames"), QStringLiteral("Adres"), 100, 0);
  for (int row = 0; row < 100; ++row)
    addresses_->item(row, kNameColumn)->setText(name_text(names.addresses[static_cast<std::size_t>(row)]));
  tabs_->addTab(addresses_, QStringLiteral("Adresy"));

  refused_ = new QLabel(this);
  refused_->setObjectName(QStringLiteral("RefusedNamesLabel"));
  refused_->setWordWrap(true);
  refused_->setStyleSheet(QStringLiteral("color: #b00000"));
  refused_->hide();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(refused_);
  layout->addWidget(buttons);
  resize(480, 520);
  site_[0]->setFocus();
}

QTableWidget* NamesDialog::nameList(const QString& object_name, const QString& number_title, int rows,
                                    int first_number) {
  auto* list = new QTableWidget(rows, 2);
  list->setObjectName(object_name);
  list->setHorizontalHeaderLabels({number_title, QStringLiteral("Nazwa")});
  list->verticalHeader()->hide();
  list->horizontalHeader()->setStretchLastSection(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setItemDelegateForColumn(kNameColumn, new NameDelegate(list));
  // Tab leaves the list, as in the rest of the dialog; the arrows move within it.
  list->setTabKeyNavigation(false);
  // Typing starts editing the name; Return then ends it and stays in the list.
  list->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed);
  for (int row = 0; row < rows; ++row) {
    auto* number = new QTableWidgetItem(QString::number(row + first_number));
    number->setFlags(Qt::ItemIsEnabled);
    list->setItem(row, 0, number);
    list->setItem(row, kNameColumn, new QTableWidgetItem);
  }
  list->setCurrentCell(0, kNameColumn);
  list->installEventFilter(this);
  connect(list, &QTableWidget::itemChanged, this, &NamesDialog::showFit);
  return list;
}

bool NamesDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* list = qobject_cast<QTableWidget*>(watched);
  if (!list || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->matches(QKeySequence::Paste)) {
    pasteColumn(list);
    return true;
  }
  if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
    clearSelectedNames(list);
    return true;
  }
  // The lists would keep Ctrl+Tab for themselves; it changes tabs here as everywhere in the dialog.
  if (key->matches(QKeySequence::NextChild) || key->matches(QKeySequence::PreviousChild)) {
    const int step = key->matches(QKeySequence::NextChild) ? 1 : tabs_->count() - 1;
    tabs_->setCurrentIndex((tabs_->currentIndex() + step) % tabs_->count());
    tabs_->currentWidget()->setFocus();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void NamesDialog::pasteColumn(QTableWidget* list) {
  QString text = QApplication::clipboard()->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QStringList lines = text.split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();  // the line end after the last cell
  int row = std::max(0, list->currentRow());
  for (const QString& line : lines) {
    if (row >= list->rowCount()) break;
    // A spreadsheet's row of several cells gives its first.
    list->item(row++, kNameColumn)->setText(cleaned_name(line.section(QLatin1Char('\t'), 0, 0)));
  }
}

void NamesDialog::clearSelectedNames(QTableWidget* list) {
  for (QTableWidgetItem* item : list->selectedItems()) {
    if (item->column() == kNameColumn) item->setText({});
  }
}

void NamesDialog::showFit(QTableWidgetItem* item) {
  if (marking_ || item->column() != kNameColumn) return;
  marking_ = true;
  const QString tip = name_overflow_tip(item->text());
  item->setToolTip(tip);
  item->setBackground(tip.isEmpty() ? QBrush() : QBrush(refused_name_colour()));
  marking_ = false;
}

QStringList NamesDialog::refusedNames() {
  QStringList refused;
  const auto note = [&refused](const QString& what, const QString& name) {
    const int length = name_overflow(name);
    if (length == 0) return false;
    refused << what + QString::fromUtf8(" – ") +
                   QString::fromStdString(counted(static_cast<std::uint64_t>(length), "znak", "znaki", "znaków"));
    return refused.size() == 1;
  };
  const std::array<const char*, 4> site_fields{"Obiekt", "Adres obiektu", "Miejsce tablicy", "Uwagi"};
  for (std::size_t i = 0; i < site_.size(); ++i) {
    if (!note(QString::fromUtf8(site_fields[i]), site_[i]->text())) continue;
    tabs_->setCurrentIndex(kSiteTab);
    site_[i]->setFocus();
  }
  const auto note_list = [&](QTableWidget* list, int tab, const QString& what, int first_number) {
    for (int row = 0; row < list->rowCount(); ++row) {
      if (!note(what + QLatin1Char(' ') + QString::number(row + first_number), list->item(row, kNameColumn)->text()))
        continue;
      tabs_->setCurrentIndex(tab);
      list->setCurrentCell(row, kNameColumn);
      list->setFocus();
    }
  };
  note_list(lamps_, kLampsTab, QStringLiteral("Lampa"), 1);
  note_list(addresses_, kAddressesTab, QStringLiteral("Adres"), 0);
  return refused;
}

void NamesDialog::accept() {
  const QStringList refused = refusedNames();
  if (refused.isEmpty()) return QDialog::accept();
  refused_->setText(QString::fromUtf8("Za długie nazwy (najwyżej %1 znaków): ").arg(kMaxNameLength) +
                    refused.join(QStringLiteral(", ")) + QLatin1Char('.'));
  refused_->show();
}

ProjectNames NamesDialog::names() const {
  ProjectNames names;
  names.site = {cleaned(site_[0]->text()), cleaned(site_[1]->text()), cleaned(site_[2]->text()),
                cleaned(site_[3]->text())};
  for (int row = 0; row < 25; ++row)
    names.lamps[static_cast<std::size_t>(row)] = cleaned(lamps_->item(row, kNameColumn)->text());
  for (int row = 0; row < 100; ++row)
    names.addresses[static_cast<std::size_t>(row)] = cleaned(addresses_->item(row, kNameColumn)->text());
  return names;
}

std::optional<ProjectNames> ask_names(QWidget* parent, const ProjectNames& names) {
  NamesDialog dialog(names, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.names();
}
