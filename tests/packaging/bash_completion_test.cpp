// SPDX-License-Identifier: MIT
// The bash completion of zel17-cli, run as bash runs it: an interactive bash
// with bash-completion loaded, COMP_WORDS and COMP_CWORD set as for a line
// typed so far, and the completion function's COMPREPLY read back.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "cli/cli_process.h"
#include "config/config_matrix.h"
#include "help_lists.h"

namespace {

namespace fs = std::filesystem;
const char* const kCompletion = ZEL_SOURCE_DIR "/packaging/bash-completion/zel17-cli";

std::string single_quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class BashCompletionTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("zel-completion-" + std::to_string(::getpid()));
    fs::create_directories(folder_ / "konfiguracje");
    for (const char* name : {"linia-A.zel", "tabela.csv", "notatki.txt"}) std::ofstream(folder_ / name) << "x";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The completions bash offers for `words`, the last one being the word
  // under the cursor as typed (quotes and backslashes included), sorted.
  std::vector<std::string> complete(const std::vector<std::string>& words) const {
    std::ostringstream script;
    script << "source /usr/share/bash-completion/bash_completion\n"
           << "source " << single_quoted(kCompletion) << "\n"
           << "cd " << single_quoted(folder_.string()) << "\n"
           << "COMP_WORDS=(";
    std::string line;
    for (const std::string& word : words) {
      script << single_quoted(word) << " ";
      line += (line.empty() ? "" : " ") + word;
    }
    script << ")\nCOMP_CWORD=" << words.size() - 1 << "\n"
           << "COMP_LINE=" << single_quoted(line) << "\nCOMP_POINT=${#COMP_LINE}\n"
           << "$(complete -p zel17-cli | sed -n 's/.*-F \\([^ ]*\\).*/\\1/p') zel17-cli "
           << single_quoted(words.back()) << " " << single_quoted(words[words.size() - 2]) << "\n"
           << "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort\n";
    const fs::path script_path = folder_ / "complete.sh";
    std::ofstream(script_path) << script.str();
    const std::string command = "LC_ALL=C.UTF-8 bash --norc --noprofile -i " + script_path.string() + " 2>/dev/null";
    std::vector<std::string> offered;
    if (FILE* output = popen(command.c_str(), "r")) {
      char buffer[4096];
      std::string text;
      while (fgets(buffer, sizeof buffer, output) != nullptr) text += buffer;
      pclose(output);
      std::istringstream lines(text);
      for (std::string item; std::getline(lines, item);) {
        if (!item.empty()) offered.push_back(item);
      }
    }
    return offered;
  }

  fs::path folder_;
};

std::vector<std::string> sorted(std::set<std::string> items) { return {items.begin(), items.end()}; }

// Options the help lists for all commands that a command still refuses.
const std::map<std::string, std::set<std::string>> kRefusedOptions = {
    {"walk", {"--repeat"}}, {"monitor", {"--repeat"}}, {"protocol", {"--repeat", "--log"}},
    {"field", {"--repeat", "--log"}}};

// Commands, and the options of each, are those `zel17-cli --help` lists.
TEST_F(BashCompletionTest, OffersTheCommandsAndOptionsOfTheHelp) {
  const CliRun help = run_cli_binary({"--help"});
  ASSERT_EQ(help.status, 0) << help.err;
  const HelpLists lists = lists_of_help(help.out);
  ASSERT_FALSE(lists.commands.empty());
  for (const auto& [command, refused] : kRefusedOptions) {
    for (const std::string& option : refused) {
      EXPECT_EQ(run_cli_binary({command, option}).status, 64) << command << " " << option << " is taken";
    }
  }

  EXPECT_EQ(complete({"zel17-cli", ""}), sorted(lists.commands))
      << "the completion's commands differ from those of zel17-cli --help";
  EXPECT_EQ(complete({"zel17-cli", "--"}), sorted(lists.common_options))
      << "before a command, the completion's options differ from \"Opcje:\" of zel17-cli --help";
  for (const std::string& command : lists.commands) {
    std::set<std::string> options = lists.common_options;
    options.insert(lists.command_options.at(command).begin(), lists.command_options.at(command).end());
    if (kRefusedOptions.count(command)) {
      for (const std::string& option : kRefusedOptions.at(command)) options.erase(option);
    }
    EXPECT_EQ(complete({"zel17-cli", "--trace", command, "--"}), sorted(options))
        << "the completion's options for " << command << " differ from zel17-cli --help";
  }
}

TEST_F(BashCompletionTest, OffersFilesAndEventLabelsWhereTheyBelong) {
  struct Case {
    std::vector<std::string> words;
    std::vector<std::string> offered;
  };
  const Case cases[] = {
      {{"zel17-cli", "up"}, {"upload"}},
      {{"zel17-cli", "upload", ""}, {"konfiguracje", "linia-A.zel", "tabela.csv"}},
      {{"zel17-cli", "upload", "--verify", "l"}, {"linia-A.zel"}},
      {{"zel17-cli", "verify", ""}, {"konfiguracje", "linia-A.zel", "tabela.csv"}},
      {{"zel17-cli", "read", ""}, {"konfiguracje", "linia-A.zel", "tabela.csv"}},
      {{"zel17-cli", "walk", "adr\\ 9.\\ A"}, {"adr\\ 9.\\ Alarm\\ I", "adr\\ 9.\\ Alarm\\ II", "adr\\ 9.\\ Awaria"}},
      {{"zel17-cli", "walk", "5", "--dwell", "2", "Po"}, {"Po\\ resecie"}},
      {{"zel17-cli", "walk", "5", "6", ""}, {}},
      {{"zel17-cli", "upload", "linia-A.zel", ""}, {}},
      {{"zel17-cli", "test", "adr\\ 7.\\ Alarm\\ I"}, {"adr\\ 7.\\ Alarm\\ I", "adr\\ 7.\\ Alarm\\ II"}},
      {{"zel17-cli", "test", "\"adr 42. A"}, {"adr 42. Alarm I", "adr 42. Alarm II", "adr 42. Awaria"}},
      {{"zel17-cli", "test", "--unit", "3", "Str"}, {"Strata\\ łączności"}},
      {{"zel17-cli", "test", "--unit", ""}, {}},
      {{"zel17-cli", "test", "Po\\ resecie", ""}, {}},
      {{"zel17-cli", "hello", ""}, {}},
      {{"zel17-cli", "walk", "--confirm", "linia-A.zel", "--record", "n"}, {"notatki.txt"}},
      {{"zel17-cli", "protocol", "d.jsonl", "--record", ""}, {}},
      {{"zel17-cli", "walk", "--engineer", ""}, {}},
      {{"zel17-cli", "walk", "--engineer", "Jan", "5", "Po"}, {"Po\\ resecie"}},
      {{"zel17-cli", "field", ""}, {"konfiguracje", "linia-A.zel", "tabela.csv"}},
      {{"zel17-cli", "field", "linia-A.zel", "--unit", "1", "adr\\ 9.\\ Al"}, {"adr\\ 9.\\ Alarm\\ I", "adr\\ 9.\\ Alarm\\ II"}},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& word : c.words) line += word + " ";
    EXPECT_EQ(complete(c.words), c.offered) << line;
  }
}

// Every event label zel17-cli test and walk take by name, and no other.
TEST_F(BashCompletionTest, OffersEveryEventLabelOfTheCommandLine) {
  std::vector<std::string> expected;
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    std::string quoted;  // as bash's printf %q writes it
    for (char c : row_label(row)) {
      if (c == ' ' || c == '(' || c == ')') quoted += '\\';
      quoted += c;
    }
    expected.push_back(quoted);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(complete({"zel17-cli", "test", ""}), expected);
}

}  // namespace
