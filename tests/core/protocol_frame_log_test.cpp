// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cctype>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "protocol/console_log.h"
#include "protocol/usb_protocol.h"

namespace {

const std::uint8_t* bytes(const char* s) { return reinterpret_cast<const std::uint8_t*>(s); }

// The lines one call adds to the process's console log.
template <typename Call>
std::vector<std::string> lines_added_by(Call call) {
  console_log().clear();
  call();
  return console_log().lines();
}

struct FrameLineCase {
  const char* what;
  bool sent;
  std::uint8_t code;
  std::string data;  // may hold zero bytes
  std::uint8_t length;
  std::string line;
};

class FrameLine : public testing::TestWithParam<FrameLineCase> {};

TEST_P(FrameLine, IsOneLineInTheFormOfItsCodeAndDirection) {
  const FrameLineCase& c = GetParam();
  const auto lines = lines_added_by(
      [&] { USB_protocol::Show_frame(c.sent, c.code, bytes(c.data.c_str()), c.length); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], c.line);
}

const std::string kSent = "<--  \t";
const std::string kReceived = "  -->\t";
const std::string kEmpty = "(Pole danych jest puste)";

INSTANTIATE_TEST_SUITE_P(
    EveryCode, FrameLine,
    testing::Values(
        FrameLineCase{"refusal text", false, 0x00, "Nie ma takiej strony", 60,
                      kReceived + "ERROR_USB_FRAME\t\tNie ma takiej strony"},
        FrameLineCase{"refusal sent", true, 0x00, "abc", 60, kSent + "ERROR_USB_FRAME\t\tabc"},
        FrameLineCase{"ping text cut at length", true, 0x01, "Ten tekst", 3,
                      kSent + "PING_PONG_USB_FRAME\tTen"},
        FrameLineCase{"ping text ends at zero", false, 0x01, std::string("Te\0xx", 5), 63,
                      kReceived + "PING_PONG_USB_FRAME\tTe"},
        FrameLineCase{"hello", true, 0x02, "Hej!", 60, kSent + "HELLO_USB_FRAME\t\tHej!"},
        FrameLineCase{"hello cp1250 as is", false, 0x02, "\xB3\xB9\xFF", 60,
                      kReceived + "HELLO_USB_FRAME\t\t\xB3\xB9\xFF"},
        FrameLineCase{"debug hex", true, 0x03, std::string("\x3b\x05\x00\xff", 4), 4,
                      kSent + "DEBUG_USB_FRAME\t\t3B 05 00 FF "},
        FrameLineCase{"debug empty", false, 0x03, "\x3b", 0, kReceived + "DEBUG_USB_FRAME\t\t"},
        FrameLineCase{"gift sent empty", true, 0x20, "ab", 0,
                      kSent + "RS485_GIFT_USB_FRAME\t" + kEmpty},
        FrameLineCase{"gift received empty", false, 0x20, "ab", 0,
                      kReceived + "RS485_GIFT_USB_FRAME\t" + kEmpty},
        FrameLineCase{"gift sent hex", true, 0x20, "ab", 2,
                      kSent + "RS485_GIFT_USB_FRAME\t61 62 "},
        FrameLineCase{"gift received text", false, 0x20, "(Dlugosc ramki: 46)", 25,
                      kReceived + "RS485_GIFT_USB_FRAME\t(Dlugosc ramki: 46)"},
        FrameLineCase{"please sent empty", true, 0x21, "", 0,
                      kSent + "RS485_PLEASE_USB_FRAME\t" + kEmpty},
        FrameLineCase{"please received empty", false, 0x21, "", 0,
                      kReceived + "RS485_PLEASE_USB_FRAME\t" + kEmpty},
        FrameLineCase{"please received hex", false, 0x21, std::string("\x01\x00\xAB", 3), 3,
                      kReceived + "RS485_PLEASE_USB_FRAME\t01 00 AB "},
        FrameLineCase{"erase text", true, 0x30, "Wykasuj strone o numerze: 7", 30,
                      kSent + "ERASE_FLASH_PAGE_USB_FRAME\tWykasuj strone o numerze: 7"},
        FrameLineCase{"erase ok", false, 0x30, "(OK!)", 6,
                      kReceived + "ERASE_FLASH_PAGE_USB_FRAME\t(OK!)"},
        FrameLineCase{"buffer sent hex", true, 0x31, "\x0a\x0d", 2,
                      kSent + "BUFFOR_FLASH_BLOCK_USB_FRAME\t0A 0D "},
        FrameLineCase{"buffer received text", false, 0x31, "(Ok! Strona: 0 Blok: 13)", 60,
                      kReceived + "BUFFOR_FLASH_BLOCK_USB_FRAME\t(Ok! Strona: 0 Blok: 13)"},
        FrameLineCase{"write sent hex", true, 0x32, "\xc0\x01", 2,
                      kSent + "WRITE_FLASH_BLOCK_USB_FRAME\tC0 01 "},
        FrameLineCase{"write received text", false, 0x32, "(OK!)", 6,
                      kReceived + "WRITE_FLASH_BLOCK_USB_FRAME\t(OK!)"},
        FrameLineCase{"read sent whole text", true, 0x33,
                      "(Strona: 10 Blok: 64 Po\xB3\xF3wka: 1)", 30,
                      kSent + "READ_FLASH_BLOCK_USB_FRAME\t(Strona: 10 Blok: 64 Po\xB3\xF3wka: 1)"},
        FrameLineCase{"read received hex of length", false, 0x33, "ABCDE", 3,
                      kReceived + "READ_FLASH_BLOCK_USB_FRAME\t41 42 43 "},
        FrameLineCase{"incorrect from byte 0", false, 0xFF, "\xFFrest", 64,
                      kReceived + "INCORRECT_USB_FRAME\t\xFFrest"},
        FrameLineCase{"incorrect sent", true, 0xFF, "Wys\xB3" "ano", 28,
                      kSent + "INCORRECT_USB_FRAME\tWys\xB3" "ano"},
        FrameLineCase{"text with CR LF", false, 0x02, "a\r\nb\rc\nd", 60,
                      kReceived + "HELLO_USB_FRAME\t\ta\r\nb\rc\nd"}),
    [](const testing::TestParamInfo<FrameLineCase>& info) {
      std::string name = info.param.what;
      for (char& ch : name) if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(FrameLog, TextWithNoZeroShowsExactlyLengthCharacters) {
  const std::string data(64, 'x');
  for (std::uint8_t length : {0, 1, 17, 63, 64}) {
    const auto lines = lines_added_by(
        [&] { USB_protocol::Show_frame(false, PING_PONG_USB_FRAME, bytes(data.c_str()), length); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], kReceived + "PING_PONG_USB_FRAME\t" + std::string(length, 'x'));
  }
}

TEST(FrameLog, DebugPayloadIsShownAsUpperCasePairsEachFollowedByABlank) {
  std::uint8_t payload[60];
  std::iota(payload, payload + 60, std::uint8_t{0});
  const auto lines =
      lines_added_by([&] { USB_protocol::Show_frame(true, DEBUG_USB_FRAME, payload, 60); });
  ASSERT_EQ(lines.size(), 1u);
  std::string expected = kSent + "DEBUG_USB_FRAME\t\t";
  for (const char* pair : {"00", "01", "02", "03", "04", "05", "06", "07", "08", "09", "0A",
                           "0B", "0C", "0D", "0E", "0F", "10", "11", "12", "13", "14", "15",
                           "16", "17", "18", "19", "1A", "1B", "1C", "1D", "1E", "1F", "20",
                           "21", "22", "23", "24", "25", "26", "27", "28", "29", "2A", "2B",
                           "2C", "2D", "2E", "2F", "30", "31", "32", "33", "34", "35", "36",
                           "37", "38", "39", "3A", "3B"}) {
    expected += pair;
    expected += ' ';
  }
  EXPECT_EQ(lines[0], expected);
}

TEST(FrameLog, EveryCodeAddsExactlyOneLineAndUnlistedOnesAnErrorLine) {
  const std::string data(64, 'a');
  for (int code = 0; code < 256; ++code) {
    for (bool sent : {true, false}) {
      const auto lines = lines_added_by([&] {
        USB_protocol::Show_frame(sent, static_cast<std::uint8_t>(code), bytes(data.c_str()), 5);
      });
      ASSERT_EQ(lines.size(), 1u) << "code " << code;
      if (frame_log_name(static_cast<std::uint8_t>(code))) {
        EXPECT_EQ(lines[0].substr(0, 6), sent ? kSent : kReceived) << "code " << code;
      } else {
        EXPECT_EQ(lines[0], "BLAD:\t\tNASTAPIL BLAD W ALGORYTMIE PROGRAMU KONFIGURACYJNEGO!")
            << "code " << code;
      }
    }
  }
  EXPECT_FALSE(frame_log_name(0x04));
}

TEST(FrameLog, ErrorLineIsConvertedToCp1250AndCutAt99Bytes) {
  auto lines = lines_added_by([] { USB_protocol::Show_error("Błąd protokołu USB!"); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "BLAD:\t\tB\xB3\xB9" "d protoko\xB3u USB!");

  lines = lines_added_by(
      [] { USB_protocol::Show_error("Moduł Mxx odpowiedział nieprawidłową ramką!"); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "BLAD:\t\tModu\xB3 Mxx odpowiedzia\xB3 nieprawid\xB3ow\xB9 ramk\xB9!");

  // 92 two-byte letters in UTF-8 are 92 bytes in the code page: the cut counts bytes.
  std::string long_message;
  for (int i = 0; i < 100; ++i) long_message += "ł";
  lines = lines_added_by([&] { USB_protocol::Show_error(long_message); });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "BLAD:\t\t" + std::string(92, '\xB3'));

  lines = lines_added_by([] { USB_protocol::Show_error(std::string(92, 'x')); });
  EXPECT_EQ(lines.at(0), "BLAD:\t\t" + std::string(92, 'x'));
}

TEST(FrameLog, ChecksumHooksAcceptEveryFrameAndChangeNothing) {
  std::mt19937 random(7);
  UsbFrame zeros{};
  EXPECT_TRUE(USB_protocol::Check_CRC(zeros));
  for (int i = 0; i < 100; ++i) {
    UsbFrame frame;
    for (auto& b : frame) b = static_cast<std::uint8_t>(random());
    const UsbFrame before = frame;
    USB_protocol::Set_CRC(frame);
    EXPECT_EQ(frame, before);
    EXPECT_TRUE(USB_protocol::Check_CRC(frame));
  }
}

TEST(ReplyClassification, CodeAndNamedCodeDecide) {
  struct Case {
    std::uint8_t request, byte0, byte1;
    ReplyKind kind;
  };
  for (const Case& c : {
           Case{0x30, 0x30, 0x00, ReplyKind::answer},
           Case{0x30, 0x30, 0x99, ReplyKind::answer},
           Case{0x30, 0x00, 0x30, ReplyKind::refusal},
           Case{0x30, 0x00, 0x31, ReplyKind::invalid},
           Case{0x30, 0x00, 0x00, ReplyKind::invalid},
           Case{0x30, 0x31, 0x30, ReplyKind::invalid},
           Case{0x30, 0xFF, 0x30, ReplyKind::invalid},
           Case{0x02, 0x01, 0x02, ReplyKind::invalid},
           Case{0xFF, 0xFF, 0x00, ReplyKind::answer},
           Case{0xFF, 0x00, 0xFF, ReplyKind::refusal},
           Case{0xFF, 0x00, 0x42, ReplyKind::refusal},  // any refusal is the invalid frame's
           Case{0xFF, 0x01, 0xFF, ReplyKind::invalid},
       }) {
    UsbFrame response{};
    response[0] = c.byte0;
    response[1] = c.byte1;
    EXPECT_EQ(classify_reply(c.request, response), c.kind)
        << int(c.request) << " " << int(c.byte0) << " " << int(c.byte1);
  }
}

}  // namespace
