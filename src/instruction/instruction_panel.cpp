#include "main_window/main.h"

// Instruction text, page navigation, help and video: not built yet.
void Main::PlaatsTekst() {}
void Main::VerschuifTekst(int) {}
void Main::CMD_Verder_Click() {}
void Main::CMD_Terug_Click() {}
void Main::CMD_Help_Click() {}
void Main::TimerNVT_Timer() {}
void Main::CMD_Filmpje_Click() {}
void Main::openwebsite(const QString&) {}
void Main::flashNotPossible() {}
