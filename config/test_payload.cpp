// SPDX-License-Identifier: MIT
#include "config/test_payload.h"

#include "config/bus_frame_layout.h"
#include "config/config_matrix.h"
#include "protocol/usb_protocol.h"

TestPayload build_test_payload(int row, int kvr_number) {
  namespace layout = bus_frame_layout;
  TestPayload payload{};
  payload[0] = layout::kFirst;
  payload[1] = layout::kSecond;
  payload[layout::kUnit] = static_cast<std::uint8_t>(kvr_number & 0xFF);
  if (!is_address_row(row)) return payload;

  const int address = address_of_row(row);
  switch (event_of_row(row)) {
    case AddressEvent::alarm_1:
      payload[layout::alarm_byte(address)] = static_cast<std::uint8_t>(layout::kAlarmI << layout::alarm_shift(address));
      break;
    case AddressEvent::alarm_2:
      payload[layout::alarm_byte(address)] = static_cast<std::uint8_t>(layout::kAlarmII << layout::alarm_shift(address));
      break;
    case AddressEvent::fault:
      payload[layout::fault_byte(address)] = static_cast<std::uint8_t>(1 << layout::fault_bit(address));
      break;
  }
  return payload;
}

bool hand_over_event(USB_protocol& protocol, int row, int kvr_number) {
  const TestPayload payload = build_test_payload(row, kvr_number);
  return protocol.RS485_gift_frame(payload.data(), kTestPayloadSize);
}

std::string tested_event_text(int row) {
  const std::string label = row_label(row);
  return is_address_row(row) ? label : label + " – ramka bez zdarzeń";
}

std::string test_sent_text(int row) { return "Wysłano test: " + tested_event_text(row); }
