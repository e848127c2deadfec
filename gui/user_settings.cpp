// SPDX-License-Identifier: MIT
#include "gui/user_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdio>

#include "config/config_matrix.h"

namespace {

const char* const kOrganisation = "ZEL17";
const char* const kApplication = "zel17";

QString& test_file() {
  static QString path;
  return path;
}

std::unique_ptr<UserSettings>& the_instance() {
  static std::unique_ptr<UserSettings> settings;
  return settings;
}

QString kind_name(FileKind kind) {
  switch (kind) {
    case FileKind::configuration: return QStringLiteral("konfiguracja");
    case FileKind::report: return QStringLiteral("eksport");
    case FileKind::monitor_log: return QStringLiteral("dziennik_magistrali");
    case FileKind::console_log: return QStringLiteral("log_konsoli");
    case FileKind::none: break;
  }
  return {};
}

// The entries that still exist, each once, at most `limit`.
template <typename Exists>
QStringList existing(const QStringList& list, Exists exists, int limit) {
  QStringList kept;
  for (const QString& entry : list) {
    if (exists(QFileInfo(entry)) && !kept.contains(entry)) kept.append(entry);
  }
  return kept.mid(0, limit);
}

// The newest first, once, at most `limit`.
QStringList with_newest(QStringList list, const QString& newest, int limit) {
  list.removeAll(newest);
  list.prepend(newest);
  while (list.size() > limit) list.removeLast();
  return list;
}

std::unique_ptr<QSettings> open_store() {
  if (!test_file().isEmpty()) return std::make_unique<QSettings>(test_file(), QSettings::IniFormat);
  return std::make_unique<QSettings>(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
}

}  // namespace

UserSettings& UserSettings::instance() {
  if (!the_instance()) the_instance() = std::make_unique<UserSettings>(open_store());
  return *the_instance();
}

void UserSettings::useFile(const QString& path) {
  test_file() = path;
  the_instance().reset();
}

UserSettings::UserSettings(std::unique_ptr<QSettings> store) : store_(std::move(store)) {
  // Read now, so a damaged store is found before any value is taken from it.
  if (store_->status() == QSettings::NoError) return;
  std::fprintf(stderr, "zel17: nie można odczytać ustawień (%s); użyto domyślnych.\n",
               QDir::toNativeSeparators(store_->fileName()).toLocal8Bit().constData());
  store_->clear();
}

UserSettings::~UserSettings() = default;

QStringList UserSettings::readList(const QString& key) const {
  const QVariant value = store_->value(key);
  if (value.typeId() == QMetaType::QStringList) return value.toStringList();
  if (value.typeId() == QMetaType::QString && !value.toString().isEmpty()) return {value.toString()};
  return {};
}

void UserSettings::write(const QString& key, const QVariant& value) {
  store_->setValue(key, value);
  store_->sync();
}

QString UserSettings::folder(FileKind kind) const {
  const QStringList folders = recentFolders(kind);
  return folders.isEmpty() ? QString() : folders.front();
}

QStringList UserSettings::recentFolders(FileKind kind) const {
  if (kind == FileKind::none) return {};
  return existing(readList(QStringLiteral("foldery/") + kind_name(kind)), [](const QFileInfo& f) { return f.isDir(); },
                  kRecentFolders);
}

void UserSettings::rememberFolderOf(FileKind kind, const QString& file) {
  if (kind == FileKind::none || file.isEmpty()) return;
  const QString folder = QFileInfo(file).absolutePath();
  write(QStringLiteral("foldery/") + kind_name(kind), with_newest(recentFolders(kind), folder, kRecentFolders));
}

QStringList UserSettings::recentFiles() const {
  return existing(readList(QStringLiteral("ostatnie_pliki")), [](const QFileInfo& f) { return f.isFile(); },
                  kRecentFiles);
}

void UserSettings::addRecentFile(const QString& file) {
  if (file.isEmpty()) return;
  write(QStringLiteral("ostatnie_pliki"), with_newest(recentFiles(), QFileInfo(file).absoluteFilePath(), kRecentFiles));
}

QByteArray UserSettings::boardGeometry() const {
  const QVariant value = store_->value(QStringLiteral("tablica/geometria"));
  return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

void UserSettings::setBoardGeometry(const QByteArray& geometry) { write(QStringLiteral("tablica/geometria"), geometry); }

int UserSettings::boardTab() const {
  bool ok = false;
  const int index = store_->value(QStringLiteral("tablica/zakladka")).toInt(&ok);
  return ok && index >= 0 ? index : -1;
}

void UserSettings::setBoardTab(int index) { write(QStringLiteral("tablica/zakladka"), index); }

std::optional<double> UserSettings::walkDwellSeconds() const {
  bool ok = false;
  const double seconds = store_->value(QStringLiteral("test_po_kolei/czas")).toDouble(&ok);
  if (!ok || !(seconds >= 0.5 && seconds <= 60.0)) return std::nullopt;
  return seconds;
}

void UserSettings::setWalkDwellSeconds(double seconds) { write(QStringLiteral("test_po_kolei/czas"), seconds); }

std::optional<WalkRange> UserSettings::walkRange() const {
  bool first_ok = false, last_ok = false;
  const int first = store_->value(QStringLiteral("test_po_kolei/od")).toInt(&first_ok);
  const int last = store_->value(QStringLiteral("test_po_kolei/do")).toInt(&last_ok);
  if (!first_ok || !last_ok || first < 0 || last < 0 || first >= ConfigMatrix::kRows || last >= ConfigMatrix::kRows)
    return std::nullopt;
  return WalkRange{first, last};
}

void UserSettings::setWalkRange(WalkRange range) {
  store_->setValue(QStringLiteral("test_po_kolei/od"), range.first);
  write(QStringLiteral("test_po_kolei/do"), range.last);
}

QString UserSettings::engineerName() const {
  const QVariant value = store_->value(QStringLiteral("protokol/inzynier"));
  return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

void UserSettings::setEngineerName(const QString& name) { write(QStringLiteral("protokol/inzynier"), name); }

void UserSettings::clear() {
  store_->clear();
  store_->sync();
}

QString UserSettings::storeName() const { return store_->fileName(); }
