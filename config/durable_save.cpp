// SPDX-License-Identifier: MIT
#include "config/durable_save.h"

#include <chrono>
#include <cstdio>
#include <utility>

#include "config/file_access.h"
#include "config/output_file.h"
#include "text/utf8_path.h"

namespace fs = std::filesystem;
using output_file::OutputFile;

namespace {

constexpr const char* kWrittenInPlace = "Zapisano w miejscu: folder nie pozwala na bezpieczną zamianę pliku.";

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

// Puts a written file on the disk and closes it; the reason it failed, or empty.
std::string flush_and_close(OutputFile& file) {
  if (std::error_code error = file.flush_to_disk())
    return "zapis na dysk nie powiódł się: " + describe_file_error(error);
  if (std::error_code error = file.close())
    return "zamknięcie pliku nie powiodło się: " + describe_file_error(error);
  return {};
}

// Writes, flushes and closes a new file; the reason it failed, or empty.
std::string write_durably(OutputFile& file, std::span<const std::uint8_t> bytes, const ContentWriter& writer) {
  if (std::string reason = write_contents(file, bytes, writer); !reason.empty()) return reason;
  return flush_and_close(file);
}

// Where the folder takes no new file: a complete copy of the new contents
// in the user's cache folder, on the disk, before the file is overwritten.
// Empty, with the reason, when none could be made.
fs::path write_cache_copy(std::span<const std::uint8_t> bytes, const ContentWriter& writer, std::string& reason) {
  const fs::path cache = output_file::user_cache_folder();
  if (cache.empty()) {
    reason = "brak folderu pamięci podręcznej użytkownika";
    return {};
  }
  const fs::path folder = cache / "zel17";
  std::error_code error;
  if (fs::create_directories(folder, error)) fs::permissions(folder, fs::perms::owner_all, error);
  fs::path copy;
  OutputFile file = create_temporary(folder, copy, error);
  if (!file.is_open()) {
    reason = "nie można utworzyć pliku w folderze " + path_utf8(folder) + ": " + describe_file_error(error);
    return {};
  }
  reason = write_durably(file, bytes, writer);
  if (reason.empty()) return copy;
  fs::remove(copy, error);
  return {};
}

// Overwrites the file from its start and cuts it to the new length. `copy`
// holds the new contents meanwhile: it goes once the file is on the disk,
// and stays, named in the message, when the write fails.
FileResult write_in_place(const fs::path& target, std::span<const std::uint8_t> bytes,
                          const ContentWriter& writer, const fs::path& copy) {
  const auto failed = [&](std::string reason, bool touched) {
    return FileResult::failure(
        reason + " (folder nie pozwala zastąpić pliku nowym, plik zapisywano w miejscu" +
        (touched ? " i mógł zostać zmieniony" : "; pozostał bez zmian") +
        "; pełna kopia nowej zawartości: " + path_utf8(copy) + ")");
  };
  std::error_code error;
  OutputFile file = OutputFile::open_existing(target, error);
  if (error) return failed("nie można otworzyć pliku do zapisu: " + describe_file_error(error), false);
  // A full disk is found before the first byte is overwritten.
  if ((error = file.reserve(bytes.size())))
    return failed("nie można zarezerwować miejsca na plik: " + describe_file_error(error), false);

  std::string reason = write_contents(file, bytes, writer);
  if (reason.empty() && (error = file.truncate(bytes.size())))
    reason = "nie można skrócić pliku: " + describe_file_error(error);
  if (reason.empty()) reason = flush_and_close(file);
  if (!reason.empty()) return failed(reason, true);
  fs::remove(copy, error);
  FileResult result = FileResult::success();
  result.note = kWrittenInPlace;
  return result;
}

// Gives the new file the old one's rights. Where they cannot be set, the
// new file may keep other ones, but never rights for more people: those
// are taken away, and where even that fails, the reason it must not
// replace the old file is returned.
std::string carry_rights_over(const fs::path& file, const FileAccess& old, bool& kept) {
  std::error_code error;
  fs::permissions(file, old.rights, error);
  FileAccess now;
  if (std::error_code unread = output_file::access_of(file, now))
    return "nie można sprawdzić uprawnień nowego pliku: " + describe_file_error(unread);
  if (const fs::perms excess = widened_rights(old, now); excess != fs::perms::none) {
    std::error_code ignored;
    fs::permissions(file, excess, fs::perm_options::remove, ignored);
    if (output_file::access_of(file, now) || widened_rights(old, now) != fs::perms::none) {
      return "nie można przenieść uprawnień pliku" + (error ? ": " + describe_file_error(error) : std::string()) +
             "; nowy plik byłby dostępny dla większej liczby osób niż poprzedni";
    }
  }
  kept = (now.rights & fs::perms::all) == (old.rights & fs::perms::all);
  return {};
}

// What of the old file the new one did not take, for the status.
std::string not_kept_note(bool owner_kept, bool rights_kept) {
  if (owner_kept && rights_kept) return {};
  std::string what = owner_kept ? "uprawnień" : rights_kept ? "właściciela i grupy" : "właściciela i grupy ani uprawnień";
  return "Zapisano, ale nie zachowano " + what + " poprzedniego pliku.";
}

}  // namespace

FileResult save_file_durably(const fs::path& path, std::span<const std::uint8_t> bytes) {
  return save_file_durably(path, bytes, [](const ByteSink& sink, std::span<const std::uint8_t> all) {
    return sink(all);
  });
}

FileResult save_text_durably(const fs::path& path, std::string_view text) {
  return save_file_durably(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

FileResult save_file_durably(const fs::path& path, std::span<const std::uint8_t> bytes,
                             const ContentWriter& writer) {
  const fs::path target = resolve_links(path);
  if (target.filename().empty()) return FileResult::failure("brak nazwy pliku");

  std::error_code error;
  const fs::file_status old_status = fs::status(target, error);
  // A missing file is made; anything else that hides the file (a loop of
  // links, no right to look into the folder) is not to be replaced blindly.
  if (error && old_status.type() != fs::file_type::not_found)
    return FileResult::failure("nie można zapisać pliku: " + describe_file_error(error));
  const bool replacing = fs::exists(old_status);
  FileAccess old_access;
  if (replacing) {
    if (fs::is_directory(old_status)) return FileResult::failure("to jest folder, a nie plik");
    if (!fs::is_regular_file(old_status)) return FileResult::failure("to nie jest zwykły plik");
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((old_status.permissions() & kAnyWrite) == fs::perms::none)
      return FileResult::failure("plik jest tylko do odczytu");
    // A write bit for someone else is not enough: the rename below would
    // replace the file with the folder's rights alone.
    if ((error = output_file::check_writable(target)) || (error = output_file::access_of(target, old_access)))
      return FileResult::failure("nie można zapisać pliku: " + describe_file_error(error));
  }

  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  fs::path temporary;
  OutputFile out = create_temporary(folder, temporary, error);
  if (!out.is_open()) {
    if (!replacing || !folder_refuses_new_files(error))
      return FileResult::failure("nie można utworzyć pliku tymczasowego w folderze: " + describe_file_error(error));
    std::string reason;
    const fs::path copy = write_cache_copy(bytes, writer, reason);
    if (copy.empty()) {
      return FileResult::failure("folder nie pozwala zastąpić pliku nowym, a kopii nowej zawartości nie udało się "
                                 "zapisać (" + reason + "); plik pozostał bez zmian");
    }
    return write_in_place(target, bytes, writer, copy);
  }

  auto abandon = [&](std::string reason) {
    out.close();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return FileResult::failure(std::move(reason));
  };

  if (std::string reason = write_contents(out, bytes, writer); !reason.empty())
    return abandon(std::move(reason));
  // The new file keeps the owner, group and access rights of the one it
  // replaces (the owner first: a change of owner clears the set-id bits);
  // where the system refuses them, the save goes on and says so.
  bool owner_kept = true;
  bool rights_kept = true;
  if (replacing) {
    owner_kept = !out.take_owner_of(target);
    if (std::string reason = carry_rights_over(temporary, old_access, rights_kept); !reason.empty())
      return abandon(std::move(reason));
  }
  // On the disk before it takes the old file's name: a power cut after the
  // rename must not leave an empty file.
  if (std::string reason = flush_and_close(out); !reason.empty()) return abandon(std::move(reason));

  if ((error = output_file::replace(temporary, target))) {
    // A sticky folder (/tmp) lets only the owner replace a file that others
    // may still write: written in place, as where the folder takes no file,
    // while the temporary file keeps the new contents.
    if (replacing && folder_refuses_new_files(error)) return write_in_place(target, bytes, writer, temporary);
    return abandon("nie można zastąpić pliku: " + describe_file_error(error));
  }
  if ((error = output_file::flush_folder(folder)))
    return FileResult::failure("plik zapisano, ale system nie potwierdził zapisu folderu na dysku: " +
                               describe_file_error(error));

  FileResult result = FileResult::success();
  result.note = not_kept_note(owner_kept, rights_kept);
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
