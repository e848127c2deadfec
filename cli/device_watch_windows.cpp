// SPDX-License-Identifier: MIT
#include "cli/device_watch.h"

#include "cli/platform_console.h"

struct DeviceWatch::Impl {};

DeviceWatch::DeviceWatch() = default;
DeviceWatch::~DeviceWatch() = default;

bool DeviceWatch::wait() { return sleep_unless_interrupted(kResearchInterval); }

bool DeviceWatch::listening() const { return false; }
