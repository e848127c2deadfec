// SPDX-License-Identifier: MIT
#pragma once
// What `zel17-cli --help` lists (commands, the options of each command, the
// options of all commands, exit codes), read from the help text and from the
// manual page's source, so tests can hold the page and the completion to it.

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

struct HelpLists {
  std::set<std::string> commands;
  std::map<std::string, std::set<std::string>> command_options;  // e.g. upload: --verify
  std::set<std::string> common_options;
  std::set<std::string> exit_codes;
};

inline std::set<std::string> long_options_in(const std::string& text) {
  static const std::regex option("--[a-z][a-z-]*");
  std::set<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) found.insert(it->str());
  return found;
}

// How a text names its sections and lists its items: a heading line whose
// group 1 is the section's name; per list, the section and a line pattern
// whose group 1 is the item (for commands, group 2 holds their options).
struct ListSyntax {
  std::regex heading;
  std::string commands_section, options_section, codes_section;
  std::regex command, option, code;
};

inline HelpLists read_lists(const std::string& text, const ListSyntax& syntax) {
  HelpLists lists;
  std::string section;
  std::istringstream lines(text);
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_match(line, match, syntax.heading)) {
      section = match[1];
    } else if (section == syntax.commands_section && std::regex_match(line, match, syntax.command)) {
      lists.commands.insert(match[1]);
      // A command may have a line per way of calling it.
      const std::set<std::string> options = long_options_in(match[2]);
      lists.command_options[match[1]].insert(options.begin(), options.end());
    } else if (section == syntax.options_section && std::regex_match(line, match, syntax.option)) {
      lists.common_options.insert(match[1]);
    } else if (section == syntax.codes_section && std::regex_match(line, match, syntax.code)) {
      lists.exit_codes.insert(match[1]);
    }
  }
  return lists;
}

// The help: "Polecenia:" lines "  name [options] OPERAND  description",
// "Opcje:" lines "  --option  description", "Kody wyjścia:" lines " 64  ...".
inline HelpLists lists_of_help(const std::string& help) {
  static const ListSyntax syntax{std::regex("^([^ ].*):$"), "Polecenia", "Opcje", "Kody wyjścia",
                                 std::regex("^  ([a-z][a-z-]*)(.*?)( {2,}.*)?$"),
                                 std::regex("^  (--[a-z][a-z-]*)( .*)?$"), std::regex("^ *([0-9]+)  .*$")};
  return read_lists(help, syntax);
}

// The manual page's source (scdoc): under "# POLECENIA" a line per command
// "*name* [*--option*] _OPERAND_", under "# OPCJE" "*--option*", under
// "# KODY WYJŚCIA" "*64*".
inline HelpLists lists_of_manual_page(const std::string& source) {
  static const ListSyntax syntax{std::regex("^# (.*)$"), "POLECENIA", "OPCJE", "KODY WYJŚCIA",
                                 std::regex("^\\*([a-z][a-z-]*)\\*(.*)$"),
                                 std::regex("^\\*(--[a-z][a-z-]*)\\*.*$"), std::regex("^\\*([0-9]+)\\*$")};
  return read_lists(source, syntax);
}

// "a, b" for a message.
inline std::string joined(const std::set<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

inline std::set<std::string> missing_from(const std::set<std::string>& wanted, const std::set<std::string>& present) {
  std::set<std::string> missing;
  for (const std::string& item : wanted) {
    if (!present.count(item)) missing.insert(item);
  }
  return missing;
}
