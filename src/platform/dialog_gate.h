#pragma once

class QDialog;
class QObject;

namespace platform
{

// The program's boxes and dialogs wait for an answer, as modal ones do, but
// never stand between the pupil and the emergency stop. A dialog run here
// takes the pupil's input for the whole program, except for what is kept in
// reach: the Noodstop button still takes its click, and the Noodstop's
// shortcut (Esc) still acts. Nothing else of the program takes a click, a
// key or a shortcut until the dialog is answered; timers, the network and
// the devices go on meanwhile.

// Runs `dialog` until it is answered and returns its result, as
// QDialog::exec() does. A dialog opened while another is open is answered
// first; a dialog deleted while it runs (the program ending) answers
// QDialog::Rejected.
int runDialog(QDialog& dialog);

// A widget, or a shortcut, that no dialog of the program blocks; a widget
// keeps its children in reach too. Forgotten when the object is destroyed.
void keepInReach(QObject* object);

// The dialog the pupil must answer now (the newest one open); null when none.
QDialog* openDialog();

} // namespace platform
