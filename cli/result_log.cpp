// SPDX-License-Identifier: MIT
#include "cli/result_log.h"

#include "cli/result_text.h"

std::string log_line(const LogRecord& record) {
  return one_field(record.time) + '\t' + one_field(record.result) + '\t' +
         std::to_string(record.exit_status) + '\t' + one_field(record.file_name) + '\t' +
         one_field(record.sha256) + '\n';
}

ResultLog::ResultLog(const std::filesystem::path& path) : file_(path) {}
