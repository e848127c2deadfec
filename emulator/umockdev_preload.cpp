// SPDX-License-Identifier: MIT
#include "emulator/umockdev_preload.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Set for the restarted program, so a preload that cannot load ends in a
// message instead of an endless chain of restarts.
constexpr const char* kRestartedMarker = "ZEL_UMOCKDEV_PRELOAD_ADDED";

bool preload_loaded() {
  void* handle = dlopen(kUmockdevPreload, RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

// The AddressSanitizer runtime this program loaded, empty when none.
std::string sanitizer_runtime() {
  std::string found;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        const std::string_view path = info->dlpi_name;
        const std::string_view name = path.substr(path.rfind('/') + 1);
        if (!name.starts_with("libasan.so")) return 0;
        *static_cast<std::string*>(data) = path;
        return 1;
      },
      &found);
  return found;
}

std::string preload_list() {
  const char* current = std::getenv("LD_PRELOAD");
  const std::string listed = current == nullptr ? "" : current;
  std::string list = sanitizer_runtime();
  if (listed.find("libasan") != std::string::npos) list.clear();  // already first
  for (const std::string& part : {listed, std::string(kUmockdevPreload)}) {
    if (part.empty()) continue;
    if (!list.empty()) list += ':';
    list += part;
  }
  return list;
}

}  // namespace

void run_under_umockdev_preload(char** argv) {
  if (preload_loaded()) {
    unsetenv(kRestartedMarker);
    return;
  }
  if (std::getenv(kRestartedMarker) != nullptr) {
    std::fprintf(stderr, "%s: %s could not be loaded; is umockdev installed (scripts/install-deps.sh)?\n",
                 argv[0], kUmockdevPreload);
    std::exit(1);
  }
  const std::string list = preload_list();
  setenv("LD_PRELOAD", list.c_str(), 1);
  setenv(kRestartedMarker, "1", 1);
  execv("/proc/self/exe", argv);
  std::fprintf(stderr, "%s: cannot start again under LD_PRELOAD=%s: %s\n", argv[0], list.c_str(),
               std::strerror(errno));
  std::exit(1);
}
