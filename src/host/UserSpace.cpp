#include "host/UserSpace.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/HostText.h"

#include <cstring>

namespace zelvaro::userspace {

namespace {

[[noreturn]] void bad(const QString& what)
{
    throw HostError(QStringLiteral("The list space is not readable: %1.").arg(what));
}

QString text(const QByteArray& data, qint64 offset, int width, int ccsid)
{
    return hosttext::decode(data.constData() + offset, width, ccsid);
}

// The header's own texts (format, API, status) are of the invariant
// characters every EBCDIC page shares.
QString headerText(const QByteArray& data, qint64 offset, int width)
{
    return text(data, offset, width, hosttext::DefaultCcsid);
}

// Text as the host writes it: cut to the field, a character the code page
// lacks as "?".
void put(QByteArray& data, qint64 offset, const QString& value, int width, int ccsid)
{
    const QString cut = value.left(width);
    QByteArray bytes;
    try {
        bytes = hosttext::encodeFixed(cut, width, ccsid, QStringLiteral("Text"));
    } catch (const HostError&) {
        bytes.clear();
        for (const QChar c : cut) {
            try {
                bytes += hosttext::encodeFixed(QString(c), 1, ccsid, QStringLiteral("Text"));
            } catch (const HostError&) {
                bytes +=
                    hosttext::encodeFixed(QStringLiteral("?"), 1, ccsid, QStringLiteral("Text"));
            }
        }
        bytes += QByteArray(width - bytes.size(), char(0x40));
    }
    memcpy(data.data() + offset, bytes.constData(), size_t(width));
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
    const QString status = headerText(data, InformationStatus, 1);
    if (status == QLatin1String("I")) bad(QStringLiteral("the list is incomplete (status I)"));
    const QString written = headerText(data, FormatName, 8);
    if (written != format)
        bad(QStringLiteral("format %1 where %2 was asked for").arg(written.trimmed(), format));
    Header h;
    h.listOffset = readInt(data, ListOffset);
    h.entryCount = readInt(data, EntryCount);
    h.entrySize = readInt(data, EntrySize);
    h.ccsid = readInt(data, ListCcsid);
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
        names << text(data, h.listOffset + k * h.entrySize, 10, h.ccsid);
    return names;
}

QStringList fieldHeadingLines(const QByteArray& data)
{
    const Header h = readHeader(data, QStringLiteral("FLDL0100"), FieldEntryMinimum);
    QStringList lines;
    for (qint64 k = 0; k < h.entryCount; ++k) {
        const qint64 at = h.listOffset + k * h.entrySize;
        // The headings are in their own CCSID where the entry names one.
        const qint32 own = h.entrySize >= HeadingCcsid + 4 ? readInt(data, at + HeadingCcsid) : 0;
        const int headingCcsid = own > 0 ? own : h.ccsid;
        // Each part as read back: without its trailing blanks.
        auto part = [&](qint64 offset, int width, int ccsid) {
            return rtrimBlanks(text(data, offset, width, ccsid));
        };
        lines << part(at, 10, h.ccsid) + QLatin1Char('=') + part(at + 152, 20, headingCcsid) +
                     QLatin1Char(' ') + part(at + 172, 20, headingCcsid) + QLatin1Char(' ') +
                     part(at + 192, 20, headingCcsid);
    }
    return lines;
}

QByteArray buildList(const QString& format, const QString& api, const QByteArray& inputParameters,
                     int entrySize, const std::vector<QByteArray>& entries, int ccsid)
{
    const qint64 inputOffset = HeaderSize;
    const qint64 listOffset = inputOffset + inputParameters.size();
    const qint64 listSize = qint64(entries.size()) * entrySize;
    QByteArray data(listOffset + listSize, char(0));
    data.replace(UserArea, 64, QByteArray(64, char(0x40)));
    writeInt(data, GenericHeaderSize, HeaderSize);
    put(data, 68, QStringLiteral("0100"), 4, hosttext::DefaultCcsid);
    put(data, FormatName, format, 8, hosttext::DefaultCcsid);
    put(data, ApiUsed, api, 10, hosttext::DefaultCcsid);
    put(data, 90, QString(), 13, hosttext::DefaultCcsid);
    put(data, InformationStatus, QStringLiteral("C"), 1, hosttext::DefaultCcsid);
    writeInt(data, SpaceUsed, qint32(data.size()));
    writeInt(data, InputOffset, qint32(inputOffset));
    writeInt(data, InputSize, qint32(inputParameters.size()));
    writeInt(data, HeaderOffset, qint32(listOffset));
    writeInt(data, HeaderSectionSize, 0);
    writeInt(data, ListOffset, qint32(listOffset));
    writeInt(data, ListSize, qint32(listSize));
    writeInt(data, EntryCount, qint32(entries.size()));
    writeInt(data, EntrySize, entrySize);
    writeInt(data, ListCcsid, ccsid);
    data.replace(inputOffset, inputParameters.size(), inputParameters);
    for (size_t k = 0; k < entries.size(); ++k) {
        const qsizetype n = qMin<qsizetype>(entries[k].size(), entrySize);
        memcpy(data.data() + listOffset + qint64(k) * entrySize, entries[k].constData(), size_t(n));
    }
    return data;
}

QByteArray objectEntry(const QString& name, const QString& library, const QString& type, int ccsid)
{
    QByteArray e(ObjectEntrySize, char(0x40));
    put(e, 0, name, 10, ccsid);
    put(e, 10, library, 10, ccsid);
    put(e, 20, type, 10, ccsid);
    return e;
}

QByteArray fieldEntry(const FieldEntry& field, int ccsid)
{
    QByteArray e(FieldEntrySize, char(0));
    put(e, 0, field.name, 10, ccsid);
    put(e, 32, QString(), 50, ccsid);
    put(e, 88, QString(), 64, ccsid);
    for (int h = 0; h < 3; ++h)
        put(e, 152 + 20 * h, field.headings[h], 20, ccsid);
    // Text description, data and heading CCSIDs.
    for (int offset : {HeadingCcsid - 8, HeadingCcsid - 4, int(HeadingCcsid)})
        writeInt(e, offset, ccsid);
    return e;
}

} // namespace zelvaro::userspace
