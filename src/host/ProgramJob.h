#pragma once

// A host job that calls host programs (ProgramJob), and the typed parameters
// of a call (ProgramParameter).

#include "common/Error.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace zelvaro {

// One parameter of a host program call, typed as the API defines it.
struct ProgramParameter {
    enum Kind {
        Char,  // CHAR(length): text, blank-padded; longer text is an error
        Int4,  // BINARY(4)
        Byte,  // one byte given in hexadecimal (an initial value)
        Output // CHAR(length) the program writes; `bytes` receives it
    };
    QString name;
    Kind kind = Char;
    int length = 0;
    QString text;
    qint32 number = 0;
    QByteArray bytes;

    static ProgramParameter chars(QString name, int length, QString text);
    // A qualified object name: the object, then its library, CHAR(10) each.
    static ProgramParameter qualified(QString name, const QString& object, const QString& library);
    static ProgramParameter int4(QString name, qint32 value);
    static ProgramParameter byte(QString name, char value);
    static ProgramParameter output(QString name, int length);

    // The value in the host's bytes (EBCDIC text of the job's CCSID,
    // big-endian integers).
    QByteArray hostBytes(int ccsid) const;
};

// A job that could not start (its sign-on or connection refused): no later
// call of it can succeed.
class JobStartError : public HostCallError {
public:
    using HostCallError::HostCallError;
};

// A job on the host that calls host programs (the list APIs in QSYS) and
// keeps their objects (the list space in QTEMP) between calls. Each job is
// a session of its own, apart from the SQL connection: reconnecting that
// does not lose the list space. Calls raise HostCallError with the host's
// message identifiers in the text.
class ProgramJob {
public:
    virtual ~ProgramJob() = default;
    virtual void call(const QString& program, std::vector<ProgramParameter>& parameters) = 0;
};

} // namespace zelvaro
