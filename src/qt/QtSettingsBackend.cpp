#include "QtSettingsBackend.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

#include <cstdio>

using orvane::ValueType;

// The store, one group per value:
//   [Device%20List%20Starts%20With%20Name]
//   data=@ByteArray(\x1\0\0\0)
//   type=4
// A value whose type is not a number or whose data is not bytes reads as missing; a file
// QSettings cannot read reads as an empty key, and the next write replaces it.
namespace {

// Far above three small values; keeps a runaway or hostile file from being read whole.
constexpr qint64 kMaxStoreBytes = 1 << 20;

// A value name as a group name: printable ASCII as it is, every other byte and the three
// that QSettings gives a meaning ('%', '/', '\') as %HH, so any name comes back unchanged.
QString GroupFor(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    QString group;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '%' && c != '/' && c != '\\') {
            group += QLatin1Char(c);
        } else {
            group += QLatin1Char('%');
            group += QLatin1Char(kHex[b >> 4]);
            group += QLatin1Char(kHex[b & 0x0F]);
        }
    }
    return group;
}

bool NameOf(const QString& group, std::string& name) {
    name.clear();
    const QByteArray bytes = group.toLatin1();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '%') {
            name += bytes[i];
            continue;
        }
        bool ok = false;
        const int b = bytes.mid(i + 1, 2).toInt(&ok, 16);
        if (!ok || i + 2 >= bytes.size()) return false;
        name += static_cast<char>(b);
        i += 2;
    }
    return !name.empty();
}

bool WriteEmptyStore(const QString& file) {
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.commit();
}

} // namespace

QtSettingsBackend::QtSettingsBackend(QString runtimeDir) : m_runtimeDir(std::move(runtimeDir)) {}

QString QtSettingsBackend::fileFor(const std::string& keyPath) const {
    if (m_runtimeDir.isEmpty() || keyPath.empty()) return {};
    QString file = m_runtimeDir;
    const QStringList parts = QString::fromUtf8(keyPath).split(QLatin1Char('\\'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        // Each part of the key path is one folder name: nothing that could climb out of
        // the runtime folder or name a second level.
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..") ||
            part.contains(QLatin1Char('/')) || part.contains(QChar(0)))
            return {};
        file += QLatin1Char('/') + part;
    }
    return file + QLatin1String(".ini");
}

bool QtSettingsBackend::OpenKey(const std::string& path) {
    CloseKey();
    if (m_runtimeDir.isEmpty()) {
        if (!m_toldNoRuntimeDir)
            std::fprintf(stderr, "orvane-dialer: XDG_RUNTIME_DIR is not set; the settings "
                                 "are not kept\n");
        m_toldNoRuntimeDir = true;
        return false;
    }
    const QString file = fileFor(path);
    if (file.isEmpty()) return false;

    const QFileInfo info(file);
    if (info.exists()) {
        if (!info.isFile()) return false;
        m_file = file;
        if (load()) return true;
        CloseKey();
        return false;
    }
    // First open: the key is created, empty.
    if (!QDir().mkpath(info.absolutePath()) || !WriteEmptyStore(file)) return false;
    m_file = file;
    return true;
}

void QtSettingsBackend::CloseKey() {
    m_file.clear();
    m_values.clear();
}

bool QtSettingsBackend::QueryValue(const std::string& name, ValueType& type,
                                   std::vector<std::uint8_t>& data, std::size_t maxBytes) {
    if (m_file.isEmpty()) return false;
    const auto it = m_values.find(name);
    if (it == m_values.end() || it->second.data.size() > maxBytes) return false;
    type = it->second.type;
    data = it->second.data;
    return true;
}

bool QtSettingsBackend::SetValue(const std::string& name, ValueType type,
                                 const std::vector<std::uint8_t>& data) {
    if (m_file.isEmpty() || name.empty()) return false;
    std::map<std::string, Value> next = m_values;
    next[name] = Value{type, data};
    // What this object holds stays what the file holds.
    if (!save(next)) return false;
    m_values.swap(next);
    return true;
}

// Reads the open key's file. A file that cannot be read is an error; a damaged one reads
// as an empty key (the defaults apply, and the next write replaces it).
bool QtSettingsBackend::load() {
    m_values.clear();
    const QFileInfo info(m_file);
    if (!info.isReadable()) return false;
    if (info.size() > kMaxStoreBytes) return true;
    QSettings store(m_file, QSettings::IniFormat);
    if (store.status() == QSettings::AccessError) return false;
    if (store.status() != QSettings::NoError) return true;
    for (const QString& group : store.childGroups()) {
        std::string name;
        if (!NameOf(group, name)) continue;
        // The type as written in the file is text; as this process wrote it, a number.
        bool ok = false;
        const uint type = store.value(group + QLatin1String("/type")).toString().toUInt(&ok);
        const QVariant storedData = store.value(group + QLatin1String("/data"));
        if (!ok || storedData.typeId() != QMetaType::QByteArray) continue;
        const QByteArray bytes = storedData.toByteArray();
        m_values[name] = Value{static_cast<ValueType>(type),
                               std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
    }
    return true;
}

bool QtSettingsBackend::save(const std::map<std::string, Value>& values) {
    if (!QDir().mkpath(QFileInfo(m_file).absolutePath())) return false;
    {
        // QSettings keeps the damage mark of a store it could not read: one that cannot be
        // read is first replaced by an empty one.
        QSettings old(m_file, QSettings::IniFormat);
        if (old.status() == QSettings::FormatError && !WriteEmptyStore(m_file)) return false;
    }
    QSettings store(m_file, QSettings::IniFormat);
    // The new store is written aside and renamed over the old one (never rewritten in place).
    store.setAtomicSyncRequired(true);
    store.clear();
    for (const auto& [name, value] : values) {
        const QString group = GroupFor(name);
        store.setValue(group + QLatin1String("/type"), static_cast<uint>(value.type));
        store.setValue(group + QLatin1String("/data"),
                       QByteArray(reinterpret_cast<const char*>(value.data.data()),
                                  static_cast<qsizetype>(value.data.size())));
    }
    store.sync();
    return store.status() == QSettings::NoError;
}
