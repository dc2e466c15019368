#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

#include <optional>

class QSettings;

// Every key of the installation file "Automatiseren.ini", once: its group,
// name, kind of value, range or choices, default and meaning. The readers of
// the groups ([interface], [simulated], [modbus], [plc], [video]) take their typed
// values from here, the unknown-key warning uses the same list, and
// docs/settings.md shows it (a test keeps the two equal).
//
// To add a setting: add a row to the table in installation_settings.cpp,
// read it in the group's reader, and paste the new table into
// docs/settings.md (the test prints it when they differ).
namespace settings
{

enum class Type {
    Word,         // one of `choices`, any letter case
    Integer,      // whole number from `min` to `max`
    IntegerOneOf, // one of the numbers in `choices`
    ModuleHost,   // an IP address or a host name (no spaces, no port)
    WebHost,      // a host name, optionally with ":port"
    SerialDevice, // a device name without control characters
    VideoId,      // letters, digits, "_" and "-", at most 64
    Ipv4Address,  // a dotted IPv4 address
    AddressList,  // empty, or a comma list of IPv4 addresses and a.b.c.d/prefix ranges
    FilePath,     // an absolute file path without control characters
    Account,      // letters, digits, "_" and "-", at most 64 (a broker account, a topic level)
    AccountList,  // a comma list of accounts
    Text,         // printable text, at most 64 characters
    Secret,       // printable text, at most 256 characters, never shown or logged
};

struct Setting {
    QString group;
    QString name;
    Type type = Type::Integer;
    int min = 0;
    int max = 0;
    QStringList choices;
    QString fallback;  // the default as the docs show it
    QString meaning;   // one line
    QString uitleg;    // the meaning in Dutch, for the example file
    QString standaard; // the default as the example file shows it
    QString key() const { return group + QLatin1Char('/') + name; }
};

const QList<Setting>& table();
// The row of `group/name`, nullptr when there is none.
const Setting* find(const QString& group, const QString& name);
// Every "group/name" of the table.
QStringList knownKeys();

// One key as found in a file.
struct Value {
    bool present = false; // the key is in the file
    bool blank = false;   // present with an empty value
    bool usable = false;  // present and of the right kind
    QVariant value;       // int for numbers, lower-case QString for words, else QString
    QString shown;        // the value as the file has it, shortened, for messages
    QString expected;     // in Dutch, what a usable value looks like
};

// Reads `group/name` of `file` (which must not be inside a group) and checks
// it against its row of the table.
Value read(QSettings& file, const QString& group, const QString& name);

// Takes the usable values of one group; a present value that cannot be
// used is refused: each is logged with `consequence` (English, for the
// log), and the first becomes `problem`, a Dutch sentence naming the file,
// the key and the value, for the pupil or the teacher.
class GroupReader
{
  public:
    GroupReader(QSettings& file, QString group, QString consequence, QString& problem);
    // The value when present and usable; nothing when absent or refused.
    std::optional<QVariant> take(const char* name);
    void refuse(const QString& key, const QString& shown, const QString& expected);

  private:
    QSettings& m_file;
    QString m_group;
    QString m_consequence;
    QString& m_problem;
};

// Logs one warning for a file without any setting and one naming the keys
// that are not in the table (a typing error such as "typ=modbus" would
// otherwise go unnoticed).
void warnAboutContent(QSettings& file);

// The table as Markdown, for docs/settings.md.
QString markdownTable();
// The example installation file the package installs: every key of the
// table, commented out, with its meaning, its values and its default.
QString exampleFile();

// The rules of the text kinds, shared with whoever builds addresses from them.
bool isModuleHost(const QString& host);
bool isWebHost(const QString& host);
bool isVideoId(const QString& id);
bool isPrintable(const QString& text, int maxLength);
bool isIpv4Address(const QString& text);
// Each entry of a comma list "a.b.c.d, a.b.c.d/prefix"; nullopt when one
// entry is neither. An empty text is an empty list.
std::optional<QList<QPair<QHostAddress, int>>> addressList(const QString& text);

// Where the installation file is (see platform::installationFile for the
// order of the places looked at).
QString installationFilePath();
// The installation file, opened (and its content checked, see
// warnAboutContent) once for each path it is found at; nullptr when there is
// no file. Everything that reads a setting reads it from here.
QSettings* installationFile();

} // namespace settings
