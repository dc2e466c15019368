#include "platform/services.h"

#include "platform/dialog_gate.h"
#include "platform/sound_player.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHash>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QWidget>
#include <memory>

Q_LOGGING_CATEGORY(lcDravik, "dravik")

namespace platform
{

QString FileService::resolve(const QString& path) const
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QStringList parts = clean.split(QLatin1Char('/'));
    // Start at the root (or the working directory) and match each component.
    QString current =
        clean.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QStringLiteral(".");
    for (const QString& part : parts) {
        if (part.isEmpty())
            continue;
        const QString exact = QDir(current).filePath(part);
        if (QFileInfo::exists(exact)) {
            current = exact;
            continue;
        }
        const QStringList entries =
            QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QString found;
        for (const QString& entry : entries) {
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                found = entry;
                break;
            }
        }
        if (found.isEmpty())
            return path;
        current = QDir(current).filePath(found);
    }
    return current;
}

QString FileService::dataFolder() const
{
    return dataFolderFor(programFolder());
}

QString dataFolderFor(const QString& programFolder)
{
    const QDir beside(programFolder);
    const FileService& f = files();
    for (const char* sub : {"Afbeeldingen", "Geluiden", "Stappenplannen"})
        if (QFileInfo(f.resolve(beside.filePath(QLatin1String(sub)))).isDir())
            return programFolder;
    const QString shared =
        QDir::cleanPath(beside.filePath(QStringLiteral("../share/automatiseren")));
    return QFileInfo(shared).isDir() ? shared : programFolder;
}

QRect ScreenService::usableArea(const QWidget* window) const
{
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

namespace
{

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString boxTitle(const MessageRequest& r)
{
    return r.title.isEmpty() ? QGuiApplication::applicationDisplayName() : r.title;
}

// The boxes that wait for nothing, by key; a closed one is gone.
QHash<QString, QPointer<QMessageBox>>& nonModalBoxes()
{
    static QHash<QString, QPointer<QMessageBox>> boxes;
    return boxes;
}

// Qt's own dialog speaks the program's Dutch; a desktop's dialog speaks the
// desktop's language.
const QFileDialog::Options DialogOptions = QFileDialog::DontUseNativeDialog;

} // namespace

void MessageService::showNonModal(const QString& key, const MessageRequest& r)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCWarning(lcDravik) << "a box needs a widget application:" << key;
        return;
    }
    QPointer<QMessageBox>& box = nonModalBoxes()[key];
    if (box) {
        box->setText(displayText(r.text));
        box->raise();
        box->activateWindow();
        return;
    }
    box = new QMessageBox(qtIcon(r.icon), boxTitle(r), displayText(r.text));
    box->addButton(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setModal(false);
    box->show();
}

void MessageService::closeNonModal(const QString& key)
{
    delete nonModalBoxes().take(key).data();
}

namespace
{

// Room for the longest file name among the files the dialog starts with
// (the example plans' names are long), within the screen.
void sizeForNames(QFileDialog& dialog, const QString& folder, const QStringList& patterns)
{
    const QFileInfo start(folder);
    const QDir dir(start.isDir() ? folder : start.absolutePath());
    int longest = 0;
    const QFontMetrics metrics(dialog.font());
    for (const QString& name : dir.entryList(patterns, QDir::Files))
        longest = qMax(longest, metrics.horizontalAdvance(name));
    // The side bar, the list's other columns and the frames.
    const int width = longest + 520;
    const QRect area = screens().usableArea(dialog.parentWidget());
    const QSize wanted(qMax(dialog.sizeHint().width(), width), 460);
    dialog.resize(wanted.boundedTo(area.size() * 9 / 10));
    // The list's name column takes the room, so the names are not cut short.
    if (auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView")); list && longest > 0)
        list->header()->resizeSection(0, longest + metrics.horizontalAdvance(QLatin1Char('M')) * 3);
}

QStringList patternsOf(const QString& filter)
{
    const int open = filter.indexOf(QLatin1Char('('));
    const int close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open)
        return {};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

QString FileDialogService::openFileName(QWidget* parent, const QString& title,
                                        const QString& folder, const QString& filter)
{
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setOptions(DialogOptions);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    sizeForNames(dialog, folder, patternsOf(filter));
    if (runDialog(dialog) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

QString FileDialogService::saveFileName(QWidget* parent, const QString& title,
                                        const QString& suggested, const QString& filter)
{
    QString start = suggested;
    for (;;) {
        QFileDialog dialog(parent, title, start, filter);
        // Qt's own question about an existing file would be a modal box of
        // its own; the program asks through its boxes instead.
        dialog.setOptions(DialogOptions | QFileDialog::DontConfirmOverwrite);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        sizeForNames(dialog, suggested, patternsOf(filter));
        if (runDialog(dialog) != QDialog::Accepted)
            return {};
        const QString chosen = dialog.selectedFiles().value(0);
        if (chosen.isEmpty() || !QFileInfo::exists(chosen))
            return chosen;
        const int answer =
            messages().show(parent, {title,
                                     QStringLiteral("%1 bestaat al.\rWil je het bestand vervangen?")
                                         .arg(QFileInfo(chosen).fileName()),
                                     MessageButtons::YesNo, MessageIcon::Warning});
        if (answer == ResultYes)
            return chosen;
        start = chosen;
    }
}

WriteResult StorageService::writeFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {WriteFailure::NotOpened, file.errorString()};
    if (file.write(bytes) != bytes.size() || !file.commit())
        return {WriteFailure::NotWritten, file.errorString()};
    return {};
}

bool StorageService::makeFolder(const QString& path)
{
    return QDir().mkpath(path);
}

bool StorageService::removeFile(const QString& path)
{
    return !QFileInfo::exists(path) || QFile::remove(path);
}

namespace
{

// Brings a box forward again whenever another window of the program is
// shown, raised or activated while the box is open: a box behind the step
// plan or the full-screen picture is a box the pupil never sees.
class KeepInFront : public QObject
{
  public:
    explicit KeepInFront(QWidget* box) : m_box(box)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~KeepInFront() override { QCoreApplication::instance()->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::ZOrderChange:
        case QEvent::WindowActivate:
            break;
        default:
            return false;
        }
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || w == m_box || m_pending)
            return false;
        // After the other window's own request has reached the window system.
        m_pending = true;
        QTimer::singleShot(0, m_box, [this] {
            m_pending = false;
            if (m_box && m_box->isVisible()) {
                m_box->raise();
                m_box->activateWindow();
            }
        });
        return false;
    }

  private:
    QPointer<QWidget> m_box;
    bool m_pending = false;
};

class QtMessages : public MessageService
{
  public:
    int show(QWidget* parent, const MessageRequest& r) override
    {
        QMessageBox box(parent);
        box.setWindowTitle(boxTitle(r));
        box.setText(displayText(r.text));
        box.setIcon(qtIcon(r.icon));
        // The texts are set here: no translation of Qt's own is loaded.
        const auto add = [&box](QMessageBox::StandardButton b, const QString& text) {
            box.addButton(b)->setText(text);
        };
        switch (r.buttons) {
        case MessageButtons::Ok:
            add(QMessageBox::Ok, QStringLiteral("OK"));
            break;
        case MessageButtons::OkCancel:
            add(QMessageBox::Ok, QStringLiteral("OK"));
            add(QMessageBox::Cancel, QStringLiteral("Annuleren"));
            break;
        case MessageButtons::YesNo:
            add(QMessageBox::Yes, QStringLiteral("Ja"));
            add(QMessageBox::No, QStringLiteral("Nee"));
            break;
        case MessageButtons::SaveDiscardCancel:
            add(QMessageBox::Save, QStringLiteral("Opslaan"));
            add(QMessageBox::Discard, QStringLiteral("Niet opslaan"));
            add(QMessageBox::Cancel, QStringLiteral("Annuleren"));
            box.setDefaultButton(QMessageBox::Save);
            break;
        }
        std::unique_ptr<KeepInFront> inFront;
        if (r.inFront) {
            // Above windows that ask to stay on top, where the window system
            // knows that wish; everywhere else the guard raises it again.
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
            inFront = std::make_unique<KeepInFront>(&box);
            QTimer::singleShot(0, &box, [&box] {
                box.raise();
                box.activateWindow();
            });
        }
        runDialog(box);
        switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return ResultOk;
        case QMessageBox::Yes:
            return ResultYes;
        case QMessageBox::No:
            return ResultNo;
        case QMessageBox::Save:
            return ResultSave;
        case QMessageBox::Discard:
            return ResultDiscard;
        default:
            return r.buttons == MessageButtons::Ok ? ResultOk : ResultCancel;
        }
    }
};

class DesktopUrls : public UrlService
{
  public:
    void open(const QString& url) override
    {
        if (!QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode)))
            qCWarning(lcDravik) << "could not hand the address to the desktop:" << url;
    }
};

class ProgramFiles : public FileService
{
  public:
    QString programFolder() const override { return QCoreApplication::applicationDirPath(); }
    // Looked up once: the program does not move while it runs, and every
    // picture and sound asks for it.
    QString dataFolder() const override
    {
        if (m_dataFolder.isEmpty())
            m_dataFolder = dataFolderFor(programFolder());
        return m_dataFolder;
    }

  private:
    mutable QString m_dataFolder;
};

MessageService* g_messages = nullptr;
SoundService* g_sounds = nullptr;
UrlService* g_urls = nullptr;
FileService* g_files = nullptr;
ScreenService* g_screens = nullptr;
FileDialogService* g_fileDialogs = nullptr;
StorageService* g_storage = nullptr;

template <typename T> T& defaultService()
{
    static T instance;
    return instance;
}

} // namespace

MessageService& messages()
{
    return g_messages ? *g_messages : defaultService<QtMessages>();
}
SoundService& sounds()
{
    if (g_sounds)
        return *g_sounds;
    // Lives with the application, so its players end before Qt Multimedia does.
    static QPointer<SoundPlayer> player;
    if (!player)
        player = new SoundPlayer(qApp);
    return *player;
}
UrlService& urls()
{
    return g_urls ? *g_urls : defaultService<DesktopUrls>();
}
FileService& files()
{
    return g_files ? *g_files : defaultService<ProgramFiles>();
}

ScreenService& screens()
{
    return g_screens ? *g_screens : defaultService<ScreenService>();
}

FileDialogService& fileDialogs()
{
    return g_fileDialogs ? *g_fileDialogs : defaultService<FileDialogService>();
}

StorageService& storage()
{
    return g_storage ? *g_storage : defaultService<StorageService>();
}

void setMessages(MessageService* s)
{
    g_messages = s;
}
void setSounds(SoundService* s)
{
    g_sounds = s;
}
void setUrls(UrlService* s)
{
    g_urls = s;
}
void setFiles(FileService* s)
{
    g_files = s;
}
void setScreens(ScreenService* s)
{
    g_screens = s;
}
void setFileDialogs(FileDialogService* s)
{
    g_fileDialogs = s;
}
void setStorage(StorageService* s)
{
    g_storage = s;
}

QString picturePath(const QString& fileName)
{
    return files().dataFolder() + QStringLiteral("/Afbeeldingen/") + fileName;
}

QString soundPath(const QString& fileName)
{
    return files().dataFolder() + QStringLiteral("/Geluiden/") + fileName;
}

QString examplesFolder()
{
    return files().resolve(files().dataFolder() + QStringLiteral("/Stappenplannen"));
}

QString resolvedPicture(const QString& fileName)
{
    return files().resolve(picturePath(fileName));
}
QString resolvedSound(const QString& fileName)
{
    return files().resolve(soundPath(fileName));
}

void playSound(const QString& fileName)
{
    sounds().play(resolvedSound(fileName));
}

QString displayText(const QString& messageText)
{
    QString text = messageText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace platform
