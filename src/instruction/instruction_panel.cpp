#include "component_figure/component_panel.h"
#include "main_window/main.h"
#include "main_window/station_buttons.h"

#include "instruction/instruction_texts.h"
#include "instruction/navigation.h"
#include "instruction/video_links.h"
#include "platform/services.h"

// Draws the whole text of the active choice, all pages one below the other,
// with the surface's own text output. The page showing (the surface's Top)
// is left alone, and every font size is set here, so a scaled font size of
// the surface never reaches the text.
void Main::PlaatsTekst()
{
    ctl::PictureBox* p = PictureTekst;
    p->Cls();
    p->setForeColor(instr::KleurTekst);
    p->setFontSize(instr::kBodySize);
    p->setCurrentY(instr::kTextStart);
    for (const instr::TextRow& row : instr::instructionRows(m_station.current())) {
        p->setFontSize(instr::fontSize(row.style));
        p->setForeColor(instr::color(row.style));
        switch (row.place) {
        case instr::Place::At:
            p->setCurrentY(row.twips);
            break;
        case instr::Place::Below:
            p->setCurrentY(p->CurrentY() + row.twips);
            break;
        case instr::Place::Next:
            break;
        }
        // The red line at column 35 is wider than what is left of the
        // surface in the panel's font; it ends at the edge instead of being
        // cut off.
        p->setCurrentX(
            instr::rowLeft(row.indent, p->columnWidth(), p->TextWidth(row.text), p->Width()));
        p->Print(row.text);
    }
}

// Slides the text one page: 0 forward (up), 1 back (down). Every twip
// position is assigned in turn; the surface is repainted whenever it lands
// on another pixel row, so the slide shows every distinct position once.
void Main::VerschuifTekst(int UpDown)
{
    ctl::PictureBox* p = PictureTekst;
    int shownPixel = ctl::twipsToPixels(p->Top());
    instr::slidePage(p->Top(), UpDown, [&](double top) {
        p->setTop(top);
        const int pixel = ctl::twipsToPixels(top);
        if (pixel != shownPixel) {
            shownPixel = pixel;
            p->repaint();
        }
    });
}

// The page turn cannot be made: both boxes red for a second.
void Main::flashNotPossible()
{
    PictureTekst->setBackColor(instr::KleurNietMogelijk);
    PictureTekstKader->setBackColor(instr::KleurNietMogelijk);
    PlaatsTekst();
    // Enabling restarts the second, also while a flash is running.
    TimerNVT->setEnabledProp(true);
}

void Main::TimerNVT_Timer()
{
    TimerNVT->setEnabledProp(false);
    PictureTekst->setBackColor(instr::KleurPaneel);
    PictureTekstKader->setBackColor(instr::KleurPaneel);
    PlaatsTekst();
}

void Main::CMD_Verder_Click()
{
    switch (instr::verderAction(m_station.current(), PictureTekst->Top())) {
    case instr::PageAction::Nothing:
        return;
    case instr::PageAction::Flash:
        flashNotPossible();
        return;
    case instr::PageAction::SlideShowingAdn: {
        // Page 3 talks about the square guided cylinder: show it first.
        m_component->showGuidedCylinder();
        VerschuifTekst(instr::kForward);
        return;
    }
    case instr::PageAction::Slide:
        VerschuifTekst(instr::kForward);
        return;
    }
}

void Main::CMD_Terug_Click()
{
    if (instr::terugAction(PictureTekst->Top()) == instr::PageAction::Flash)
        flashNotPossible();
    else
        VerschuifTekst(instr::kBackward);
}

void Main::CMD_Help_Click()
{
    const std::optional<instr::HelpMessage> help = instr::helpMessage(m_station.current());
    if (!help)
        return;
    platform::messages().show(this, {help->title, help->text, platform::MessageButtons::Ok,
                                     platform::MessageIcon::Information});
}

void Main::CMD_Filmpje_Click()
{
    const station::Station inView = m_station.current();
    if (!instr::hasVideo(inView))
        return; // the button is hidden for the other choices
    const instr::VideoAddress address =
        instr::videoAddress(inView, instr::VideoSettings::installed());
    if (address.url.isEmpty()) {
        qCWarning(lcDravik) << "no video address for"
                            << m_stationButtons->button(inView)->objectName() << "- set"
                            << address.missing << "in the group [video] of"
                            << QStringLiteral("Automatiseren.ini");
        return;
    }
    openwebsite(address.url);
}

// Hands the address to the desktop's handler for web addresses; whether it
// opened is not known.
void Main::openwebsite(const QString& URL)
{
    platform::urls().open(URL);
}
