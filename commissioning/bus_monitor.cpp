#include "commissioning/bus_monitor.h"

#include "commissioning/bus_frame.h"

BusPoll BusMonitor::poll(USB_protocol& protocol, BusClockTime now) {
  BusPoll result;
  std::uint8_t length = 0;
  std::uint8_t dropped = 0;
  result.outcome = protocol.Poll_RS485_frame(length, dropped);
  if (result.outcome != USB_protocol::Outcome::accepted) return result;

  result.dropped = dropped;
  dropped_total_ += dropped;
  if (length == 0) return result;
  const std::uint8_t* data = protocol.last_response().data() + 4;
  result.frame.assign(data, data + length);
  if (const auto state = decode_bus_frame(data, length)) {
    for (const BusChange& change : tracker_.update(*state, now)) result.new_entries.emplace_back(change);
  } else {
    result.new_entries.emplace_back(OtherBusFrame{now, length});
  }
  entries_.insert(entries_.end(), result.new_entries.begin(), result.new_entries.end());
  return result;
}

const char* bus_monitor_stop_text(USB_protocol::Outcome outcome) {
  switch (outcome) {
    case USB_protocol::Outcome::accepted: return kBusMonitorStopped;
    case USB_protocol::Outcome::refused:
      return "Monitor magistrali zatrzymany: moduł odrzucił polecenie RS485_please_frame!";
    case USB_protocol::Outcome::invalid:
      return "Monitor magistrali zatrzymany: moduł odpowiedział nieprawidłową ramką!";
    case USB_protocol::Outcome::failed:
      return "Monitor magistrali zatrzymany: moduł nie odpowiada albo został odłączony!";
  }
  return kBusMonitorStopped;
}
