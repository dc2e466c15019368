#pragma once

#include <QStringList>

// The files the program can ask for, taken from its own tables.
namespace testing
{

// Every picture file name the program can load, each once: station and
// interface pictures, the component and valve pictures (following every
// alternation until it comes back), the numbered station pictures and the
// picture of the handling station's third instruction page.
QStringList programPictures();

// Every sound file name the program plays.
QStringList programSounds();

} // namespace testing
