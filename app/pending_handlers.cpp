// Handlers whose features are built elsewhere. Each feature moves its
// handlers out of this file into its own when it fills them in.

#include "app/main.h"

// Service page: connection and device commands.
void TForm_main::Button6Click() {}
void TForm_main::ConnectButtonClick() {}
void TForm_main::DisconnectButtonClick() {}
void TForm_main::HelloButtonClick() {}
void TForm_main::PingPongButtonClick() {}
void TForm_main::DebugButtonClick() {}
void TForm_main::InorretButtonClick() {}
void TForm_main::RS485FramePleaseButtonClick() {}
void TForm_main::Button5Click() {}
void TForm_main::Button2Click() {}
void TForm_main::Button1Click() {}
void TForm_main::Button3Click() {}
void TForm_main::Button4Click() {}

// Configuration file.
void TForm_main::SaveConfigButtonClick() {}
void TForm_main::LoadConfigButtonClick() {}

// Configuration upload.
void TForm_main::WriteConfigButtonClick() {}

// Output test.
void TForm_main::TestButtonClick() {}
void TForm_main::Testuj1Click() {}
