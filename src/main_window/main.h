#pragma once

#include "controls/controls.h"
#include "main_window/scaling.h"
#include "main_window/station_tables.h"
#include "station/station_state.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace iface
{
class EasyPortControl;
}
namespace platform
{
class Ending;
}
class Full_Screen;
class Beschrijving;
class ConnectionPanel;
class OutputPanel;
class StationButtons;
class ComponentPanel;
class InstructionPanel;
class StationPictures;

// The main window: the façade that tools and outside tests drive. It builds
// every control of the pupil's screen from the control table (objectNames,
// public pointers, properties and invokable methods are a fixed contract,
// see docs/architecture.md), holds the StationState, and hands each control
// to the feature controller that drives it (outputs, station buttons,
// component figure, instruction text, station pictures). What stays here
// are the sequences that cross features, so that the order of writes,
// sounds and boxes is decided in one place: a change of station, the reset
// of everything, leaving the program.
class Main : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int DecimaalUit READ DecimaalUit)
    Q_PROPERTY(int DecimaalIn READ DecimaalIn)
    Q_PROPERTY(int Verbonden READ Verbonden)
    Q_PROPERTY(int ReageerNiet READ ReageerNiet)
    Q_PROPERTY(int ComPoort READ ComPoort)
    Q_PROPERTY(int ModuleNummer READ ModuleNummer)
    Q_PROPERTY(double Left READ Left)
    Q_PROPERTY(double Top READ Top)
    Q_PROPERTY(double Width READ Width)
    Q_PROPERTY(double Height READ Height)
    Q_PROPERTY(double FontSize READ FontSize)

  public:
    // `easyPort` becomes EasyPort1, the interface control the window talks
    // to; the window does not take ownership.
    explicit Main(iface::EasyPortControl* easyPort, QWidget* parent = nullptr);
    ~Main() override;

    int DecimaalUit() const;
    int DecimaalIn() const;
    int Verbonden() const;
    int ReageerNiet() const;
    int ComPoort() const;
    int ModuleNummer() const;
    // The window's outer geometry in twips, and its font size.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    double FontSize() const { return 8.25; }

    Q_INVOKABLE void ReloadPos();
    Q_INVOKABLE void KleurBeheer(int AktieCijfer);
    Q_INVOKABLE void ResetAll();
    Q_INVOKABLE void PlaatsTekst();
    Q_INVOKABLE void FiguurActuatorSensor(int Index);
    Q_INVOKABLE void VerschuifTekst(int UpDown);
    Q_INVOKABLE void openwebsite(const QString& URL);
    Q_INVOKABLE void SetEasyPort();

    // How the program ends. The default leaves the event loop; tests put a
    // recorder in its place.
    void setQuitHandler(std::function<void()> quit) { m_quit = std::move(quit); }
    // Leaves the program the way "Afsluiten" does: all outputs off, then end.
    Q_INVOKABLE void exitProgram();
    bool isEnding() const;

    // The full-screen picture and the description window beside it, made on
    // first use when `create` is true (otherwise nullptr until then).
    Full_Screen* fullScreen(bool create = true);
    Beschrijving* beschrijving(bool create = true);

    // The recorded layout reference (empty until ReloadPos ran).
    const std::vector<mw::BeginPositie>& BeginPosities() const { return m_BeginPosities; }
    // Every control in the window's control order.
    const std::vector<QObject*>& controlsInOrder() const { return m_order; }
    iface::EasyPortControl* easyPort() const { return EasyPort1; }
    // Which state the station part of the window is in; whatever follows the
    // station (the simulated interface, for one) listens to it.
    const station::StationState& stationState() const { return m_station; }

    // The feature controllers behind the window. Keys, plans and tests act
    // through them exactly as the buttons do.
    // The teacher's hidden faults (bit i = input i + 1), stuck off or on.
    void setHiddenFaults(int openMask, int shortMask);
    ConnectionPanel& connectionPanel() const { return *m_connection; }
    OutputPanel& outputPanel() const { return *m_outputs; }
    StationButtons& stationButtons() const { return *m_stationButtons; }
    ComponentPanel& componentPanel() const { return *m_component; }
    InstructionPanel& instructionPanel() const { return *m_instruction; }

    // The controls, by name.
    ctl::Frame* FrameMain{};
    ctl::Frame* Frame_Dravik_Buttons{};
    ctl::CommandButton* CMD_TransHandling{};
    ctl::CommandButton* CMD_Stationhandling{};
    ctl::CommandButton* CMD_Transportband{};
    ctl::CommandButton* CMD_Interfacing{};
    ctl::CommandButton* CMD_StapelMagazijn{};
    ctl::Frame* FrameIngangen{};
    ctl::Frame* Frame6{};
    std::array<ctl::PictureBox*, 8> PictureLabelIngangen{};
    std::array<ctl::Label*, 8> Label_Ingang{};
    std::array<ctl::Shape*, 9> Shape_LampjeIn{}; // indices 1..8
    ctl::Frame* FrameCommand{};
    ctl::CommandButton* CMD_Verder{};
    ctl::CommandButton* CMD_Terug{};
    ctl::CommandButton* CMD_Help{};
    ctl::CommandButton* CMD_Afsluiten{};
    ctl::Frame* FrameEasyPort{};
    ctl::Frame* Frame1{};
    ctl::CommandButton* Command1{};
    ctl::Label* Label_Modulenummer{};
    ctl::Label* Label_Compoort{};
    ctl::Label* Label3{};
    ctl::Label* Label2{};
    ctl::CommandButton* CMD_Verbinding{};
    iface::EasyPortControl* EasyPort1{};
    ctl::Label* Label_Verbinding{};
    ctl::Label* Label_VerbindingKader{};
    ctl::Frame* Frame7{};
    ctl::CommandButton* CMD_ResetAlles{};
    ctl::Frame* FrameModule{};
    ctl::CommandButton* CMD_Filmpje{};
    ctl::Image* Image_Module_Holder{};
    ctl::Frame* FrameInstructie{};
    ctl::PictureBox* PictureTekstKader{};
    ctl::PictureBox* PictureTekst{};
    ctl::Timer* TimerNVT{};
    // Open "Stappenplan" and "Virtuele opstelling" (the program wires them).
    ctl::CommandButton* CMD_Stappenplan{};
    ctl::CommandButton* CMD_VirtueleOpstelling{};
    ctl::Frame* FrameUitgangen{};
    ctl::Frame* Frame8{};
    std::array<ctl::CommandButton*, 8> CMD_SetReset{};
    std::array<ctl::Shape*, 8> Shape_Lampje{};
    ctl::Frame* Frame5{};
    ctl::Image* Image1{};
    ctl::Frame* FrameSensorActuator{};
    ctl::Timer* Timer_Wissel_Afbeelding{};
    ctl::Image* ImageSensorActuator{};
    ctl::Frame* Frame2{};
    ctl::Frame* Frame3{};
    ctl::Shape* Shape1{};

  signals:
    // The input lamps show a new input word.
    void inputsShown(int word);
    // "Verbreek": the link is about to close; outputs can still be written.
    // `reason` is a Dutch sentence fragment.
    void connectionEnding(const QString& reason);
    // The link broke by itself; nothing reaches the interface any more.
    void connectionLost(const QString& reason);
    // A "Zoek en verbind" found the interface.
    void interfaceConnected();
    // The program ends: the outputs are off, the windows not yet gone.
    // Whatever listens must not ask or wait.
    void ending();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void buildControls();
    void wireHandlers();
    void Form_Load();
    void Form_Resize();

    // Station selection and the interface view: one sequence for every
    // choice, so the writes, sounds and boxes keep their order.
    void showStation(station::Station s);

    // The version message.
    void Image1_Click();

    void playSound(const QString& fileName);
    void endProgram();

    station::StationState m_station;
    OutputPanel* m_outputs{};
    StationButtons* m_stationButtons{};
    ComponentPanel* m_component{};
    InstructionPanel* m_instruction{};
    StationPictures* m_pictures{};
    ConnectionPanel* m_connection{};

    std::vector<QObject*> m_order;
    std::vector<mw::BeginPositie> m_BeginPosities;
    QSize m_recordedClient;
    std::function<void()> m_quit;
    // Shared with the controllers: some of them (the picture windows) are
    // still asked during the window's own destruction.
    std::shared_ptr<platform::Ending> m_ending;
};
