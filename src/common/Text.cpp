#include "common/Text.h"

#include <algorithm>

namespace zelvaro {

namespace {
bool isTrimmable(QChar c)
{
    return c.unicode() <= 0x20;
}
} // namespace

QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmable(text.at(end - 1)))
        --end;
    if (begin == 0 && end == text.size()) return text;
    return text.mid(begin, end - begin);
}

void appendSqlQuoted(QString& out, QStringView text)
{
    out += QLatin1Char('\'');
    // Whole runs between quotes at once: this builds every statement.
    qsizetype from = 0;
    for (qsizetype q = text.indexOf(QLatin1Char('\'')); q >= 0;
         q = text.indexOf(QLatin1Char('\''), from)) {
        out += text.mid(from, q + 1 - from);
        out += QLatin1Char('\'');
        from = q + 1;
    }
    out += text.mid(from);
    out += QLatin1Char('\'');
}

QString sqlQuote(const QString& text)
{
    QString out;
    out.reserve(text.size() + 2);
    appendSqlQuoted(out, text);
    return out;
}

QString qualifiedName(const QString& library, const QString& table)
{
    return QLatin1Char('"') + library + QLatin1String("\".\"") + table + QLatin1Char('"');
}

QString padToWidth(const QString& text, int width)
{
    if (width < 0) width = 0;
    if (text.size() == width) return text;
    if (text.size() > width) return text.left(width);
    return text + QString(width - text.size(), QLatin1Char(' '));
}

QString upperAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    }
    return out;
}

QString rtrimBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return end == text.size() ? text : text.left(end);
}

QString lineBreaksAsBlanks(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out += QLatin1Char(' ');
            // CR LF is one line break.
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString printable(const QString& text)
{
    auto isControl = [](QChar c) {
        return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
    };
    if (std::none_of(text.begin(), text.end(), isControl)) return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (isControl(c))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString quotedForMessage(const QString& text)
{
    return sqlQuote(printable(text));
}

namespace {
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

QString decodeWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = QChar(b >= 0x80 && b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return text;
}

QByteArray encodeWindows1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            b = char(c);
        } else {
            for (int k = 0; k < 32; ++k) {
                if (Cp1252High[k] == c) {
                    b = char(0x80 + k);
                    break;
                }
            }
        }
        bytes[i] = b;
    }
    return bytes;
}

} // namespace zelvaro
