// SPDX-License-Identifier: MIT
#include "config/appended_file.h"

#include <cstdint>

#include "config/durable_save.h"

namespace {

output_file::OutputFile open_to_append(const std::filesystem::path& path, std::string& reason) {
  std::error_code error;
  output_file::OutputFile file = output_file::OutputFile::open_for_append(path, error);
  if (error) reason = describe_file_error(error);
  return file;
}

}  // namespace

AppendedFile::AppendedFile(const std::filesystem::path& path) : file_(open_to_append(path, failure_)) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  was_empty_ = error || size == 0;
}

std::string AppendedFile::append(std::string_view text) {
  if (!failure_.empty()) return failure_;
  std::error_code error = file_.write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  // A pipe or a terminal cannot be flushed (EINVAL): what it took, it has.
  if (!error && (error = file_.flush_to_disk()) == std::errc::invalid_argument) error.clear();
  if (error) failure_ = describe_file_error(error);
  return failure_;
}
