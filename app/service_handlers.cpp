// SPDX-License-Identifier: MIT
// The service page: connecting and disconnecting, the connection lamp, one
// button per module command, and saving the console to a file.

#include <QPushButton>
#include <QSpinBox>
#include <array>
#include <cstdint>
#include <numeric>
#include <string>

#include "app/file_dialogs.h"
#include "app/main.h"
#include "protocol/connection_state.h"
#include "protocol/console_log.h"
#include "text/utf8_path.h"
#include "ui_main_window.h"

namespace {

const QColor kLampConnected(0, 128, 0);
const QColor kLampDisconnected(255, 0, 0);

std::uint8_t spin_byte(const QSpinBox* spin) { return static_cast<std::uint8_t>(spin->value()); }

// The module reports both numbers as bytes; the line shows them signed.
std::string rs485_query_line(std::uint8_t length, std::uint8_t dropped) {
  return "\t\t\t\t(Dlugosc ramki: " + std::to_string(static_cast<std::int8_t>(length)) + ", opuszczono " +
         std::to_string(static_cast<std::int8_t>(dropped)) + " ramek)";
}

}  // namespace

void TForm_main::showConnectionState() {
  const bool connected = connection_state().Connected;
  ui_->ConnectionLed->setBrushColor(connected ? kLampConnected : kLampDisconnected);
  ui_->ConnectButton->setEnabled(!connected);
  ui_->DisconnectButton->setEnabled(connected);
}

// A failed connect leaves the tool not connected, whatever it was before.
void TForm_main::ConnectButtonClick() {
  connect_module(connection_state());
  showConnectionState();
}

void TForm_main::DisconnectButtonClick() {
  disconnect_module(connection_state());
  showConnectionState();
}

USB_protocol* TForm_main::connectedProtocol() {
  if (USB_protocol* protocol = connected_protocol(connection_state())) return protocol;
  console_log().append_not_connected_notice();
  return nullptr;
}

void TForm_main::HelloButtonClick() {
  if (USB_protocol* protocol = connectedProtocol()) protocol->Hello_frame();
}

void TForm_main::PingPongButtonClick() {
  if (USB_protocol* protocol = connectedProtocol()) protocol->Ping_pong_frame();
}

void TForm_main::InorretButtonClick() {
  if (USB_protocol* protocol = connectedProtocol()) protocol->Incorrect_frame();
}

void TForm_main::DebugButtonClick() {
  USB_protocol* protocol = connectedProtocol();
  if (!protocol) return;
  std::array<std::uint8_t, 60> payload{};
  std::iota(payload.begin(), payload.end(), std::uint8_t{0});
  protocol->Debug_frame(payload.data());
}

void TForm_main::RS485FramePleaseButtonClick() {
  USB_protocol* protocol = connectedProtocol();
  if (!protocol) return;
  std::uint8_t length = 0, dropped = 0;
  protocol->RS485_please_frame(length, dropped);  // leaves both 0 when it fails
  console_log().append_text(rs485_query_line(length, dropped));
}

// A sample bus frame: FF 40, then 00 and 01 in turn.
void TForm_main::Button5Click() {
  USB_protocol* protocol = connectedProtocol();
  if (!protocol) return;
  std::array<std::uint8_t, 46> frame{};
  frame[0] = 0xFF;
  frame[1] = 0x40;
  for (std::size_t i = 2; i < frame.size(); ++i) frame[i] = i % 2;
  protocol->RS485_gift_frame(frame.data(), static_cast<std::uint8_t>(frame.size()));
}

void TForm_main::Button2Click() {
  if (USB_protocol* protocol = connectedProtocol()) protocol->Erase_flash_page(spin_byte(ui_->ErasePageCSpinEdit));
}

void TForm_main::Button1Click() {
  USB_protocol* protocol = connectedProtocol();
  if (!protocol) return;
  protocol->Read_flash_block(spin_byte(ui_->ReadPageCSpinEdit), spin_byte(ui_->ReadBlockCSpinEdit),
                             spin_byte(ui_->ReadHalfCSpinEdit));
}

// "Buffor" then "Write" on the same page and block store the test block
// whose byte k is 2k.
void TForm_main::Button3Click() {
  USB_protocol* protocol = connectedProtocol();
  if (!protocol) return;
  std::array<std::uint8_t, 32> half{};
  for (std::size_t i = 0; i < half.size(); ++i) half[i] = static_cast<std::uint8_t>(2 * i);
  protocol->Buffor_flash_block(half.data(), spin_byte(ui_->WritePageCSpinEdit), spin_byte(ui_->WriteBlockCSpinEdit));
}

void TForm_main::Button4Click() {
  USB_protocol* protocol = connectedProtocol();
  if (!protocol) return;
  std::array<std::uint8_t, 32> half{};
  for (std::size_t i = 0; i < half.size(); ++i) half[i] = static_cast<std::uint8_t>(2 * i + 64);
  protocol->Write_flash_block(half.data(), spin_byte(ui_->WritePageCSpinEdit), spin_byte(ui_->WriteBlockCSpinEdit));
}

void TForm_main::Button6Click() {
  const QString name = askFileName(SaveConsole, FileDialogMode::save);
  if (name.isEmpty()) return;
  const std::string reason = console_log().save(utf8_path(name.toStdString()));
  if (reason.empty()) return;
  showWarning(file_failure_text("Nie udało się zapisać konsoli do pliku", name, reason));
}
