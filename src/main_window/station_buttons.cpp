#include "main_window/station_buttons.h"

#include "controls/controls.h"
#include "main_window/station_tables.h"
#include "station/station_data.h"
#include "station/station_state.h"

namespace
{

constexpr int kLeave = 10;
constexpr int kRelabel = 15;

} // namespace

StationButtons::StationButtons(const Controls& controls, const station::StationState& state,
                               QObject* parent)
    : QObject(parent), m_c(controls), m_state(state)
{
    using station::Station;
    const std::pair<ctl::CommandButton*, Station> clicks[] = {
        {m_c.stapelMagazijn, Station::StapelMagazijn},
        {m_c.transportband, Station::Transportband},
        {m_c.stationhandling, Station::Stationhandling},
        {m_c.transHandling, Station::TransHandling},
        {m_c.interfacing, Station::Interface}};
    for (const auto& [b, s] : clicks)
        connect(b, &QAbstractButton::clicked, this, [this, s = s] { emit chosen(s); });

    const std::pair<ctl::CommandButton*, qint16> hover[] = {{m_c.transportband, 0},
                                                            {m_c.stapelMagazijn, 1},
                                                            {m_c.stationhandling, 2},
                                                            {m_c.transHandling, 3},
                                                            {m_c.interfacing, 5}};
    for (const auto& [b, knop] : hover) {
        // A screen reader hears which one is marked; only the program marks it.
        b->setCheckable(true);
        b->setMouseTracking(true);
        connect(b, &ctl::CommandButton::MouseMove, this, [this, knop = knop] { entered(knop); });
    }
    m_c.buttonFrame->setMouseTracking(true);
    connect(m_c.buttonFrame, &ctl::Frame::MouseMove, this, [this] { kleurBeheer(kLeave); });

    connect(&m_state, &station::StationState::changed, this, &StationButtons::mark);
}

ctl::CommandButton* StationButtons::button(station::Station s) const
{
    switch (s) {
    case station::Station::StapelMagazijn:
        return m_c.stapelMagazijn;
    case station::Station::Transportband:
        return m_c.transportband;
    case station::Station::Stationhandling:
        return m_c.stationhandling;
    case station::Station::TransHandling:
        return m_c.transHandling;
    case station::Station::Start:
    case station::Station::Interface:
        break;
    }
    return m_c.interfacing;
}

void StationButtons::mark(station::Station s)
{
    m_c.stationFrame->setCaption(station::moduleCaption(s));
    const ctl::CommandButton* chosen = button(s);
    m_white = nullptr;
    for (ctl::CommandButton* b : {m_c.stapelMagazijn, m_c.transportband, m_c.stationhandling,
                                  m_c.transHandling, m_c.interfacing})
        if (b != chosen) {
            b->setBackColor(mw::KleurNormaal);
            b->setChecked(false);
        }
    button(s)->setBackColor(mw::KleurLichtgroen);
    button(s)->setChecked(true);
}

void StationButtons::markCurrent()
{
    mark(m_state.current());
}

void StationButtons::entered(qint16 knop)
{
    // Mouse moves come many times a second; only entering a button counts.
    if (m_underMouse == knop)
        return;
    m_underMouse = knop;
    kleurBeheer(knop);
}

void StationButtons::kleurBeheer(int aktieCijfer)
{
    ctl::CommandButton* const byKnop[] = {
        m_c.transportband, m_c.stapelMagazijn, m_c.stationhandling, m_c.transHandling,
        nullptr,           m_c.interfacing};
    const std::initializer_list<ctl::CommandButton*> all = {m_c.transportband, m_c.stapelMagazijn,
                                                            m_c.stationhandling, m_c.transHandling,
                                                            m_c.interfacing};

    const ctl::CommandButton* active = button(m_state.current());
    if (aktieCijfer >= 0 && aktieCijfer <= 5 && byKnop[aktieCijfer]) {
        ctl::CommandButton* hovered = byKnop[aktieCijfer];
        for (ctl::CommandButton* b : all)
            if (b != hovered && b != active)
                b->setBackColor(mw::KleurNormaal);
        m_white = hovered != active ? hovered : nullptr;
        if (m_white)
            m_white->setBackColor(mw::KleurWit);
        return;
    }
    if (aktieCijfer == kLeave) {
        if (m_white)
            m_white->setBackColor(mw::KleurNormaal);
        m_white = nullptr;
        m_underMouse = -1;
        return;
    }
    if (aktieCijfer == kRelabel)
        relabelPoints();
}

void StationButtons::relabelPoints()
{
    const station::StationData& d = station::data(m_state.current());
    for (int i = 0; i < 8; ++i) {
        m_c.outputs[i]->setCaption(d.outputs[i].name);
        m_c.inputs[i]->setCaption(d.inputs[i].name);
    }
}
