// SPDX-License-Identifier: MIT
#include "gui/bus_monitor_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "commissioning/combined_events.h"
#include "config/name_text.h"

const QColor BusMonitorView::kWarningColour(192, 80, 0);

namespace {

constexpr int kUnitRole = Qt::UserRole;
constexpr int kRowRole = Qt::UserRole + 1;

QString qt_text(const std::string& utf8) { return QString::fromStdString(utf8); }

QTableWidgetItem* cell(const QString& text, const ActiveBusEvent& event) {
  auto* item = new QTableWidgetItem(text);
  item->setData(kUnitRole, event.unit);
  item->setData(kRowRole, event.row);
  return item;
}

}  // namespace

BusMonitorView::BusMonitorView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("BusMonitorView"));
  start_ = new QPushButton(QStringLiteral("Start"), this);
  start_->setObjectName(QStringLiteral("MonitorStartButton"));
  stop_ = new QPushButton(QStringLiteral("Stop"), this);
  stop_->setObjectName(QStringLiteral("MonitorStopButton"));
  save_ = new QPushButton(QStringLiteral("Zapisz dziennik..."), this);
  save_->setObjectName(QStringLiteral("MonitorSaveButton"));

  active_ = new QTableWidget(0, 3, this);
  active_->setObjectName(QStringLiteral("MonitorActiveTable"));
  active_->setHorizontalHeaderLabels({QStringLiteral("Centrala"), QStringLiteral("Zdarzenie"), QStringLiteral("Od")});
  active_->setSelectionBehavior(QAbstractItemView::SelectRows);
  active_->setSelectionMode(QAbstractItemView::SingleSelection);
  active_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  active_->verticalHeader()->hide();
  active_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

  changes_ = new QListWidget(this);
  changes_->setObjectName(QStringLiteral("MonitorChangeList"));
  changes_->setUniformItemSizes(true);  // hours of changes stay quick to scroll
  changes_->setSelectionMode(QAbstractItemView::NoSelection);

  dropped_ = new QLabel(this);
  dropped_->setObjectName(QStringLiteral("MonitorDroppedLabel"));
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("MonitorStatus"));
  status_->setWordWrap(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addStretch(1);
  buttons->addWidget(save_);
  auto* changes_heading = new QHBoxLayout;
  changes_heading->addWidget(new QLabel(QStringLiteral("Zmiany:"), this));
  changes_heading->addStretch(1);
  changes_heading->addWidget(dropped_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(new QLabel(QStringLiteral("Zdarzenia aktywne teraz:"), this));
  layout->addWidget(active_, 2);
  layout->addLayout(changes_heading);
  layout->addWidget(changes_, 3);
  layout->addWidget(status_);

  connect(start_, &QPushButton::clicked, this, &BusMonitorView::startRequested);
  connect(stop_, &QPushButton::clicked, this, &BusMonitorView::stopRequested);
  connect(save_, &QPushButton::clicked, this, &BusMonitorView::saveRequested);
  connect(active_, &QTableWidget::itemSelectionChanged, this, &BusMonitorView::selectionChanged);
  setRunning(false);
  setDroppedTotal(0);
}

void BusMonitorView::setRunning(bool running) {
  running_ = running;
  start_->setEnabled(!running && startAllowed_);
  stop_->setEnabled(running);
  updateShownRow();
}

void BusMonitorView::setStartAllowed(bool allowed) {
  startAllowed_ = allowed;
  setRunning(running_);
}

void BusMonitorView::setStatus(const QString& text) { status_->setText(text); }

std::optional<std::pair<int, int>> BusMonitorView::selectedEvent() const {
  const QList<QTableWidgetItem*> selected = active_->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return std::pair{selected.front()->data(kUnitRole).toInt(), selected.front()->data(kRowRole).toInt()};
}

void BusMonitorView::showActive(const std::vector<ActiveBusEvent>& active) {
  const auto selected = selectedEvent();
  refilling_ = true;
  active_->clearSelection();
  active_->setRowCount(static_cast<int>(active.size()));
  int reselect = -1;
  for (int i = 0; i < static_cast<int>(active.size()); ++i) {
    const ActiveBusEvent& event = active[static_cast<std::size_t>(i)];
    active_->setItem(i, 0, cell(QString::number(event.unit), event));
    active_->setItem(i, 1, cell(qt_text(with_name(row_label(event.row), address_name_of_row(project_names(), event.row))), event));
    const QString since = event.before_start ? QString::fromUtf8(kBeforeStart) : qt_text(bus_clock_text(event.since)).left(8);
    active_->setItem(i, 2, cell(since, event));
    if (selected && selected->first == event.unit && selected->second == event.row) reselect = i;
  }
  if (reselect >= 0) active_->selectRow(reselect);
  refilling_ = false;
  const std::vector<int> combined = combined_event_rows(active);
  activeRows_ = QList<int>(combined.begin(), combined.end());
  // A selected event that ended leaves nothing selected.
  if (selected && reselect < 0) emit eventSelected(-1);
  updateShownRow();
}

void BusMonitorView::selectionChanged() {
  if (refilling_) return;
  const auto selected = selectedEvent();
  emit eventSelected(selected ? selected->second : -1);
  updateShownRow();
}

void BusMonitorView::updateShownRow() {
  const auto selected = selectedEvent();
  const QList<int> rows = !running_ ? QList<int>() : selected ? QList<int>{selected->second} : activeRows_;
  if (rows == shownRows_) return;
  shownRows_ = rows;
  emit shownRowsChanged(rows);
}

void BusMonitorView::appendEntries(const std::vector<BusLogEntry>& entries) {
  QScrollBar* bar = changes_->verticalScrollBar();
  const bool following = bar->value() >= bar->maximum();
  for (const BusLogEntry& entry : entries) changes_->addItem(qt_text(bus_log_line(entry, &project_names())));
  dropOldest();
  if (following) changes_->scrollToBottom();
}

// The list is bounded as the monitor's own list is: its oldest tenth goes at
// once, and its first line says how many went.
void BusMonitorView::dropOldest() {
  const int limit = static_cast<int>(BusMonitor::kBusEntryLimit);
  const int note = skipped_ > 0 ? 1 : 0;
  if (changes_->count() <= limit + limit / 10 + note) return;
  const int excess = changes_->count() - note - limit;
  for (int i = 0; i < excess; ++i) delete changes_->takeItem(note);
  skipped_ += static_cast<std::uint64_t>(excess);
  const QString text = qt_text(skipped_entries_note({}, skipped_).text);
  if (note) changes_->item(0)->setText(text);
  else changes_->insertItem(0, text);
}

void BusMonitorView::setDroppedTotal(std::uint64_t total) {
  dropped_->setText(qt_text(dropped_frames_label(total)));
  QPalette palette = dropped_->palette();
  palette.setColor(QPalette::WindowText, total > 0 ? kWarningColour : this->palette().color(QPalette::WindowText));
  dropped_->setPalette(palette);
}
