#pragma once

#include "station/station.h"

#include <QString>

class QSettings;

// The video of a station: its address, built from the installation's hosts
// and video identifiers and the fixed paths, queries and fragment.
namespace instr
{

// The stations with a video: the three single stations.
constexpr bool hasVideo(station::Station s)
{
    return s == station::Station::Transportband || s == station::Station::Stationhandling ||
           s == station::Station::StapelMagazijn;
}

// Read from the group [video] of the installation file; see
// docs/video-links.md. Every key is optional; a missing one leaves the
// value empty.
//
//   site_host            the program's own web site (conveyor video file)
//   video_host           the video-sharing site (the two other stations)
//   stapel_magazijn_id   video identifier of the stack magazine
//   station_handling_id  video identifier of the handling station
struct VideoSettings {
    QString siteHost;
    QString videoHost;
    QString stapelMagazijnId;
    QString stationHandlingId;

    // A value that is not a plain host name (optionally with :port) or a
    // plain identifier is left empty, with one warning per key.
    static VideoSettings fromSettings(QSettings& settings);

    // The settings of the installation file in the program's folder, read
    // on first use and kept for as long as that file path stays the same.
    static const VideoSettings& installed();
};

bool isValidHost(const QString& host);
bool isValidVideoId(const QString& id);

struct VideoAddress {
    QString url;     // empty when the address cannot be built
    QString missing; // the key that is needed and not configured
};

// Scheme, host, path, then "?" and the query parts joined by "&", then the
// fragment. The conveyor's file name keeps its blank unescaped. A station
// without a video gives an empty address.
VideoAddress videoAddress(station::Station inView, const VideoSettings& settings);

} // namespace instr
