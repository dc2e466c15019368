// Writes the example installation file, made from the table of keys, to the
// path given, so the installed example always lists the keys the program
// reads.
// Usage: ini_example OUTPUT
#include "settings/installation_settings.h"

#include <QSaveFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ini_example OUTPUT\n");
        return 2;
    }
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(settings::exampleFile().toUtf8()) < 0 ||
        !file.commit()) {
        std::fprintf(stderr, "ini_example: cannot write %s: %s\n", argv[1],
                     qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
