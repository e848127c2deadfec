// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "protocol/console_log.h"

TEST(ConsoleLog, BannersAndNoticeHaveTheirShapes) {
  ConsoleLog log;
  log.append_banner("Połączono z urządzeniem interfejsu HID!");
  log.append_not_connected_notice();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log.lines()[0], "");
  EXPECT_EQ(log.lines()[1], "\t\t\t*** Po\xB3\xB9" "czono z urz\xB9" "dzeniem interfejsu HID! ***");
  EXPECT_EQ(log.lines()[2], "");
  EXPECT_EQ(log.lines()[3], "");
  EXPECT_EQ(log.lines()[4],
            "\t\t\t*** Nie ma w  tej chwili po\xB3\xB9" "czenia z \xBF" "adnym urz\xB9" "dzeniem! ***");
}

TEST(ConsoleLog, SaveWritesTheBytesAsLoggedEachEndedByCrLf) {
  ConsoleLog log;
  log.append_line("a\tb");
  log.append_line(std::string("\xB3\r\n\0z", 5));  // stays one line in the store
  log.append_line("");
  ASSERT_EQ(log.size(), 3u);
  const std::string path = testing::TempDir() + "console_log_save.txt";
  ASSERT_EQ(log.save(path), "");
  std::ifstream in(path, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, std::string("a\tb\r\n\xB3\r\n\0z\r\n\r\n", 14));
  std::remove(path.c_str());
}

TEST(ConsoleLog, SaveIntoAMissingFolderReportsWhy) {
  ConsoleLog log;
  log.append_line("x");
  EXPECT_NE(log.save("/nonexistent-folder/log.txt"), "");
}

TEST(ConsoleLog, ListenerSeesAppendsRepeatsDropsAndClear) {
  ConsoleLog log;
  std::string seen;
  log.add_listener([&](ConsoleChange change, std::string_view line) {
    const char* kinds[] = {"+", "=", "^", "<clear>"};
    seen += kinds[static_cast<int>(change)] + std::string(line) + ";";
  });
  log.remove_listener(log.add_listener([&](ConsoleChange, std::string_view) { seen += "gone;"; }));
  log.append_line("one");
  log.count_repeat();
  log.count_repeat();
  log.append_line("two");
  log.count_repeat();
  log.clear();
  EXPECT_EQ(seen, "+one;+(powt\xF3rzona 1 raz);=(powt\xF3rzona 2 razy);+two;+(powt\xF3rzona 1 raz);<clear>;");
  EXPECT_EQ(log.size(), 0u);
}

// Past its limit the store drops its oldest tenth at once and says on its
// first line how many went; the newest lines are always kept.
TEST(ConsoleLog, KeepsABoundedNumberOfLinesAndCountsTheDropped) {
  ConsoleLog log(20);
  std::string first_lines;
  log.add_listener([&](ConsoleChange change, std::string_view line) {
    if (change == ConsoleChange::dropped_oldest) first_lines += std::string(line) + ";";
  });
  const struct {
    int appended;
    std::size_t size;
    std::uint64_t dropped;
    std::string first, last;
  } steps[] = {
      {20, 20, 0, "0", "19"},
      {22, 22, 0, "0", "21"},
      {23, 21, 3, "(pomini\xEAto najstarsze wiersze: 3)", "22"},
      {45, 22, 24, "(pomini\xEAto najstarsze wiersze: 24)", "44"},
      {1000, 23, 978, "(pomini\xEAto najstarsze wiersze: 978)", "999"},
  };
  int next = 0;
  for (const auto& step : steps) {
    while (next < step.appended) log.append_line(std::to_string(next++));
    EXPECT_EQ(log.size(), step.size) << step.appended;
    EXPECT_EQ(log.dropped(), step.dropped) << step.appended;
    EXPECT_EQ(log.lines().front(), step.first) << step.appended;
    EXPECT_EQ(log.lines().back(), step.last) << step.appended;
  }
  EXPECT_EQ(first_lines.rfind("(pomini\xEAto najstarsze wiersze: 3);", 0), 0u);
  EXPECT_EQ(log.lines()[1], "978");  // the lines after the note follow on without a gap
  log.clear();
  log.append_line("x");
  EXPECT_EQ(log.lines(), std::vector<std::string>{"x"});
}
