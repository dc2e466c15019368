#pragma once

#include <QString>

// A record of everything a run left behind, for comparing two builds of the
// program: the calls the interface received, the sounds, boxes and web
// addresses, and every property of every control of the main window and of
// the picture windows, as JSON.
namespace testing
{

class MainFixture;

// The controls of the main window and the picture windows, one JSON object
// per control with the properties the tools also dump.
QByteArray controlDump(const MainFixture& fx);

// Writes calls.txt, sounds.txt, messages.txt, urls.txt and controls.json
// into `folder` (made when missing). False when a file cannot be written.
bool writeRunRecord(const MainFixture& fx, const QString& folder);

} // namespace testing
