#include "instruction/video_links.h"

#include "interface_link/interface_factory.h"
#include "platform/services.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>
#include <optional>

namespace instr
{

namespace
{

// Reads one key of [video]; a value that fails `valid` is dropped with a
// warning.
QString readKey(QSettings& settings, const QString& key, bool (*valid)(const QString&))
{
    const QString path = QStringLiteral("video/") + key;
    if (!settings.contains(path))
        return {};
    const QVariant raw = settings.value(path);
    // A value with a comma arrives as a list: never a host or identifier.
    QString value = raw.typeId() == QMetaType::QString ? raw.toString().trimmed() : QString();
    if (raw.typeId() == QMetaType::QString && value.isEmpty())
        return {}; // left blank: not configured
    if (value.isEmpty() || !valid(value)) {
        qCWarning(lcDravik) << "ignoring video setting" << key << "=" << raw
                            << "in the installation file";
        return {};
    }
    return value;
}

} // namespace

bool isValidHost(const QString& host)
{
    // Labels of letters, digits and inner hyphens, dot separated, with an
    // optional port: nothing that could add a path, query or user part.
    static const QRegularExpression re(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,"
                       "61}[A-Za-z0-9])?)*"
                       "(:[0-9]{1,5})?$"));
    if (host.size() > 253 || !re.match(host).hasMatch())
        return false;
    const int colon = host.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return true;
    const int port = host.mid(colon + 1).toInt();
    return port >= 1 && port <= 65535;
}

bool isValidVideoId(const QString& id)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return re.match(id).hasMatch();
}

VideoSettings VideoSettings::fromSettings(QSettings& settings)
{
    VideoSettings s;
    s.siteHost = readKey(settings, QStringLiteral("site_host"), isValidHost);
    s.videoHost = readKey(settings, QStringLiteral("video_host"), isValidHost);
    s.stapelMagazijnId = readKey(settings, QStringLiteral("stapel_magazijn_id"), isValidVideoId);
    s.stationHandlingId = readKey(settings, QStringLiteral("station_handling_id"), isValidVideoId);
    return s;
}

const VideoSettings& VideoSettings::installed()
{
    static QString readFrom;
    static std::optional<VideoSettings> cached;
    const QString path = link::installationFilePath();
    if (!cached || path != readFrom) {
        readFrom = path;
        if (QFileInfo::exists(path)) {
            QSettings settings(path, QSettings::IniFormat);
            if (settings.status() != QSettings::NoError)
                qCWarning(lcDravik) << "the installation file" << path << "cannot be read";
            cached = fromSettings(settings);
        } else {
            cached = VideoSettings{};
        }
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
