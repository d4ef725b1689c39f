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

QString listAttribute(const QString& line, const QString& name)
{
    const QString key = name + QStringLiteral("=\"");
    const qsizetype at = line.indexOf(key);
    if (at < 0) return QString();
    const qsizetype begin = at + key.size();
    const qsizetype end = line.indexOf(QLatin1Char('"'), begin);
    return line.mid(begin, end < 0 ? -1 : end - begin);
}

} // namespace zelvaro
