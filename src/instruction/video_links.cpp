#include "instruction/video_links.h"

#include "platform/services.h"
#include "settings/installation_settings.h"

#include <QSettings>
#include <QStringList>
#include <optional>

namespace instr
{

namespace
{

// Reads one key of [video]; a value that cannot be used is dropped with a
// warning, a blank one means "not configured".
QString readKey(QSettings& settings, const QString& key)
{
    const settings::Value v = settings::read(settings, QStringLiteral("video"), key);
    if (!v.present || v.blank)
        return {};
    if (!v.usable) {
        qCWarning(lcDravik).noquote()
            << QStringLiteral("ignoring video setting %1 = %2 in the installation file")
                   .arg(key, v.shown);
        return {};
    }
    return v.value.toString();
}

} // namespace

bool isValidHost(const QString& host)
{
    return settings::isWebHost(host);
}

bool isValidVideoId(const QString& id)
{
    return settings::isVideoId(id);
}

VideoSettings VideoSettings::fromSettings(QSettings& settings)
{
    VideoSettings s;
    s.siteHost = readKey(settings, QStringLiteral("site_host"));
    s.videoHost = readKey(settings, QStringLiteral("video_host"));
    s.stapelMagazijnId = readKey(settings, QStringLiteral("stapel_magazijn_id"));
    s.stationHandlingId = readKey(settings, QStringLiteral("station_handling_id"));
    return s;
}

const VideoSettings& VideoSettings::installed()
{
    static QString readFrom;
    static std::optional<VideoSettings> cached;
    const QString path = settings::installationFilePath();
    if (!cached || path != readFrom) {
        readFrom = path;
        QSettings* file = settings::installationFile();
        cached = file ? fromSettings(*file) : VideoSettings{};
    }
    return *cached;
}

VideoAddress videoAddress(station::Station inView, const VideoSettings& settings)
{
    const QString scheme = QStringLiteral("http://");
    auto build = [&](const QString& host, const char* hostKey, const QString& path,
                     const QStringList& query, const QString& fragment) -> VideoAddress {
        if (host.isEmpty())
            return {QString(), QString::fromLatin1(hostKey)};
        QString url = scheme + host + path;
        if (!query.isEmpty())
            url += QLatin1Char('?') + query.join(QLatin1Char('&'));
        return {url + fragment, QString()};
    };
    auto watch = [&](const QString& id, const char* idKey, const QString& fragment) {
        if (settings.videoHost.isEmpty() || !id.isEmpty())
            return build(settings.videoHost, "video_host", QStringLiteral("/watch"),
                         {QStringLiteral("feature=player_detailpage"), QStringLiteral("v=") + id},
                         fragment);
        return VideoAddress{QString(), QString::fromLatin1(idKey)};
    };
    switch (inView) {
    case station::Station::Transportband:
        return build(settings.siteHost, "site_host", QStringLiteral("/filmpje transportband.mp4"),
                     {}, QString());
    case station::Station::Stationhandling:
        return watch(settings.stationHandlingId, "station_handling_id", QStringLiteral("#t=22s"));
    case station::Station::StapelMagazijn:
        return watch(settings.stapelMagazijnId, "stapel_magazijn_id", QString());
    case station::Station::Start:
    case station::Station::Interface:
    case station::Station::TransHandling:
        break;
    }
    return {};
}

} // namespace instr
