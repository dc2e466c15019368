#include "station/station_state.h"

namespace station
{

void StationState::set(Station s)
{
    m_current = s;
    emit changed(s);
}

} // namespace station
