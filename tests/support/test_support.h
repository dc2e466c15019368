#pragma once

#include "interface_link/capabilities.h"
#include "interface_link/easyport_control.h"
#include "main_window/main.h"
#include "platform/services.h"

#include <QHash>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>
#include <functional>
#include <memory>

// Doubles and fixtures shared by the tests.
namespace testing
{

// An interface control that records every call and answers as told.
class RecordingEasyPort : public iface::EasyPortControl, public iface::HiddenFaults
{
    Q_OBJECT
    Q_INTERFACES(iface::HiddenFaults)
  public:
    qint16 SearchAndConnect() override;
    qint16 GetComPort(qint16 index) override;
    qint16 GetModuleNumber(qint16 index) override;
    void Disconnect() override;
    void WriteOutputs(qint16 word) override;
    void AboutBox() override;
    // Logs "switchOffAfterLoss" and answers `confirmsOffAfterLoss`.
    bool switchOffAfterLoss(int ms) override;

    bool readsRealSensors() const override { return realSensors; }
    void setHiddenFaults(const iface::InputFaults&) override {}
    // Raises InputsChanged the way a device does.
    void raiseInputs(qint32 word) { emit InputsChanged(0, 0, word); }

    qint16 searchResult = 1;
    qint16 comPort = 3;
    qint16 moduleNumber = 5;
    bool confirmsOffAfterLoss = false;
    bool realSensors = false;
    // Runs inside SearchAndConnect, to act while the search is under way.
    std::function<void()> duringSearch;

    QStringList calls; // "SearchAndConnect", "GetComPort(0)", "WriteOutputs(4)", ...
    QVector<qint16> written;
    int aboutBoxes = 0;
};

// Outputs another device drives, as a test tells: refused while `refusal`
// is set. A test hands it to the window as app::Program would.
class FakeDriven : public iface::DrivenElsewhere
{
    Q_OBJECT
  public:
    QString outputsRefusal() const override { return refusal; }
    QString drivenBy() const override { return {}; }
    void emergencyStop() override {}
    void releaseHold() override {}
    bool isHeld() const override { return false; }
    bool isWaitingForAllOff() const override { return false; }
    QString statusText() const override { return {}; }

    QString refusal;
};

class RecordingMessages : public platform::MessageService
{
  public:
    int show(QWidget* parent, const platform::MessageRequest& request) override;
    // Kept by key: the box a key shows now, or none once closed.
    void showNonModal(const QString& key, const platform::MessageRequest& request) override;
    void closeNonModal(const QString& key) override { open.remove(key); }
    QVector<platform::MessageRequest> shown;
    int answer = platform::ResultOk;
    std::function<void(const platform::MessageRequest&)> onShow;
    QHash<QString, platform::MessageRequest> open; // non-modal boxes
    int nonModalShown = 0;                         // times showNonModal was asked
};

// Dialogs that answer from a list.
class RecordingFileDialogs : public platform::FileDialogService
{
  public:
    QString openFileName(QWidget*, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(QWidget*, const QString& title, const QString& suggested,
                         const QString& filter) override;
    QStringList asked;  // "open <folder>", "save <suggested>"
    QStringList titles; // with the filter: "Stappenplan openen | Stappenplannen (*.json)"
    QString answer;     // path returned by the next dialog ("" = cancel)
};

// Writes reach the disk (the tests' own temporary folders) unless told to
// fail; every one is recorded.
class RecordingStorage : public platform::StorageService
{
  public:
    platform::WriteResult writeFile(const QString& path, const QByteArray& bytes) override;
    bool makeFolder(const QString& path) override;
    bool removeFile(const QString& path) override;
    QStringList written, folders, removed;
    // Anything but None: every write fails that way and the disk is left alone.
    platform::WriteFailure failWrites = platform::WriteFailure::None;
    bool failRemoves = false;
};

class RecordingSounds : public platform::SoundService
{
  public:
    void play(const QString& path) override { played.append(path); }
    // File names only, without folders.
    QStringList names() const;
    QStringList played;
};

class RecordingUrls : public platform::UrlService
{
  public:
    void open(const QString& url) override { opened.append(url); }
    QStringList opened;
};

// A program folder of the test's own, optionally with the generated
// pictures and sounds beside it.
class TempProgramFolder : public platform::FileService
{
  public:
    explicit TempProgramFolder(bool withAssets = true);
    QString programFolder() const override { return m_dir.path(); }
    // The folder holding the build's generated Afbeeldingen/ and Geluiden/:
    // DRAVIK_BIN_DIR when set, else the test program's own folder (every
    // program of the build lands beside the generated files).
    static QString buildAssetFolder();
    // Why the generated files cannot be found; empty when they can.
    static QString buildAssetProblem();

  private:
    QTemporaryDir m_dir;
};

// Puts recording doubles in place of every outside service for the life of
// the object.
class ServiceScope
{
  public:
    explicit ServiceScope(bool withAssets = true);
    ~ServiceScope();
    RecordingMessages messages;
    RecordingSounds sounds;
    RecordingUrls urls;
    TempProgramFolder files;
    RecordingFileDialogs dialogs;
    RecordingStorage storage;
};

// Clicks a control as the pupil does: an enabled button is pressed, a
// disabled one is not; anything else gets a mouse click.
void clickControl(QWidget* w, const QString& name);

// A main window on a recording interface, with recording services.
class MainFixture
{
  public:
    explicit MainFixture(bool withAssets = true);
    ~MainFixture();
    ServiceScope services;
    RecordingEasyPort port;
    std::unique_ptr<Main> main;
    int quits = 0;

    template <typename T = QObject> T* control(const QString& name) const
    {
        return main->findChild<T*>(name);
    }
    QVariant prop(const QString& name, const char* property) const;
    // Clicks a button or image the way the mouse does.
    void click(const QString& name) const;
    // Moves the mouse onto a control.
    void hover(const QString& name) const;
};

} // namespace testing
