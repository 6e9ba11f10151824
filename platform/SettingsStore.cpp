#include "platform/SettingsStore.h"

#include "core/Logging.h"

#include <QFile>
#include <QSettings>
#include <cmath>
#include <limits>

namespace platform {

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Gremlok"), QStringLiteral("Gremlok")))
{
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::recoverIfCorrupt()
{
    if (m_settings->status() != QSettings::FormatError)
        return;
    // QSettings never writes over a file it could not parse, so one damaged file would make
    // every later write fail silently. Keep what could be read, put the damaged file aside
    // for the curious, and go on with a clean file.
    QHash<QString, QVariant> readable;
    for (const QString& k : m_settings->allKeys())
        readable.insert(k, m_settings->value(k));
    const QString path = m_settings->fileName();
    m_settings.reset();
    QFile::remove(path + QStringLiteral(".bad"));
    QFile::rename(path, path + QStringLiteral(".bad"));
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    for (auto it = readable.constBegin(); it != readable.constEnd(); ++it)
        m_settings->setValue(it.key(), it.value());
    m_settings->sync();
}

QString SettingsStore::fileName() const { return m_settings->fileName(); }

int32_t SettingsStore::OpenKey(int32_t root, const QString& subKey, int32_t /*reserved*/)
{
    if (root != HKEY_CURRENT_USER)
        return 0;
    QString path = subKey;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    OpenedKey k;
    static const QString ownPrefix = QStringLiteral("Software\\Gremlok\\");
    static const QString eventPrefix = QStringLiteral("AppEvents\\Schemes\\Apps\\Gremlok\\");
    static const QString eventSuffix = QStringLiteral("\\.Current");
    if (path.startsWith(ownPrefix, Qt::CaseInsensitive)) {
        k.group = path.mid(ownPrefix.size());
    } else if (path.startsWith(eventPrefix, Qt::CaseInsensitive)
               && path.endsWith(eventSuffix, Qt::CaseInsensitive)) {
        k.group = QStringLiteral("SoundEvents");
        k.fixedName = path.mid(eventPrefix.size(),
                               path.size() - eventPrefix.size() - eventSuffix.size());
    } else {
        k.group = path;
    }
    k.group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (k.group.isEmpty())
        return 0;
    // Pick up values put into the file by hand since the last look.
    m_settings->sync();
    recoverIfCorrupt();
    const int32_t handle = m_nextHandle++;
    m_keys.insert(handle, k);
    return handle;
}

const SettingsStore::OpenedKey* SettingsStore::find(int32_t key) const
{
    auto it = m_keys.constFind(key);
    return it == m_keys.constEnd() ? nullptr : &it.value();
}

QString SettingsStore::valueName(const OpenedKey& k, const QString& name) const
{
    const QString n = name.isEmpty() && !k.fixedName.isEmpty() ? k.fixedName : name;
    return k.group + QLatin1Char('/') + (n.isEmpty() ? QStringLiteral("Default") : n);
}

QVariant SettingsStore::GetValue(int32_t key, const QString& name, const QVariant& def)
{
    const OpenedKey* k = find(key);
    if (!k)
        return QVariant();
    const QString full = valueName(*k, name);
    if (!m_settings->contains(full))
        return def;
    return m_settings->value(full);
}

int32_t SettingsStore::SetValue(int32_t key, const QString& name, const QVariant& value)
{
    const OpenedKey* k = find(key);
    if (!k)
        return 1;
    QString text;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        text = value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        break;
    case QMetaType::Float:
    case QMetaType::Double:
        text = floatText(value.toFloat());
        break;
    default:
        text = value.toString();
        break;
    }
    m_settings->setValue(valueName(*k, name), text);
    // Flushed at once: a crash right after a write must not lose it.
    m_settings->sync();
    recoverIfCorrupt();
    return m_settings->status() == QSettings::NoError ? 0 : 2;
}

void SettingsStore::CloseKey(int32_t key) { m_keys.remove(key); }

QString SettingsStore::floatText(float f)
{
    // The shortest text that reads back as the same float.
    for (int precision = 6; precision <= 9; ++precision) {
        const QString t = QString::number(double(f), 'g', precision);
        if (t.toFloat() == f)
            return t;
    }
    return QString::number(double(f), 'g', 9);
}

bool SettingsStore::toBool(const QVariant& v, bool& ok)
{
    ok = true;
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool();
    const QString t = v.toString().trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("-1") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0"))
        return false;
    ok = false;
    return false;
}

qint64 SettingsStore::toInteger(const QVariant& v, bool& ok)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UChar:
        ok = true;
        return v.toLongLong();
    case QMetaType::Bool:
        ok = true;
        return v.toBool() ? -1 : 0;
    default:
        break;
    }
    const QString t = v.toString().trimmed();
    qint64 n = t.toLongLong(&ok);
    if (!ok) {
        // A whole number written as a float ("999999.0") still converts.
        const double d = t.toDouble(&ok);
        if (ok && std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.2e18)
            n = qint64(d);
        else
            ok = false;
    }
    return n;
}

float SettingsStore::toFloat(const QVariant& v, bool& ok)
{
    const double d = v.toString().trimmed().toDouble(&ok);
    if (ok && (!std::isfinite(d) || std::fabs(d) > double(std::numeric_limits<float>::max())))
        ok = false;
    return ok ? float(d) : 0.0f;
}

namespace {
template <class Int>
bool readRanged(SettingsStore& s, int32_t key, const QString& name, qint64 def, Int& out,
                qint64 lo, qint64 hi)
{
    const QVariant v = s.GetValue(key, name, def);
    if (!v.isValid())
        return false;
    bool ok = false;
    const qint64 n = SettingsStore::toInteger(v, ok);
    if (!ok || n < lo || n > hi) {
        qCWarning(lcCore) << "Setting" << name << "=" << v.toString() << "is not a number from" << lo << "to" << hi;
        return false;
    }
    out = Int(n);
    return true;
}
} // namespace

bool SettingsStore::ReadBool(int32_t key, const QString& name, bool def, bool& out)
{
    const QVariant v = GetValue(key, name, def);
    if (!v.isValid())
        return false;
    bool ok = false;
    const bool b = toBool(v, ok);
    if (ok)
        out = b;
    else
        qCWarning(lcCore) << "Setting" << name << "=" << v.toString() << "is not true or false";
    return ok;
}

bool SettingsStore::ReadByte(int32_t key, const QString& name, int def, uint8_t& out)
{
    return readRanged(*this, key, name, def, out, 0, 255);
}

bool SettingsStore::ReadInt16(int32_t key, const QString& name, int def, int16_t& out)
{
    return readRanged(*this, key, name, def, out, -32768, 32767);
}

bool SettingsStore::ReadInt32(int32_t key, const QString& name, int32_t def, int32_t& out)
{
    return readRanged(*this, key, name, def, out, std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::max());
}

bool SettingsStore::ReadFloat(int32_t key, const QString& name, float def, float& out)
{
    const QVariant v = GetValue(key, name, def);
    if (!v.isValid())
        return false;
    bool ok = false;
    const float f = v.metaType().id() == QMetaType::Float ? v.toFloat() : toFloat(v, ok);
    if (v.metaType().id() == QMetaType::Float)
        ok = true;
    if (ok)
        out = f;
    else
        qCWarning(lcCore) << "Setting" << name << "=" << v.toString() << "is not a number";
    return ok;
}

bool SettingsStore::ReadString(int32_t key, const QString& name, const QString& def, QString& out)
{
    const QVariant v = GetValue(key, name, def);
    if (!v.isValid())
        return false;
    out = v.toString();
    return true;
}

} // namespace platform
