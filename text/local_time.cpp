// SPDX-License-Identifier: MIT
#include "text/local_time.h"

#include <chrono>
#include <cstdio>

namespace {

long long seconds_since_epoch(const std::tm& time) {
  const std::chrono::sys_days day{std::chrono::year{time.tm_year + 1900} /
                                  std::chrono::month{static_cast<unsigned>(time.tm_mon + 1)} /
                                  std::chrono::day{static_cast<unsigned>(time.tm_mday)}};
  return day.time_since_epoch().count() * 86400LL + time.tm_hour * 3600LL + time.tm_min * 60LL +
         time.tm_sec;
}

}  // namespace

std::string iso8601(const std::tm& local, long utc_offset_seconds) {
  const char sign = utc_offset_seconds < 0 ? '-' : '+';
  const int offset_minutes =
      static_cast<int>((utc_offset_seconds < 0 ? -utc_offset_seconds : utc_offset_seconds) / 60 % 6000);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, sign,
                offset_minutes / 60, offset_minutes % 60);
  return text;
}

std::string iso8601_local_time(std::time_t time) {
  // The offset is the local time read as if it were UTC, less the UTC time:
  // it covers summer time and zones off the whole hour.
  const std::tm local = *std::localtime(&time);
  const std::tm utc = *std::gmtime(&time);
  return iso8601(local, static_cast<long>(seconds_since_epoch(local) - seconds_since_epoch(utc)));
}
