#include "main_window/station_tables.h"

namespace mw
{

const NameTables& nameTables()
{
    using station::Station;
    static const NameTables t = {station::data(Station::Transportband).outputNames(),
                                 station::data(Station::Transportband).inputNames(),
                                 station::data(Station::StapelMagazijn).outputNames(),
                                 station::data(Station::StapelMagazijn).inputNames(),
                                 station::data(Station::Stationhandling).outputNames(),
                                 station::data(Station::Stationhandling).inputNames()};
    return t;
}

} // namespace mw
