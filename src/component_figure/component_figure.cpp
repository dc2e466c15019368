#include "main_window/main.h"

// Component figure, picture alternation and picture clicks: not built yet.
void Main::FiguurActuatorSensor(int) {}
void Main::CMD_SetReset_MouseMove(int) {}
void Main::Label_Ingang_MouseMove(int) {}
void Main::Timer_Wissel_Afbeelding_Timer() {}
void Main::Image_Module_Holder_Click() {}
void Main::Image1_Click() {}
