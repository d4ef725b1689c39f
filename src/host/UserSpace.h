#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace zelvaro {

// The list APIs' user space as the host writes it: the generic header 0100
// (192 bytes), the input parameter section, then the list, entry after
// entry. Integers are 4-byte big-endian; text EBCDIC in the CCSID the
// header names (the headings of a field entry in the CCSID it names).
namespace userspace {

constexpr int HeaderSize = 192;
constexpr int ObjectEntrySize = 30;    // OBJL0100
constexpr int FieldEntrySize = 560;    // FLDL0100 as this host writes it
constexpr int FieldEntryMinimum = 212; // up to the third heading
constexpr qint64 RetrieveLimit = 16 * 1024 * 1024;

// Generic header offsets.
enum Offset {
    UserArea = 0,
    GenericHeaderSize = 64,
    FormatName = 72,
    ApiUsed = 80,
    InformationStatus = 103,
    SpaceUsed = 104,
    InputOffset = 108,
    InputSize = 112,
    HeaderOffset = 116,
    HeaderSectionSize = 120,
    ListOffset = 124,
    ListSize = 128,
    EntryCount = 132,
    EntrySize = 136,
    ListCcsid = 140
};
// FLDL0100: the column headings' CCSID (after the text description's at
// 268 and the data's at 272).
constexpr int HeadingCcsid = 276;

qint32 readInt(const QByteArray& data, qint64 offset);
void writeInt(QByteArray& data, qint64 offset, qint32 value);

struct Header {
    qint64 listOffset = 0;
    qint64 entryCount = 0;
    qint64 entrySize = 0;
    int ccsid = 0; // of the list's text
    // Bytes up to the end of the list: what a retrieval must cover.
    qint64 listEnd() const { return listOffset + entryCount * entrySize; }
};

// Reads and checks the header of retrieved data: the format must be the one
// asked for, the status complete, the entry size at least `minimumEntry`
// and the whole list inside the retrieved bytes. A bad space raises
// HostError saying what is wrong; nothing outside `data` is ever read.
// Entries are decoded in the header's CCSID: one unknown here raises
// HostError naming it.
Header readHeader(const QByteArray& data, const QString& format, int minimumEntry);
// The same checks without the list-inside test (the first, short retrieval
// that learns how much to retrieve).
Header peekHeader(const QByteArray& data, const QString& format, int minimumEntry);

// "Object Name" of every OBJL0100 entry, as read (blank-padded to 10).
QStringList objectNames(const QByteArray& data);
// The field-heading line of every FLDL0100 entry: field name, "=", heading
// 1, " ", heading 2, " ", heading 3, each without its trailing blanks.
QStringList fieldHeadingLines(const QByteArray& data);

// Writing a list, for the embedded host's list APIs.
struct FieldEntry {
    QString name;
    QString headings[3];
};
// A space holding a list of `entrySize`-byte entries (format, API name and
// the input parameters recorded as the host does).
QByteArray buildList(const QString& format, const QString& api, const QByteArray& inputParameters,
                     int entrySize, const std::vector<QByteArray>& entries, int ccsid);
QByteArray objectEntry(const QString& name, const QString& library, const QString& type, int ccsid);
QByteArray fieldEntry(const FieldEntry& field, int ccsid);

} // namespace userspace
} // namespace zelvaro
