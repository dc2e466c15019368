#include "platform/ending.h"

namespace platform
{

bool Ending::start(const std::function<void()>& switchOff)
{
    if (m_started)
        return false;
    m_started = true;
    if (switchOff)
        switchOff();
    emit started();
    return true;
}

} // namespace platform
