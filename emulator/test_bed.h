// SPDX-License-Identifier: MIT
#pragma once
// Presents emulated ZEL modules to the code under test as HID devices, with
// umockdev: a sysfs tree of usb device -> usb interface -> hid device ->
// hidraw node, and a /dev/hidrawN node that is a pty in raw mode. A serving
// thread reads the byte stream the client writes into the node, cuts it into
// 65-byte output reports (report number, then the 64-byte frame), hands each
// frame to the module's ZelModule and writes the 64-byte answer back, as
// hidraw delivers an input report (without its report number).
//
// The code under test must run with LD_PRELOAD=libumockdev-preload.so.0,
// either in this process (tests) or in a child started after the bed was
// built (the launcher): the preload redirects /sys and /dev into the bed via
// $UMOCKDEV_DIR, which the bed sets for this process and its children.
//
// One bed per process at a time (there is one $UMOCKDEV_DIR); use a fresh
// bed per test, since the pty keeps answers nobody read.
//
// umockdev.h is not included here, so this header mixes with Qt headers.

#include <memory>
#include <string>

#include "emulator/zel_module.h"

struct TestBedOptions {
  int modules = 1;                 // emulated modules, 0 for none
  bool other_device = true;        // also a HID device that is not the module (a keyboard)
  bool other_device_first = true;  // the keyboard comes before the modules in sysfs order
  bool lower_case_ids = false;     // the hid devices' HID_ID written in lower-case hex
  // The module is interface 0 of a composite USB device, so its hardware ID
  // carries an interface suffix after the revision ("...&REV_0100&MI_00").
  bool composite_module = false;
  // The modules' USB devices carry a serial number, "ZEL17-0001" for the
  // first; without one the system knows a module by its port ("usb 1-2").
  bool module_serials = true;
};

class TestBed {
 public:
  explicit TestBed(const TestBedOptions& options = {});
  ~TestBed();
  TestBed(const TestBed&) = delete;
  TestBed& operator=(const TestBed&) = delete;

  // Module `index` in sysfs order; its node is /dev/hidraw<index>.
  ZelModule& module(int index = 0);
  int module_count() const;
  std::string device_node(int index = 0) const;  // "/dev/hidraw0"
  std::string pty_path(int index = 0) const;     // the pty behind the node ("/dev/pts/3")
  std::string root_dir() const;                  // $UMOCKDEV_DIR

  // Takes the module away as a pulled plug would: the client's reads then
  // end (EOF or EIO, with POLLHUP) and its writes fail with EIO. The module
  // also unplugs itself through its unplug_after fault.
  void unplug(int index = 0);
  bool unplugged(int index = 0) const;

  // A module plugged in while the bed runs, as the next port's USB device
  // with a new hidraw node; udev monitors hear "add". Returns its index.
  int plug_module();
  // Pulls the plug of module `index` for good: it is unplugged, udev
  // monitors hear "remove" and its devices leave the tree.
  void remove_module(int index);

  // The bytes a client has written to the other device's node since the
  // last call; they are read away. Nobody should ever write there.
  std::size_t take_other_device_output();

  // Writes one 64-byte input report that no request asked for.
  void send_unsolicited(const UsbFrame& frame, int index = 0);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
