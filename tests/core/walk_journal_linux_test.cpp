// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "commissioning/commissioning_record.h"
#include "scratch_folder.h"

namespace {

class JournalFifo : public ScratchFolderTest {};

// A FIFO would hold a reader or a writer for good: it is refused before it
// is opened, as a journal and as one file of a record folder.
TEST_F(JournalFifo, IsRefusedBeforeItIsOpened) {
  ASSERT_EQ(::mkfifo(path("dziennik.jsonl").c_str(), 0600), 0);
  const JournalReading reading = load_walk_journal(path("dziennik.jsonl"));
  EXPECT_FALSE(reading.ok);
  EXPECT_EQ(reading.reason, "to nie jest zwykły plik ani folder");
  CommissioningRecord record(path("dziennik.jsonl"));
  EXPECT_EQ(record.begin({}), "to nie jest zwykły plik ani folder");

  std::filesystem::create_directories(path("hala.zelp-protokoly"));
  ASSERT_EQ(::mkfifo(path("hala.zelp-protokoly/2026-12-07_14-00-00.jsonl").c_str(), 0600), 0);
  const JournalReading folder = load_walk_journal(path("hala.zelp-protokoly"));
  ASSERT_TRUE(folder.ok);
  ASSERT_EQ(folder.records.size(), 1u);
  EXPECT_EQ(folder.records[0].damage, "to nie jest zwykły plik");
}

}  // namespace
