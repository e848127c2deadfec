// SPDX-License-Identifier: MIT
// zel17-cli(1) and zel17(1) describe exactly what their --help lists;
// zel17(1) shows the protocol's command line as zel17 itself states it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/protocol_command.h"
#include "child_output.h"
#include "cli/cli_process.h"
#include "help_lists.h"

namespace {

const char* const kPageSource = ZEL_SOURCE_DIR "/packaging/man/zel17-cli.1.scd";
const char* const kWindowPageSource = ZEL_SOURCE_DIR "/packaging/man/zel17.1.scd";

std::string file_text(const char* path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One list at a time, both ways, naming what is missing where.
void expect_same(const std::set<std::string>& help, const std::set<std::string>& page, const std::string& what,
                 const char* program = "zel17-cli", const char* page_source = kPageSource) {
  EXPECT_TRUE(missing_from(help, page).empty())
      << program << " --help lists " << what << " " << joined(missing_from(help, page))
      << ", which the manual page " << page_source << " does not describe";
  EXPECT_TRUE(missing_from(page, help).empty())
      << "the manual page " << page_source << " describes " << what << " "
      << joined(missing_from(page, help)) << ", which " << program << " --help does not list";
}

TEST(CliManualPage, HasEveryCommandOptionAndExitCodeOfTheHelpAndNoOther) {
  const CliRun help = run_cli_binary({"--help"});
  ASSERT_EQ(help.status, 0) << help.err;
  const std::string source = file_text(kPageSource);
  ASSERT_FALSE(source.empty()) << kPageSource;
  const HelpLists from_help = lists_of_help(help.out);
  const HelpLists from_page = lists_of_manual_page(source);
  // The reading of the help itself: what it lists today at least.
  for (const char* command : {"upload", "read", "verify", "test", "hello"}) {
    EXPECT_TRUE(from_help.commands.count(command)) << command;
  }
  EXPECT_EQ(from_help.command_options.at("upload"), std::set<std::string>({"--verify"}));
  EXPECT_TRUE(from_help.common_options.count("--repeat"));
  EXPECT_TRUE(from_help.exit_codes.count("130"));

  expect_same(from_help.commands, from_page.commands, "the command(s)");
  expect_same(from_help.common_options, from_page.common_options, "under \"Opcje:\" the option(s)");
  expect_same(from_help.exit_codes, from_page.exit_codes, "the exit code(s)");
  for (const std::string& command : from_help.commands) {
    if (!from_page.command_options.count(command)) continue;  // reported above
    expect_same(from_help.command_options.at(command), from_page.command_options.at(command),
                "for " + command + " the option(s)");
  }
}

// Each option of `zel17 --protocol`'s usage line stands in the page's
// synopsis and has its own entry.
TEST(WindowManualPage, ShowsEveryOptionOfTheProtocolCommand) {
  const std::string source = file_text(kWindowPageSource);
  ASSERT_FALSE(source.empty()) << kWindowPageSource;
  const std::size_t synopsis = source.find("# SKŁADNIA");
  ASSERT_NE(synopsis, std::string::npos);
  const std::set<std::string> shown = long_options_in(source.substr(synopsis, source.find("\n# ", synopsis + 1) - synopsis));
  const std::set<std::string> usage = long_options_in(kProtocolUsage);
  EXPECT_TRUE(usage.count(kRecordOption));  // the reading of the usage line itself
  EXPECT_TRUE(missing_from(usage, shown).empty()) << "not in the synopsis: " << joined(missing_from(usage, shown));
  for (const std::string& option : usage)
    EXPECT_NE(source.find("\n*" + option + "*"), std::string::npos) << option << " has no entry of its own";
}

#ifdef ZEL_WINDOW_BINARY
// The window's help is printed without a window, also with no display at all.
TEST(WindowManualPage, HasEveryOptionAndExitCodeOfTheHelpAndNoOther) {
  const std::optional<std::string> help = output_of_child([] {
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(display);
    execl(ZEL_WINDOW_BINARY, "zel17", "--help", static_cast<char*>(nullptr));
    return 127;
  });
  ASSERT_TRUE(help.has_value()) << "zel17 --help did not end with 0";
  const HelpLists from_help = lists_of_help(*help);
  const HelpLists from_page = lists_of_manual_page(file_text(kWindowPageSource));
  EXPECT_TRUE(from_help.common_options.count("--protocol"));
  EXPECT_TRUE(from_help.exit_codes.count("73"));
  expect_same(from_help.common_options, from_page.common_options, "the option(s)", "zel17", kWindowPageSource);
  expect_same(from_help.exit_codes, from_page.exit_codes, "the exit code(s)", "zel17", kWindowPageSource);
}
#endif

}  // namespace
