#include "support/program_files.h"

#include "component_figure/figure_tables.h"
#include "description/description_tables.h"
#include "interface_link/interface_model.h"
#include "station/station_data.h"

namespace testing
{

QStringList programPictures()
{
    QStringList names;
    for (auto id : {station::Station::StapelMagazijn, station::Station::Transportband,
                    station::Station::Stationhandling, station::Station::TransHandling})
        names << station::data(id).picture;
    for (int model : {iface::kModelD16, iface::kModelD8A, iface::kModelMini})
        names << iface::interfaceModel(model).picture;
    names << QString::fromLatin1(fig::kPanelPicture);
    QStringList kinds;
    for (auto s : {station::Station::Transportband, station::Station::StapelMagazijn,
                   station::Station::Stationhandling, station::Station::TransHandling})
        for (int i = 0; i < 16; ++i)
            if (auto c = fig::componentFor(s, i)) {
                names << c->picture;
                kinds << c->kind;
            }
    // Follow each alternation until it comes back.
    for (QString kind : kinds)
        for (int step = 0; step < 4; ++step)
            if (auto next = fig::alternate(kind)) {
                names << next->picture;
                kind = next->kind;
            }
    for (auto s : {desc::Station::StapelMagazijn, desc::Station::Transportband,
                   desc::Station::Stationhandling}) {
        names << desc::stationPicture(s);
        for (int n = desc::kFirstPart; n <= desc::kLastPart; ++n)
            names << desc::partPicture(s, n).fileName;
    }
    // The picture of the handling station's third instruction page.
    names << QStringLiteral("Cilinder Dubbelwerkend ADN Bediend.bmp");
    names.removeDuplicates();
    return names;
}

QStringList programSounds()
{
    return {QStringLiteral("Verbonden.wav"), QStringLiteral("Verbroken.wav"),
            QStringLiteral("Klik 01.wav"), QStringLiteral("Klik 02.wav")};
}

} // namespace testing
