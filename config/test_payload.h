#pragma once
// The RS485 bus frame the output test hands to the module: the event of one
// matrix row active, as if a control unit had reported it.
//
//   byte 0, 1: 0xFF, 0x40;  byte 2: control unit number (mod 256)
//   bytes 3-27: 2 bits per address n in byte 3 + n/4, bits 2(n%4) and up:
//               1 Alarm I, 3 Alarm II
//   bytes 28-40: 1 fault bit per address n, bit n%8 of byte 28 + n/8
//   bytes 41-45: zero

#include <array>
#include <cstdint>
#include <string>

inline constexpr int kTestPayloadSize = 46;

// The status after the module took the frame, and after it did not.
inline constexpr const char* kTestStatusRunning = "Testowanie...";
inline constexpr const char* kTestStatusFailed = "Błąd testowania!";
using TestPayload = std::array<std::uint8_t, kTestPayloadSize>;

// The event a test handed over, UTF-8: the row's label, and for a row that
// sets no state that the frame carried none ("Brak zdarzeń – ramka bez zdarzeń").
std::string tested_event_text(int row);
// "Wysłano test: adr 7. Alarm II": the status once a test has ended.
std::string test_sent_text(int row);

// Rows 0 to 4 (and any row outside the matrix) set no state.
TestPayload build_test_payload(int row, int kvr_number);

class USB_protocol;

// The row whose frame carries no event ("Brak zdarzeń").
inline constexpr int kFrameWithoutEventsRow = 0;

// Hands the module the bus frame of this row's event; true when it took it.
// Row 0 is the frame without events, which clears the board.
bool hand_over_event(USB_protocol& protocol, int row, int kvr_number);
