#pragma once
// A count with its noun in the form Polish takes after it: 1 komórkę,
// 2-4 komórki (but 12-14 komórek, and again 22-24 komórki), 5 komórek.

#include <cstdint>
#include <string>

inline std::string counted(std::uint64_t count, const char* one, const char* few, const char* many) {
  const std::uint64_t tens = count % 100;
  const std::uint64_t units = count % 10;
  const char* noun = count == 1                                            ? one
                     : units >= 2 && units <= 4 && (tens < 12 || tens > 14) ? few
                                                                            : many;
  return std::to_string(count) + " " + noun;
}
