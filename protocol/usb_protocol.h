#pragma once
// The tool's one point of contact with the module: one operation per command.
// Every command clears both frames, fills the request, exchanges it through
// the HID device, checks the reply and logs both frames to the console log.
// Each command returns whether the module accepted it (the reply carried the
// command's code); the service panel ignores that, the upload and the output
// test stop on a command that was not accepted.

#include <cstdint>
#include <memory>
#include <string_view>

#include "protocol/usb_frame.h"
#include "transport/hid_device.h"

class USB_protocol {
 public:
  USB_protocol();
  ~USB_protocol();
  USB_protocol(const USB_protocol&) = delete;
  USB_protocol& operator=(const USB_protocol&) = delete;

  bool Connect();

  bool Incorrect_frame();
  bool Hello_frame();
  bool Ping_pong_frame();
  bool Debug_frame(const std::uint8_t* payload60);
  bool RS485_gift_frame(const std::uint8_t* data, std::uint8_t length);
  bool RS485_please_frame(std::uint8_t& length, std::uint8_t& dropped);
  bool Erase_flash_page(std::uint8_t page);
  bool Read_flash_block(std::uint8_t page, std::uint8_t block, std::uint8_t half);
  bool Buffor_flash_block(const std::uint8_t* data32, std::uint8_t page, std::uint8_t block);
  bool Write_flash_block(const std::uint8_t* data32, std::uint8_t page, std::uint8_t block);

  // The frames of the last command (a read's 32 bytes are response bytes 1..32).
  const UsbFrame& last_request() const { return request; }
  const UsbFrame& last_response() const { return response; }

  // The frame log.
  static void Show_frame(bool sent, std::uint8_t code, const std::uint8_t* data,
                         std::uint8_t length);
  static void Show_error(std::string_view utf8_message);
  static void Set_CRC(UsbFrame& frame);
  static bool Check_CRC(const UsbFrame& frame);

 private:
  UsbFrame request{};
  UsbFrame response{};
  std::unique_ptr<HID_device> device;
};
