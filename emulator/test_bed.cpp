// SPDX-License-Identifier: MIT
// umockdev.h first: its GLib headers clash with Qt's `signals` macro.
#include <umockdev.h>

#include "emulator/test_bed.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kReportSize = 65;  // report number + frame
constexpr int kHidrawMajor = 241;

std::atomic<bool> g_bed_alive{false};

// One USB HID device in the sysfs tree, described from the usb device down
// to its hidraw node, parents first.
struct HidDeviceRecord {
  std::string port;  // usb port path, e.g. "1-2"; decides the sysfs order
  unsigned vendor, product, bcd_device;
  int hid_instance;  // the hid device's sequence number in its name
  int hidraw;        // N of /dev/hidrawN
  bool lower_case;
  bool composite;
  std::string serial;  // the usb device's serial number; empty: it has none
};

std::string hex(unsigned value, int width, bool lower_case) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, lower_case ? "%0*x" : "%0*X", width, value);
  return buffer;
}

// The device's sysfs paths, parents first.
struct SysfsPaths {
  std::string usb, interface, hid, hidraw;
};

SysfsPaths sysfs_paths(const HidDeviceRecord& d) {
  SysfsPaths paths;
  paths.usb = "/devices/pci0000:00/0000:00:14.0/usb1/" + d.port;
  paths.interface = paths.usb + "/" + d.port + ":1.0";
  paths.hid = paths.interface + "/0003:" + hex(d.vendor, 4, d.lower_case) + ":" +
              hex(d.product, 4, d.lower_case) + "." +
              hex(static_cast<unsigned>(d.hid_instance), 4, d.lower_case);
  paths.hidraw = paths.hid + "/hidraw/hidraw" + std::to_string(d.hidraw);
  return paths;
}

std::string describe(const HidDeviceRecord& d) {
  const SysfsPaths paths = sysfs_paths(d);
  const std::string& usb = paths.usb;
  const std::string& interface = paths.interface;
  const std::string& hid = paths.hid;
  const std::string raw = "hidraw" + std::to_string(d.hidraw);
  const std::string hid_id =
      "0003:" + hex(d.vendor, 8, d.lower_case) + ":" + hex(d.product, 8, d.lower_case);

  std::string text;
  auto line = [&text](const std::string& tag, const std::string& value) {
    text += tag + ": " + value + "\n";
  };
  line("P", usb);
  line("E", "SUBSYSTEM=usb");
  line("E", "DEVTYPE=usb_device");
  line("A", "idVendor=" + hex(d.vendor, 4, true));
  line("A", "idProduct=" + hex(d.product, 4, true));
  line("A", "bcdDevice=" + hex(d.bcd_device, 4, true));
  line("A", std::string("bNumInterfaces= ") + (d.composite ? "2" : "1"));
  if (!d.serial.empty()) line("A", "serial=" + d.serial);
  text += "\n";
  line("P", interface);
  line("E", "SUBSYSTEM=usb");
  line("E", "DEVTYPE=usb_interface");
  line("A", "bInterfaceNumber=00");
  line("A", "bInterfaceClass=03");
  text += "\n";
  line("P", hid);
  line("E", "SUBSYSTEM=hid");
  line("E", "HID_ID=" + hid_id);
  text += "\n";
  line("P", paths.hidraw);
  line("N", raw);  // no contents: umockdev makes the node a pty
  line("E", "SUBSYSTEM=hidraw");
  line("E", "DEVNAME=/dev/" + raw);
  line("A", "dev=" + std::to_string(kHidrawMajor) + ":" + std::to_string(d.hidraw));
  text += "\n";
  return text;
}

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), "test bed: " + what);
}

void set_fd_flag(int fd, int get, int set, int flag) {
  const int flags = fcntl(fd, get);
  if (flags < 0 || fcntl(fd, set, flags | flag) < 0) fail("fcntl");
}

// Raw mode, so that every byte value passes the pty unchanged both ways.
void make_raw(int master) {
  termios settings{};
  if (tcgetattr(master, &settings) != 0) fail("tcgetattr");
  cfmakeraw(&settings);
  if (tcsetattr(master, TCSANOW, &settings) != 0) fail("tcsetattr");
}

// One emulated module and the pty that stands for its hidraw node.
struct Served {
  std::unique_ptr<ZelModule> module = std::make_unique<ZelModule>();
  SysfsPaths sysfs;
  std::string node;
  std::string pty;
  int master = -1;  // umockdev owns it and closes it; unplugging swaps in /dev/null
  int spare = -1;   // keeps the client side open, so the master never sees a hang-up
  std::atomic<bool> unplugged{false};
  std::vector<std::uint8_t> pending;  // bytes of a report not yet complete
};

}  // namespace

struct TestBed::Impl {
  UMockdevTestbed* bed = nullptr;
  std::string root;
  std::vector<std::unique_ptr<Served>> modules;
  int wake[2] = {-1, -1};
  std::atomic<bool> stopping{false};
  std::thread server;
  std::mutex write_mutex;
  bool lower_case_ids = false;
  bool composite_module = false;
  bool module_serials = true;
  int next_hidraw = 0;
  int other_device_master = -1;  // umockdev owns it

  void build(const TestBedOptions& options);
  HidDeviceRecord module_record(int index) const;
  void add_node(Served& served, int hidraw);
  void start();
  void stop();
  void serve();
  void take_in(Served& served);
  bool wait_out(std::chrono::microseconds delay);
  bool write_report(Served& served, const UsbFrame& frame);
  void take_away(Served& served);
  ~Impl();
};

void TestBed::Impl::build(const TestBedOptions& options) {
  if (options.modules < 0 || options.modules > 7)
    throw std::invalid_argument("test bed: 0..7 modules");
  const int keyboard_hidraw = options.modules;
  std::string description;
  auto add_keyboard = [&](const std::string& port) {
    description +=
        describe({port, 0x046D, 0xC31C, 0x6400, 1, keyboard_hidraw, options.lower_case_ids, false, ""});
  };
  if (options.other_device && options.other_device_first) add_keyboard("1-1");
  lower_case_ids = options.lower_case_ids;
  composite_module = options.composite_module;
  module_serials = options.module_serials;
  for (int i = 0; i < options.modules; ++i) description += describe(module_record(i));
  if (options.other_device && !options.other_device_first) add_keyboard("1-9");

  bed = umockdev_testbed_new();
  gchar* dir = umockdev_testbed_get_root_dir(bed);
  root = dir;
  g_free(dir);

  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(bed, description.c_str(), &error)) {
    const std::string message = error != nullptr ? error->message : "unknown error";
    g_clear_error(&error);
    throw std::runtime_error("test bed: cannot add devices: " + message);
  }

  if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) fail("pipe2");
  for (int i = 0; i < options.modules; ++i) {
    modules.push_back(std::make_unique<Served>());
    modules.back()->sysfs = sysfs_paths(module_record(i));
    add_node(*modules.back(), i);
  }
  next_hidraw = options.modules + (options.other_device ? 1 : 0);
  if (options.other_device) {
    // Nobody serves the keyboard; its node only has to exist, and must not
    // leak into children.
    const int fd =
        umockdev_testbed_get_dev_fd(bed, ("/dev/hidraw" + std::to_string(keyboard_hidraw)).c_str());
    if (fd >= 0) {
      set_fd_flag(fd, F_GETFD, F_SETFD, FD_CLOEXEC);
      set_fd_flag(fd, F_GETFL, F_SETFL, O_NONBLOCK);
      other_device_master = fd;
    }
  }
}

// Module `index` sits on port 1-(2 + index); its hidraw number is its index
// for the modules the bed starts with; its serial number is ZEL17-000(1 + index).
HidDeviceRecord TestBed::Impl::module_record(int index) const {
  char serial[32] = {};
  if (module_serials) std::snprintf(serial, sizeof serial, "ZEL17-%04d", 1 + index);
  return {"1-" + std::to_string(2 + index), 0x04D8, 0x003F, 0x0100, 2 + index, index,
          lower_case_ids, composite_module, serial};
}

void TestBed::Impl::add_node(Served& served, int hidraw) {
  served.node = "/dev/hidraw" + std::to_string(hidraw);
  served.master = umockdev_testbed_get_dev_fd(bed, served.node.c_str());
  if (served.master < 0) throw std::runtime_error("test bed: no pty behind " + served.node);
  // A child holding a copy of the master would keep the device alive after an unplug.
  set_fd_flag(served.master, F_GETFD, F_SETFD, FD_CLOEXEC);
  set_fd_flag(served.master, F_GETFL, F_SETFL, O_NONBLOCK);
  make_raw(served.master);

  char target[PATH_MAX] = {};
  const std::string link = root + served.node;
  const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  if (length <= 0) fail("readlink " + link);
  served.pty.assign(target, static_cast<std::size_t>(length));
  served.spare = open(served.pty.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (served.spare < 0) fail("open " + served.pty);
}

void TestBed::Impl::start() {
  stopping = false;
  server = std::thread([this] { serve(); });
}

void TestBed::Impl::stop() {
  if (!server.joinable()) return;
  stopping = true;
  const char byte = 0;
  while (write(wake[1], &byte, 1) < 0 && errno == EINTR) {
  }
  server.join();
  char drain[16];
  while (read(wake[0], drain, sizeof drain) > 0) {
  }
}

void TestBed::Impl::serve() {
  std::vector<pollfd> fds;
  std::vector<Served*> polled;
  while (!stopping) {
    fds.assign(1, pollfd{wake[0], POLLIN, 0});
    polled.clear();
    for (const auto& served : modules) {
      if (served->unplugged) continue;
      fds.push_back(pollfd{served->master, POLLIN, 0});
      polled.push_back(served.get());
    }
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) return;  // only stop() writes to it
    for (std::size_t i = 0; i < polled.size() && !stopping; ++i) {
      if (fds[i + 1].revents & POLLIN) {
        take_in(*polled[i]);
      } else if (fds[i + 1].revents & (POLLHUP | POLLERR)) {
        // The spare end prevents this; should it happen, do not spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
  }
}

// Reads what the client wrote and answers every complete report.
void TestBed::Impl::take_in(Served& served) {
  std::uint8_t buffer[4096];
  const ssize_t count = read(served.master, buffer, sizeof buffer);
  if (count <= 0) return;
  served.pending.insert(served.pending.end(), buffer, buffer + count);

  while (served.pending.size() >= kReportSize && !stopping) {
    // Byte 0 is the report number; the module has no numbered reports.
    UsbFrame request;
    std::copy_n(served.pending.begin() + 1, request.size(), request.begin());
    served.pending.erase(served.pending.begin(),
                         served.pending.begin() + static_cast<std::ptrdiff_t>(kReportSize));
    const std::optional<UsbFrame> reply = served.module->handle(request);
    if (served.module->unplugged()) {
      take_away(served);
      return;
    }
    if (!reply) continue;
    if (!wait_out(served.module->faults().delay)) return;
    if (!write_report(served, *reply)) return;
  }
}

// Waits before an answer; false when the bed is stopping meanwhile.
bool TestBed::Impl::wait_out(std::chrono::microseconds delay) {
  if (delay <= std::chrono::microseconds::zero()) return !stopping;
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(delay);
  const timespec timeout{static_cast<time_t>(seconds.count()),
                         static_cast<long>((delay - seconds).count() * 1000)};
  pollfd wake_fd{wake[0], POLLIN, 0};
  while (ppoll(&wake_fd, 1, &timeout, nullptr) < 0 && errno == EINTR) {
  }
  return !stopping;
}

bool TestBed::Impl::write_report(Served& served, const UsbFrame& frame) {
  std::lock_guard lock(write_mutex);
  std::size_t done = 0;
  while (done < frame.size()) {
    const ssize_t count = write(served.master, frame.data() + done, frame.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN) return false;
    // The client is not reading and the pty is full: wait for room or stop.
    pollfd fds[2] = {{wake[0], POLLIN, 0}, {served.master, POLLOUT, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) return false;
    if (stopping) return false;
  }
  return true;
}

// Replaces the master with /dev/null under the same number: the pty hangs
// up, and umockdev's own close of that number later stays harmless.
void TestBed::Impl::take_away(Served& served) {
  if (served.unplugged) return;
  std::lock_guard lock(write_mutex);
  served.unplugged = true;  // before the client can see the hang-up
  const int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd < 0 || dup3(null_fd, served.master, O_CLOEXEC) < 0) fail("unplug");
  close(null_fd);
  if (served.spare >= 0) close(served.spare);
  served.spare = -1;
  served.pending.clear();
  // The kernel releases a closed pty in deferred work: until its node is
  // gone it can still be opened, and the module would seem present.
  for (int i = 0; i < 400 && access(served.pty.c_str(), F_OK) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

TestBed::Impl::~Impl() {
  stop();
  for (const auto& served : modules) {
    if (served->spare >= 0) close(served->spare);
  }
  for (int fd : wake) {
    if (fd >= 0) close(fd);
  }
  if (bed != nullptr) g_object_unref(bed);  // closes the masters, removes the tree
}

TestBed::TestBed(const TestBedOptions& options) : impl_(std::make_unique<Impl>()) {
  if (g_bed_alive.exchange(true))
    throw std::logic_error("test bed: only one per process at a time");
  try {
    impl_->build(options);
    impl_->start();
  } catch (...) {
    impl_.reset();
    g_bed_alive = false;
    throw;
  }
}

TestBed::~TestBed() {
  impl_.reset();
  g_bed_alive = false;
}

namespace {
template <typename Modules>
auto& served_at(Modules& modules, int index) {
  return *modules.at(static_cast<std::size_t>(index));
}
}  // namespace

ZelModule& TestBed::module(int index) { return *served_at(impl_->modules, index).module; }

int TestBed::module_count() const { return static_cast<int>(impl_->modules.size()); }

std::string TestBed::device_node(int index) const { return served_at(impl_->modules, index).node; }

std::string TestBed::pty_path(int index) const { return served_at(impl_->modules, index).pty; }

std::string TestBed::root_dir() const { return impl_->root; }

void TestBed::unplug(int index) {
  Served& served = served_at(impl_->modules, index);
  impl_->stop();
  impl_->take_away(served);
  impl_->start();
}

bool TestBed::unplugged(int index) const { return served_at(impl_->modules, index).unplugged; }

int TestBed::plug_module() {
  const int index = module_count();
  if (index >= 7) throw std::logic_error("test bed: 7 modules at most");
  HidDeviceRecord record = impl_->module_record(index);
  record.hidraw = impl_->next_hidraw++;
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(impl_->bed, describe(record).c_str(), &error)) {
    const std::string message = error != nullptr ? error->message : "unknown error";
    g_clear_error(&error);
    throw std::runtime_error("test bed: cannot plug a module: " + message);
  }
  auto served = std::make_unique<Served>();
  served->sysfs = sysfs_paths(record);
  impl_->add_node(*served, record.hidraw);
  impl_->stop();
  impl_->modules.push_back(std::move(served));
  impl_->start();
  umockdev_testbed_uevent(impl_->bed, ("/sys" + impl_->modules.back()->sysfs.hidraw).c_str(), "add");
  return index;
}

void TestBed::remove_module(int index) {
  Served& served = served_at(impl_->modules, index);
  unplug(index);
  const SysfsPaths& paths = served.sysfs;
  umockdev_testbed_uevent(impl_->bed, ("/sys" + paths.hidraw).c_str(), "remove");
  // Children first, as the kernel takes them away.
  for (const std::string* path : {&paths.hidraw, &paths.hid, &paths.interface, &paths.usb})
    umockdev_testbed_remove_device(impl_->bed, ("/sys" + *path).c_str());
  // umockdev keeps its note of which pty stands for the node ("/dev/pts/3"
  // as dev/.ptymap/_dev_pts_3); the kernel hands the number to the next
  // pty, and a module plugged in later could not be added over the note.
  std::string note = served.pty;
  std::replace(note.begin(), note.end(), '/', '_');
  unlink((impl_->root + "/dev/.ptymap/" + note).c_str());
}

std::size_t TestBed::take_other_device_output() {
  std::size_t total = 0;
  char buffer[256];
  ssize_t count = 0;
  while (impl_->other_device_master >= 0 &&
         (count = read(impl_->other_device_master, buffer, sizeof buffer)) > 0) {
    total += static_cast<std::size_t>(count);
  }
  return total;
}

void TestBed::send_unsolicited(const UsbFrame& frame, int index) {
  Served& served = served_at(impl_->modules, index);
  if (!served.unplugged) impl_->write_report(served, frame);
}
