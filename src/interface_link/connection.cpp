#include "main_window/main.h"

// Connection, interface view and input events: not built yet.
void Main::CMD_Verbinding_Click() {}
void Main::Command1_Click() {}
void Main::FrameEasyPort_MouseUp(Qt::MouseButton) {}
void Main::applyModelTable(int) {}
void Main::SetEasyPort() {}
void Main::EasyPort1_InputsChanged(int, int, qint32) {}
