// SPDX-License-Identifier: MIT
#include "gui/walk_record_chooser.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/utf8_path.h"

namespace {

QString counts_text(const WalkRecord& record) {
  const RecordSummary summary = record.summary();
  if (record.field()) return QString::fromStdString(field_tally_text(summary));
  return QString::fromUtf8("OK %1, błędy %2, bez oceny %3, nie sprawdzono %4")
      .arg(summary.ok)
      .arg(summary.faults)
      .arg(summary.not_rated)
      .arg(summary.not_walked);
}

QString record_text(std::size_t number, const WalkRecord& record) {
  const std::string began = record.sessions.empty() ? std::string() : record_time_text(record.sessions.front().began);
  return QString::fromUtf8("%1. %2 – %3 – %4 – %5")
      .arg(number)
      .arg(QString::fromStdString(began), QString::fromUtf8(record.field() ? "próba z obiektu" : "test po kolei"),
           QString::fromStdString(record.header.engineer), counts_text(record));
}

QString damaged_text(std::size_t number, const StoredRecord& stored) {
  return QString::fromUtf8("%1. %2 – uszkodzony: %3")
      .arg(number)
      .arg(QString::fromStdString(path_utf8(stored.file.filename())), QString::fromStdString(stored.damage));
}

}  // namespace

std::vector<RecordChoice> record_choices(const JournalReading& reading) {
  std::vector<RecordChoice> choices;
  for (std::size_t i = reading.records.size(); i-- > 0;) {
    const StoredRecord& stored = reading.records[i];
    if (stored.record)
      choices.push_back({i, record_text(i + 1, *stored.record), true});
    else
      choices.push_back({i, damaged_text(i + 1, stored), false});
  }
  return choices;
}

WalkRecordChooser::WalkRecordChooser(const std::vector<RecordChoice>& choices, QWidget* parent)
    : QDialog(parent), choices_(choices) {
  setWindowTitle(QString::fromUtf8("Protokół"));
  setModal(true);
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("WalkRecordList"));
  for (const RecordChoice& choice : choices_) {
    auto* item = new QListWidgetItem(choice.text, list_);
    // A damaged record stays readable in the list, but cannot be chosen.
    if (!choice.printable) item->setFlags(item->flags() & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setText(QString::fromUtf8("Zapisz..."));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  handoverButton_ = buttons->addButton(QString::fromUtf8("Protokół odbioru..."), QDialogButtonBox::ActionRole);
  handoverButton_->setObjectName(QStringLiteral("HandoverProtocolButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(handoverButton_, &QPushButton::clicked, this, [this] {
    handover_ = true;
    accept();
  });
  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    ok_->setEnabled(chosen().has_value());
    handoverButton_->setEnabled(chosen().has_value());
  });
  connect(list_, &QListWidget::itemActivated, this, [this] {
    if (chosen()) accept();
  });
  for (int row = 0; row < list_->count(); ++row) {
    if (choices_[static_cast<std::size_t>(row)].printable) {
      list_->setCurrentRow(row);
      break;
    }
  }
  ok_->setEnabled(chosen().has_value());
  handoverButton_->setEnabled(chosen().has_value());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromUtf8("Protokoły tego pliku konfiguracji, najnowszy pierwszy:")));
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(640, 320);
}

std::optional<std::size_t> WalkRecordChooser::chosen() const {
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(choices_.size())) return std::nullopt;
  const RecordChoice& choice = choices_[static_cast<std::size_t>(row)];
  if (!choice.printable) return std::nullopt;
  return choice.record;
}

std::optional<RecordRequest> ask_walk_record(QWidget* parent, const std::vector<RecordChoice>& choices) {
  WalkRecordChooser chooser(choices, parent);
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  const std::optional<std::size_t> chosen = chooser.chosen();
  if (!chosen) return std::nullopt;
  return RecordRequest{*chosen, chooser.handover()};
}
