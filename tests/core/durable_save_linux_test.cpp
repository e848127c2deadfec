// SPDX-License-Identifier: MIT
// The durable save against the real system: what a user other than root may
// and may not replace, and the order in which the data reaches the disk.
//
// Root may write any file, so the rights cases run in a forked child that
// drops to the unprivileged uid and gid 65534 (chattr +i would not do: an
// immutable file refuses the rename too, so it could not show the fault).
// Run by another user, the tests need no child: the files are made so that
// their owner's own bits deny what the case needs.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/durable_save.h"
#include "config/file_access.h"
#include "../child_output.h"
#include "../small_tmpfs.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// The flushes and renames the save makes, while a test listens.
std::vector<std::string>* listened_calls = nullptr;
// Set, every change of a file's access rights fails with EIO.
bool refuse_rights_change = false;
// Set, every change of a file's owner fails with EPERM, as on a mount that
// keeps its own owners.
bool refuse_owner_change = false;

std::string path_of_descriptor(int fd) {
  std::array<char, 4096> target{};
  const ssize_t length =
      readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target.data(), target.size() - 1);
  return length < 0 ? "?" : std::string(target.data(), static_cast<std::size_t>(length));
}

}  // namespace

// The process's fsync and rename pass through these, which note each call.
extern "C" int fsync(int fd) {
  static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
  if (listened_calls) listened_calls->push_back("fsync " + path_of_descriptor(fd));
  return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
  static const auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
  if (listened_calls) listened_calls->push_back(std::string("rename ") + from + " " + to);
  return real(from, to);
}

// std::filesystem::permissions changes the rights through this call.
extern "C" int fchmodat(int folder, const char* path, mode_t mode, int flags) {
  static const auto real =
      reinterpret_cast<int (*)(int, const char*, mode_t, int)>(dlsym(RTLD_NEXT, "fchmodat"));
  if (refuse_rights_change) {
    errno = EIO;
    return -1;
  }
  return real(folder, path, mode, flags);
}

extern "C" int fchown(int fd, uid_t owner, gid_t group) {
  static const auto real = reinterpret_cast<int (*)(int, uid_t, gid_t)>(dlsym(RTLD_NEXT, "fchown"));
  if (refuse_owner_change) {
    errno = EPERM;
    return -1;
  }
  return real(fd, owner, group);
}

namespace {

constexpr uid_t kUnprivileged = 65534;
constexpr uid_t kOtherUser = 12345;  // neither root nor the unprivileged user
constexpr gid_t kOtherGroup = 12346;

Bytes numbered_bytes(std::size_t count, std::uint8_t first) {
  Bytes bytes(count);
  for (std::size_t k = 0; k < count; ++k) bytes[k] = static_cast<std::uint8_t>(first + k);
  return bytes;
}

bool write_all(const ByteSink& sink, std::span<const std::uint8_t> bytes) { return sink(bytes); }

// Saves as a user who is not root. Empty when this process is root and
// cannot become another user (then the case can't be shown here).
std::optional<FileResult> save_as_unprivileged(const fs::path& path, const Bytes& bytes,
                                               const ContentWriter& writer = write_all) {
  if (geteuid() != 0) return save_file_durably(path, bytes, writer);

  const std::optional<std::string> report = output_of_child([&] {
    if (setgroups(0, nullptr) != 0 || setresgid(kUnprivileged, kUnprivileged, kUnprivileged) != 0 ||
        setresuid(kUnprivileged, kUnprivileged, kUnprivileged) != 0)
      return 2;
    const FileResult result = save_file_durably(path, bytes, writer);
    std::printf("%d%s\n%s", result.ok ? 1 : 0, result.reason.c_str(), result.note.c_str());
    return 0;
  });
  if (!report || report->empty()) return std::nullopt;
  const std::size_t line_end = report->find('\n');
  FileResult result;
  result.ok = (*report)[0] == '1';
  result.reason = report->substr(1, line_end - 1);
  result.note = report->substr(line_end + 1);
  return result;
}

constexpr const char* kWrittenInPlace = "Zapisano w miejscu: folder nie pozwala na bezpieczną zamianę pliku.";

// The user's cache folder is the test's own, open to the unprivileged user.
class DurableSave : public ScratchFolderTest {
 protected:
  void SetUp() override {
    ScratchFolderTest::SetUp();
    cache_ = dir_ / "cache";
    fs::create_directory(cache_);
    fs::permissions(cache_, fs::perms::all);
    const char* before = std::getenv("XDG_CACHE_HOME");
    if (before) cache_before_ = before;
    setenv("XDG_CACHE_HOME", cache_.c_str(), 1);
  }
  void TearDown() override {
    listened_calls = nullptr;
    refuse_rights_change = false;
    refuse_owner_change = false;
    if (cache_before_) setenv("XDG_CACHE_HOME", cache_before_->c_str(), 1); else unsetenv("XDG_CACHE_HOME");
    ScratchFolderTest::TearDown();
  }
  // The copies the in-place saves keep.
  std::vector<std::string> kept_copies() const {
    return fs::exists(cache_ / "zel17") ? entries(cache_ / "zel17") : std::vector<std::string>{};
  }

  fs::path cache_;
  std::optional<std::string> cache_before_;
};

constexpr const char* kNoOtherUser = "running as root, and this system refuses to switch to uid 65534";

TEST_F(DurableSave, AFileTheUserMayNotWriteIsRefusedThoughItsFolderWouldAllowTheRename) {
  // Another user's file with a write bit (the group's) that is not ours, in
  // a folder where anyone may create and rename files.
  const fs::path folder = dir_ / "wspolny";
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::all);
  const fs::path file = folder / "cudza.zel";
  const Bytes old_contents = numbered_bytes(10000, 1);
  write_bytes(file, old_contents);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::group_write |
                            fs::perms::others_read);

  const std::optional<FileResult> result = save_as_unprivileged(file, numbered_bytes(7625, 2));
  if (!result) GTEST_SKIP() << kNoOtherUser;
  EXPECT_FALSE(result->ok);
  EXPECT_EQ(result->reason, "nie można zapisać pliku: brak uprawnień");
  EXPECT_EQ(read_bytes(file), old_contents);
  EXPECT_EQ(entries(folder), std::vector<std::string>{"cudza.zel"});
}

TEST_F(DurableSave, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
  const fs::path folder = dir_ / "zamkniety";
  fs::create_directory(folder);
  const fs::path file = folder / "wspolna.zel";
  write_bytes(file, numbered_bytes(10000, 3));
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

  const Bytes saved = numbered_bytes(7625, 4);
  const std::optional<FileResult> result = save_as_unprivileged(file, saved);
  if (!result) GTEST_SKIP() << kNoOtherUser;
  EXPECT_TRUE(result->ok) << result->reason;
  EXPECT_EQ(result->note, kWrittenInPlace);
  EXPECT_EQ(read_bytes(file), saved);  // exactly the new bytes: the longer tail is cut
  EXPECT_EQ(entries(folder), std::vector<std::string>{"wspolna.zel"});
  EXPECT_EQ(kept_copies(), std::vector<std::string>{});  // the copy went once the file was on the disk
}

// Root saving a user's file (sudo zel17-cli read ~/x.zel) leaves it the
// user's, so the user can save it again.
TEST_F(DurableSave, TheReplacementKeepsTheOldFilesOwnerGroupAndRights) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  const fs::path file = dir_ / "uzytkownika.zel";
  write_bytes(file, numbered_bytes(100, 7));
  ASSERT_EQ(chown(file.c_str(), kOtherUser, kOtherGroup), 0);
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  const FileResult result = save_file_durably(file, numbered_bytes(7625, 8));
  ASSERT_TRUE(result.ok) << result.reason;
  struct stat saved {};
  ASSERT_EQ(stat(file.c_str(), &saved), 0);
  EXPECT_EQ(saved.st_uid, kOtherUser);
  EXPECT_EQ(saved.st_gid, kOtherGroup);
  EXPECT_EQ(saved.st_mode & 07777, 0640u);
  EXPECT_EQ(read_bytes(file), numbered_bytes(7625, 8));
}

// A sticky folder (/tmp) refuses to let anyone but the owner replace a file
// that any user may write: it is written in place instead.
TEST_F(DurableSave, AnotherUsersWritableFileInAStickyFolderIsWrittenInPlace) {
  const fs::path folder = dir_ / "lepki";
  fs::create_directory(folder);
  ASSERT_EQ(chmod(folder.c_str(), 01777), 0);
  const fs::path file = folder / "wspolna.zel";
  write_bytes(file, numbered_bytes(10000, 9));
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  if (geteuid() != 0) GTEST_SKIP() << "only root may give the file to another user";
  ASSERT_EQ(chown(file.c_str(), kOtherUser, kOtherGroup), 0);

  const Bytes saved = numbered_bytes(7625, 10);
  const std::optional<FileResult> result = save_as_unprivileged(file, saved);
  if (!result) GTEST_SKIP() << kNoOtherUser;
  EXPECT_TRUE(result->ok) << result->reason;
  EXPECT_EQ(result->note, kWrittenInPlace);
  EXPECT_EQ(read_bytes(file), saved);
  EXPECT_EQ(entries(folder), std::vector<std::string>{"wspolna.zel"});

  // The in-place write failing part way: the temporary file, complete,
  // stays and is named.
  int runs = 0;
  const ContentWriter second_run_fails = [&runs](const ByteSink& sink, std::span<const std::uint8_t> bytes) {
    if (++runs == 1) return sink(bytes);
    sink(bytes.first(bytes.size() / 2));
    return false;
  };
  const Bytes next = numbered_bytes(7625, 11);
  const std::optional<FileResult> failed = save_as_unprivileged(file, next, second_run_fails);
  ASSERT_TRUE(failed);
  EXPECT_FALSE(failed->ok);
  const std::vector<std::string> names = entries(folder);
  ASSERT_EQ(names.size(), 2u) << testing::PrintToString(names);
  const fs::path copy = folder / names[0];  // ".zel-….tmp" sorts first
  EXPECT_EQ(read_bytes(copy), next);
  EXPECT_NE(failed->reason.find("pełna kopia nowej zawartości: " + copy.string()), std::string::npos)
      << failed->reason;
}

// A full disk under a folder that takes no new file: the room is reserved
// before the first byte is overwritten, so the old file stays whole, and
// the copy in the user's cache folder is kept and named. A small tmpfs
// holds the file; mounting it needs root.
TEST_F(DurableSave, AFullDiskLeavesTheOldFileWholeAndKeepsACopyOfTheNew) {
  const SmallTmpfs disk(dir_ / "maly");
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const fs::path file = dir_ / "maly" / "wspolna.zel";
  const Bytes old_contents = numbered_bytes(100, 12);
  write_bytes(file, old_contents);
  ASSERT_EQ(chmod(file.c_str(), 0666), 0);
  disk.fill();

  const Bytes saved = numbered_bytes(7625, 13);
  const std::optional<FileResult> result = save_as_unprivileged(file, saved);
  if (!result) GTEST_SKIP() << kNoOtherUser;
  EXPECT_FALSE(result->ok);
  EXPECT_EQ(read_bytes(file), old_contents);
  const std::vector<std::string> copies = kept_copies();
  ASSERT_EQ(copies.size(), 1u);
  const fs::path copy = cache_ / "zel17" / copies[0];
  EXPECT_EQ(read_bytes(copy), saved);
  EXPECT_EQ(result->reason, "nie można zarezerwować miejsca na plik: brak miejsca na dysku (folder nie pozwala "
                            "zastąpić pliku nowym, plik zapisywano w miejscu; pozostał bez zmian; pełna kopia "
                            "nowej zawartości: " + copy.string() + ")");
}

// Where the system refuses the old file's owner or rights, the save goes on
// and says what was not kept; it fails only where the new file would be
// open to more people. The new file is made 0644 (umask 022).
TEST_F(DurableSave, OwnerOrRightsTheSystemRefusesAreReportedAndNeverWidened) {
  struct Case {
    const char* name;
    bool other_owner;  // the old file is kOtherUser:kOtherGroup's (needs root)
    mode_t old_mode;
    bool refuse_rights, refuse_owner;
    const char* note;  // nullptr: the save fails
    mode_t new_mode;
  };
  const Case cases[] = {
      {"rights refused, the same anyway", false, 0644, true, false, "", 0644},
      {"rights refused, fewer people", false, 0666, true, false,
       "Zapisano, ale nie zachowano uprawnień poprzedniego pliku.", 0644},
      {"rights refused, more people", false, 0600, true, false, nullptr, 0},
      {"owner refused, everyone read it", true, 0644, false, true,
       "Zapisano, ale nie zachowano właściciela i grupy poprzedniego pliku.", 0644},
      {"owner refused, its group read it", true, 0640, false, true,
       "Zapisano, ale nie zachowano właściciela i grupy ani uprawnień poprzedniego pliku.", 0600},
      {"both refused, its group read it", true, 0640, true, true, nullptr, 0},
  };
  const mode_t umask_before = umask(022);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.other_owner && geteuid() != 0) continue;  // only root may give a file away
    const fs::path file = dir_ / "konfiguracja.zel";
    const Bytes old_contents = numbered_bytes(100, 14);
    write_bytes(file, old_contents);
    ASSERT_EQ(chmod(file.c_str(), c.old_mode), 0);
    if (c.other_owner) {
      ASSERT_EQ(chown(file.c_str(), kOtherUser, kOtherGroup), 0);
    }
    refuse_rights_change = c.refuse_rights;
    refuse_owner_change = c.refuse_owner;
    const FileResult result = save_file_durably(file, numbered_bytes(7625, 15));
    refuse_rights_change = refuse_owner_change = false;
    struct stat saved {};
    ASSERT_EQ(stat(file.c_str(), &saved), 0);
    EXPECT_EQ(entries(), (std::vector<std::string>{"cache", "konfiguracja.zel"}));
    if (c.note == nullptr) {
      EXPECT_FALSE(result.ok);
      EXPECT_NE(result.reason.find("nowy plik byłby dostępny dla większej liczby osób niż poprzedni"),
                std::string::npos) << result.reason;
      EXPECT_EQ(read_bytes(file), old_contents);
      EXPECT_EQ(saved.st_mode & 07777, c.old_mode);
    } else {
      EXPECT_TRUE(result.ok) << result.reason;
      EXPECT_EQ(result.note, c.note);
      EXPECT_EQ(read_bytes(file), numbered_bytes(7625, 15));
      EXPECT_EQ(saved.st_mode & 07777, c.new_mode);
    }
    fs::remove(file);
  }
  umask(umask_before);
}

TEST_F(DurableSave, ALinkLoopIsRefusedAndChangesNothing) {
  fs::create_symlink("petla-b.zel", dir_ / "petla-a.zel");
  fs::create_symlink("petla-a.zel", dir_ / "petla-b.zel");
  const FileResult result = save_file_durably(dir_ / "petla-a.zel", numbered_bytes(7625, 13));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.reason, "nie można zapisać pliku: dowiązania symboliczne tworzą pętlę (lub jest ich za wiele)");
  EXPECT_TRUE(fs::is_symlink(dir_ / "petla-a.zel"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "petla-b.zel"));
  EXPECT_EQ(entries(), (std::vector<std::string>{"cache", "petla-a.zel", "petla-b.zel"}));
}

TEST_F(DurableSave, TheNewFileReachesTheDiskBeforeTheRenameAndTheFolderAfterIt) {
  const fs::path file = dir_ / "konfiguracja.zel";
  write_bytes(file, numbered_bytes(100, 5));
  std::vector<std::string> calls;
  listened_calls = &calls;
  const FileResult result = save_file_durably(file, numbered_bytes(7625, 6));
  listened_calls = nullptr;
  ASSERT_TRUE(result.ok) << result.reason;

  // Only the save's own calls, on this test's folder.
  std::erase_if(calls, [&](const std::string& call) { return call.find(dir_.string()) == std::string::npos; });
  ASSERT_EQ(calls.size(), 3u) << testing::PrintToString(calls);
  const std::string flushed = calls[0].substr(std::string("fsync ").size());
  EXPECT_EQ(calls[0].rfind("fsync ", 0), 0u) << calls[0];
  EXPECT_NE(flushed, file.string());  // the temporary file, not the old one
  EXPECT_EQ(calls[1], "rename " + flushed + " " + file.string());
  EXPECT_EQ(calls[2], "fsync " + dir_.string());
  EXPECT_EQ(read_bytes(file), numbered_bytes(7625, 6));
}

}  // namespace
