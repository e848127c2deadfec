#include "config/config_file.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFileValues = ConfigMatrix::kCells;
constexpr std::uint8_t kEndOfData = 26;

constexpr bool is_white_space(std::uint8_t byte) { return (byte >= 9 && byte <= 13) || byte == 32; }

// Collects cell values from the file's bytes, fed in pieces, so a large file
// never has to be held in memory.
class ValueCollector {
 public:
  // Returns true once no more bytes are wanted.
  bool feed(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
      if (finished()) break;
      if (byte == kEndOfData) {
        end_marker_at_ = offset_;
        ended_ = true;
      } else if (!is_white_space(byte)) {
        values_[count_++] = byte;
      }
      ++offset_;
    }
    return finished();
  }

  bool finished() const { return ended_ || count_ == kFileValues; }

  FileResult commit(ConfigMatrix& matrix) const {
    FileResult result;
    result.values_read = count_;
    if (count_ < kFileValues) {
      result.reason = "plik nie zawiera pełnej konfiguracji: zawiera " + std::to_string(count_) +
                      " z " + std::to_string(kFileValues) + " wartości";
      if (ended_)
        result.reason += " (dane kończy bajt 26 na pozycji " + std::to_string(end_marker_at_) + ")";
      return result;
    }
    matrix.bytes() = values_;
    result.ok = true;
    return result;
  }

 private:
  std::array<std::uint8_t, kFileValues> values_{};
  std::size_t count_ = 0;
  std::size_t offset_ = 0;
  std::size_t end_marker_at_ = 0;
  bool ended_ = false;
};

std::string describe(std::error_code error) {
  if (!error) return "nieznany błąd systemu";
  if (error == std::errc::no_such_file_or_directory) return "plik lub folder nie istnieje";
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
    return "brak uprawnień";
  if (error == std::errc::is_a_directory) return "to jest folder, a nie plik";
  if (error == std::errc::not_a_directory) return "część ścieżki nie jest folderem";
  if (error == std::errc::no_space_on_device) return "brak miejsca na dysku";
  if (error == std::errc::read_only_file_system) return "nośnik tylko do odczytu";
  if (error == std::errc::filename_too_long) return "za długa nazwa pliku";
  if (error == std::errc::device_or_resource_busy || error == std::errc::text_file_busy)
    return "plik jest używany przez inny program";
  return "błąd systemu: " + error.message();
}

// The error the last failed stream or C library call left behind.
std::error_code last_error() { return {errno, std::generic_category()}; }

// A file name that does not exist yet in the folder, short whatever the
// target's name, hidden on Linux.
fs::path free_temporary_name(const fs::path& folder) {
  static unsigned counter = 0;
  const auto now = static_cast<unsigned long long>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned long long mix = now ^ (0x9E3779B97F4A7C15ull * (++counter));
    mix ^= mix >> 29;
    char name[32];
    std::snprintf(name, sizeof name, ".zel-%08llx.tmp", mix & 0xFFFFFFFFull);
    fs::path candidate = folder / name;
    std::error_code ignored;
    if (!fs::exists(fs::symlink_status(candidate, ignored))) return candidate;
  }
  return {};
}

// Saving through a symbolic link replaces the file it points to, not the link.
fs::path resolve_links(fs::path path) {
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) break;
    fs::path link = fs::read_symlink(path, error);
    if (error) break;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

bool write_all(std::ostream& out, std::span<const std::uint8_t> bytes) {
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

FileResult failure(std::string reason) {
  FileResult result;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

FileResult parse_config_bytes(std::span<const std::uint8_t> bytes, ConfigMatrix& matrix) {
  ValueCollector collector;
  collector.feed(bytes);
  return collector.commit(matrix);
}

FileResult open_for_reading(const fs::path& path, std::ifstream& in) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) {
    if (!error || error == std::errc::no_such_file_or_directory) return failure("plik nie istnieje");
    return failure("nie można otworzyć pliku: " + describe(error));
  }
  if (fs::is_directory(status)) return failure("to jest folder, a nie plik");
  if (!fs::is_regular_file(status)) return failure("to nie jest zwykły plik");

  errno = 0;
  in.open(path, std::ios::in | std::ios::binary);
  if (!in.is_open()) return failure("nie można otworzyć pliku: " + describe(last_error()));
  FileResult result;
  result.ok = true;
  return result;
}

FileResult read_failure() {
  return failure("błąd odczytu pliku: " + describe(last_error()));
}

FileResult load_config_file(const fs::path& path, ConfigMatrix& matrix) {
  std::ifstream in;
  if (FileResult opened = open_for_reading(path, in); !opened.ok) return opened;

  auto collector = std::make_unique<ValueCollector>();
  std::vector<char> chunk(64 * 1024);
  while (!collector->finished()) {
    errno = 0;
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (in.bad()) return read_failure();
    collector->feed({reinterpret_cast<const std::uint8_t*>(chunk.data()), got});
    if (in.eof()) break;
  }
  return collector->commit(matrix);
}

FileResult save_config_file(const fs::path& path, const ConfigMatrix& matrix) {
  return save_config_file(path, matrix, write_all);
}

FileResult save_config_file(const fs::path& path, const ConfigMatrix& matrix,
                            const ConfigWriter& writer) {
  return replace_file_contents(path, matrix.bytes(), writer);
}

FileResult replace_file_contents(const fs::path& path, std::span<const std::uint8_t> bytes) {
  return replace_file_contents(path, bytes, write_all);
}

FileResult replace_file_contents(const fs::path& path, std::span<const std::uint8_t> bytes,
                                 const ConfigWriter& writer) {
  const fs::path target = resolve_links(path);
  if (target.filename().empty()) return failure("brak nazwy pliku");

  std::error_code error;
  const fs::file_status old_status = fs::status(target, error);
  const bool replacing = fs::exists(old_status);
  if (replacing) {
    if (fs::is_directory(old_status)) return failure("to jest folder, a nie plik");
    if (!fs::is_regular_file(old_status)) return failure("to nie jest zwykły plik");
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((old_status.permissions() & kAnyWrite) == fs::perms::none)
      return failure("plik jest tylko do odczytu");
  }

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const fs::path temporary = free_temporary_name(folder);
  if (temporary.empty()) return failure("nie można utworzyć pliku tymczasowego w folderze");

  errno = 0;
  std::ofstream out(temporary, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!out.is_open())
    return failure("nie można utworzyć pliku tymczasowego w folderze: " + describe(last_error()));

  auto abandon = [&](std::string reason) {
    if (out.is_open()) out.close();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return failure(std::move(reason));
  };

  errno = 0;
  if (!writer(out, bytes) || !out) return abandon("zapis nie powiódł się: " + describe(last_error()));
  errno = 0;
  out.flush();
  if (!out) return abandon("zapis nie powiódł się: " + describe(last_error()));
  errno = 0;
  out.close();
  if (out.fail()) return abandon("zamknięcie pliku nie powiodło się: " + describe(last_error()));

  const std::uintmax_t written = fs::file_size(temporary, error);
  if (error || written != bytes.size()) return abandon("zapis nie powiódł się: plik niekompletny");

  // The new file keeps the access rights of the one it replaces.
  if (replacing) fs::permissions(temporary, old_status.permissions(), error);

  fs::rename(temporary, target, error);
  if (error) return abandon("nie można zastąpić pliku: " + describe(error));

  FileResult result;
  result.ok = true;
  return result;
}
