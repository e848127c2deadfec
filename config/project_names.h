// SPDX-License-Identifier: MIT
#pragma once
// The names a project gives the site, the board's 25 lamps and the 100
// addresses of the control units. They are the engineer's, in UTF-8, and
// never go to the module. An empty string means "no name".

#include <array>
#include <string>

struct SiteInfo {
  std::string name;         // "Obiekt"
  std::string address;      // "Adres obiektu"
  std::string board_place;  // "Miejsce tablicy"
  std::string notes;        // "Uwagi"
  bool operator==(const SiteInfo&) const = default;
};

struct ProjectNames {
  SiteInfo site;
  std::array<std::string, 25> lamps;       // lamp 1 first
  std::array<std::string, 100> addresses;  // address 0 first
  bool operator==(const ProjectNames&) const = default;
};
