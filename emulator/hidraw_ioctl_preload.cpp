// SPDX-License-Identifier: MIT
// A preload library for programs that drive the test bed's hidraw nodes as a
// real hidraw driver would be driven (wine's HID bus): the nodes are ptys,
// which know nothing of the hidraw ioctls. For the bed's ptys only, it
// answers the five queries a HID stack makes (descriptor size, descriptor,
// bus and ids, name, physical path) and hands out at most one input report
// per read(), as hidraw does, so that two queued answers do not merge.
// Everything else goes to the next library (umockdev's preload, which must
// come after this one in LD_PRELOAD).

#include <dirent.h>
#include <dlfcn.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr std::size_t kInputReportSize = 64;

// Vendor page 0xFF00: one 64-byte input and one 64-byte output report, no
// report ids, as the module declares itself.
constexpr unsigned char kReportDescriptor[] = {
    0x06, 0x00, 0xFF,        // usage page (vendor 0xFF00)
    0x09, 0x01,              // usage 1
    0xA1, 0x01,              // collection (application)
    0x09, 0x02,              //   usage 2
    0x15, 0x00, 0x26, 0xFF, 0x00,  // logical 0..255
    0x75, 0x08, 0x95, 0x40,  //   64 fields of 8 bits
    0x81, 0x02,              //   input (data, variable, absolute)
    0x09, 0x03,              //   usage 3
    0x15, 0x00, 0x26, 0xFF, 0x00,  // logical 0..255
    0x75, 0x08, 0x95, 0x40,  //   64 fields of 8 bits
    0x91, 0x02,              //   output (data, variable, absolute)
    0xC0,                    // end collection
};

struct BedNode {
  std::string name;  // "hidraw0"
  unsigned vendor = 0, product = 0;
};

std::string fd_target(int fd) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  char target[256] = {};
  const ssize_t length = readlink(link, target, sizeof target - 1);
  return length > 0 ? std::string(target, static_cast<std::size_t>(length)) : std::string();
}

// The bed's node behind `fd`, when `fd` is one of the ptys the bed's
// /dev/hidrawN links point at; its ids come from the hid parent's HID_ID.
bool bed_node(int fd, BedNode& node) {
  const char* root = std::getenv("UMOCKDEV_DIR");
  if (root == nullptr) return false;
  const std::string target = fd_target(fd);
  if (target.rfind("/dev/pts/", 0) != 0) return false;
  const std::string dev = std::string(root) + "/dev";
  DIR* folder = opendir(dev.c_str());
  if (folder == nullptr) return false;
  bool found = false;
  while (dirent* entry = readdir(folder)) {
    if (std::strncmp(entry->d_name, "hidraw", 6) != 0) continue;
    char linked[256] = {};
    const std::string link = dev + "/" + entry->d_name;
    const ssize_t length = readlink(link.c_str(), linked, sizeof linked - 1);
    if (length > 0 && target == std::string(linked, static_cast<std::size_t>(length))) {
      node.name = entry->d_name;
      found = true;
      break;
    }
  }
  closedir(folder);
  if (!found) return false;
  std::ifstream uevent(std::string(root) + "/sys/class/hidraw/" + node.name + "/../../uevent");
  for (std::string line; std::getline(uevent, line);) {
    unsigned bus = 0;
    if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &node.vendor, &node.product) == 3) break;
  }
  return true;
}

// Copies `text` with its zero into a caller's buffer of `size` bytes, as the
// driver does; the result is the length copied.
int copy_text(void* buffer, std::size_t size, const std::string& text) {
  if (size == 0) return 0;
  const std::size_t length = std::min(size - 1, text.size());
  std::memcpy(buffer, text.c_str(), length);
  static_cast<char*>(buffer)[length] = '\0';
  return static_cast<int>(length + 1);
}

// The answer to a hidraw query on a bed node, or -2 when it is not one.
int answer(int fd, unsigned long request, void* argument) {
  if (_IOC_TYPE(request) != 'H') return -2;
  const unsigned number = _IOC_NR(request);
  if (number < 0x01 || number > 0x05) return -2;
  BedNode node;
  if (!bed_node(fd, node)) return -2;
  switch (number) {
    case 0x01:  // HIDIOCGRDESCSIZE
      *static_cast<int*>(argument) = sizeof kReportDescriptor;
      return 0;
    case 0x02: {  // HIDIOCGRDESC
      auto* descriptor = static_cast<hidraw_report_descriptor*>(argument);
      if (descriptor->size < sizeof kReportDescriptor) {
        errno = EINVAL;
        return -1;
      }
      descriptor->size = sizeof kReportDescriptor;
      std::memcpy(descriptor->value, kReportDescriptor, sizeof kReportDescriptor);
      return 0;
    }
    case 0x03: {  // HIDIOCGRAWINFO
      auto* info = static_cast<hidraw_devinfo*>(argument);
      info->bustype = 0x03;  // USB
      info->vendor = static_cast<__s16>(node.vendor);
      info->product = static_cast<__s16>(node.product);
      return 0;
    }
    case 0x04:  // HIDIOCGRAWNAME(len)
      return copy_text(argument, _IOC_SIZE(request), "ZEL test bed " + node.name);
    default:  // HIDIOCGRAWPHYS(len)
      return copy_text(argument, _IOC_SIZE(request), "usb-zel-test-bed/" + node.name);
  }
}

template <typename Fn>
Fn next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

std::size_t report_limited(int fd, std::size_t count) {
  if (count <= kInputReportSize) return count;
  BedNode node;
  return bed_node(fd, node) ? kInputReportSize : count;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) {
  va_list arguments;
  va_start(arguments, request);
  void* argument = va_arg(arguments, void*);
  va_end(arguments);
  const int answered = answer(fd, request, argument);
  if (answered != -2) return answered;
  static const auto real = next<int (*)(int, unsigned long, ...)>("ioctl");
  return real(fd, request, argument);
}

__attribute__((visibility("default"))) ssize_t read(int fd, void* buffer, size_t count) {
  static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
  return real(fd, buffer, report_limited(fd, count));
}

// What read() becomes in a program built with _FORTIFY_SOURCE.
__attribute__((visibility("default"))) ssize_t __read_chk(int fd, void* buffer, size_t count,
                                                          size_t buffer_size) {
  static const auto real = next<ssize_t (*)(int, void*, size_t, size_t)>("__read_chk");
  return real(fd, buffer, report_limited(fd, count), buffer_size);
}

}  // extern "C"
