#include "cli/result_log.h"

#include "config/durable_save.h"

namespace {

std::string one_field(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

output_file::OutputFile open_log(const std::filesystem::path& path, std::string& reason) {
  std::error_code error;
  output_file::OutputFile file = output_file::OutputFile::open_for_append(path, error);
  if (error) reason = describe_file_error(error);
  return file;
}

}  // namespace

std::string log_line(const LogRecord& record) {
  return one_field(record.time) + '\t' + one_field(record.result) + '\t' +
         std::to_string(record.exit_status) + '\t' + one_field(record.file_name) + '\t' +
         one_field(record.sha256) + '\n';
}

ResultLog::ResultLog(const std::filesystem::path& path) : file_(open_log(path, error_)) {}

std::string ResultLog::append(const LogRecord& record) {
  const std::string line = log_line(record);
  std::error_code error =
      file_.write({reinterpret_cast<const std::uint8_t*>(line.data()), line.size()});
  if (!error) error = file_.flush_to_disk();
  return error ? describe_file_error(error) : std::string();
}
