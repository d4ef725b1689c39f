#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace zelvaro {

// Every failure the core raises is one of these. The text is the host's, the
// service's or the file system's own message, ready to be shown to the user.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};

// A connection, query or statement the host refused.
class HostError : public Error {
public:
    using Error::Error;
};

// A host program call that failed: besides the text, the call's return code
// and the messages of its error list, in order.
class HostCallError : public HostError {
public:
    HostCallError(const QString& text, int returnCode, QStringList messages)
        : HostError(text), m_returnCode(returnCode), m_messages(std::move(messages))
    {
    }
    int returnCode() const noexcept { return m_returnCode; }
    const QStringList& messages() const noexcept { return m_messages; }

private:
    int m_returnCode;
    QStringList m_messages;
};

// A statement that waited its whole lock time for a row or object another
// job holds (SQL0913 on the host and on the embedded host).
inline bool isLockTimeout(const Error& e)
{
    return e.text().contains(QLatin1String("SQL0913"));
}

// The settings file could not be written.
class SettingsError : public Error {
public:
    using Error::Error;
};

// A label-data source (CDMS libraries, web service) failed.
class SourceError : public Error {
public:
    using Error::Error;
};

// The web service could not be reached at all: connection refused, no
// answer in time, connection reset, TLS handshake or certificate refused.
class ServiceUnreachableError : public SourceError {
public:
    using SourceError::SourceError;
};

// The configured address of the web service is refused (not https): every
// request would meet the same refusal, so none is sent.
class ServiceAddressError : public SourceError {
public:
    using SourceError::SourceError;
};

} // namespace zelvaro
