#pragma once

#include <QStringList>

class QTextStream;

// The program's command line, read before any window or display is needed,
// so that --help and --version work on a machine without a display.
namespace cmdline
{

// --docent was given: the teacher's class overview instead of the main window.
bool teacherWindowAsked();

// "Automatiseren 1.0.0".
QString versionLine();

// Reads the arguments (the first is the program itself):
//   --help, -h        the usage on `out`; end with 0
//   --version, -v     versionLine() on `out`; end with 0
//   --docent          the teacher's class overview instead of the main window
//   --settings FILE   use FILE as the installation file; a FILE that does
//                     not exist or cannot be read ends with 2 after one
//                     line on `err` naming it
//   --nakijken LES [PLAN.json|MAP...] [--csv FILE]
//                     checks the plans against the lesson LES and prints a
//                     line per plan (lesson::gradePlans); ends with its status
// An unknown option or a stray argument ends with 2 as well. Qt's own
// options (-platform, -style, ...) are left for the application object.
// Returns the exit status when the program should end now, else -1.
int readCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);
int readCommandLine(int argc, char* argv[]);

} // namespace cmdline
