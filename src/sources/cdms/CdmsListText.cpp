#include "sources/cdms/CdmsListText.h"

namespace zelvaro {

void splitListText(const QString& text, QStringList& lines)
{
    QString piece;
    QChar quote;
    bool inQuote = false;
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        if (end > start) lines << text.mid(start, end - start);
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = p[i];
        if (inQuote) {
            if (c == quote) inQuote = false;
            continue;
        }
        if (c == QLatin1Char('>') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            flush(i);
            start = i + 1;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            inQuote = true;
            quote = c;
        }
    }
    flush(n);
}

namespace {
// The same as replacing the first occurrence of `pattern` by `by` again and
// again until none is left, in one pass: the text is copied, and whenever
// the copy ends with the pattern, the pattern is taken back and `by` put in
// its place. A new occurrence can only end at a character still to come
// (the pattern starts with "&" and holds no other), so this meets every
// occurrence the repeated replacement would, in its order.
QString replaceRepeatedly(const QString& s, QLatin1String pattern, QChar by)
{
    if (!s.contains(pattern)) return s;
    QString out;
    out.reserve(s.size());
    const qsizetype n = pattern.size();
    const QChar last = QLatin1Char(pattern.back());
    for (const QChar c : s) {
        out += c;
        if (c == last && out.size() >= n && QStringView(out).right(n) == pattern) {
            out.chop(n);
            out += by;
        }
    }
    return out;
}
} // namespace

QString replaceListEntities(const QString& line)
{
    QString s = replaceRepeatedly(line, QLatin1String("&apos;"), QLatin1Char('\''));
    s = replaceRepeatedly(s, QLatin1String("&amp;"), QLatin1Char('&'));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return s;
}

namespace {
bool isHexDigit(QChar d)
{
    return (d >= QLatin1Char('0') && d <= QLatin1Char('9')) ||
           (d >= QLatin1Char('a') && d <= QLatin1Char('f')) ||
           (d >= QLatin1Char('A') && d <= QLatin1Char('F'));
}
} // namespace

QString decodeValueReferences(const QString& text)
{
    if (!text.contains(QLatin1Char('&'))) return text;
    static const struct {
        QLatin1String name;
        char16_t c;
    } named[] = {
        {QLatin1String("quot"), u'"'}, {QLatin1String("lt"), u'<'}, {QLatin1String("gt"), u'>'}};
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const qsizetype semi = c == QLatin1Char('&') ? text.indexOf(QLatin1Char(';'), i + 1) : -1;
        // References are short: a far semicolon belongs to other text.
        if (semi < 0 || semi - i > 12) {
            out += c;
            ++i;
            continue;
        }
        const QStringView ref = QStringView(text).mid(i + 1, semi - i - 1);
        char32_t code = 0;
        if (ref.startsWith(QLatin1Char('#'))) {
            const bool hex =
                ref.size() > 1 && (ref.at(1) == QLatin1Char('x') || ref.at(1) == QLatin1Char('X'));
            const QStringView digits = ref.mid(hex ? 2 : 1);
            bool ok = !digits.isEmpty();
            for (const QChar d : digits)
                ok = ok && (hex ? isHexDigit(d) : (d >= QLatin1Char('0') && d <= QLatin1Char('9')));
            const uint value = ok ? digits.toUInt(&ok, hex ? 16 : 10) : 0;
            // A line break or tab becomes a blank, as a literal one in the
            // line does; other control characters stay written as references.
            if (ok && (value == 9 || value == 10 || value == 13))
                code = U' ';
            else if (ok && value >= 0x20 && !(value >= 0x7F && value < 0xA0) && value <= 0x10FFFF &&
                     !(value >= 0xD800 && value <= 0xDFFF))
                code = value;
        } else {
            for (const auto& n : named)
                if (ref == n.name) code = n.c;
        }
        if (code == 0) {
            out += c;
            ++i;
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semi + 1;
    }
    return out;
}

QString listAttribute(const QString& line, const QString& name)
{
    const QString key = name + QStringLiteral("=\"");
    const qsizetype at = line.indexOf(key);
    if (at < 0) return QString();
    const qsizetype begin = at + key.size();
    const qsizetype end = line.indexOf(QLatin1Char('"'), begin);
    return decodeValueReferences(line.mid(begin, end < 0 ? -1 : end - begin));
}

} // namespace zelvaro
