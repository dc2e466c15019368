#include "main_window/main.h"

// Station selection: not built yet.
void Main::selectStation(Station) {}
void Main::CMD_Interfacing_Click() {}
