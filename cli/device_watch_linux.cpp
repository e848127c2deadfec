// SPDX-License-Identifier: MIT
#include "cli/device_watch.h"

#include <dlfcn.h>
#include <poll.h>

#include <cerrno>
#include <cstring>

#include "cli/platform_console.h"
#include "transport/library_symbol_linux.h"

namespace {

// libudev's monitor entry points, declared here since nothing links against it.
struct udev;
struct udev_monitor;
struct udev_device;
using UdevNewFn = udev* (*)();
using UdevUnrefFn = udev* (*)(udev*);
using MonitorNewFn = udev_monitor* (*)(udev*, const char*);
using MonitorEnableFn = int (*)(udev_monitor*);
using MonitorFdFn = int (*)(udev_monitor*);
using MonitorReceiveFn = udev_device* (*)(udev_monitor*);
using MonitorUnrefFn = udev_monitor* (*)(udev_monitor*);
using DeviceSubsystemFn = const char* (*)(udev_device*);
using DeviceUnrefFn = udev_device* (*)(udev_device*);

}  // namespace

struct DeviceWatch::Impl {
  void* library = nullptr;
  UdevUnrefFn udev_unref = nullptr;
  MonitorReceiveFn receive = nullptr;
  MonitorUnrefFn monitor_unref = nullptr;
  DeviceSubsystemFn subsystem = nullptr;
  DeviceUnrefFn device_unref = nullptr;
  udev* context = nullptr;
  udev_monitor* monitor = nullptr;
  int fd = -1;

  // Events after udev has handled them, so the node's permissions are set.
  bool open() {
    library = dlopen("libudev.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return false;
    UdevNewFn udev_new;
    MonitorNewFn monitor_new;
    MonitorEnableFn enable;
    MonitorFdFn monitor_fd;
    if (!look_up(library, "udev_new", udev_new) || !look_up(library, "udev_unref", udev_unref) ||
        !look_up(library, "udev_monitor_new_from_netlink", monitor_new) ||
        !look_up(library, "udev_monitor_enable_receiving", enable) ||
        !look_up(library, "udev_monitor_get_fd", monitor_fd) ||
        !look_up(library, "udev_monitor_receive_device", receive) ||
        !look_up(library, "udev_monitor_unref", monitor_unref) ||
        !look_up(library, "udev_device_get_subsystem", subsystem) ||
        !look_up(library, "udev_device_unref", device_unref))
      return false;
    context = udev_new();
    if (context == nullptr) return false;
    monitor = monitor_new(context, "udev");
    if (monitor == nullptr || enable(monitor) < 0) return false;
    fd = monitor_fd(monitor);
    return fd >= 0;
  }

  // True when the waiting events held a hidraw device's.
  bool take_events() {
    bool hidraw = false;
    while (udev_device* device = receive(monitor)) {
      const char* name = subsystem(device);
      if (name != nullptr && std::strcmp(name, "hidraw") == 0) hidraw = true;
      device_unref(device);
    }
    return hidraw;
  }

  void close() {
    if (monitor != nullptr) monitor_unref(monitor);
    if (context != nullptr) udev_unref(context);
    if (library != nullptr) dlclose(library);
    monitor = nullptr;
    context = nullptr;
    library = nullptr;
    fd = -1;
  }
};

DeviceWatch::DeviceWatch() : impl_(std::make_unique<Impl>()) {
  if (!impl_->open()) impl_->close();
}

DeviceWatch::~DeviceWatch() { impl_->close(); }

bool DeviceWatch::listening() const { return impl_->fd >= 0; }

bool DeviceWatch::wait() {
  if (!listening()) return sleep_unless_interrupted(kResearchInterval);
  for (;;) {
    if (interrupt_requested()) return false;
    pollfd fds[2] = {{impl_->fd, POLLIN, 0}, {interrupt_wake_fd(), POLLIN, 0}};
    const int ready = poll(fds, fds[1].fd >= 0 ? 2 : 1, -1);
    if (ready < 0 && errno != EINTR) return sleep_unless_interrupted(kResearchInterval);
    if (interrupt_requested()) return false;
    if ((fds[0].revents & POLLIN) && impl_->take_events()) return true;
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return sleep_unless_interrupted(kResearchInterval);
  }
}
