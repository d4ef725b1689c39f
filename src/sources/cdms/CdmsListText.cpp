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
// Replacing the first occurrence again and again: a new occurrence can only
// start where the last replacement was put, so the search goes on from there.
void replaceRepeatedly(QString& s, QLatin1String pattern, QChar by)
{
    qsizetype pos = s.indexOf(pattern);
    while (pos >= 0) {
        s.replace(pos, pattern.size(), by);
        pos = s.indexOf(pattern, pos);
    }
}
} // namespace

QString replaceListEntities(const QString& line)
{
    QString s = line;
    replaceRepeatedly(s, QLatin1String("&apos;"), QLatin1Char('\''));
    replaceRepeatedly(s, QLatin1String("&amp;"), QLatin1Char('&'));
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
