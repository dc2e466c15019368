#pragma once

#include <QString>

namespace platform
{

// Qt's own texts (the buttons of message boxes, the file dialogs) in Dutch,
// whatever language the system speaks: installs qtbase_nl.qm from `folder`,
// by default Qt's translation folder. Without the file Qt's English texts
// stay and one warning says which file is missing; returns whether the
// translation was installed.
bool installDutchQtTexts(const QString& folder = QString());

} // namespace platform
