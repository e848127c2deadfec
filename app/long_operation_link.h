// SPDX-License-Identifier: MIT
#pragma once
// How a long device operation (the walk, the bus monitor) gets the one
// connection it holds for its whole run: a device session, which the
// operation ends when the run ends.

#include <functional>
#include <memory>

#include "protocol/device_session.h"

// Opens the run's session; one that did not connect has had its failure
// reported.
using LongOperationLink = std::function<std::unique_ptr<Device_session>()>;
