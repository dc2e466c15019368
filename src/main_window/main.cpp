#include "main_window/main.h"

#include "component_figure/component_panel.h"
#include "component_figure/figure_tables.h"
#include "controls/accessible_controls.h"
#include "fullscreen/station_pictures.h"
#include "instruction/instruction_panel.h"
#include "interface_link/connection_panel.h"
#include "interface_link/easyport_control.h"
#include "main_window/accessibility.h"
#include "main_window/control_table.h"
#include "main_window/keyboard.h"
#include "main_window/station_buttons.h"
#include "outputs/output_panel.h"
#include "platform/ending.h"
#include "platform/services.h"
#include "window_placement/window_placer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHash>

using ctl::OleColor;

// The design pictures are compiled into the library; a static library has
// to pull them in by hand.
static void initDesignPictures()
{
    Q_INIT_RESOURCE(design_pictures);
}

namespace
{

template <typename T> T* lookup(const QHash<QString, QObject*>& byName, const QString& name)
{
    T* object = qobject_cast<T*>(byName.value(name));
    Q_ASSERT_X(object, "Main", qPrintable(name));
    return object;
}

} // namespace

Main::Main(iface::EasyPortControl* easyPort, QWidget* parent)
    : QWidget(parent), EasyPort1(easyPort), m_ending(std::make_shared<platform::Ending>())
{
    // Before any control exists: with a screen reader running, Qt makes a
    // control's accessible interface as soon as the control is named.
    ctl::installAccessibleControls();
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Automatiseren voor het VMBO"));
    resize(ctl::twipsToPixels(mw::kDesignClientWidth), ctl::twipsToPixels(mw::kDesignClientHeight));
    m_quit = [] { QCoreApplication::exit(0); };
    connect(m_ending.get(), &platform::Ending::started, this, &Main::ending);
    initDesignPictures();
    buildControls();
    wireHandlers();
    Form_Load();
    mw::installKeys(*this);
    mw::installAccessibility(*this);
}

Main::~Main()
{
    // The interface control sits among the window's controls but belongs to
    // whoever created it.
    if (EasyPort1)
        EasyPort1->setParent(nullptr);
}

void Main::buildControls()
{
    QHash<QString, QObject*> byName;
    std::vector<QWidget*> behind;
    for (const mw::ControlRow& r : mw::mainControlTable()) {
        QWidget* parentWidget =
            r.container.isEmpty() ? this : qobject_cast<QWidget*>(byName.value(r.container));
        QObject* parentObject = r.container.isEmpty() ? this : byName.value(r.container);
        Q_ASSERT(parentObject);
        QObject* object = nullptr;
        ctl::ControlProps* props = nullptr;
        switch (r.kind) {
        case mw::Kind::Frame: {
            auto* f = new ctl::Frame(parentWidget, !(r.flags & mw::NoBorder));
            f->setCaption(r.caption);
            object = f;
            props = f;
            break;
        }
        case mw::Kind::Button: {
            auto* b = new ctl::CommandButton(parentWidget);
            b->setCaption(r.caption);
            b->setToolTipText(r.toolTip);
            if (!r.picture.isEmpty())
                b->setPicture(r.picture);
            object = b;
            props = b;
            break;
        }
        case mw::Kind::Label: {
            auto* l = new ctl::Label(parentWidget);
            l->setCaption(r.caption);
            l->setTransparent(r.flags & mw::Transparent);
            if (r.flags & mw::Centred)
                l->setAlignment(Qt::AlignCenter);
            object = l;
            props = l;
            break;
        }
        case mw::Kind::PictureBox: {
            auto* p = new ctl::PictureBox(parentWidget);
            object = p;
            props = p;
            break;
        }
        case mw::Kind::Image: {
            auto* i = new ctl::Image(parentWidget);
            if (!r.picture.isEmpty())
                i->setPicture(r.picture);
            object = i;
            props = i;
            break;
        }
        case mw::Kind::Shape: {
            auto* s = new ctl::Shape(parentWidget, (r.flags & mw::Rounded)
                                                       ? ctl::Shape::Form::RoundedRectangle
                                                       : ctl::Shape::Form::Rectangle);
            s->setFillColor(OleColor(r.back));
            if (r.shapeBack != mw::kNoColor)
                s->setBackColor(OleColor(r.shapeBack));
            s->setBorder(r.flags & mw::Rounded);
            object = s;
            break;
        }
        case mw::Kind::Timer: {
            auto* t = new ctl::Timer(parentObject, r.interval);
            object = t;
            break;
        }
        case mw::Kind::Interface:
            Q_ASSERT(EasyPort1);
            EasyPort1->setParent(parentObject);
            EasyPort1->setObjectName(r.name);
            EasyPort1->setLeft(r.left);
            EasyPort1->setTop(r.top);
            EasyPort1->setWidth(r.width);
            EasyPort1->setHeight(r.height);
            object = EasyPort1;
            break;
        }
        object->setObjectName(r.name);
        if (auto* s = qobject_cast<ctl::Shape*>(object)) {
            s->setTwipGeometry(r.left, r.top, r.width, r.height);
        } else if (props) {
            props->setTwipGeometry(r.left, r.top, r.width, r.height);
            if (r.kind != mw::Kind::Shape && r.back != mw::kNoColor)
                props->setBackColor(OleColor(r.back));
            if (r.fore != mw::kNoColor)
                props->setForeColor(OleColor(r.fore));
            if (!r.fontName.isEmpty()) {
                props->setFontName(r.fontName);
                props->setFontSize(r.fontSize);
                props->setFontBold(r.flags & mw::Bold);
            }
            if (r.flags & mw::Hidden)
                props->setVisibleProp(false);
        }
        if ((r.flags & mw::Behind) || r.kind == mw::Kind::Image)
            if (auto* w = qobject_cast<QWidget*>(object))
                behind.push_back(w);
        byName.insert(r.name, object);
        m_order.push_back(object);
    }
    // Background pieces go under their siblings; the last one named ends
    // lowest, so lower them in reverse.
    for (auto it = behind.rbegin(); it != behind.rend(); ++it)
        (*it)->lower();

    FrameMain = lookup<ctl::Frame>(byName, "FrameMain");
    Frame_Dravik_Buttons = lookup<ctl::Frame>(byName, "Frame_Dravik_Buttons");
    CMD_TransHandling = lookup<ctl::CommandButton>(byName, "CMD_TransHandling");
    CMD_Stationhandling = lookup<ctl::CommandButton>(byName, "CMD_Stationhandling");
    CMD_Transportband = lookup<ctl::CommandButton>(byName, "CMD_Transportband");
    CMD_Interfacing = lookup<ctl::CommandButton>(byName, "CMD_Interfacing");
    CMD_StapelMagazijn = lookup<ctl::CommandButton>(byName, "CMD_StapelMagazijn");
    FrameIngangen = lookup<ctl::Frame>(byName, "FrameIngangen");
    Frame6 = lookup<ctl::Frame>(byName, "Frame6");
    for (int i = 0; i < 8; ++i) {
        PictureLabelIngangen[i] =
            lookup<ctl::PictureBox>(byName, QStringLiteral("PictureLabelIngangen(%1)").arg(i));
        Label_Ingang[i] = lookup<ctl::Label>(byName, QStringLiteral("Label_Ingang(%1)").arg(i));
        Shape_LampjeIn[i + 1] =
            lookup<ctl::Shape>(byName, QStringLiteral("Shape_LampjeIn(%1)").arg(i + 1));
        CMD_SetReset[i] =
            lookup<ctl::CommandButton>(byName, QStringLiteral("CMD_SetReset(%1)").arg(i));
        Shape_Lampje[i] = lookup<ctl::Shape>(byName, QStringLiteral("Shape_Lampje(%1)").arg(i));
    }
    FrameCommand = lookup<ctl::Frame>(byName, "FrameCommand");
    CMD_Verder = lookup<ctl::CommandButton>(byName, "CMD_Verder");
    CMD_Terug = lookup<ctl::CommandButton>(byName, "CMD_Terug");
    CMD_Help = lookup<ctl::CommandButton>(byName, "CMD_Help");
    CMD_Afsluiten = lookup<ctl::CommandButton>(byName, "CMD_Afsluiten");
    FrameEasyPort = lookup<ctl::Frame>(byName, "FrameEasyPort");
    Frame1 = lookup<ctl::Frame>(byName, "Frame1");
    Command1 = lookup<ctl::CommandButton>(byName, "Command1");
    Label_Modulenummer = lookup<ctl::Label>(byName, "Label_Modulenummer");
    Label_Compoort = lookup<ctl::Label>(byName, "Label_Compoort");
    Label3 = lookup<ctl::Label>(byName, "Label3");
    Label2 = lookup<ctl::Label>(byName, "Label2");
    CMD_Verbinding = lookup<ctl::CommandButton>(byName, "CMD_Verbinding");
    Label_Verbinding = lookup<ctl::Label>(byName, "Label_Verbinding");
    Label_VerbindingKader = lookup<ctl::Label>(byName, "Label_VerbindingKader");
    Frame7 = lookup<ctl::Frame>(byName, "Frame7");
    CMD_ResetAlles = lookup<ctl::CommandButton>(byName, "CMD_ResetAlles");
    FrameModule = lookup<ctl::Frame>(byName, "FrameModule");
    CMD_Filmpje = lookup<ctl::CommandButton>(byName, "CMD_Filmpje");
    Image_Module_Holder = lookup<ctl::Image>(byName, "Image_Module_Holder");
    FrameInstructie = lookup<ctl::Frame>(byName, "FrameInstructie");
    PictureTekstKader = lookup<ctl::PictureBox>(byName, "PictureTekstKader");
    PictureTekst = lookup<ctl::PictureBox>(byName, "PictureTekst");
    TimerNVT = lookup<ctl::Timer>(byName, "TimerNVT");
    CMD_Stappenplan = lookup<ctl::CommandButton>(byName, "CMD_Stappenplan");
    CMD_VirtueleOpstelling = lookup<ctl::CommandButton>(byName, "CMD_VirtueleOpstelling");
    FrameUitgangen = lookup<ctl::Frame>(byName, "FrameUitgangen");
    Frame8 = lookup<ctl::Frame>(byName, "Frame8");
    Frame5 = lookup<ctl::Frame>(byName, "Frame5");
    Image1 = lookup<ctl::Image>(byName, "Image1");
    FrameSensorActuator = lookup<ctl::Frame>(byName, "FrameSensorActuator");
    Timer_Wissel_Afbeelding = lookup<ctl::Timer>(byName, "Timer_Wissel_Afbeelding");
    ImageSensorActuator = lookup<ctl::Image>(byName, "ImageSensorActuator");
    Frame2 = lookup<ctl::Frame>(byName, "Frame2");
    Frame3 = lookup<ctl::Frame>(byName, "Frame3");
    Shape1 = lookup<ctl::Shape>(byName, "Shape1");
}

void Main::wireHandlers()
{
    connect(CMD_Afsluiten, &QAbstractButton::clicked, this, &Main::exitProgram);

    StationButtons::Controls buttons;
    buttons.stapelMagazijn = CMD_StapelMagazijn;
    buttons.transportband = CMD_Transportband;
    buttons.stationhandling = CMD_Stationhandling;
    buttons.transHandling = CMD_TransHandling;
    buttons.interfacing = CMD_Interfacing;
    buttons.buttonFrame = Frame_Dravik_Buttons;
    buttons.stationFrame = FrameModule;
    buttons.outputs = CMD_SetReset;
    buttons.inputs = Label_Ingang;
    m_stationButtons = new StationButtons(buttons, m_station, this);
    connect(m_stationButtons, &StationButtons::chosen, this, &Main::showStation);

    ConnectionPanel::Controls link;
    link.connect = CMD_Verbinding;
    link.status = Label_Verbinding;
    link.statusFrame = Label_VerbindingKader;
    link.comPort = Label_Compoort;
    link.module = Label_Modulenummer;
    link.combinedStation = CMD_TransHandling;
    link.interfaceButton = CMD_Interfacing;
    link.modulePicture = Image_Module_Holder;
    link.version = Command1;
    link.interfaceFrame = FrameEasyPort;
    link.inputLamps = Shape_LampjeIn;
    link.boxParent = this;
    m_connection = new ConnectionPanel(link, EasyPort1, mw::KleurLichtgroen, m_ending, this);
    connect(m_connection, &ConnectionPanel::interfaceViewWanted, this, [this] { SetEasyPort(); });
    connect(m_connection, &ConnectionPanel::inputsShown, this, &Main::inputsShown);
    connect(m_connection, &ConnectionPanel::connectionEnding, this, &Main::connectionEnding);
    connect(m_connection, &ConnectionPanel::connectionLost, this, &Main::connectionLost);
    connect(m_connection, &ConnectionPanel::interfaceConnected, this, &Main::interfaceConnected);

    OutputPanel::Controls outputs;
    outputs.buttons = CMD_SetReset;
    outputs.lamps = Shape_Lampje;
    outputs.reset = CMD_ResetAlles;
    outputs.boxParent = this;
    m_outputs = new OutputPanel(outputs, EasyPort1, m_station, *m_connection, m_ending, this);
    // The emergency stop gives every point its station's name back.
    connect(m_outputs, &OutputPanel::emergencyReset, this, [this] { KleurBeheer(15); });

    ComponentPanel::Controls component;
    component.outputs = CMD_SetReset;
    component.inputLabels = Label_Ingang;
    component.inputRows = PictureLabelIngangen;
    component.picture = ImageSensorActuator;
    component.frame = FrameSensorActuator;
    component.alternation = Timer_Wissel_Afbeelding;
    m_component = new ComponentPanel(component, m_station, this);

    m_pictures = new StationPictures(Image_Module_Holder, this, m_station, m_ending, this);
    connect(Image1, &ctl::Image::Click, this, &Main::Image1_Click);

    InstructionPanel::Controls instruction;
    instruction.text = PictureTekst;
    instruction.frame = PictureTekstKader;
    instruction.flash = TimerNVT;
    instruction.verder = CMD_Verder;
    instruction.terug = CMD_Terug;
    instruction.help = CMD_Help;
    instruction.film = CMD_Filmpje;
    instruction.boxParent = this;
    m_instruction = new InstructionPanel(instruction, m_station, this);
    connect(m_instruction, &InstructionPanel::guidedCylinderPage, m_component,
            &ComponentPanel::showGuidedCylinder);
}

void Main::Form_Load()
{
    // 1. No component figure and no station button under the mouse: the
    //    panels start that way.
    // 2. The shared colours are constants (controls/palette.h).
    // 3. The place on the screen comes last: a window that has to shrink to
    //    fit is scaled from the layout record of step 8.
    // 4. The start state: the interface button is marked.
    m_stationButtons->markCurrent();
    // 5. The name tables are the station tables (station/station_data.h).
    // 6. Neutral captions for every I/O point.
    for (int i = 0; i < 8; ++i) {
        CMD_SetReset[i]->setCaption(station::genericOutputName(i));
        Label_Ingang[i]->setCaption(station::genericInputName(i));
    }
    // 7. The instruction text of the active choice.
    PlaatsTekst();
    // 8. The layout reference for scaling.
    ReloadPos();
    // 3. Centred in the screen's usable area, whole: Noodstop must stay in
    //    reach, so a window larger than that area opens scaled down to fit.
    placement::placeMainWindow(this, m_recordedClient);
}

int Main::DecimaalUit() const
{
    return m_outputs->outputWord();
}

void Main::KleurBeheer(int AktieCijfer)
{
    m_stationButtons->kleurBeheer(AktieCijfer);
}

void Main::ResetAll()
{
    m_component->stop();
    m_outputs->resetAll();
}

void Main::PlaatsTekst()
{
    m_instruction->place();
}

void Main::VerschuifTekst(int UpDown)
{
    m_instruction->slide(UpDown);
}

void Main::openwebsite(const QString& URL)
{
    m_instruction->openWebsite(URL);
}

void Main::FiguurActuatorSensor(int Index)
{
    m_component->show(Index);
}

Full_Screen* Main::fullScreen(bool create)
{
    return m_pictures->fullScreen(create);
}

Beschrijving* Main::beschrijving(bool create)
{
    return m_pictures->beschrijving(create);
}

void Main::Image1_Click()
{
    platform::MessageRequest r;
    r.title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    r.text = fig::versionText(DRAVIK_VERSION_MAJOR, DRAVIK_VERSION_MINOR, DRAVIK_VERSION_PATCH);
    r.buttons = platform::MessageButtons::Ok;
    r.icon = platform::MessageIcon::Information;
    platform::messages().show(this, r);
}

void Main::setHiddenFaults(int openMask, int shortMask)
{
    m_connection->setHiddenFaults(openMask, shortMask);
}

int Main::DecimaalIn() const
{
    return m_connection->inputWord();
}
int Main::Verbonden() const
{
    return m_connection->verbonden();
}
int Main::ReageerNiet() const
{
    return m_connection->reageerNiet();
}
int Main::ComPoort() const
{
    return m_connection->comPoort();
}
int Main::ModuleNummer() const
{
    return m_connection->moduleNummer();
}

double Main::Left() const
{
    return frameGeometry().x() * ctl::kTwipsPerPixel;
}
double Main::Top() const
{
    return frameGeometry().y() * ctl::kTwipsPerPixel;
}
double Main::Width() const
{
    return frameGeometry().width() * ctl::kTwipsPerPixel;
}
double Main::Height() const
{
    return frameGeometry().height() * ctl::kTwipsPerPixel;
}

void Main::ReloadPos()
{
    m_BeginPosities.clear();
    m_BeginPosities.reserve(m_order.size() + 1);
    for (QObject* control : m_order)
        m_BeginPosities.push_back(mw::recordControl(control));
    mw::BeginPositie window;
    window.Left = float(Left());
    window.Top = float(Top());
    window.Width = float(Width());
    window.Height = float(Height());
    window.FontSize = float(FontSize());
    m_BeginPosities.push_back(window);
    m_recordedClient = size();
}

void Main::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void Main::Form_Resize()
{
    if (m_BeginPosities.empty() || m_recordedClient.isEmpty())
        return; // nothing recorded yet
    // Ratios of the outer window size. The frame the window manager adds
    // may only be known once the window is on screen, so the recorded outer
    // size is the recorded client size plus today's frame.
    const QSize frame = frameGeometry().size() - size();
    const mw::ScaleFactors f = mw::scaleFactors(frameGeometry().width(), frameGeometry().height(),
                                                m_recordedClient.width() + frame.width(),
                                                m_recordedClient.height() + frame.height());
    mw::applyScaling(
        m_BeginPosities, f,
        {{Image_Module_Holder, FrameModule}, {ImageSensorActuator, FrameSensorActuator}});
    PlaatsTekst();
    CMD_Interfacing->setFocus();
}

void Main::playSound(const QString& fileName)
{
    platform::playSound(fileName);
}

void Main::exitProgram()
{
    // Outputs drive real cylinders: switch them all off before anything
    // else goes away; `ending` follows.
    if (!m_ending->start([this] { ResetAll(); }))
        return;
    endProgram();
}

bool Main::isEnding() const
{
    return m_ending->isStarted();
}

void Main::closeEvent(QCloseEvent* e)
{
    exitProgram();
    e->accept();
}

void Main::endProgram()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->hide();
    if (m_quit)
        m_quit();
}
