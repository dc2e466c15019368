#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QRect>
#include <QString>

class QWidget;

Q_DECLARE_LOGGING_CATEGORY(lcDravik)

// Everything that reaches outside the process goes through these small
// services, so that tests can put recording doubles in their place and the
// program never blocks on something it does not control.
namespace platform
{

enum class MessageIcon { None, Information, Warning, Critical, Question };
// The buttons read "OK", "Annuleren", "Ja", "Nee", "Opslaan" and "Niet
// opslaan", whatever language the desktop speaks.
enum class MessageButtons { Ok, OkCancel, YesNo, SaveDiscardCancel };

struct MessageRequest {
    QString title; // empty: the program's own title
    QString text;  // lines separated by a carriage return (character 13)
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // The box stays in front of every window of the program until it is
    // answered, also when another of them comes forward meanwhile.
    bool inFront = false;
};

// Button codes a message box answers with. A box closed without a button
// (Escape, its close box, the program ending under it) answers ResultOk
// when OK is its only button and ResultCancel otherwise.
enum MessageResult {
    ResultOk = 1,
    ResultCancel = 2,
    ResultYes = 6,
    ResultNo = 7,
    ResultSave = 8,
    ResultDiscard = 9
};

class MessageService
{
  public:
    virtual ~MessageService() = default;
    virtual int show(QWidget* parent, const MessageRequest& request) = 0;
    // A box that waits for nothing and blocks no window (an about box).
    // While the box shown under the same `key` is open, that one takes the
    // new text and comes forward instead of a second one opening.
    virtual void showNonModal(const QString& key, const MessageRequest& request);
    // Closes the box shown under `key`, if it is open.
    virtual void closeNonModal(const QString& key);
};

class SoundService
{
  public:
    virtual ~SoundService() = default;
    // Starts playing a WAV file and returns at once; the outcome is not reported.
    virtual void play(const QString& path) = 0;
};

class UrlService
{
  public:
    virtual ~UrlService() = default;
    // Hands an address to the desktop's default handler; returns at once.
    virtual void open(const QString& url) = 0;
};

class FileService
{
  public:
    virtual ~FileService() = default;
    // The folder the program runs from.
    virtual QString programFolder() const = 0;
    // The folder holding the program's data (Afbeeldingen/, Geluiden/,
    // Stappenplannen/): the program folder when the data sits beside the
    // program (a build folder), else ../share/automatiseren from it (an
    // installed program), else the program folder.
    virtual QString dataFolder() const;
    // Finds an existing file whose path matches `path` without regard to
    // letter case, component by component; returns `path` unchanged when no
    // such file exists.
    virtual QString resolve(const QString& path) const;
};

class FileDialogService
{
  public:
    virtual ~FileDialogService() = default;
    // The Open and Save dialogs, in the program's own Dutch, starting in
    // `folder` (or at `suggested`) and showing the files `filter` names
    // ("Stappenplannen (*.json)"); empty when the pupil cancels.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter);
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& suggested,
                                 const QString& filter);
};

// Why a write did not happen.
enum class WriteFailure {
    None,
    NotOpened,  // the folder is missing or may not be written
    NotWritten, // writing or finishing the file failed (a full disk)
};

struct WriteResult {
    WriteFailure failure = WriteFailure::None;
    QString error; // the system's own words, for the log
    bool ok() const { return failure == WriteFailure::None; }
};

// The files the program writes for the pupil (plans, the plan kept for
// recovery).
class StorageService
{
  public:
    virtual ~StorageService() = default;
    // Writes the whole file or nothing: when writing fails an existing file
    // stays as it was.
    virtual WriteResult writeFile(const QString& path, const QByteArray& bytes);
    // Makes a folder and the folders above it; true when it exists after.
    virtual bool makeFolder(const QString& path);
    // True when the file is gone after (also when it never was there).
    virtual bool removeFile(const QString& path);
};

class ScreenService
{
  public:
    virtual ~ScreenService() = default;
    // The part of the screen showing `window` (the primary screen for
    // none) that windows may take: without task bars and panels.
    virtual QRect usableArea(const QWidget* window) const;
};

MessageService& messages();
SoundService& sounds();
UrlService& urls();
FileService& files();
ScreenService& screens();
FileDialogService& fileDialogs();
StorageService& storage();

// Replaces a service; nullptr restores the default. The caller keeps
// ownership and must restore before the object dies.
void setMessages(MessageService* service);
void setSounds(SoundService* service);
void setUrls(UrlService* service);
void setFiles(FileService* service);
void setScreens(ScreenService* service);
void setFileDialogs(FileDialogService* service);
void setStorage(StorageService* service);

// The data folder that belongs to a program folder (see dataFolder()).
QString dataFolderFor(const QString& programFolder);

// Paths below the data folder: the picture and sound folders.
QString picturePath(const QString& fileName);
QString soundPath(const QString& fileName);
// A path below the data folder, resolved without regard to letter case.
QString resolvedPicture(const QString& fileName);
QString resolvedSound(const QString& fileName);
// Plays a sound of the program's sound folder; returns at once.
void playSound(const QString& fileName);
// The folder of the example plans.
QString examplesFolder();

// Turns carriage-return separated message text into displayable lines.
QString displayText(const QString& messageText);

} // namespace platform
