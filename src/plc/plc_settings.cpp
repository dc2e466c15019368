#include "plc/plc_settings.h"

#include "platform/services.h"
#include "settings/installation_settings.h"

#include <QDir>
#include <QSettings>

#include <optional>

namespace plc
{

namespace
{

class Reader
{
  public:
    Reader(QSettings& file, QString& problem) : m_file(file), m_problem(problem) {}

    std::optional<QVariant> take(const char* name)
    {
        const settings::Value v =
            settings::read(m_file, QStringLiteral("plc"), QString::fromLatin1(name));
        if (!v.present)
            return std::nullopt;
        if (v.usable)
            return v.value;
        refuse(QString::fromLatin1(name), v.shown, v.expected);
        return std::nullopt;
    }

    void refuse(const QString& key, const QString& shown, const QString& expected)
    {
        qCWarning(lcDravik).noquote()
            << QStringLiteral("[plc] %1: value %2 cannot be used (expected: %3); nothing will "
                              "listen for PLCs")
                   .arg(key, shown, expected);
        if (m_problem.isEmpty()) {
            m_problem = QStringLiteral("In %1 staat onder [plc] %2=%3. Die waarde is niet "
                                       "bruikbaar: verwacht is %4.")
                            .arg(QDir::toNativeSeparators(m_file.fileName()), key, shown, expected);
        }
    }

  private:
    QSettings& m_file;
    QString& m_problem;
};

} // namespace

PlcSettings PlcSettings::fromSettings(QSettings& file)
{
    PlcSettings s;
    Reader r(file, s.problem);
    if (const auto v = r.take("listen"))
        s.listen = QHostAddress(v->toString());
    if (const auto v = r.take("port"))
        s.port = v->toInt();
    if (const auto v = r.take("unit"))
        s.unit = v->toInt();
    if (const auto v = r.take("watchdog")) {
        const int ms = v->toInt();
        // A watchdog shorter than a PLC's cycle plus the network would cut
        // in while the PLC is still there.
        if (ms != 0 && ms < MinWatchdogMs) {
            r.refuse(QStringLiteral("watchdog"), QString::number(ms),
                     QStringLiteral("0 (uit) of een geheel getal van 100 tot en met 60000"));
        } else {
            s.watchdogMs = ms;
        }
    }
    if (const auto v = r.take("allow"))
        s.allow = settings::addressList(v->toString()).value_or(decltype(s.allow){});
    return s;
}

bool PlcSettings::allows(const QHostAddress& peer) const
{
    if (allow.isEmpty())
        return true;
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    if (!isV4)
        return false;
    const QHostAddress plain(v4);
    for (const auto& range : allow) {
        if (plain.isInSubnet(range.first, range.second))
            return true;
    }
    return false;
}

} // namespace plc
