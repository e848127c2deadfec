#include "config/test_payload.h"

#include "config/config_matrix.h"
#include "protocol/usb_protocol.h"

namespace {
constexpr int kAlarmStates = 3;
constexpr int kFaults = 28;
}  // namespace

TestPayload build_test_payload(int row, int kvr_number) {
  TestPayload payload{};
  payload[0] = 0xFF;
  payload[1] = 0x40;
  payload[2] = static_cast<std::uint8_t>(kvr_number & 0xFF);
  if (!is_address_row(row)) return payload;

  const int address = (row - ConfigMatrix::kFirstAddressRow) / 3;
  switch ((row - ConfigMatrix::kFirstAddressRow) % 3) {
    case 0:  // Alarm I
      payload[kAlarmStates + address / 4] = static_cast<std::uint8_t>(1 << (2 * (address % 4)));
      break;
    case 1:  // Alarm II
      payload[kAlarmStates + address / 4] = static_cast<std::uint8_t>(3 << (2 * (address % 4)));
      break;
    default:  // Awaria
      payload[kFaults + address / 8] = static_cast<std::uint8_t>(1 << (address % 8));
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
