#include "sources/agrian/AgrianRequest.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/SqlLog.h"
#include "settings/Settings.h"

#include <curl/curl.h>

namespace zelvaro {

namespace {

constexpr long DefaultTimeoutSeconds = 300;
constexpr long LowSpeedBytes = 64;

// No answer of the service comes near this; a larger one is refused before
// it exhausts the memory.
constexpr qsizetype MaxBodyBytes = qsizetype(512) * 1024 * 1024;

struct Transfer {
    QByteArray body;
    QByteArray statusLine; // of the last response received
    bool tooLarge = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const qsizetype n = qsizetype(size * count);
    if (t->body.size() + n > MaxBodyBytes) {
        t->tooLarge = true;
        return 0; // ends the transfer
    }
    t->body.append(data, n);
    return size * count;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    const QByteArray line(data, qsizetype(size * count));
    if (line.startsWith("HTTP/")) static_cast<Transfer*>(user)->statusLine = line.trimmed();
    return size * count;
}

// Failures of the connection itself, as against an answer the service gave.
bool isUnreachable(CURLcode rc)
{
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return true;
    default:
        return false;
    }
}

long timeoutSeconds()
{
    bool ok = false;
    const long t = qEnvironmentVariable("ZELVARO_AGRIAN_TIMEOUT_S").toLong(&ok);
    return ok && t > 0 ? t : DefaultTimeoutSeconds;
}

struct GlobalInit {
    GlobalInit() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

} // namespace

AgrianRequest::AgrianRequest()
{
    static GlobalInit init;
    m_curl = curl_easy_init();
    // The cookie engine in memory only: cookies live while the program runs.
    if (m_curl) curl_easy_setopt(static_cast<CURL*>(m_curl), CURLOPT_COOKIEFILE, "");
}

AgrianRequest::~AgrianRequest()
{
    curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

QString AgrianRequest::serviceAddress()
{
    const QString env = qEnvironmentVariable("ZELVARO_AGRIAN_URL");
    if (!env.isEmpty()) return checkedAddress(env, QStringLiteral("ZELVARO_AGRIAN_URL"));
    const QString configured =
        Settings().readText(QStringLiteral("Agrian"), QStringLiteral("ServiceAddress"));
    if (!configured.isEmpty())
        return checkedAddress(configured, QStringLiteral("Agrian/ServiceAddress"));
    return QStringLiteral("https://services.agrian.example");
}

QString AgrianRequest::checkedAddress(const QString& address, const QString& key)
{
    // The requests carry the account's password: never in clear.
    if (address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) return address;
    throw ServiceAddressError(
        QStringLiteral("%1 is \"%2\": the Agrian service is only asked over https; no request "
                       "was sent.")
            .arg(key, printable(address)));
}

QByteArray AgrianRequest::requestAddress(const QString& address)
{
    const QByteArray utf8 = address.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '#') {
            out += '%';
            out += QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        } else {
            out += ch;
        }
    }
    return out;
}

QByteArray AgrianRequest::get(const QString& address)
{
    // The statements so far reach the script before the wait on the service.
    SqlLog::flush();
    auto* curl = static_cast<CURL*>(m_curl);
    if (!curl) throw SourceError(QStringLiteral("The HTTP client could not be started."));
    Transfer transfer;
    char errors[CURL_ERROR_SIZE] = {};
    const QByteArray url = requestAddress(address);
    curl_slist* headers = nullptr;
    for (const char* h :
         {"Connection: Keep-Alive", "Content-Type: Content-type: text/plain; charset=us-ascii",
          "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"})
        headers = curl_slist_append(headers, h);
    const QByteArray caFile = qEnvironmentVariable("ZELVARO_CA_FILE").toLocal8Bit();
    const long timeout = timeoutSeconds();

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/3.0 (compatible; Indy Library)");
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, long(CURLAUTH_NONE));
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeout);
    // The read time-out: less than LowSpeedBytes a second for that long (a
    // server trickling a few bytes a second is as good as dead), and the
    // whole transfer within four time-outs.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, timeout);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 4 * timeout);
    curl_easy_setopt(curl, CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // A CA bundle of its own replaces the system's store, folder included.
    if (!caFile.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
        curl_easy_setopt(curl, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errors);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);

    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_slist_free_all(headers);
    double seconds = 0;
    curl_easy_getinfo(curl, CURLINFO_TOTAL_TIME, &seconds);
    m_lastSeconds = seconds;
    m_totalSeconds += seconds;
    ++m_requests;
    if (transfer.tooLarge)
        throw SourceError(
            QStringLiteral("The answer is larger than %1 MB.").arg(MaxBodyBytes / (1024 * 1024)));
    if (rc != CURLE_OK) {
        const QString text = errors[0] ? QString::fromLocal8Bit(errors).trimmed()
                                       : QString::fromUtf8(curl_easy_strerror(rc));
        if (isUnreachable(rc)) throw ServiceUnreachableError(text);
        throw SourceError(text);
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    // An error status, and a redirect (not followed), fail with the status line.
    if (status >= 300)
        throw SourceError(transfer.statusLine.isEmpty()
                              ? QStringLiteral("HTTP status %1").arg(status)
                              : QString::fromLatin1(transfer.statusLine));
    return transfer.body;
}

} // namespace zelvaro
