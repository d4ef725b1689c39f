#pragma once

#include <QByteArray>
#include <QString>

namespace zelvaro {

// The HTTP exchange with the Agrian web service: one GET without a body,
// with the service's fixed headers, over verified TLS (1.2 or newer, https
// only, peer and host name checked against the system's CA store or, in
// its place, the PEM bundle ZELVARO_CA_FILE names). One connection handle
// lives as long as the object and is reused for every request (one
// connection a run); cookies are kept in memory and sent back; redirects
// are not followed. A request gives up after ZELVARO_AGRIAN_TIMEOUT_S
// (300 s) without a connection or below 64 bytes a second, and after four
// such time-outs in all.
class AgrianRequest {
public:
    AgrianRequest();
    ~AgrianRequest();
    AgrianRequest(const AgrianRequest&) = delete;
    AgrianRequest& operator=(const AgrianRequest&) = delete;

    // The response body. An error status (or a redirect) raises SourceError
    // with the status line as received ("HTTP/1.1 500 Internal Server
    // Error"); a failed transfer raises SourceError with libcurl's text,
    // ServiceUnreachableError when the connection itself failed.
    QByteArray get(const QString& address);

    // The service's base address (scheme, host, optional port):
    // ZELVARO_AGRIAN_URL, else the setting Agrian/ServiceAddress, else the
    // built-in one. ServiceAddressError when it is not https.
    static QString serviceAddress();
    // `address` when it is an https address; otherwise ServiceAddressError
    // naming `key` (where the address came from) and the value.
    static QString checkedAddress(const QString& address, const QString& key);
    // An address as built, with only what a request line cannot carry
    // percent-encoded: blanks, "#", control characters, non-ASCII (as UTF-8).
    static QByteArray requestAddress(const QString& address);

    // Seconds libcurl spent on the last request (waiting on the server).
    double lastTotalSeconds() const { return m_lastSeconds; }
    double totalSeconds() const { return m_totalSeconds; }
    int requestCount() const { return m_requests; }

private:
    void* m_curl; // CURL*, kept out of this header
    double m_lastSeconds = 0;
    double m_totalSeconds = 0;
    int m_requests = 0;
};

} // namespace zelvaro
