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
    program = std::make_unique<app::Program>(port, klas::KlasSettings{},
                                             time ? time->newClock() : nullptr);
    main = &program->window();
    main->setQuitHandler([this] { ++quits; });
    planHost = &program->planHost();
    stepPlan = &program->stepPlan();
    station = program->virtualStation();
}

ProgramFixture::~ProgramFixture()
{
    program.reset();
}

void ProgramFixture::click(const QString& name) const
{
    clickControl(control<QWidget>(name), name);
}

} // namespace testing
