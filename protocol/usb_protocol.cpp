// SPDX-License-Identifier: MIT
#include "protocol/usb_protocol.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include "text/cp1250.h"

namespace {

constexpr std::string_view kExchangeFailed = "Błąd protokołu USB!";
constexpr std::string_view kBadChecksum = "Nieprawidłowy kod CRC otrzymanej ramki!";
constexpr std::string_view kInvalidReply = "Moduł Mxx odpowiedział nieprawidłową ramką!";

constexpr std::size_t kRs485Offset = 4;   // RS485 data: bytes 4..63
constexpr std::size_t kTextOffset = 4;    // greeting, debug payload, refusal text
constexpr std::size_t kBlockOffset = 3;   // FLASH half-block data: bytes 3..34
constexpr std::size_t kHalfBlockSize = 32;
constexpr std::uint8_t kRefusalTextLength = 60;

// Numbers in composed texts are bytes read as signed values.
std::string number(std::uint8_t value) { return std::to_string(static_cast<std::int8_t>(value)); }

// The frame has room for kRs485MaxLength RS485 bytes; nothing beyond it is
// ever sent, shown or handed back.
std::uint8_t rs485_length(std::uint8_t length) {
  return static_cast<std::uint8_t>(std::min<std::size_t>(length, kRs485MaxLength));
}

// An exchange through an injected function tells no cause: taken as unanswered.
CommandFailure failure_of(const HID_device* device) {
  if (device == nullptr) return CommandFailure::no_answer;
  return device->last_transfer() == platform::Transfer::disconnected ? CommandFailure::disconnected
                                                                      : CommandFailure::no_answer;
}

}  // namespace

USB_protocol::USB_protocol() : USB_protocol(std::cout) {}

USB_protocol::USB_protocol(std::ostream& transport_trace)
    : device(std::make_unique<HID_device>(transport_trace)) {
  exchange = [this](const UsbFrame& out, UsbFrame& in) {
    return device->send_receive(out.data(), in.data(), false);
  };
}

USB_protocol::USB_protocol(Exchange through) : exchange(std::move(through)) {}

USB_protocol::~USB_protocol() = default;

bool USB_protocol::Connect() { return device && device->search_device(); }

USB_protocol::LineData USB_protocol::composed(const std::string& cp1250_text,
                                              std::uint8_t length) {
  return {reinterpret_cast<const std::uint8_t*>(cp1250_text.c_str()), length};
}

void USB_protocol::start(std::uint8_t code) {
  request.fill(0);
  response.fill(0);
  request[0] = code;
  failure = CommandFailure::none;
}

bool USB_protocol::last_request_sent() const {
  // An injected exchange tells no more than that it failed: taken as sent.
  if (failure == CommandFailure::no_answer || failure == CommandFailure::disconnected)
    return device == nullptr || device->request_written();
  return true;
}

bool USB_protocol::exchange_request() {
  Set_CRC(request);
  if (!exchange(request, response)) {
    failure = failure_of(device.get());
    Show_error(kExchangeFailed);
    return false;
  }
  return true;
}

bool USB_protocol::log_request(LineData request_line) {
  Show_frame(true, request[0], request_line.data, request_line.length);
  if (!Check_CRC(response)) {
    failure = CommandFailure::refused;
    Show_error(kBadChecksum);
    return false;
  }
  return true;
}

bool USB_protocol::log_reply(LineData reply_line) {
  const std::uint8_t code = request[0];
  switch (classify_reply(code, response)) {
    case ReplyKind::answer:
      Show_frame(false, code, reply_line.data, reply_line.length);
      return true;
    case ReplyKind::refusal:
      failure = CommandFailure::refused;
      Show_frame(false, ERROR_USB_FRAME, response.data() + kTextOffset, kRefusalTextLength);
      return false;
    case ReplyKind::invalid:
      failure = CommandFailure::refused;
      Show_error(kInvalidReply);
      return false;
  }
  failure = CommandFailure::refused;
  return false;
}

bool USB_protocol::Incorrect_frame() {
  start(INCORRECT_USB_FRAME);
  const std::string sent = text::to_cp1250("Wysłano nieprawidłową ramkę");
  if (!exchange_and_log_request(composed(sent, 28))) return false;
  return log_reply({response.data(), 64});
}

bool USB_protocol::Hello_frame() {
  start(HELLO_USB_FRAME);
  std::memcpy(request.data() + kTextOffset, kHelloText.data(), kHelloText.size());
  if (!exchange_and_log_request({request.data() + kTextOffset, 60})) return false;
  return log_reply({response.data() + kTextOffset, 60});
}

std::string USB_protocol::greeting() const {
  const char* text = reinterpret_cast<const char*>(response.data() + kTextOffset);
  return std::string(text, strnlen(text, response.size() - kTextOffset));
}

bool USB_protocol::Ping_pong_frame() {
  start(PING_PONG_USB_FRAME);
  std::memcpy(request.data() + 1, kPingPongText.data(), kPingPongText.size());
  if (!exchange_and_log_request({request.data() + 1, 63})) return false;
  return log_reply({response.data() + 1, 63});
}

bool USB_protocol::Debug_frame(const std::uint8_t* payload60) {
  start(DEBUG_USB_FRAME);
  request[1] = request[2] = request[3] = DEBUG_USB_FRAME;
  std::memcpy(request.data() + kTextOffset, payload60, 60);
  if (!exchange_and_log_request({request.data() + kTextOffset, 60})) return false;
  return log_reply({response.data() + kTextOffset, 60});
}

bool USB_protocol::RS485_gift_frame(const std::uint8_t* data, std::uint8_t length) {
  start(RS485_GIFT_USB_FRAME);
  const std::uint8_t carried = rs485_length(length);
  request[1] = carried;
  if (carried > 0) std::memcpy(request.data() + kRs485Offset, data, carried);
  if (!exchange_and_log_request({request.data() + kRs485Offset, carried})) return false;
  const std::string reply = "(Dlugosc ramki: " + number(carried) + ")";
  return log_reply(composed(reply, 25));
}

bool USB_protocol::RS485_please_frame(std::uint8_t& length, std::uint8_t& dropped) {
  start(RS485_PLEASE_USB_FRAME);
  if (!exchange_and_log_request({request.data() + kRs485Offset, rs485_length(length)})) {
    return false;
  }
  const std::uint8_t received = rs485_length(response[1]);
  if (!log_reply({response.data() + kRs485Offset, received})) return false;
  length = received;
  dropped = response[2];
  return true;
}

USB_protocol::Outcome USB_protocol::Poll_RS485_frame(std::uint8_t& length, std::uint8_t& dropped,
                                                     const PollLogFilter& log_it) {
  start(RS485_PLEASE_USB_FRAME);
  if (!exchange_request()) return Outcome::failed;
  const ReplyKind kind = classify_reply(RS485_PLEASE_USB_FRAME, response);
  const std::uint8_t received = rs485_length(response[1]);
  const std::uint8_t lost = response[2];
  // A sound answer that brings nothing, or that the filter keeps off the
  // console, is not logged.
  const bool quiet = Check_CRC(response) && kind == ReplyKind::answer &&
                     ((response[1] == 0 && lost == 0) ||
                      (log_it && !log_it(response.data() + kRs485Offset, received, lost)));
  if (!quiet) {
    if (!log_request({request.data() + kRs485Offset, 0})) return Outcome::invalid;
    if (!log_reply({response.data() + kRs485Offset, received}))
      return kind == ReplyKind::refusal ? Outcome::refused : Outcome::invalid;
  }
  length = received;
  dropped = lost;
  return Outcome::accepted;
}

bool USB_protocol::Erase_flash_page(std::uint8_t page) {
  start(ERASE_FLASH_PAGE_USB_FRAME);
  request[1] = page;
  const std::string sent = "Wykasuj strone o numerze: " + number(page);
  if (!exchange_and_log_request(composed(sent, 30))) return false;
  const std::string reply = "(OK!)";
  return log_reply(composed(reply, 6));
}

bool USB_protocol::Read_flash_block(std::uint8_t page, std::uint8_t block, std::uint8_t half) {
  start(READ_FLASH_BLOCK_USB_FRAME);
  request[1] = page;
  request[2] = block;
  request[3] = half;
  const std::string sent = text::to_cp1250("(Strona: " + number(page) + " Blok: " + number(block) +
                                           " Połówka: " + number(half) + ")");
  if (!exchange_and_log_request(composed(sent, 30))) return false;
  return log_reply({response.data() + 1, kHalfBlockSize});
}

bool USB_protocol::send_half_block(std::uint8_t code, const std::uint8_t* data32,
                                   std::uint8_t page, std::uint8_t block) {
  start(code);
  request[1] = page;
  request[2] = block;
  std::memcpy(request.data() + kBlockOffset, data32, kHalfBlockSize);
  return exchange_and_log_request({request.data() + kBlockOffset, kHalfBlockSize});
}

bool USB_protocol::Buffor_flash_block(const std::uint8_t* data32, std::uint8_t page,
                                      std::uint8_t block) {
  if (!send_half_block(BUFFOR_FLASH_BLOCK_USB_FRAME, data32, page, block)) return false;
  const std::string reply = "(Ok! Strona: " + number(page) + " Blok: " + number(block) + ")";
  return log_reply(composed(reply, 60));
}

bool USB_protocol::Write_flash_block(const std::uint8_t* data32, std::uint8_t page,
                                     std::uint8_t block) {
  if (!send_half_block(WRITE_FLASH_BLOCK_USB_FRAME, data32, page, block)) return false;
  const std::string reply = "(OK!)";
  return log_reply(composed(reply, 6));
}

std::string USB_protocol::device_identity() const { return device ? device->identity() : std::string(); }
