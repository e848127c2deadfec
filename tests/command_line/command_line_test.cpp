// SPDX-License-Identifier: MIT
// Qt's command-line options must not reach the window. The test runs this
// same program again as a probe that starts the application as the program
// does (ZelApplication over the real command line, the setup, the shown main
// window) and prints what those options would change; a run with every
// option must print what a plain run prints.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/application_setup.h"
#include "app/command_line.h"
#include "config/config_file.h"
#include "app/main.h"
#include "app/zel_application.h"
#include "gui/user_settings.h"
#include "../child_output.h"
#include "../packaging/help_lists.h"

namespace {

constexpr const char* kProbeSwitch = "--window-probe";

QString rect_text(const QRect& rect) {
  return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

int run_probe(int argc, char** argv) {
  ZelApplication app(argc, argv);
  setup_application(app);
  UserSettings::useFile(QString::fromStdString(testing::TempDir() + "zel-command-line-settings.ini"));
  TForm_main window;
  QStringList warnings;
  window.showWarning = [&warnings](const QString& text) { warnings << text; };
  window.show();
  open_command_line_file(window, app.programArguments());
  QCoreApplication::processEvents();
  // The icon follows the first paint.
  QElapsedTimer waited;
  waited.start();
  while (window.windowIcon().isNull() && waited.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  std::string arguments;
  for (const std::filesystem::path& argument : app.programArguments())
    arguments += (arguments.empty() ? "" : "|") + argument.native();
  const QString lines[] = {
      QStringLiteral("platform=") + QGuiApplication::platformName(),
      QStringLiteral("direction=%1 %2").arg(QGuiApplication::layoutDirection()).arg(window.layoutDirection()),
      QStringLiteral("caption=") + window.windowTitle(),
      QStringLiteral("title=") + window.windowHandle()->title(),
      QStringLiteral("stylesheet=") + app.styleSheet(),
      QStringLiteral("style=") + QApplication::style()->name(),
      QStringLiteral("geometry=") + rect_text(window.geometry()),
      QStringLiteral("icon=%1").arg(window.windowIcon().isNull()),
      QStringLiteral("session=") + app.sessionId(),
      QStringLiteral("arguments=") + QString::fromUtf8(arguments),
      QStringLiteral("cell=%1 warnings=%2").arg(config_matrix().at(0, 0)).arg(warnings.size()),
  };
  for (const QString& line : lines) std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
  return 0;
}

// Runs the probe with the arguments on the offscreen platform, named in the
// environment; its output, or empty when it failed.
std::string probe_output(const std::vector<std::string>& arguments) {
  return output_of_child([&] {
           setenv("QT_QPA_PLATFORM", "offscreen", 1);
           std::vector<char*> argv{const_cast<char*>("zel17-probe"), const_cast<char*>(kProbeSwitch)};
           for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
           argv.push_back(nullptr);
           execv("/proc/self/exe", argv.data());
           return 127;
         }).value_or("");
}

TEST(CommandLine, QtOptionsChangeNothingAndTheProgramKeepsItsArguments) {
  const std::string style_sheet = testing::TempDir() + "zel-command-line.qss";
  std::FILE* file = std::fopen(style_sheet.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("* { background: red; font-size: 30px; }\n", file);
  std::fclose(file);

  const std::string plain = probe_output({"konfiguracja.zel"});
  ASSERT_NE(plain.find("platform=offscreen\n"), std::string::npos) << plain;
  ASSERT_NE(plain.find("arguments=konfiguracja.zel\n"), std::string::npos) << plain;
  ASSERT_NE(plain.find("cell=0 warnings=1\n"), std::string::npos) << plain;  // no such file here

  const std::vector<std::string> qt_options = {
      "-reverse", "-qwindowtitle", "Inny tytuł", "-stylesheet", style_sheet,
      "-platform", "minimal", "-style", "windows", "-qwindowgeometry", "300x200+5+5",
      "-qwindowicon", style_sheet, "-session", "sesja", "--reverse", "konfiguracja.zel"};
  std::string expected = plain;
  const std::string all_arguments =
      "arguments=-reverse|-qwindowtitle|Inny tytuł|-stylesheet|" + style_sheet +
      "|-platform|minimal|-style|windows|-qwindowgeometry|300x200+5+5|-qwindowicon|" + style_sheet +
      "|-session|sesja|--reverse|konfiguracja.zel\n";
  expected.replace(expected.find("arguments="), std::string("arguments=konfiguracja.zel\n").size(),
                   all_arguments);
  // So many arguments open no file: no warning that it is missing either.
  expected.replace(expected.find("warnings=1\n"), 10, "warnings=0");
  EXPECT_EQ(probe_output(qt_options), expected);
  std::remove(style_sheet.c_str());
}

// A file name that is not UTF-8 (Windows-1250 letters, from an old disk) is
// taken from the command line as the bytes it is, and the file opens.
TEST(CommandLine, AFileNameThatIsNotUtf8Opens) {
  const std::string name = testing::TempDir() + "konfiguracja-\xB3\xF3" "d\xBC.zel";  // "łódź" in Windows-1250
  ConfigMatrix stored;
  stored.set(0, 0, LED_STEADY);
  ASSERT_TRUE(save_config_file(std::filesystem::path(name), stored).ok);
  const std::string output = probe_output({name});
  EXPECT_NE(output.find("cell=3 warnings=0\n"), std::string::npos) << output;
  std::filesystem::remove(std::filesystem::path(name));
}

// The command lines `zel17 --help` shows ("Użycie: zel17 ..." and the lines
// below it), brackets taken away: every option and operand given.
std::vector<std::vector<std::filesystem::path>> usage_lines(const std::string& help) {
  std::vector<std::vector<std::filesystem::path>> usages;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line) && (line.starts_with("Użycie: zel17 ") || line.starts_with("       zel17 "));) {
    std::erase_if(line, [](char c) { return c == '[' || c == ']'; });
    std::istringstream words(line.substr(line.find("zel17 ") + 6));
    usages.emplace_back();
    for (std::string word; words >> word;) usages.back().emplace_back(word);
  }
  return usages;
}

// Every command line the help shows is one the parser takes; together they
// reach every way the program runs and name every option the help lists;
// anything else is refused.
TEST(CommandLine, TheHelpNamesEverythingTheParserTakes) {
  std::set<CommandLineKind> reached;
  std::set<std::string> shown;
  for (const std::vector<std::filesystem::path>& usage : usage_lines(kCommandLineHelp)) {
    const CommandLineKind kind = command_line_kind(usage);
    EXPECT_NE(kind, CommandLineKind::wrong) << usage.front();
    reached.insert(kind);
    for (const std::filesystem::path& word : usage)
      if (word.native().starts_with("--")) shown.insert(word.native());
  }
  EXPECT_EQ(reached, (std::set<CommandLineKind>{CommandLineKind::window, CommandLineKind::help,
                                                CommandLineKind::protocol, CommandLineKind::guide_pdf}));
  EXPECT_EQ(shown, lists_of_help(kCommandLineHelp).common_options);
  for (const std::vector<std::filesystem::path>& wrong :
       {std::vector<std::filesystem::path>{"--nie-ma-takiej"}, {"a.zel", "b.zel"}, {"--reset-settings", "-reverse"}})
    EXPECT_EQ(command_line_kind(wrong), CommandLineKind::wrong) << wrong.front();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], kProbeSwitch) == 0) {
    // The probe sees the command line as the program would: without the switch.
    argv[1] = argv[0];
    return run_probe(argc - 1, argv + 1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
