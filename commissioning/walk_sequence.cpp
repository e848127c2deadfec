// SPDX-License-Identifier: MIT
#include "commissioning/walk_sequence.h"

#include "commissioning/walk_record.h"
#include "config/test_payload.h"
#include "protocol/failed_command.h"
#include "protocol/usb_protocol.h"

WalkSequence::WalkSequence(USB_protocol& protocol, WalkPlan& plan, int unit)
    : protocol_(protocol), plan_(plan), unit_(unit) {}

std::string WalkSequence::show() {
  const int row = plan_.current_row();
  return is_by_hand_row(row) ? std::string() : hand_over(row);
}

std::string WalkSequence::finish() { return hand_over(kFrameWithoutEventsRow); }

std::string WalkSequence::hand_over(int row) {
  if (hand_over_event(protocol_, row, unit_)) return {};
  return failed_command_text(protocol_.last_request(), protocol_.last_failure());
}
