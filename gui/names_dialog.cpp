// SPDX-License-Identifier: MIT
#include "gui/names_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/name_text.h"

namespace {

constexpr int kNameColumn = 1;

QString name_text(const std::string& name) { return QString::fromStdString(name); }
std::string cleaned(const QString& text) { return clean_name(text.toStdString()); }

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
    site_[i] = new QLineEdit(name_text(*values[i]));
    site_[i]->setObjectName(QString::fromUtf8(fields[i].first));
    site_[i]->setMaxLength(static_cast<int>(kMaxNameLength));
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

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
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
  list->setSelectionMode(QAbstractItemView::SingleSelection);
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
    list->item(row++, kNameColumn)->setText(QString::fromStdString(cleaned(line.section(QLatin1Char('\t'), 0, 0))));
  }
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
