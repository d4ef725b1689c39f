#include "host/ProgramJob.h"

#include "host/HostText.h"
#include "host/UserSpace.h"

namespace zelvaro {

ProgramParameter ProgramParameter::chars(QString name, int length, QString text)
{
    ProgramParameter p;
    p.name = std::move(name);
    p.kind = Char;
    p.length = length;
    p.text = std::move(text);
    return p;
}

ProgramParameter ProgramParameter::qualified(QString name, const QString& object,
                                             const QString& library)
{
    // Each half is checked on its own: a long name never spills into the
    // library's half.
    hosttext::encodeFixed(object, 10, hosttext::DefaultCcsid, QStringLiteral("Object name"));
    hosttext::encodeFixed(library, 10, hosttext::DefaultCcsid, QStringLiteral("Library name"));
    return chars(std::move(name), 20,
                 object.leftJustified(10, QLatin1Char(' ')) +
                     library.leftJustified(10, QLatin1Char(' ')));
}

ProgramParameter ProgramParameter::int4(QString name, qint32 value)
{
    ProgramParameter p;
    p.name = std::move(name);
    p.kind = Int4;
    p.length = 4;
    p.number = value;
    return p;
}

ProgramParameter ProgramParameter::byte(QString name, char value)
{
    ProgramParameter p;
    p.name = std::move(name);
    p.kind = Byte;
    p.length = 1;
    p.bytes = QByteArray(1, value);
    return p;
}

ProgramParameter ProgramParameter::output(QString name, int length)
{
    ProgramParameter p;
    p.name = std::move(name);
    p.kind = Output;
    p.length = length;
    return p;
}

QByteArray ProgramParameter::hostBytes(int ccsid) const
{
    switch (kind) {
    case Char:
        return hosttext::encodeFixed(text, length, ccsid, name);
    case Int4: {
        QByteArray b(4, char(0));
        userspace::writeInt(b, 0, number);
        return b;
    }
    case Byte:
        return bytes;
    case Output:
        return QByteArray(length, char(0));
    }
    return {};
}

} // namespace zelvaro
