// SPDX-License-Identifier: MIT
#include "config/project_file.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cctype>
#include <cmath>
#include <optional>

#include "config/config_file.h"
#include "config/configuration_check.h"
#include "config/durable_save.h"
#include "config/label_page.h"
#include "config/name_text.h"
#include "config/sha256.h"

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

std::string lower_case_ascii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

constexpr const char* kFormat = "zel17-projekt";
constexpr char kNotAvailableMark = '-';
// Deeper nesting is no project; it would also cost stack when written back.
constexpr int kMaxDepth = 32;

// A member of "obiekt" or "etykiety" and the field it fills.
template <typename Owner, typename Field>
struct MemberKey {
  const char* key;
  Field Owner::*field;
};
constexpr std::array<MemberKey<SiteInfo, std::string>, 4> kSiteKeys{{{"nazwa", &SiteInfo::name},
                                                                    {"adres", &SiteInfo::address},
                                                                    {"miejsce_tablicy", &SiteInfo::board_place},
                                                                    {"uwagi", &SiteInfo::notes}}};
constexpr std::array<MemberKey<LabelGeometry, double>, 4> kLabelKeys{
    {{"rozstaw_poziomo_mm", &LabelGeometry::pitch_across_mm},
     {"rozstaw_pionowo_mm", &LabelGeometry::pitch_down_mm},
     {"szerokosc_mm", &LabelGeometry::width_mm},
     {"wysokosc_mm", &LabelGeometry::height_mm}}};

constexpr std::array<const char*, 8> kTopKeys{"format", "wersja", "obiekt", "lampy", "adresy",
                                              "etykiety", "konfiguracja", "sha256"};

const char* known_name(const char* key) { return key; }
template <typename Owner, typename Field>
const char* known_name(const MemberKey<Owner, Field>& key) {
  return key.key;
}

template <typename Keys>
bool is_known(const Keys& keys, const std::string& key) {
  for (const auto& known : keys)
    if (key == known_name(known)) return true;
  return false;
}

// "51,4": a limit to the tenth of a millimetre the dialog offers (the
// last tenth within it), without ",0".
std::string decimal_millimetres(double value) {
  const auto tenths = static_cast<long>(std::floor(value * 10 + 1e-9));
  const std::string whole = std::to_string(tenths / 10);
  return tenths % 10 == 0 ? whole : whole + "," + std::to_string(tenths % 10);
}

// A whole millimetre is written as an integer, so the defaults read as the contract shows them.
Json millimetres(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e9)
    return static_cast<long long>(value);
  return value;
}

std::string row_text(const ConfigMatrix& matrix, int row) {
  std::string text;
  for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
    const std::uint8_t value = matrix.at(row, column);
    text += value == LED_NOT_AVAILABLE ? kNotAvailableMark : static_cast<char>('0' + value % 10);
  }
  return text;
}

// Keys of `source` that `keys` does not name, appended to `target`.
template <typename Keys>
void append_unknown(Json& target, const Json* source, const Keys& keys) {
  if (!source || !source->is_object()) return;
  for (const auto& [key, value] : source->items())
    if (!is_known(keys, key)) target[key] = value;
}

FileResult format_failure(const std::string& what) { return FileResult::failure("błędny plik projektu: " + what); }

// Reads the N names of the array at `key`, if present; the first is
// numbered `first_number` in messages (lamps from 1, addresses from 0).
template <std::size_t N>
std::string read_names(const Json& document, const char* key, const char* what, std::size_t first_number,
                       std::array<std::string, N>& names) {
  const auto found = document.find(key);
  if (found == document.end()) return {};
  if (!found->is_array() || found->size() != N)
    return std::string("„") + key + "” musi być listą " + std::to_string(N) + " nazw";
  for (std::size_t i = 0; i < N; ++i) {
    const Json& item = (*found)[i];
    const std::string where = std::string("„") + key + "”: " + what + " " + std::to_string(first_number + i);
    if (!item.is_string()) return where + " nie jest tekstem";
    std::string name = item.get<std::string>();
    if (const std::string fault = name_fault(name); !fault.empty()) return where + ": " + fault;
    names[i] = std::move(name);
  }
  return {};
}

// Reads the members `keys` name from the object at `part`, if present, each
// through `read_value`, which gives what is wrong after the member's name.
template <typename Owner, typename Field, std::size_t N, typename ReadValue>
std::string read_members(const Json& document, const char* part, const std::array<MemberKey<Owner, Field>, N>& keys,
                         Owner& target, ReadValue read_value) {
  const auto found = document.find(part);
  if (found == document.end()) return {};
  if (!found->is_object()) return std::string("„") + part + "” musi być obiektem";
  for (const MemberKey<Owner, Field>& key : keys) {
    const auto value = found->find(key.key);
    if (value == found->end()) continue;
    if (const std::string fault = read_value(*value, target.*key.field); !fault.empty())
      return std::string("„") + part + "." + key.key + "”" + fault;
  }
  return {};
}

std::string read_site_text(const Json& value, std::string& field) {
  if (!value.is_string()) return " nie jest tekstem";
  std::string text = value.get<std::string>();
  if (const std::string fault = name_fault(text); !fault.empty()) return ": " + fault;
  field = std::move(text);
  return {};
}

std::string read_millimetres(const Json& value, double& field) {
  if (!value.is_number()) return " nie jest liczbą";
  field = value.get<double>();
  return {};
}

std::string read_labels(const Json& document, LabelGeometry& labels) {
  if (std::string fault = read_members(document, "etykiety", kLabelKeys, labels, read_millimetres); !fault.empty())
    return fault;
  if (const std::string fault = label_geometry_fault(labels); !fault.empty()) return "„etykiety”: " + fault;
  return {};
}

std::string read_table(const Json& document, ConfigMatrix& matrix) {
  const auto found = document.find("konfiguracja");
  if (found == document.end() || !found->is_array() || found->size() != ConfigMatrix::kRows)
    return "„konfiguracja” musi być listą " + std::to_string(ConfigMatrix::kRows) + " wierszy";
  for (int row = 0; row < ConfigMatrix::kRows; ++row) {
    const Json& item = (*found)[static_cast<std::size_t>(row)];
    const std::string where = "„konfiguracja”, wiersz " + std::to_string(row) + " (" + row_label(row) + ")";
    if (!item.is_string()) return where + " nie jest tekstem";
    const std::string& text = item.get_ref<const std::string&>();
    if (text.size() != static_cast<std::size_t>(ConfigMatrix::kColumns))
      return where + ": oczekiwano " + std::to_string(ConfigMatrix::kColumns) + " znaków";
    for (int column = 0; column < ConfigMatrix::kColumns; ++column) {
      const char c = text[static_cast<std::size_t>(column)];
      if (c == kNotAvailableMark) {
        matrix.set(row, column, LED_NOT_AVAILABLE);
      } else if (c >= '0' && c <= '9') {
        matrix.set(row, column, static_cast<std::uint8_t>(c - '0'));
      } else {
        return where + ", wyjście " + std::to_string(column + 1) + ": znak „" + std::string(1, c) +
               "” nie jest cyfrą ani „-”";
      }
    }
  }
  return {};
}

std::optional<Json> parse_document(std::string_view text, bool& too_deep) {
  too_deep = false;
  Json::parser_callback_t watch_depth = [&too_deep](int depth, Json::parse_event_t, Json&) {
    if (depth > kMaxDepth) too_deep = true;
    return !too_deep;
  };
  Json document = Json::parse(text.begin(), text.end(), watch_depth, /*allow_exceptions=*/false);
  if (document.is_discarded() || too_deep) return std::nullopt;
  return document;
}

}  // namespace

std::string label_geometry_fault(const LabelGeometry& g) {
  const auto in = [](double value, double low, double high) { return std::isfinite(value) && value >= low && value <= high; };
  const std::string from = "od " + decimal_millimetres(kLabelMinimumMm) + " ";
  if (!in(g.pitch_across_mm, kLabelMinimumMm, kLabelMaxPitchAcrossMm))
    return "rozstaw poziomy musi wynosić " + from + "do " + decimal_millimetres(kLabelMaxPitchAcrossMm) + " mm";
  if (!in(g.pitch_down_mm, kLabelMinimumMm, kLabelMaxPitchDownMm))
    return "rozstaw pionowy musi wynosić " + from + "do " + decimal_millimetres(kLabelMaxPitchDownMm) + " mm";
  if (!in(g.width_mm, kLabelMinimumMm, g.pitch_across_mm))
    return "szerokość pola musi wynosić " + from + "mm do rozstawu poziomego";
  if (!in(g.height_mm, kLabelMinimumMm, g.pitch_down_mm))
    return "wysokość pola musi wynosić " + from + "mm do rozstawu pionowego";
  return {};
}

std::string project_text(const Project& project) {
  const Json kept = project.unknown_keys.empty() ? Json::object() : Json::parse(project.unknown_keys, nullptr, false);
  const auto kept_part = [&kept](const char* key) -> const Json* {
    if (!kept.is_object()) return nullptr;
    const auto found = kept.find(key);
    return found == kept.end() ? nullptr : &*found;
  };

  Json document = Json::object();
  document["format"] = kFormat;
  document["wersja"] = kProjectVersion;
  Json site = Json::object();
  for (const auto& key : kSiteKeys) site[key.key] = project.names.site.*key.field;
  append_unknown(site, kept_part("obiekt"), kSiteKeys);
  document["obiekt"] = std::move(site);
  document["lampy"] = project.names.lamps;
  document["adresy"] = project.names.addresses;
  Json labels = Json::object();
  for (const auto& key : kLabelKeys) labels[key.key] = millimetres(project.labels.*key.field);
  append_unknown(labels, kept_part("etykiety"), kLabelKeys);
  document["etykiety"] = std::move(labels);
  Json table = Json::array();
  for (int row = 0; row < ConfigMatrix::kRows; ++row) table.push_back(row_text(project.matrix, row));
  document["konfiguracja"] = std::move(table);
  document["sha256"] = sha256_hex(project.matrix.bytes());
  if (kept.is_object())
    for (const auto& [key, value] : kept.items())
      if (!is_known(kTopKeys, key)) document[key] = value;
  return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

FileResult parse_project(std::string_view text, Project& project) {
  bool too_deep = false;
  const std::optional<Json> parsed = parse_document(text, too_deep);
  if (!parsed) return FileResult::failure(too_deep ? "to nie jest plik projektu: dane zagnieżdżone zbyt głęboko"
                                       : "to nie jest plik projektu: niepoprawny JSON");
  const Json& document = *parsed;
  if (!document.is_object()) return FileResult::failure("to nie jest plik projektu");
  const auto format = document.find("format");
  if (format == document.end() || *format != kFormat)
    return FileResult::failure("to nie jest plik projektu: brak „format”: „zel17-projekt”");
  const auto version = document.find("wersja");
  if (version == document.end() || !version->is_number_integer() || *version < 1)
    return format_failure("„wersja” musi być liczbą całkowitą od 1");
  if (*version > kProjectVersion)
    return FileResult::failure("plik projektu ma wersję " + version->dump() + ", nowszą niż ta wersja programu (" +
                   std::to_string(kProjectVersion) + "); otwórz go nowszą wersją programu");

  Project read;
  std::string fault = read_members(document, "obiekt", kSiteKeys, read.names.site, read_site_text);
  if (fault.empty()) fault = read_names(document, "lampy", "lampa", 1, read.names.lamps);
  if (fault.empty()) fault = read_names(document, "adresy", "adres", 0, read.names.addresses);
  if (fault.empty()) fault = read_labels(document, read.labels);
  if (fault.empty()) fault = read_table(document, read.matrix);
  if (!fault.empty()) return format_failure(fault);

  const auto sum = document.find("sha256");
  // The sum as any tool writes it: hexadecimal digits in either case.
  if (sum == document.end() || !sum->is_string() || lower_case_ascii(sum->get<std::string>()) != sha256_hex(read.matrix.bytes()))
    return FileResult::failure("plik projektu jest uszkodzony: tabela nie zgadza się z sumą „sha256”");
  if (const std::string rule = configuration_fault(read.matrix); !rule.empty())
    return FileResult::failure("plik nie jest konfiguracją: " + rule);

  Json unknown = Json::object();
  append_unknown(unknown, &document, kTopKeys);
  const auto keep_inner = [&document, &unknown](const char* part, const auto& keys) {
    const auto found = document.find(part);
    if (found == document.end()) return;
    Json inner = Json::object();
    append_unknown(inner, &*found, keys);
    if (!inner.empty()) unknown[part] = std::move(inner);
  };
  keep_inner("obiekt", kSiteKeys);
  keep_inner("etykiety", kLabelKeys);
  if (!unknown.empty()) read.unknown_keys = unknown.dump(-1, ' ', false, Json::error_handler_t::replace);

  project = std::move(read);
  FileResult result = FileResult::success();
  result.values_read = ConfigMatrix::kCells;
  return result;
}

FileResult save_project(const fs::path& path, const Project& project) {
  const std::string text = project_text(project);
  return save_text_durably(path, text);
}

FileResult load_project(const fs::path& path, Project& project) {
  std::string text;
  if (FileResult read = read_small_file(path, kMaxProjectBytes, "plik projektu", text); !read.ok) return read;
  return parse_project(text, project);
}

bool has_project_extension(const fs::path& path) { return has_file_extension(path, ".zelp"); }
