// SPDX-License-Identifier: MIT
// The hidraw preload of the wine test bed, called in this process: it answers
// a HID stack's queries on the bed's nodes with the node's own ids and hands
// out one input report per read, and leaves every other file alone.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include "emulator/test_bed.h"
#include "emulator_build_file.h"

namespace {

using IoctlFn = int (*)(int, unsigned long, ...);
using ReadFn = ssize_t (*)(int, void*, size_t);

std::string preload_path() { return emulator_build_file("libzel-hidraw-preload.so"); }

class HidrawPreload : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = dlopen(preload_path().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library_, nullptr) << dlerror();
    ioctl_ = reinterpret_cast<IoctlFn>(dlsym(library_, "ioctl"));
    read_ = reinterpret_cast<ReadFn>(dlsym(library_, "read"));
    ASSERT_NE(ioctl_, nullptr);
    ASSERT_NE(read_, nullptr);
  }
  void TearDown() override {
    if (library_ != nullptr) dlclose(library_);
  }

  void* library_ = nullptr;
  IoctlFn ioctl_ = nullptr;
  ReadFn read_ = nullptr;
};

TEST_F(HidrawPreload, AnswersTheHidQueriesWithEachNodesIds) {
  TestBed bed;  // the module is hidraw0, the keyboard hidraw1
  struct Expected {
    const char* node;
    unsigned vendor, product;
  };
  for (const Expected& expected :
       {Expected{"/dev/hidraw0", 0x04D8, 0x003F}, Expected{"/dev/hidraw1", 0x046D, 0xC31C}}) {
    SCOPED_TRACE(expected.node);
    const int fd = open(expected.node, O_RDWR);
    ASSERT_GE(fd, 0);
    int size = 0;
    ASSERT_EQ(ioctl_(fd, HIDIOCGRDESCSIZE, &size), 0);
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<__u32>(size);
    ASSERT_EQ(ioctl_(fd, HIDIOCGRDESC, &descriptor), 0);
    EXPECT_EQ(descriptor.size, static_cast<__u32>(size));
    // A vendor page, 64 bytes each way: 0x95 0x40 is a report count of 64.
    const std::string bytes(reinterpret_cast<const char*>(descriptor.value), descriptor.size);
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x06\x00\xFF", 3));
    EXPECT_NE(bytes.find("\x95\x40\x81\x02"), std::string::npos);
    EXPECT_NE(bytes.find("\x95\x40\x91\x02"), std::string::npos);

    hidraw_devinfo info{};
    ASSERT_EQ(ioctl_(fd, HIDIOCGRAWINFO, &info), 0);
    EXPECT_EQ(info.bustype, 3u);
    EXPECT_EQ(static_cast<unsigned>(static_cast<std::uint16_t>(info.vendor)), expected.vendor);
    EXPECT_EQ(static_cast<unsigned>(static_cast<std::uint16_t>(info.product)), expected.product);
    char name[8] = {};
    EXPECT_EQ(ioctl_(fd, HIDIOCGRAWNAME(sizeof name), name), 8);
    EXPECT_EQ(name[7], '\0');
    char phys[64] = {};
    EXPECT_GT(ioctl_(fd, HIDIOCGRAWPHYS(sizeof phys), phys), 0);
    close(fd);
  }

  // Any other file: the query goes on to the system, which refuses it.
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  int size = 0;
  EXPECT_EQ(ioctl_(pipe_ends[0], HIDIOCGRDESCSIZE, &size), -1);
  close(pipe_ends[0]);
  close(pipe_ends[1]);
}

TEST_F(HidrawPreload, OneReadTakesOneAnswerEvenWhenTwoWait) {
  TestBed bed;
  const int fd = open("/dev/hidraw0", O_RDWR);
  ASSERT_GE(fd, 0);
  unsigned char request[65] = {0, 2};  // report number 0, hello
  ASSERT_EQ(write(fd, request, sizeof request), 65);
  ASSERT_EQ(write(fd, request, sizeof request), 65);
  for (int i = 0; i < 200 && bed.module().requests().size() < 2; ++i) usleep(10000);
  usleep(50000);  // the second answer is written after the module took the request
  unsigned char buffer[256] = {};
  EXPECT_EQ(read_(fd, buffer, sizeof buffer), 64);
  EXPECT_EQ(buffer[0], 2);
  EXPECT_EQ(read_(fd, buffer, sizeof buffer), 64);
  close(fd);

  // Elsewhere a read takes whatever is there.
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  ASSERT_EQ(write(pipe_ends[1], buffer, 100), 100);
  EXPECT_EQ(read_(pipe_ends[0], buffer, sizeof buffer), 100);
  close(pipe_ends[0]);
  close(pipe_ends[1]);
}

}  // namespace
