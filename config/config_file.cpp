// SPDX-License-Identifier: MIT
#include "config/config_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "config/configuration_check.h"

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
    ConfigMatrix read;
    read.bytes() = values_;
    if (const std::string fault = configuration_fault(read); !fault.empty()) {
      result.reason = "plik nie jest konfiguracją: " + fault;
      return result;
    }
    matrix = read;
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

// The error the last failed stream or C library call left behind.
std::error_code last_error() { return {errno, std::generic_category()}; }

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
    if (!error || error == std::errc::no_such_file_or_directory) return FileResult::failure("plik nie istnieje");
    return FileResult::failure("nie można otworzyć pliku: " + describe_file_error(error));
  }
  if (fs::is_directory(status)) return FileResult::failure("to jest folder, a nie plik");
  if (!fs::is_regular_file(status)) return FileResult::failure("to nie jest zwykły plik");

  errno = 0;
  in.open(path, std::ios::in | std::ios::binary);
  if (!in.is_open()) return FileResult::failure("nie można otworzyć pliku: " + describe_file_error(last_error()));
  return FileResult::success();
}

FileResult read_failure() { return FileResult::failure("błąd odczytu pliku: " + describe_file_error(last_error())); }

FileResult read_small_file(const fs::path& path, std::uintmax_t limit, const char* what, std::string& text) {
  std::ifstream in;
  if (FileResult opened = open_for_reading(path, in); !opened.ok) return opened;
  text.assign(static_cast<std::size_t>(limit) + 1, '\0');
  errno = 0;
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return read_failure();
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > limit)
    return FileResult::failure("plik jest za duży (ponad " + std::to_string(limit / 1024) + " KiB), to nie jest " + what);
  return FileResult::success();
}

bool has_file_extension(const fs::path& path, std::string_view extension) {
  const std::u8string name = path.filename().u8string();
  if (name.size() < extension.size()) return false;
  std::string tail(name.end() - static_cast<std::ptrdiff_t>(extension.size()), name.end());
  std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return tail == extension;
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
  return save_file_durably(path, matrix.bytes());
}

FileResult save_config_file(const fs::path& path, const ConfigMatrix& matrix,
                            const ContentWriter& writer) {
  return save_file_durably(path, matrix.bytes(), writer);
}
