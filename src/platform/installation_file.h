#pragma once

#include <QString>

// Where the installation file (Automatiseren.ini) is looked for. The file
// beside the program comes first, so a copy of the program in a folder of
// its own keeps its own settings; a packaged program in /usr/bin shares the
// one in /etc/automatiseren.
namespace platform
{

// The file named on the command line (--settings); it wins over every other
// place. An empty path restores the lookup.
void setInstallationFileOverride(const QString& path);
QString installationFileOverride();

// The installation file in force: the file named on the command line; else
// Automatiseren.ini beside the program; else
// ../../etc/automatiseren/Automatiseren.ini from the program's folder (/etc
// for a program in /usr/bin); else the path beside the program, which does
// not exist, so that every default applies. Names are matched without
// regard to letter case.
QString installationFile();

} // namespace platform
