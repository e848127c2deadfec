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

TEST(ConsoleLog, ListenerSeesAppendsAndClear) {
  ConsoleLog log;
  std::string seen;
  log.set_listener([&](std::string_view line, bool cleared) {
    seen += cleared ? std::string("<clear>") : std::string(line) + ";";
  });
  log.append_line("one");
  log.append_line("two");
  log.clear();
  EXPECT_EQ(seen, "one;two;<clear>");
  EXPECT_EQ(log.size(), 0u);
}
