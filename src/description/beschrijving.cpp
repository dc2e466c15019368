#include "description/beschrijving.h"

#include "description/description_tables.h"
#include "platform/ending.h"
#include "platform/services.h"
#include "station/station_state.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

namespace
{

const QString kComic = QStringLiteral("Comic Sans MS");

// What a screen reader says of the two texts before a part is chosen.
void describeNothingChosen(ctl::TextBox* name, ctl::TextBox* info)
{
    name->setAccessibleName(QStringLiteral("Naam van het onderdeel"));
    name->setAccessibleDescription(QStringLiteral("Kies eerst een nummer"));
    info->setAccessibleName(QStringLiteral("Uitleg bij het onderdeel"));
    info->setAccessibleDescription(QStringLiteral("Kies eerst een nummer"));
}

} // namespace

bool desc::isPlainEscape(const QEvent* e)
{
    if (e->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(e);
    return key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
}

Beschrijving::Beschrijving(QWidget* mainWindow, const station::StationState& state,
                           std::shared_ptr<const platform::Ending> ending)
    : QWidget(mainWindow, Qt::Dialog | Qt::WindowStaysOnTopHint), m_main(mainWindow),
      m_state(state), m_ending(std::move(ending))
{
    // A window on top of all others. Qt asks the window system once, when
    // the window is created; on Wayland no protocol exists for this (see
    // docs/windows.md).
    setObjectName(QStringLiteral("Beschrijving"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(ctl::twipsToPixels(3390), ctl::twipsToPixels(3900));

    auto textBox = [this](const char* name, double top, double height) {
        auto* t = new ctl::TextBox(this);
        t->setObjectName(QLatin1String(name));
        t->setTwipGeometry(180, top, 3120, height);
        t->setFontName(kComic);
        t->setFontSize(12);
        return t;
    };
    Text_Benaming = textBox("Text_Benaming", 120, 855);
    Text_Info = textBox("Text_Info", 1020, 1545);
    setAccessibleDescription(
        QStringLiteral("Kies een nummer op de foto: hier staan dan de naam en de uitleg van dat "
                       "onderdeel. Sluiten of Esc sluit de foto."));
    describeNothingChosen(Text_Benaming, Text_Info);

    for (int n = desc::kFirstPart; n <= desc::kLastPart; ++n) {
        auto* o = new ctl::OptionButton(this);
        o->setObjectName(QStringLiteral("Option_Nummers(%1)").arg(n));
        o->setCaption(QString::number(n));
        const bool firstRow = n <= 7;
        const double left = 150 + 450 * (firstRow ? n - 1 : n - 8);
        o->setTwipGeometry(left, firstRow ? 2700 : 3240, 400, 495);
        o->setBackColor(12640511);
        o->setFontName(kComic);
        o->setFontSize(9.75);
        connect(o, &QAbstractButton::clicked, this, [this, n] { Option_Nummers_Click(n); });
        Option_Nummers[n] = o;
    }

    CMD_Close = new ctl::CommandButton(this);
    CMD_Close->setObjectName(QStringLiteral("CMD_Close"));
    CMD_Close->setCaption(QStringLiteral("Sluiten"));
    CMD_Close->setTwipGeometry(1980, 3240, 1275, 495);
    CMD_Close->setBackColor(12648384);
    CMD_Close->setFontName(kComic);
    CMD_Close->setFontSize(9.75);
    connect(CMD_Close, &QAbstractButton::clicked, this, &Beschrijving::CMD_Close_Click);

    // The main window's destruction ends this window too; by then there is
    // nothing left to close or show.
    if (mainWindow)
        connect(mainWindow, &QObject::destroyed, this, [this] { m_mainGone = true; });
}

Beschrijving::~Beschrijving()
{
    Form_Terminate();
}

void Beschrijving::open()
{
    // Over the picture whatever the window manager does with "on top": a
    // transient window stands over the window it belongs to.
    if (m_picture && m_picture->isVisible()) {
        winId();
        if (QWindow* own = windowHandle())
            own->setTransientParent(m_picture->windowHandle());
    }
    show();
    raise();
    activateWindow();
}

bool Beschrijving::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    // Esc stays the Noodstop: the override is only watched, never taken.
    if (desc::isPlainEscape(e))
        QTimer::singleShot(0, this, &Beschrijving::closeAll);
    return QWidget::event(e);
}

void Beschrijving::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    Form_Activate();
}

void Beschrijving::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    if (!e->spontaneous())
        m_activated = false;
}

void Beschrijving::Form_Activate()
{
    // Once per showing: coming back from another program keeps the
    // pupil's choice.
    if (m_activated || !isVisible())
        return;
    m_activated = true;
    Text_Benaming->setText(QString());
    Text_Info->setText(QString());
    describeNothingChosen(Text_Benaming, Text_Info);
    for (int n = desc::kFirstPart; n <= desc::kLastPart; ++n)
        Option_Nummers[n]->setValue(false);
    raise();
}

void Beschrijving::Option_Nummers_Click(int Index)
{
    if (!m_main)
        return;
    const station::Station station = m_state.current();
    if (!desc::isDescribed(station))
        return;
    const std::optional<desc::Part> p = desc::part(station, Index);
    if (!p)
        return;
    Text_Benaming->setText(p->benaming);
    Text_Info->setText(p->info);
    // The texts are painted: a screen reader reads them from here.
    Text_Benaming->setAccessibleName(p->benaming);
    Text_Benaming->setAccessibleDescription(QStringLiteral("Naam van onderdeel %1").arg(Index));
    Text_Info->setAccessibleName(p->info);
    Text_Info->setAccessibleDescription(
        QStringLiteral("Uitleg bij onderdeel %1, %2").arg(Index).arg(p->benaming));

    const desc::PartPicture picture = desc::partPicture(station, Index);
    const QString path = platform::resolvedPicture(picture.fileName);
    if (picture.mustExist && !QFileInfo(path).isFile()) {
        // Logged like every other picture that cannot be loaded.
        qCWarning(lcDravik) << "cannot load picture" << path << ": file not found";
        platform::MessageRequest r;
        r.text = QStringLiteral("Kan het bestand ") + platform::picturePath(picture.fileName) +
                 QStringLiteral(" niet vinden.");
        r.buttons = platform::MessageButtons::Ok;
        r.icon = platform::MessageIcon::None;
        platform::messages().show(this, r);
        return; // the previous picture stays
    }
    // The image keeps the place and size the full-screen window gave it.
    emit partPictureChosen(path);
}

void Beschrijving::CMD_Close_Click()
{
    closeAll();
}

void Beschrijving::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    e->accept();
}

void Beschrijving::Form_Unload()
{
    closeAll();
}

void Beschrijving::Form_Terminate()
{
    if (m_mainGone)
        return;
    closeAll();
}

void Beschrijving::closeAll()
{
    // Leaving the program hides every window itself and shows nothing.
    if (!m_main || m_mainGone || m_ending->isStarted())
        return;
    if (m_picture) {
        m_picture->setEnabled(true);
        m_picture->hide();
    }
    hide();
    m_main->show();
}
