// SPDX-License-Identifier: MIT
#pragma once
// The tool's one point of contact with the module: one operation per command.
// Every command clears both frames, fills the request, exchanges it through
// the HID device, checks the reply and logs both frames to the console log.
// Each command returns whether the module accepted it (the reply carried the
// command's code); the service panel ignores that, the upload and the output
// test stop on a command that was not accepted.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/usb_frame.h"
#include "transport/hid_device.h"

// Why the module did not accept the last command: it refused it or answered
// wrongly, it did not answer in time, or it went away.
enum class CommandFailure { none, refused, no_answer, disconnected };

class USB_protocol {
 public:
  // One exchange: send `request`, fill all 64 bytes of `response`; true when
  // both directions went through.
  using Exchange = std::function<bool(const UsbFrame& request, UsbFrame& response)>;

  // Owns a new, not yet opened HID_device; every exchange goes through it.
  USB_protocol();
  // The same, with the transport's trace on `transport_trace` instead of
  // standard output.
  explicit USB_protocol(std::ostream& transport_trace);
  // Exchanges through `exchange` instead, with no device (Connect is false):
  // runs the whole command cycle where no module is at hand.
  explicit USB_protocol(Exchange exchange);
  ~USB_protocol();
  USB_protocol(const USB_protocol&) = delete;
  USB_protocol& operator=(const USB_protocol&) = delete;

  bool Connect();
  // The last Connect came upon the module, also when it could not open it.
  bool module_found() const { return device && device->found(); }
  // The USB device the last Connect opened, as the system knows it: its
  // serial number where it has one, else its place on the bus; empty
  // without a device.
  std::string device_identity() const;

  bool Incorrect_frame();
  bool Hello_frame();
  // The module's own text in its answer to the last Hello_frame, up to its
  // first zero byte (Windows-1250).
  std::string greeting() const;
  bool Ping_pong_frame();
  bool Debug_frame(const std::uint8_t* payload60);
  bool RS485_gift_frame(const std::uint8_t* data, std::uint8_t length);
  bool RS485_please_frame(std::uint8_t& length, std::uint8_t& dropped);
  // RS485_please_frame for a monitor that asks again and again: an answer
  // that brings no frame and no dropped count is not logged, so a quiet bus
  // leaves the console as it was; everything else is logged as that command
  // logs it. Tells the caller how the exchange ended.
  enum class Outcome { accepted, refused, invalid, failed };
  // Whether an accepted answer that brought something is logged: asked with
  // the frame received and the dropped count; no filter logs every one.
  using PollLogFilter = std::function<bool(const std::uint8_t* frame, std::uint8_t length, std::uint8_t dropped)>;
  Outcome Poll_RS485_frame(std::uint8_t& length, std::uint8_t& dropped, const PollLogFilter& log_it = {});
  bool Erase_flash_page(std::uint8_t page);
  bool Read_flash_block(std::uint8_t page, std::uint8_t block, std::uint8_t half);
  bool Buffor_flash_block(const std::uint8_t* data32, std::uint8_t page, std::uint8_t block);
  bool Write_flash_block(const std::uint8_t* data32, std::uint8_t page, std::uint8_t block);

  // The frames of the last command (a read's 32 bytes are response bytes 1..32).
  const UsbFrame& last_request() const { return request; }
  const UsbFrame& last_response() const { return response; }
  // Why the last command was not accepted; none after an accepted one. The
  // console shows the same failures with the texts it always had.
  CommandFailure last_failure() const { return failure; }
  // Whether the last command's request may have reached the module: false
  // only where the transport could not write it. An answer that never came
  // leaves open whether the module carried the command out.
  bool last_request_sent() const;

  // The frame log.
  static void Show_frame(bool sent, std::uint8_t code, const std::uint8_t* data,
                         std::uint8_t length);
  static void Show_error(std::string_view utf8_message);
  // The checksum hooks: the one place a frame checksum would be set and
  // checked. The frames carry no checksum field, so Set_CRC leaves a request
  // as it is and Check_CRC accepts every response; the "bad CRC" error after
  // Check_CRC is therefore never reached. They stay on the frame path so the
  // exchange keeps its shape if the module's frames ever gain a checksum.
  static void Set_CRC(UsbFrame& frame);
  static bool Check_CRC(const UsbFrame& frame);

 private:
  // Where a frame line takes its data from: part of a frame or a composed text.
  struct LineData {
    const std::uint8_t* data;
    std::uint8_t length;
  };
  static LineData composed(const std::string& cp1250_text, std::uint8_t length);

  void start(std::uint8_t code);
  // Sends the request; false (after logging why) when the exchange failed.
  bool exchange_request();
  // Logs the request's line; false (after logging why) when the response's
  // checksum was rejected.
  bool log_request(LineData request_line);
  bool exchange_and_log_request(LineData request_line) {
    return exchange_request() && log_request(request_line);
  }
  // Classifies the response and logs it; true when the module accepted.
  bool log_reply(LineData reply_line);
  // Fills and sends a buffer or write request: page, block and 32 data bytes.
  bool send_half_block(std::uint8_t code, const std::uint8_t* data32, std::uint8_t page,
                       std::uint8_t block);

  UsbFrame request{};
  UsbFrame response{};
  CommandFailure failure = CommandFailure::none;
  std::unique_ptr<HID_device> device;
  Exchange exchange;
};
