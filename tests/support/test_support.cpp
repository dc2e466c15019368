#include "support/test_support.h"

#include "app/program.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTest>

namespace testing
{

qint16 RecordingEasyPort::SearchAndConnect()
{
    calls.append(QStringLiteral("SearchAndConnect"));
    if (duringSearch)
        duringSearch();
    return searchResult;
}

qint16 RecordingEasyPort::GetComPort(qint16 index)
{
    calls.append(QStringLiteral("GetComPort(%1)").arg(index));
    return comPort;
}

qint16 RecordingEasyPort::GetModuleNumber(qint16 index)
{
    calls.append(QStringLiteral("GetModuleNumber(%1)").arg(index));
    return moduleNumber;
}

void RecordingEasyPort::Disconnect()
{
    calls.append(QStringLiteral("Disconnect"));
}

void RecordingEasyPort::WriteOutputs(qint16 word)
{
    calls.append(QStringLiteral("WriteOutputs(%1)").arg(word));
    written.append(word);
}

bool RecordingEasyPort::switchOffAfterLoss(int)
{
    calls.append(QStringLiteral("switchOffAfterLoss"));
    return confirmsOffAfterLoss;
}

void RecordingEasyPort::AboutBox()
{
    calls.append(QStringLiteral("AboutBox"));
    ++aboutBoxes;
}

int RecordingMessages::show(QWidget*, const platform::MessageRequest& request)
{
    shown.append(request);
    if (onShow)
        onShow(request);
    return answer;
}

void RecordingMessages::showNonModal(const QString& key, const platform::MessageRequest& request)
{
    ++nonModalShown;
    open.insert(key, request);
}

QString RecordingFileDialogs::openFileName(QWidget*, const QString& title, const QString& folder,
                                           const QString& filter)
{
    asked << QStringLiteral("open ") + folder;
    titles << title + QStringLiteral(" | ") + filter;
    return answer;
}

QString RecordingFileDialogs::saveFileName(QWidget*, const QString& title, const QString& suggested,
                                           const QString& filter)
{
    asked << QStringLiteral("save ") + suggested;
    titles << title + QStringLiteral(" | ") + filter;
    return answer;
}

platform::WriteResult RecordingStorage::writeFile(const QString& path, const QByteArray& bytes)
{
    written << path;
    if (failWrites != platform::WriteFailure::None)
        return {failWrites, QStringLiteral("failed on purpose")};
    return StorageService::writeFile(path, bytes);
}

bool RecordingStorage::makeFolder(const QString& path)
{
    folders << path;
    return StorageService::makeFolder(path);
}

bool RecordingStorage::removeFile(const QString& path)
{
    removed << path;
    return !failRemoves && StorageService::removeFile(path);
}

QStringList RecordingSounds::names() const
{
    QStringList out;
    for (const QString& p : played)
        out.append(QFileInfo(p).fileName());
    return out;
}

QString TempProgramFolder::buildAssetFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("DRAVIK_BIN_DIR");
    return fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() : fromEnvironment;
}

QString TempProgramFolder::buildAssetProblem()
{
    const QString folder = buildAssetFolder();
    for (const char* sub : {"Afbeeldingen", "Geluiden"})
        if (!QFileInfo(folder + QLatin1Char('/') + QLatin1String(sub)).isDir())
            return QStringLiteral("no generated %1 folder in %2: build the dravik_assets target, "
                                  "or set DRAVIK_BIN_DIR to the build's bin folder")
                .arg(QLatin1String(sub), folder);
    return QString();
}

TempProgramFolder::TempProgramFolder(bool withAssets)
{
    if (!withAssets)
        return;
    const QString source = buildAssetFolder();
    for (const QString& sub : {QStringLiteral("Afbeeldingen"), QStringLiteral("Geluiden"),
                               QStringLiteral("Stappenplannen")}) {
        const QString from = source + QLatin1Char('/') + sub;
        if (!source.isEmpty() && QFileInfo(from).isDir())
            QFile::link(from, m_dir.filePath(sub));
    }
}

ServiceScope::ServiceScope(bool withAssets) : files(withAssets)
{
    platform::setMessages(&messages);
    platform::setSounds(&sounds);
    platform::setUrls(&urls);
    platform::setFiles(&files);
    platform::setFileDialogs(&dialogs);
    platform::setStorage(&storage);
}

ServiceScope::~ServiceScope()
{
    platform::setMessages(nullptr);
    platform::setSounds(nullptr);
    platform::setUrls(nullptr);
    platform::setFiles(nullptr);
    platform::setFileDialogs(nullptr);
    platform::setStorage(nullptr);
}

MainFixture::MainFixture(bool withAssets) : services(withAssets)
{
    main = std::make_unique<Main>(&port);
    app::handCapabilities(*main, app::capabilitiesOf(&port));
    main->setQuitHandler([this] { ++quits; });
}

MainFixture::~MainFixture()
{
    main.reset();
}

QVariant MainFixture::prop(const QString& name, const char* property) const
{
    QObject* o = name == QLatin1String("Main") ? main.get() : control(name);
    if (!o)
        return QVariant(QStringLiteral("<no control %1>").arg(name));
    return o->property(property);
}

void clickControl(QWidget* w, const QString& name)
{
    Q_ASSERT_X(w, "click", qPrintable(name));
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->isEnabled())
            b->click();
        return;
    }
    QTest::mouseClick(w, Qt::LeftButton);
}

void MainFixture::click(const QString& name) const
{
    clickControl(control<QWidget>(name), name);
}

void MainFixture::hover(const QString& name) const
{
    auto* w = control<QWidget>(name);
    Q_ASSERT_X(w, "hover", qPrintable(name));
    const QPointF centre(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, centre, w->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

} // namespace testing
