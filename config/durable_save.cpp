#include "config/durable_save.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "config/output_file.h"

namespace fs = std::filesystem;
using output_file::OutputFile;

namespace {

FileResult failure(std::string reason) {
  FileResult result;
  result.reason = std::move(reason);
  return result;
}

// Saving through a symbolic link replaces the file it points to, not the
// link. A loop stays a link, which the status check then refuses (ELOOP).
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

// A new file under a short name of its own in the folder, hidden on Linux.
// A name that another file took meanwhile is passed over, never opened.
OutputFile create_temporary(const fs::path& folder, fs::path& name, std::error_code& error) {
  static unsigned counter = 0;
  const auto now = static_cast<unsigned long long>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count());
  for (int attempt = 0;; ++attempt) {
    unsigned long long mix = now ^ (0x9E3779B97F4A7C15ull * (++counter));
    mix ^= mix >> 29;
    char file_name[32];
    std::snprintf(file_name, sizeof file_name, ".zel-%08llx.tmp", mix & 0xFFFFFFFFull);
    name = folder / file_name;
    OutputFile file = OutputFile::create_new(name, error);
    if (error != std::errc::file_exists || attempt == 99) return file;
  }
}

// EPERM or EACCES: the folder's rights (or its sticky bit) stand in the way.
bool folder_refuses_new_files(std::error_code error) {
  return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// Runs the writer into the open file; the reason it failed, empty when every
// byte was written.
std::string write_contents(OutputFile& file, std::span<const std::uint8_t> bytes,
                           const ContentWriter& writer) {
  std::error_code error;
  std::size_t written = 0;
  const ByteSink sink = [&](std::span<const std::uint8_t> piece) {
    if (!error) error = file.write(piece);
    if (!error) written += piece.size();
    return !error;
  };
  const bool reported_ok = writer(sink, bytes);
  if (error) return "zapis nie powiódł się: " + describe_file_error(error);
  if (!reported_ok || written != bytes.size()) return "zapis nie powiódł się: plik niekompletny";
  return {};
}

FileResult write_in_place(const fs::path& target, std::span<const std::uint8_t> bytes,
                          const ContentWriter& writer) {
  std::error_code error;
  OutputFile file = OutputFile::open_existing(target, error);
  if (error) return failure("nie można otworzyć pliku do zapisu: " + describe_file_error(error));

  std::string reason = write_contents(file, bytes, writer);
  if (reason.empty() && (error = file.truncate(bytes.size())))
    reason = "nie można skrócić pliku: " + describe_file_error(error);
  if (reason.empty() && (error = file.flush_to_disk()))
    reason = "zapis na dysk nie powiódł się: " + describe_file_error(error);
  if (reason.empty() && (error = file.close()))
    reason = "zamknięcie pliku nie powiodło się: " + describe_file_error(error);
  if (!reason.empty())
    return failure(reason + " (folder nie pozwala zastąpić pliku nowym, plik zapisywano w miejscu i mógł zostać zmieniony)");
  FileResult result;
  result.ok = true;
  return result;
}

}  // namespace

FileResult save_file_durably(const fs::path& path, std::span<const std::uint8_t> bytes) {
  return save_file_durably(path, bytes, [](const ByteSink& sink, std::span<const std::uint8_t> all) {
    return sink(all);
  });
}

FileResult save_file_durably(const fs::path& path, std::span<const std::uint8_t> bytes,
                             const ContentWriter& writer) {
  const fs::path target = resolve_links(path);
  if (target.filename().empty()) return failure("brak nazwy pliku");

  std::error_code error;
  const fs::file_status old_status = fs::status(target, error);
  // A missing file is made; anything else that hides the file (a loop of
  // links, no right to look into the folder) is not to be replaced blindly.
  if (error && old_status.type() != fs::file_type::not_found)
    return failure("nie można zapisać pliku: " + describe_file_error(error));
  const bool replacing = fs::exists(old_status);
  if (replacing) {
    if (fs::is_directory(old_status)) return failure("to jest folder, a nie plik");
    if (!fs::is_regular_file(old_status)) return failure("to nie jest zwykły plik");
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((old_status.permissions() & kAnyWrite) == fs::perms::none)
      return failure("plik jest tylko do odczytu");
    // A write bit for someone else is not enough: the rename below would
    // replace the file with the folder's rights alone.
    if ((error = output_file::check_writable(target)))
      return failure("nie można zapisać pliku: " + describe_file_error(error));
  }

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  fs::path temporary;
  OutputFile out = create_temporary(folder, temporary, error);
  if (!out.is_open()) {
    if (replacing && folder_refuses_new_files(error)) return write_in_place(target, bytes, writer);
    return failure("nie można utworzyć pliku tymczasowego w folderze: " + describe_file_error(error));
  }

  auto abandon = [&](std::string reason) {
    out.close();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return failure(std::move(reason));
  };

  if (std::string reason = write_contents(out, bytes, writer); !reason.empty())
    return abandon(std::move(reason));
  // The new file keeps the owner, group and access rights of the one it
  // replaces (the owner first: a change of owner clears the set-id bits).
  if (replacing && (error = out.take_owner_of(target)))
    return abandon("nie można przenieść właściciela pliku: " + describe_file_error(error));
  if (replacing && (fs::permissions(temporary, old_status.permissions(), error), error))
    return abandon("nie można przenieść uprawnień pliku: " + describe_file_error(error));
  // On the disk before it takes the old file's name: a power cut after the
  // rename must not leave an empty file.
  if ((error = out.flush_to_disk()))
    return abandon("zapis na dysk nie powiódł się: " + describe_file_error(error));
  if ((error = out.close()))
    return abandon("zamknięcie pliku nie powiodło się: " + describe_file_error(error));

  if ((error = output_file::replace(temporary, target))) {
    // A sticky folder (/tmp) lets only the owner replace a file that others
    // may still write: written in place, as where the folder takes no file.
    if (replacing && folder_refuses_new_files(error)) {
      abandon({});
      return write_in_place(target, bytes, writer);
    }
    return abandon("nie można zastąpić pliku: " + describe_file_error(error));
  }
  if ((error = output_file::flush_folder(folder)))
    return failure("plik zapisano, ale system nie potwierdził zapisu folderu na dysku: " +
                   describe_file_error(error));

  FileResult result;
  result.ok = true;
  return result;
}

std::string describe_file_error(std::error_code error) {
  if (!error) return "nieznany błąd systemu";
  if (error == std::errc::no_such_file_or_directory) return "plik lub folder nie istnieje";
  if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
    return "brak uprawnień";
  if (error == std::errc::is_a_directory) return "to jest folder, a nie plik";
  if (error == std::errc::not_a_directory) return "część ścieżki nie jest folderem";
  if (error == std::errc::no_space_on_device) return "brak miejsca na dysku";
  if (error == std::errc::read_only_file_system) return "nośnik tylko do odczytu";
  if (error == std::errc::filename_too_long) return "za długa nazwa pliku";
  if (error == std::errc::too_many_symbolic_link_levels)
    return "dowiązania symboliczne tworzą pętlę (lub jest ich za wiele)";
  if (error == std::errc::device_or_resource_busy || error == std::errc::text_file_busy)
    return "plik jest używany przez inny program";
  return "błąd systemu: " + error.message();
}
