// SPDX-License-Identifier: MIT
#pragma once
// What the window remembers between sessions: the folder of each kind of
// file, the recent configuration files, the board window's place and tab,
// the walk's range and time per event, and the engineer's name. Kept by
// QSettings in the system's own store (~/.config/ZEL17/zel17.conf on Linux,
// HKCU\Software\ZEL17\zel17 on Windows), opened on first use so that start-up
// does not wait for it. A store that cannot be read gives the defaults and
// one line on standard error; every value read is checked, so a damaged one
// counts as missing.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;

// The kinds of file whose folder is remembered apart.
enum class FileKind { none, configuration, report, monitor_log, console_log };

struct WalkRange {
  int first;
  int last;
};

class UserSettings {
 public:
  static constexpr int kRecentFiles = 8;
  static constexpr int kRecentFolders = 8;

  // The one store of the program.
  static UserSettings& instance();
  // Tests keep their settings in an INI file of their own; the next
  // instance() opens it.
  static void useFile(const QString& path);

  explicit UserSettings(std::unique_ptr<QSettings> store);
  ~UserSettings();
  UserSettings(const UserSettings&) = delete;
  UserSettings& operator=(const UserSettings&) = delete;

  // The folder a file of this kind was last chosen in (empty: none yet),
  // and the recent ones, newest first.
  QString folder(FileKind kind) const;
  QStringList recentFolders(FileKind kind) const;
  void rememberFolderOf(FileKind kind, const QString& file);

  // The configuration files last opened or saved, newest first; a file that
  // no longer exists is left out.
  QStringList recentFiles() const;
  void addRecentFile(const QString& file);

  QByteArray boardGeometry() const;
  void setBoardGeometry(const QByteArray& geometry);
  int boardTab() const;  // -1: none remembered
  void setBoardTab(int index);

  std::optional<double> walkDwellSeconds() const;
  void setWalkDwellSeconds(double seconds);
  std::optional<WalkRange> walkRange() const;
  void setWalkRange(WalkRange range);

  // For the commissioning record.
  QString engineerName() const;
  void setEngineerName(const QString& name);

  // Forgets everything.
  void clear();
  // Where the store is: a file, or the registry key on Windows.
  QString storeName() const;

 private:
  QStringList readList(const QString& key) const;
  void write(const QString& key, const QVariant& value);

  std::unique_ptr<QSettings> store_;
};
