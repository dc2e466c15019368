#include "instruction/instruction_panel.h"

#include "controls/controls.h"
#include "instruction/instruction_texts.h"
#include "instruction/navigation.h"
#include "instruction/video_links.h"
#include "platform/services.h"
#include "station/station_state.h"

InstructionPanel::InstructionPanel(const Controls& controls, const station::StationState& state,
                                   QObject* parent)
    : QObject(parent), m_c(controls), m_state(state)
{
    connect(m_c.verder, &QAbstractButton::clicked, this, &InstructionPanel::verder);
    connect(m_c.terug, &QAbstractButton::clicked, this, &InstructionPanel::terug);
    connect(m_c.help, &QAbstractButton::clicked, this, &InstructionPanel::help);
    connect(m_c.flash, &ctl::Timer::Tick, this, &InstructionPanel::flashEnds);
    connect(m_c.film, &QAbstractButton::clicked, this, &InstructionPanel::film);
}

// Draws the whole text of the active choice, all pages one below the other,
// with the surface's own text output. The page showing (the surface's Top)
// is left alone, and every font size is set here, so a scaled font size of
// the surface never reaches the text.
void InstructionPanel::place()
{
    ctl::PictureBox* p = m_c.text;
    p->Cls();
    p->setForeColor(instr::KleurTekst);
    p->setFontSize(instr::kBodySize);
    p->setCurrentY(instr::kTextStart);
    for (const instr::TextRow& row : instr::instructionRows(m_state.current())) {
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
void InstructionPanel::slide(int upDown)
{
    ctl::PictureBox* p = m_c.text;
    int shownPixel = ctl::twipsToPixels(p->Top());
    instr::slidePage(p->Top(), upDown, [&](double top) {
        p->setTop(top);
        const int pixel = ctl::twipsToPixels(top);
        if (pixel != shownPixel) {
            shownPixel = pixel;
            p->repaint();
        }
    });
}

// The page turn cannot be made: both boxes red for a second.
void InstructionPanel::flashNotPossible()
{
    m_c.text->setBackColor(instr::KleurNietMogelijk);
    m_c.frame->setBackColor(instr::KleurNietMogelijk);
    place();
    // Enabling restarts the second, also while a flash is running.
    m_c.flash->setEnabledProp(true);
}

void InstructionPanel::flashEnds()
{
    m_c.flash->setEnabledProp(false);
    m_c.text->setBackColor(instr::KleurPaneel);
    m_c.frame->setBackColor(instr::KleurPaneel);
    place();
}

void InstructionPanel::toFirstPage()
{
    m_c.text->setTop(0);
}

void InstructionPanel::verder()
{
    switch (instr::verderAction(m_state.current(), m_c.text->Top())) {
    case instr::PageAction::Nothing:
        return;
    case instr::PageAction::Flash:
        flashNotPossible();
        return;
    case instr::PageAction::SlideShowingAdn: {
        // Page 3 talks about the square guided cylinder: show it first.
        emit guidedCylinderPage();
        slide(instr::kForward);
        return;
    }
    case instr::PageAction::Slide:
        slide(instr::kForward);
        return;
    }
}

void InstructionPanel::terug()
{
    if (instr::terugAction(m_c.text->Top()) == instr::PageAction::Flash)
        flashNotPossible();
    else
        slide(instr::kBackward);
}

void InstructionPanel::help()
{
    const std::optional<instr::HelpMessage> message = instr::helpMessage(m_state.current());
    if (!message)
        return;
    platform::messages().show(m_c.boxParent,
                              {message->title, message->text, platform::MessageButtons::Ok,
                               platform::MessageIcon::Information});
}

void InstructionPanel::film()
{
    const station::Station inView = m_state.current();
    if (!instr::hasVideo(inView))
        return; // the button is hidden for the other choices
    const instr::VideoAddress address =
        instr::videoAddress(inView, instr::VideoSettings::installed());
    if (address.url.isEmpty()) {
        qCWarning(lcDravik) << "no video address for" << station::displayName(inView) << "- set"
                            << address.missing << "in the group [video] of"
                            << QStringLiteral("Automatiseren.ini");
        // The pupil clicked a visible button: say why no video comes.
        platform::messages().show(
            m_c.boxParent,
            {QStringLiteral("Filmpje"),
             QStringLiteral("Dit filmpje kan niet worden geopend: het internetadres ervan is "
                            "niet (goed) ingesteld.\rVraag je docent om in Automatiseren.ini, "
                            "groep [video], \"%1\" in te vullen.")
                 .arg(address.missing),
             platform::MessageButtons::Ok, platform::MessageIcon::Information});
        return;
    }
    openWebsite(address.url);
}

// Hands the address to the desktop's handler for web addresses; whether it
// opened is not known.
void InstructionPanel::openWebsite(const QString& url)
{
    platform::urls().open(url);
}
