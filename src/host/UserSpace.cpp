#include "host/UserSpace.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/Ebcdic.h"

#include <cstring>

namespace zelvaro::userspace {

namespace {

[[noreturn]] void bad(const QString& what)
{
    throw HostError(QStringLiteral("The list space is not readable: %1.").arg(what));
}

QString text(const QByteArray& data, qint64 offset, int width)
{
    return ebcdic::decode(data.constData() + offset, width);
}

void put(QByteArray& data, qint64 offset, const QString& value, int width)
{
    char* out = data.data() + offset;
    const qsizetype n = qMin<qsizetype>(value.size(), width);
    for (qsizetype i = 0; i < n; ++i)
        out[i] = char(ebcdic::fromUnicode(value[i].unicode()));
    for (qsizetype i = n; i < width; ++i)
        out[i] = char(0x40);
}

} // namespace

qint32 readInt(const QByteArray& data, qint64 offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + offset);
    return qint32((quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) |
                  quint32(p[3]));
}

void writeInt(QByteArray& data, qint64 offset, qint32 value)
{
    const auto v = quint32(value);
    data[offset] = char(v >> 24);
    data[offset + 1] = char(v >> 16);
    data[offset + 2] = char(v >> 8);
    data[offset + 3] = char(v);
}

Header peekHeader(const QByteArray& data, const QString& format, int minimumEntry)
{
    if (data.size() < HeaderSize)
        bad(QStringLiteral("%1 bytes, fewer than its header").arg(data.size()));
    const QString status = text(data, InformationStatus, 1);
    if (status == QLatin1String("I")) bad(QStringLiteral("the list is incomplete (status I)"));
    const QString written = text(data, FormatName, 8);
    if (written != format)
        bad(QStringLiteral("format %1 where %2 was asked for").arg(written.trimmed(), format));
    Header h;
    h.listOffset = readInt(data, ListOffset);
    h.entryCount = readInt(data, EntryCount);
    h.entrySize = readInt(data, EntrySize);
    if (h.entryCount < 0) bad(QStringLiteral("%1 entries").arg(h.entryCount));
    if (h.entryCount > 0 && h.entrySize < minimumEntry)
        bad(QStringLiteral("entries of %1 bytes, fewer than %2")
                .arg(h.entrySize)
                .arg(minimumEntry));
    if (h.listOffset < HeaderSize)
        bad(QStringLiteral("the list starts at %1, inside the header").arg(h.listOffset));
    return h;
}

Header readHeader(const QByteArray& data, const QString& format, int minimumEntry)
{
    const Header h = peekHeader(data, format, minimumEntry);
    // 64-bit arithmetic: counts and sizes from the space cannot overflow it.
    if (h.listEnd() > data.size())
        bad(QStringLiteral("the list ends at %1, past the %2 bytes retrieved")
                .arg(h.listEnd())
                .arg(data.size()));
    return h;
}

QStringList objectNames(const QByteArray& data)
{
    const Header h = readHeader(data, QStringLiteral("OBJL0100"), ObjectEntrySize);
    QStringList names;
    for (qint64 k = 0; k < h.entryCount; ++k)
        names << text(data, h.listOffset + k * h.entrySize, 10);
    return names;
}

QStringList fieldHeadingLines(const QByteArray& data)
{
    const Header h = readHeader(data, QStringLiteral("FLDL0100"), FieldEntryMinimum);
    QStringList lines;
    for (qint64 k = 0; k < h.entryCount; ++k) {
        const qint64 at = h.listOffset + k * h.entrySize;
        // Each part as read back: without its trailing blanks.
        auto part = [&](qint64 offset, int width) {
            return rtrimBlanks(text(data, offset, width));
        };
        lines << part(at, 10) + QLatin1Char('=') + part(at + 152, 20) + QLatin1Char(' ') +
                     part(at + 172, 20) + QLatin1Char(' ') + part(at + 192, 20);
    }
    return lines;
}

QByteArray buildList(const QString& format, const QString& api, const QByteArray& inputParameters,
                     int entrySize, const std::vector<QByteArray>& entries)
{
    const qint64 inputOffset = HeaderSize;
    const qint64 listOffset = inputOffset + inputParameters.size();
    const qint64 listSize = qint64(entries.size()) * entrySize;
    QByteArray data(listOffset + listSize, char(0));
    data.replace(UserArea, 64, QByteArray(64, char(0x40)));
    writeInt(data, GenericHeaderSize, HeaderSize);
    put(data, 68, QStringLiteral("0100"), 4);
    put(data, FormatName, format, 8);
    put(data, ApiUsed, api, 10);
    put(data, 90, QString(), 13);
    put(data, InformationStatus, QStringLiteral("C"), 1);
    writeInt(data, SpaceUsed, qint32(data.size()));
    writeInt(data, InputOffset, qint32(inputOffset));
    writeInt(data, InputSize, qint32(inputParameters.size()));
    writeInt(data, HeaderOffset, qint32(listOffset));
    writeInt(data, HeaderSectionSize, 0);
    writeInt(data, ListOffset, qint32(listOffset));
    writeInt(data, ListSize, qint32(listSize));
    writeInt(data, EntryCount, qint32(entries.size()));
    writeInt(data, EntrySize, entrySize);
    writeInt(data, ListCcsid, 37);
    data.replace(inputOffset, inputParameters.size(), inputParameters);
    for (size_t k = 0; k < entries.size(); ++k) {
        const qsizetype n = qMin<qsizetype>(entries[k].size(), entrySize);
        memcpy(data.data() + listOffset + qint64(k) * entrySize, entries[k].constData(), size_t(n));
    }
    return data;
}

QByteArray objectEntry(const QString& name, const QString& library, const QString& type)
{
    QByteArray e(ObjectEntrySize, char(0x40));
    put(e, 0, name, 10);
    put(e, 10, library, 10);
    put(e, 20, type, 10);
    return e;
}

QByteArray fieldEntry(const FieldEntry& field)
{
    QByteArray e(FieldEntrySize, char(0));
    put(e, 0, field.name, 10);
    put(e, 32, QString(), 50);
    put(e, 88, QString(), 64);
    for (int h = 0; h < 3; ++h)
        put(e, 152 + 20 * h, field.headings[h], 20);
    return e;
}

} // namespace zelvaro::userspace
