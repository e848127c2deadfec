// SPDX-License-Identifier: MIT
#pragma once
// The RS485 bus frame the output test hands to the module: the event of one
// matrix row active, as if a control unit had reported it (the layout is in
// config/bus_frame_layout.h; the unit number is taken mod 256).

#include <array>
#include <cstdint>
#include <string>

#include "config/bus_frame_layout.h"
#include "config/config_matrix.h"

inline constexpr int kTestPayloadSize = static_cast<int>(bus_frame_layout::kSize);

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

// Can a bus frame call this row up? Row 0 (the frame without events) and the
// address rows; rows 1-4 are the module's own states and the unused row.
constexpr bool is_bus_callable_row(int row) { return row == kFrameWithoutEventsRow || is_address_row(row); }

// Hands the module the bus frame of this row's event; true when it took it.
// Row 0 is the frame without events, which clears the board.
bool hand_over_event(USB_protocol& protocol, int row, int kvr_number);
