// SPDX-License-Identifier: MIT
#pragma once
// A software model of the ZEL module's firmware, as the USB side sees it:
// one 64-byte request in, at most one 64-byte answer out. It knows nothing of
// HID, ptys or umockdev; TestBed serves it as a HID device.
//
// What it answers:
//   HELLO 0x02         code, bytes 1..3 zero, the module's greeting from byte 4
//                      (Windows-1250, zero-terminated).
//   PING_PONG 0x01     the request echoed whole.
//   DEBUG 0x03         the request echoed whole.
//   RS485_GIFT 0x20    the code alone; the frame (byte 1 = length N, bytes
//                      4..3+N) is kept and shows in rs485_received().
//   RS485_PLEASE 0x21  the oldest queued RS485 frame: byte 1 its length,
//                      byte 2 the dropped count, bytes 4.. the frame; an empty
//                      queue answers length 0.
//   ERASE 0x30         the code alone; the page becomes all 0xFF.
//   BUFFOR 0x31        the code alone; bytes 3..34 are kept as the first half
//                      of block (page, block).
//   WRITE 0x32         the code alone; the buffered first half and bytes 3..34
//                      are programmed as the block.
//   READ 0x33          the code, then the 32 bytes of the named half in
//                      bytes 1..32.
// A refusal is code 0x00, byte 1 the refused request's code, a text from
// byte 4 (Windows-1250, zero-terminated). It is given for the invalid frame
// 0xFF, for any other unknown code, for a page above 10, a block above 64, a
// half above 1, and an RS485 frame longer than 60 bytes. A refused request
// changes nothing.
//
// Where the firmware's behaviour is not known, the model assumes:
//   - Programming only clears bits, as NOR FLASH does: a written block is the
//     old contents AND the new data. Writing over an unerased block thus
//     shows as damage, not as the new data.
//   - WRITE needs the first half of the same page and block buffered by
//     BUFFOR since the last WRITE; otherwise it is refused and nothing is
//     written. A successful WRITE empties the buffer; a later BUFFOR replaces
//     an earlier one.
//   - The module keeps at most kRs485QueueFrames frames from the bus; a frame
//     that finds the queue full is dropped. The dropped count is the number
//     of RS485 frames lost since it was last reported (it is reset by every
//     RS485_PLEASE answer; it saturates at 255). A frame longer than 60 bytes
//     handed to queue_rs485() cannot be sent over USB and counts as dropped.
//   - RS485_GIFT accepts length 0 (an empty frame).
//   - Bytes an answer does not use are 0.
//
// Thread safety: every member locks one mutex, so a serving thread may call
// handle() while a test inspects the model.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "protocol/usb_frame.h"

class ZelModule {
 public:
  static constexpr int kPages = 11, kBlocksPerPage = 65, kBlockSize = 64;
  static constexpr int kHalfSize = kBlockSize / 2;
  static constexpr std::size_t kRs485QueueFrames = 32;
  using Block = std::array<std::uint8_t, kBlockSize>;

  // Fault injection. no_answer, wrong_code and refuse_code apply to the
  // exchanges fail_at selects; delay and unplug_after to every exchange.
  struct Faults {
    // Every request goes unanswered.
    bool no_answer = false;
    // Answer with this code in byte 0 instead.
    std::optional<std::uint8_t> wrong_code;
    // Refuse requests with this code.
    std::optional<std::uint8_t> refuse_code;
    // Answer this many exchanges, then unplug (-1: never).
    int unplug_after = -1;
    // Only exchange number N (0-based, counted since the module was made)
    // gets the faults above (-1: every exchange).
    int fail_at = -1;
    // Before each answer.
    std::chrono::microseconds delay{0};
  };

  // The greeting the module puts into its hello answer (UTF-8 here; it is
  // sent in Windows-1250).
  static constexpr const char* kGreetingUtf8 = "Cześć! Tu moduł ZEL tablicy synoptycznej KVR17.";

  ZelModule();

  void set_faults(const Faults& faults);
  Faults faults() const;

  // Handles one request and returns the answer, or nothing when the request
  // goes unanswered (no_answer fault, or the module is unplugged). handle()
  // answers at once: whoever serves the module waits faults().delay before
  // passing the answer on, so that the wait can be interrupted.
  std::optional<UsbFrame> handle(const UsbFrame& request);

  // True once the unplug fault has fired: the request that found the module
  // past unplug_after exchanges went unanswered, and so does every later one.
  // The server then takes the device away.
  bool unplugged() const;

  // The next request is answered with `reply`, whatever it asked (before
  // any fault but an unplug); several calls queue their replies in order.
  void reply_next_with(const UsbFrame& reply);

  std::vector<UsbFrame> requests() const;  // every request received, in order
  void clear_requests();

  Block block(int page, int block) const;
  void set_block(int page, int block, const Block& contents);
  // The first half kept by the last BUFFOR, if one is waiting for its WRITE.
  std::optional<std::array<std::uint8_t, kHalfSize>> buffered_half() const;

  // A frame the module has received from the bus, to be reported; dropped
  // and counted when the queue is full.
  void queue_rs485(std::vector<std::uint8_t> frame);
  void set_dropped(std::uint8_t dropped);
  // The frames handed over by RS485_GIFT, in order.
  std::vector<std::vector<std::uint8_t>> rs485_received() const;

 private:
  struct Buffered {
    std::uint8_t page;
    std::uint8_t block;
    std::array<std::uint8_t, kHalfSize> data;
  };

  bool fault_applies() const;  // to the current exchange
  UsbFrame answer(const UsbFrame& request);
  UsbFrame answer_hello() const;
  UsbFrame answer_gift(const UsbFrame& request);
  UsbFrame answer_please();
  UsbFrame answer_erase(const UsbFrame& request);
  UsbFrame answer_buffor(const UsbFrame& request);
  UsbFrame answer_write(const UsbFrame& request);
  UsbFrame answer_read(const UsbFrame& request) const;
  static UsbFrame refusal(std::uint8_t refused_code, const char* utf8_text);
  static std::size_t flat_index(int page, int block);  // throws std::out_of_range

  mutable std::mutex mutex_;
  Faults faults_;
  int exchanges_ = 0;
  bool unplugged_ = false;
  std::vector<UsbFrame> requests_;
  std::deque<UsbFrame> scripted_;
  std::vector<Block> flash_;
  std::optional<Buffered> buffered_;
  std::deque<std::vector<std::uint8_t>> rs485_queue_;
  int dropped_ = 0;
  std::vector<std::vector<std::uint8_t>> rs485_received_;
};
