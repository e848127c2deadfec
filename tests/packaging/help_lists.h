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

// The help: "Polecenia:" lines "  name [options] OPERAND  description",
// "Opcje:" lines "  --option  description", "Kody wyjścia:" lines " 64  ...".
inline HelpLists lists_of_help(const std::string& help) {
  static const std::regex command_line("^  ([a-z][a-z-]*)(.*?)( {2,}.*)?$");
  static const std::regex option_line("^  (--[a-z][a-z-]*)( .*)?$");
  static const std::regex code_line("^ *([0-9]+)  .*$");
  HelpLists lists;
  std::string section;
  std::istringstream lines(help);
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == ':' && line[0] != ' ') {
      section = line;
    } else if (section == "Polecenia:" && std::regex_match(line, match, command_line)) {
      lists.commands.insert(match[1]);
      lists.command_options[match[1]] = long_options_in(match[2]);
    } else if (section == "Opcje:" && std::regex_match(line, match, option_line)) {
      lists.common_options.insert(match[1]);
    } else if (section == "Kody wyjścia:" && std::regex_match(line, match, code_line)) {
      lists.exit_codes.insert(match[1]);
    }
  }
  return lists;
}

// The manual page's source (scdoc): under "# POLECENIA" a line per command
// "*name* [*--option*] _OPERAND_", under "# OPCJE" "*--option*", under
// "# KODY WYJŚCIA" "*64*".
inline HelpLists lists_of_manual_page(const std::string& source) {
  static const std::regex command_line("^\\*([a-z][a-z-]*)\\*(.*)$");
  static const std::regex option_line("^\\*(--[a-z][a-z-]*)\\*.*$");
  static const std::regex code_line("^\\*([0-9]+)\\*$");
  HelpLists lists;
  std::string section;
  std::istringstream lines(source);
  std::smatch match;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("# ", 0) == 0) {
      section = line.substr(2);
    } else if (section == "POLECENIA" && std::regex_match(line, match, command_line)) {
      lists.commands.insert(match[1]);
      lists.command_options[match[1]] = long_options_in(match[2]);
    } else if (section == "OPCJE" && std::regex_match(line, match, option_line)) {
      lists.common_options.insert(match[1]);
    } else if (section == "KODY WYJŚCIA" && std::regex_match(line, match, code_line)) {
      lists.exit_codes.insert(match[1]);
    }
  }
  return lists;
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
