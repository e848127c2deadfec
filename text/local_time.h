// SPDX-License-Identifier: MIT
#pragma once
// Moments as the records of the tools write them: local time with its
// offset from UTC, so a record read in another zone still says when.

#include <ctime>
#include <string>

// "2026-12-07T14:03:11+01:00": `local` is a local time `utc_offset_seconds`
// ahead of UTC.
std::string iso8601(const std::tm& local, long utc_offset_seconds);
std::string iso8601_local_time(std::time_t time);
