// SPDX-License-Identifier: MIT
// zel-testbed-launch: builds the umockdev test bed with an emulated module in
// this (not preloaded) process, starts the given program under the umockdev
// preload so that it sees the module as /dev/hidraw0, serves the module until
// the program ends, and exits with the program's status.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "emulator/bus_player.h"
#include "emulator/bus_script.h"
#include "emulator/test_bed.h"
#include "emulator/umockdev_preload.h"

namespace {

void usage(std::ostream& out) {
  out << "Usage: zel-testbed-launch [options] [--] program [arguments...]\n"
         "Runs the program against an emulated ZEL module presented as /dev/hidraw0.\n"
         "  --delay-ms N         the module waits N ms before each answer\n"
         "  --unplug-after N     the module answers N exchanges, then is unplugged\n"
         "  --no-module          only a HID device that is not the module\n"
         "  --no-answer          the module takes every request and answers none\n"
         "  --summary FILE       at the end, write to FILE how many requests the module\n"
         "                       took and how many bytes reached the other device\n"
         "  --bus FILE           the module hears the frames of the bus script FILE\n"
         "                       (its format: emulator/bus_script.h, README)\n"
         "  --preload-first LIB  preload LIB before the umockdev library\n"
         "                       (the AddressSanitizer runtime for a sanitized program)\n"
         "  -h, --help           this text\n";
}

struct Launch {
  TestBedOptions bed;
  ZelModule::Faults faults;
  std::string preload_first;
  std::string summary_file;
  std::optional<BusScript> bus;
  std::vector<char*> program;  // argv of the program, null-terminated
};

bool parse_number(const char* text, int& value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < 0 || number > 1000000) return false;
  value = static_cast<int>(number);
  return true;
}

// False with a message on stderr when the file cannot be read or is no script.
bool read_bus_script(const char* path, std::optional<BusScript>& script) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file) {
    std::cerr << "zel-testbed-launch: cannot read the bus script " << path << "\n";
    return false;
  }
  ParsedBusScript parsed = parse_bus_script(text.str());
  if (!parsed.script) {
    std::cerr << "zel-testbed-launch: " << path << ": " << parsed.error << "\n";
    return false;
  }
  script = std::move(parsed.script);
  return true;
}

// False with a message on stderr when the command line is wrong.
bool parse(int argc, char** argv, Launch& launch) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string option = argv[i];
    auto next_number = [&](int& value) {
      if (i + 1 >= argc || !parse_number(argv[i + 1], value)) {
        std::cerr << "zel-testbed-launch: " << option << " needs a number\n";
        return false;
      }
      ++i;
      return true;
    };
    if (option == "--") {
      ++i;
      break;
    }
    if (option == "-h" || option == "--help") {
      usage(std::cout);
      std::exit(0);
    }
    if (option == "--delay-ms") {
      int ms = 0;
      if (!next_number(ms)) return false;
      launch.faults.delay = std::chrono::milliseconds(ms);
    } else if (option == "--unplug-after") {
      if (!next_number(launch.faults.unplug_after)) return false;
    } else if (option == "--no-module") {
      launch.bed.modules = 0;
    } else if (option == "--no-answer") {
      launch.faults.no_answer = true;
    } else if (option == "--summary") {
      if (i + 1 >= argc) {
        std::cerr << "zel-testbed-launch: --summary needs a file\n";
        return false;
      }
      launch.summary_file = argv[++i];
    } else if (option == "--bus") {
      if (i + 1 >= argc || !read_bus_script(argv[i + 1], launch.bus)) return false;
      ++i;
    } else if (option == "--preload-first") {
      if (i + 1 >= argc) {
        std::cerr << "zel-testbed-launch: --preload-first needs a library\n";
        return false;
      }
      launch.preload_first = argv[++i];
    } else if (option.rfind("-", 0) == 0) {
      std::cerr << "zel-testbed-launch: unknown option " << option << "\n";
      return false;
    } else {
      break;
    }
  }
  if (i >= argc) {
    std::cerr << "zel-testbed-launch: no program given\n";
    return false;
  }
  launch.program.assign(argv + i, argv + argc);
  launch.program.push_back(nullptr);
  return true;
}

// Lines "module-requests N" and "other-device-bytes N", for tests that look
// at what a program sent.
void write_summary(TestBed& bed, const std::string& file) {
  std::ofstream out(file);
  out << "module-requests "
      << (bed.module_count() > 0 ? bed.module().requests().size() : std::size_t{0}) << "\n"
      << "other-device-bytes " << bed.take_other_device_output() << "\n";
  if (!out) std::cerr << "zel-testbed-launch: cannot write " << file << "\n";
}

volatile sig_atomic_t g_child = 0;

// Ctrl+C and termination go to the program; the bed is removed when it ends.
void forward_signal(int signal_number) {
  if (g_child > 0) kill(g_child, signal_number);
}

int run(const Launch& launch) {
  TestBed bed(launch.bed);
  if (launch.bed.modules > 0) bed.module().set_faults(launch.faults);
  std::unique_ptr<BusScriptPlayer> bus;
  if (launch.bed.modules > 0 && launch.bus) bus = std::make_unique<BusScriptPlayer>(bed.module(), *launch.bus);

  // The environment is made before fork(): the serving thread runs already,
  // so the child may only exec.
  std::string preload = std::string("LD_PRELOAD=") + kUmockdevPreload;
  if (!launch.preload_first.empty())
    preload = "LD_PRELOAD=" + launch.preload_first + ":" + kUmockdevPreload;
  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "LD_PRELOAD=", 11) != 0) environment.push_back(*entry);
  }
  environment.push_back(preload.data());  // UMOCKDEV_DIR is already set by the bed
  environment.push_back(nullptr);

  const pid_t child = fork();
  if (child < 0) {
    std::perror("zel-testbed-launch: fork");
    return 127;
  }
  if (child == 0) {
    execvpe(launch.program[0], launch.program.data(), environment.data());
    static const char message[] = "zel-testbed-launch: cannot start the program\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(127);
  }
  g_child = child;

  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      std::perror("zel-testbed-launch: waitpid");
      return 127;
    }
  }
  if (!launch.summary_file.empty()) write_summary(bed, launch.summary_file);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

}  // namespace

int main(int argc, char** argv) {
  Launch launch;
  if (!parse(argc, argv, launch)) {
    usage(std::cerr);
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = forward_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  try {
    return run(launch);
  } catch (const std::exception& error) {
    std::cerr << "zel-testbed-launch: " << error.what() << "\n";
    return 127;
  }
}
