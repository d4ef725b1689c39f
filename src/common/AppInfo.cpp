#include "common/AppInfo.h"

#include "common/Error.h"

#include <QFile>
#include <cstring>

namespace zelvaro {

namespace {

template <typename T> T readAt(const QByteArray& b, qint64 offset)
{
    T v{};
    if (offset >= 0 && offset + qint64(sizeof(T)) <= b.size())
        std::memcpy(&v, b.constData() + offset, sizeof(T));
    return v;
}

QByteArray readRange(QFile& f, qint64 offset, qint64 size)
{
    if (size <= 0 || size > (64 << 20) || !f.seek(offset)) return {};
    return f.read(size);
}

} // namespace

bool readAppInfo(const QString& path, AppInfo& info)
{
    info = AppInfo();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw Error(QStringLiteral("AppInfo\n") + f.errorString());
    const QByteArray header = f.read(64);
    // ELF64, little-endian only; anything else has no version section.
    if (header.size() < 64 ||
        !header.startsWith("\x7f"
                           "ELF") ||
        header[4] != 2 || header[5] != 1)
        return true;
    const auto shoff = readAt<quint64>(header, 0x28);
    const auto shentsize = readAt<quint16>(header, 0x3A);
    const auto shnum = readAt<quint16>(header, 0x3C);
    const auto shstrndx = readAt<quint16>(header, 0x3E);
    if (shentsize < 64 || shnum == 0 || shstrndx >= shnum) return true;
    const QByteArray sections = readRange(f, qint64(shoff), qint64(shentsize) * shnum);
    if (sections.size() < qint64(shentsize) * shnum) return true;
    auto sectionOffset = [&](int i) {
        return readAt<quint64>(sections, qint64(i) * shentsize + 0x18);
    };
    auto sectionSize = [&](int i) {
        return readAt<quint64>(sections, qint64(i) * shentsize + 0x20);
    };
    const QByteArray names =
        readRange(f, qint64(sectionOffset(shstrndx)), qint64(sectionSize(shstrndx)));
    for (int i = 0; i < shnum; ++i) {
        const auto nameOffset = readAt<quint32>(sections, qint64(i) * shentsize);
        if (nameOffset >= quint32(names.size())) continue;
        if (std::strcmp(names.constData() + nameOffset, ".zvinfo") != 0) continue;
        const QByteArray data = readRange(f, qint64(sectionOffset(i)), qint64(sectionSize(i)));
        for (const QByteArray& entry : data.split('\0')) {
            const int eq = entry.indexOf('=');
            if (eq < 0) continue;
            const QByteArray key = entry.left(eq);
            const QString value = QString::fromUtf8(entry.mid(eq + 1));
            if (key == "FileVersion") info.fileVersion = value;
            if (key == "FileDescription") info.fileDescription = value;
        }
        break;
    }
    return true;
}

} // namespace zelvaro
