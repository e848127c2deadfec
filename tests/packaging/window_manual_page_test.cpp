// SPDX-License-Identifier: MIT
// zel17(1) describes exactly the options and exit codes `zel17 --help`
// lists; the help is printed without a window, also with no display at all.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "child_output.h"
#include "help_lists.h"

namespace {

#ifdef ZEL_WINDOW_BINARY

const char* const kWindowPageSource = ZEL_SOURCE_DIR "/packaging/man/zel17.1.scd";

TEST(WindowManualPage, HasEveryOptionAndExitCodeOfTheHelpAndNoOther) {
  const std::optional<std::string> help = output_of_child([] {
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(display);
    execl(ZEL_WINDOW_BINARY, "zel17", "--help", static_cast<char*>(nullptr));
    return 127;
  });
  ASSERT_TRUE(help.has_value()) << "zel17 --help did not end with 0";
  ASSERT_TRUE(help->starts_with("Użycie: zel17 ")) << *help;
  std::ifstream in(kWindowPageSource);
  std::ostringstream page;
  page << in.rdbuf();
  ASSERT_FALSE(page.str().empty()) << kWindowPageSource;

  const HelpLists from_help = lists_of_help(*help);
  const HelpLists from_page = lists_of_manual_page(page.str());
  EXPECT_TRUE(from_help.common_options.count("--protocol"));
  EXPECT_TRUE(from_help.exit_codes.count("73"));
  const auto expect_same = [](const std::set<std::string>& listed, const std::set<std::string>& described,
                              const char* what) {
    EXPECT_TRUE(missing_from(listed, described).empty())
        << "zel17 --help lists the " << what << " " << joined(missing_from(listed, described))
        << ", which the manual page " << kWindowPageSource << " does not describe";
    EXPECT_TRUE(missing_from(described, listed).empty())
        << "the manual page describes the " << what << " " << joined(missing_from(described, listed))
        << ", which zel17 --help does not list";
  };
  expect_same(from_help.common_options, from_page.common_options, "option(s)");
  expect_same(from_help.exit_codes, from_page.exit_codes, "exit code(s)");
}

#endif

}  // namespace
