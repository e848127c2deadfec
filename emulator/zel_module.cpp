// SPDX-License-Identifier: MIT
#include "emulator/zel_module.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "text/cp1250.h"

namespace {

// Request and answer layout.
constexpr std::size_t kTextOffset = 4;  // greeting, refusal text, RS485 frame
constexpr std::size_t kDataOffset = 3;  // the 32 bytes of BUFFOR and WRITE
constexpr std::size_t kReadOffset = 1;  // the 32 bytes of a READ answer

// Copies a UTF-8 text as Windows-1250 into the frame from `offset` on,
// leaving room for the terminating zero at the frame's end.
void put_text(UsbFrame& frame, std::size_t offset, const char* utf8) {
  const std::string bytes = text::to_cp1250(utf8);
  const std::size_t room = frame.size() - offset - 1;
  std::memcpy(frame.data() + offset, bytes.data(), std::min(bytes.size(), room));
}

}  // namespace

ZelModule::ZelModule() {
  Block erased;
  erased.fill(0xFF);
  flash_.assign(static_cast<std::size_t>(kPages) * kBlocksPerPage, erased);
}

void ZelModule::set_faults(const Faults& faults) {
  std::lock_guard lock(mutex_);
  faults_ = faults;
}

ZelModule::Faults ZelModule::faults() const {
  std::lock_guard lock(mutex_);
  return faults_;
}

std::optional<UsbFrame> ZelModule::handle(const UsbFrame& request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
  const int exchange = exchanges_++;

  if (unplugged_) return std::nullopt;
  if (faults_.unplug_after >= 0 && exchange >= faults_.unplug_after) {
    unplugged_ = true;
    return std::nullopt;
  }
  if (!scripted_.empty()) {
    const UsbFrame reply = scripted_.front();
    scripted_.pop_front();
    return reply;
  }
  const bool faulty = faults_.fail_at < 0 || exchange == faults_.fail_at;
  if (faulty && faults_.no_answer) return std::nullopt;
  if (faulty && faults_.refuse_code && request[0] == *faults_.refuse_code) {
    return refusal(request[0], "Rozkaz odrzucony");
  }
  UsbFrame reply = answer(request);
  if (faulty && faults_.wrong_code) reply[0] = *faults_.wrong_code;
  return reply;
}

void ZelModule::reply_next_with(const UsbFrame& reply) {
  std::lock_guard lock(mutex_);
  scripted_.push_back(reply);
}

bool ZelModule::unplugged() const {
  std::lock_guard lock(mutex_);
  return unplugged_;
}

UsbFrame ZelModule::answer(const UsbFrame& request) {
  switch (request[0]) {
    case PING_PONG_USB_FRAME:
    case DEBUG_USB_FRAME:
      return request;
    case HELLO_USB_FRAME:
      return answer_hello();
    case RS485_GIFT_USB_FRAME:
      return answer_gift(request);
    case RS485_PLEASE_USB_FRAME:
      return answer_please();
    case ERASE_FLASH_PAGE_USB_FRAME:
      return answer_erase(request);
    case BUFFOR_FLASH_BLOCK_USB_FRAME:
      return answer_buffor(request);
    case WRITE_FLASH_BLOCK_USB_FRAME:
      return answer_write(request);
    case READ_FLASH_BLOCK_USB_FRAME:
      return answer_read(request);
    default:  // INCORRECT_USB_FRAME and every code the module does not know
      return refusal(request[0], "Nieznany rozkaz");
  }
}

UsbFrame ZelModule::answer_hello() const {
  UsbFrame reply{};
  reply[0] = HELLO_USB_FRAME;
  put_text(reply, kTextOffset, kGreetingUtf8);
  return reply;
}

UsbFrame ZelModule::answer_gift(const UsbFrame& request) {
  const std::size_t length = request[1];
  if (length > kRs485MaxLength) return refusal(request[0], "Za długa ramka RS485");
  const auto first = request.begin() + kTextOffset;
  rs485_received_.emplace_back(first, first + static_cast<std::ptrdiff_t>(length));
  UsbFrame reply{};
  reply[0] = RS485_GIFT_USB_FRAME;
  return reply;
}

UsbFrame ZelModule::answer_please() {
  UsbFrame reply{};
  reply[0] = RS485_PLEASE_USB_FRAME;
  reply[2] = static_cast<std::uint8_t>(dropped_);
  dropped_ = 0;
  if (!rs485_queue_.empty()) {
    const std::vector<std::uint8_t>& frame = rs485_queue_.front();
    reply[1] = static_cast<std::uint8_t>(frame.size());
    std::copy(frame.begin(), frame.end(), reply.begin() + kTextOffset);
    rs485_queue_.pop_front();
  }
  return reply;
}

UsbFrame ZelModule::answer_erase(const UsbFrame& request) {
  const int page = request[1];
  if (page >= kPages) return refusal(request[0], "Nieprawidłowy numer strony FLASH");
  Block erased;
  erased.fill(0xFF);
  std::fill_n(flash_.begin() + static_cast<std::ptrdiff_t>(flat_index(page, 0)), kBlocksPerPage,
              erased);
  UsbFrame reply{};
  reply[0] = ERASE_FLASH_PAGE_USB_FRAME;
  return reply;
}

UsbFrame ZelModule::answer_buffor(const UsbFrame& request) {
  if (request[1] >= kPages) return refusal(request[0], "Nieprawidłowy numer strony FLASH");
  if (request[2] >= kBlocksPerPage) return refusal(request[0], "Nieprawidłowy numer bloku FLASH");
  Buffered half{request[1], request[2], {}};
  std::copy_n(request.begin() + kDataOffset, kHalfSize, half.data.begin());
  buffered_ = half;
  UsbFrame reply{};
  reply[0] = BUFFOR_FLASH_BLOCK_USB_FRAME;
  return reply;
}

UsbFrame ZelModule::answer_write(const UsbFrame& request) {
  const int page = request[1];
  const int block = request[2];
  if (page >= kPages) return refusal(request[0], "Nieprawidłowy numer strony FLASH");
  if (block >= kBlocksPerPage) return refusal(request[0], "Nieprawidłowy numer bloku FLASH");
  if (!buffered_ || buffered_->page != page || buffered_->block != block) {
    return refusal(request[0], "Brak pierwszej połówki bloku w buforze");
  }
  Block data;
  std::copy(buffered_->data.begin(), buffered_->data.end(), data.begin());
  std::copy_n(request.begin() + kDataOffset, kHalfSize, data.begin() + kHalfSize);
  Block& cells = flash_[flat_index(page, block)];
  for (std::size_t i = 0; i < cells.size(); ++i)
    cells[i] &= data[i];  // programming clears bits only
  buffered_.reset();
  UsbFrame reply{};
  reply[0] = WRITE_FLASH_BLOCK_USB_FRAME;
  return reply;
}

UsbFrame ZelModule::answer_read(const UsbFrame& request) const {
  const int page = request[1];
  const int block = request[2];
  const int half = request[3];
  if (page >= kPages) return refusal(request[0], "Nieprawidłowy numer strony FLASH");
  if (block >= kBlocksPerPage) return refusal(request[0], "Nieprawidłowy numer bloku FLASH");
  if (half > 1) return refusal(request[0], "Nieprawidłowy numer połówki bloku");
  const Block& cells = flash_[flat_index(page, block)];
  UsbFrame reply{};
  reply[0] = READ_FLASH_BLOCK_USB_FRAME;
  std::copy_n(cells.begin() + half * kHalfSize, kHalfSize, reply.begin() + kReadOffset);
  return reply;
}

UsbFrame ZelModule::refusal(std::uint8_t refused_code, const char* utf8_text) {
  UsbFrame reply{};
  reply[0] = ERROR_USB_FRAME;
  reply[1] = refused_code;
  put_text(reply, kTextOffset, utf8_text);
  return reply;
}

std::size_t ZelModule::flat_index(int page, int block) {
  if (page < 0 || page >= kPages || block < 0 || block >= kBlocksPerPage) {
    throw std::out_of_range("FLASH page " + std::to_string(page) + " block " +
                            std::to_string(block) + " is outside the module's memory");
  }
  return static_cast<std::size_t>(page) * kBlocksPerPage + static_cast<std::size_t>(block);
}

std::vector<UsbFrame> ZelModule::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ZelModule::clear_requests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

ZelModule::Block ZelModule::block(int page, int block) const {
  std::lock_guard lock(mutex_);
  return flash_[flat_index(page, block)];
}

void ZelModule::set_block(int page, int block, const Block& contents) {
  std::lock_guard lock(mutex_);
  flash_[flat_index(page, block)] = contents;
}

std::optional<std::array<std::uint8_t, ZelModule::kHalfSize>> ZelModule::buffered_half() const {
  std::lock_guard lock(mutex_);
  if (!buffered_) return std::nullopt;
  return buffered_->data;
}

void ZelModule::queue_rs485(std::vector<std::uint8_t> frame) {
  std::lock_guard lock(mutex_);
  if (frame.size() > kRs485MaxLength || rs485_queue_.size() >= kRs485QueueFrames) {
    dropped_ = std::min(dropped_ + 1, 255);
    return;
  }
  rs485_queue_.push_back(std::move(frame));
}

void ZelModule::set_dropped(std::uint8_t dropped) {
  std::lock_guard lock(mutex_);
  dropped_ = dropped;
}

std::vector<std::vector<std::uint8_t>> ZelModule::rs485_received() const {
  std::lock_guard lock(mutex_);
  return rs485_received_;
}
