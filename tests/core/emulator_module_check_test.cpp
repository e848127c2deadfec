// SPDX-License-Identifier: MIT
// What a record's session learns of the module before its first event,
// through the whole command cycle against the emulated module's firmware.
#include <gtest/gtest.h>

#include "commissioning/commissioning_record.h"
#include "config/upload_runner.h"
#include "emulator/zel_module.h"

namespace {

TEST(ModuleCheck, ReadsBackTheTableAndTheGreeting) {
  ZelModule module;
  bool unplugged = false;
  USB_protocol protocol([&](const UsbFrame& request, UsbFrame& response) {
    if (unplugged) return false;
    const std::optional<UsbFrame> reply = module.handle(request);
    if (reply) response = *reply;
    return reply.has_value();
  });
  const OperationView view{[](std::string_view) {}, [](int) {}};
  ConfigMatrix file;
  file.set(5, 2, LED_STEADY);

  ModuleCheck check = check_module(protocol, file, view);  // a module never written
  EXPECT_TRUE(check.read);
  EXPECT_EQ(check.module.differing_cells, kNoValidConfiguration);
  EXPECT_EQ(check.module.greeting, ZelModule::kGreetingUtf8);

  ASSERT_EQ(run_flash_upload(protocol, file, view), UploadOutcome::written);
  EXPECT_EQ(check_module(protocol, file, view).module.differing_cells, 0);
  file.set(9, 24, LED_SLOW_BLINK);
  file.set(0, 0, LED_SLOW_BLINK);
  EXPECT_EQ(check_module(protocol, file, view).module.differing_cells, 2);

  unplugged = true;
  check = check_module(protocol, file, view);
  EXPECT_FALSE(check.read);
  EXPECT_EQ(check.module, ModuleReading{});
}

}  // namespace
