#include "support/program_fixture.h"

#include <QAbstractButton>
#include <QTest>

namespace testing
{

ProgramFixture::ProgramFixture(bool realBoxes, ManualTime* time)
    : port({}, time ? time->newStation() : nullptr)
{
    if (realBoxes)
        platform::setMessages(nullptr);
    main = std::make_unique<Main>(&port);
    main->setQuitHandler([this] { ++quits; });
    // As main() links them.
    simulated().setStation(main->stationState().current());
    QObject::connect(&main->stationState(), &station::StationState::changed, &simulated(),
                     &sim::StationRunner::setStation);
    station = virt::attachVirtualStation(&port, main.get());
    planHost = std::make_unique<MainPlanHost>(*main);
    stepPlan = std::make_unique<plan::StepPlanWindow>(*planHost, time ? time->newClock() : nullptr);
    plan::attachStepPlan(main.get(), main->FrameCommand, stepPlan.get());
    if (station)
        plan::attachStepPlan(station.get(), main.get(), stepPlan.get());
}

ProgramFixture::~ProgramFixture()
{
    stepPlan.reset();
    planHost.reset();
    station.reset();
    main.reset();
}

void ProgramFixture::click(const QString& name) const
{
    clickControl(control<QWidget>(name), name);
}

} // namespace testing
