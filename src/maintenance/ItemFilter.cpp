#include "maintenance/ItemFilter.h"

#include "common/Error.h"
#include "common/Text.h"
#include "settings/Settings.h"

#include <QSet>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zelvaro {

namespace {
const QString Section = QStringLiteral("CDMSFilter");

[[noreturn]] void refuse(const QString& expression, qsizetype at, const QString& what)
{
    throw Error(QStringLiteral("The item filter \"%1\" cannot be applied: %2 at position %3.")
                    .arg(expression, what)
                    .arg(at + 1));
}
} // namespace

void CodeSelection::add(qint64 code, const QString& description)
{
    m_entries.append({code, description});
}

void CodeSelection::removeAt(int index)
{
    if (index >= 0 && index < m_entries.size()) m_entries.removeAt(index);
}

QString CodeSelection::expression() const
{
    if (m_entries.isEmpty()) return {};
    QStringList codes;
    for (const Entry& e : m_entries)
        codes << QString::number(e.code);
    return m_column + QStringLiteral(" in (") + codes.join(QLatin1Char(',')) + QLatin1Char(')');
}

QString FilterChoice::expression() const
{
    QStringList parts;
    if (byName && !name.isEmpty()) {
        QString pattern = QLatin1Char('%') + trimmed(name) + QLatin1Char('%');
        parts << QStringLiteral("IMDESC Like ") + sqlQuote(pattern);
    }
    if (byFineLine && !fineLines.isEmpty()) parts << fineLines;
    if (byDepartment && !departments.isEmpty()) parts << departments;
    return parts.join(QStringLiteral(" and "));
}

FilterChoice FilterChoice::read(const Settings& settings)
{
    FilterChoice c;
    c.byName = settings.readBool(Section, QStringLiteral("cbxName"), false);
    c.byFineLine = settings.readBool(Section, QStringLiteral("cbxFlc"), false);
    c.byDepartment = settings.readBool(Section, QStringLiteral("cbxDept"), false);
    c.name = settings.readText(Section, QStringLiteral("edName"));
    c.fineLines = settings.readText(Section, QStringLiteral("edFLC"));
    c.departments = settings.readText(Section, QStringLiteral("edDept"));
    return c;
}

void FilterChoice::write(const Settings& settings) const
{
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    settings.writeEntries({{Section, QStringLiteral("cbxName"), flag(byName)},
                           {Section, QStringLiteral("cbxFlc"), flag(byFineLine)},
                           {Section, QStringLiteral("cbxDept"), flag(byDepartment)},
                           {Section, QStringLiteral("edName"), name},
                           {Section, QStringLiteral("edFLC"), fineLines},
                           {Section, QStringLiteral("edDept"), departments}});
}

std::optional<QList<qint64>> parseSavedCodes(const QString& text)
{
    QList<qint64> codes;
    if (trimmed(text).isEmpty()) return codes;
    const qsizetype open = text.indexOf(QLatin1Char('('));
    const qsizetype close = text.indexOf(QLatin1Char(')'), open + 1);
    if (open < 0 || close < 0 || !text.mid(close + 1).trimmed().isEmpty()) return std::nullopt;
    const QString inner = text.mid(open + 1, close - open - 1);
    for (const QString& piece : inner.split(QLatin1Char(','))) {
        bool ok = false;
        const QString t = piece.trimmed();
        const qint64 code = t.toLongLong(&ok);
        if (!ok || t.startsWith(QLatin1Char('+'))) return std::nullopt;
        codes << code;
    }
    return codes;
}

namespace {
// Pieces between the % signs must appear in order; the first is anchored at
// the start and the last at the end unless a % stands there.
bool matchPieces(QStringView text, const QStringList& pieces)
{
    if (pieces.size() == 1) return text == pieces.front();
    qsizetype at = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QStringView piece(pieces[i]);
        if (i == 0) {
            if (!text.startsWith(piece)) return false;
            at = piece.size();
        } else if (i == pieces.size() - 1) {
            return text.size() - at >= piece.size() && text.endsWith(piece);
        } else if (!piece.isEmpty()) {
            // The standard library's search: no case or locale handling to pay for.
            const std::u16string_view hay(text.utf16(), size_t(text.size()));
            const size_t found =
                hay.find(std::u16string_view(piece.utf16(), size_t(piece.size())), size_t(at));
            if (found == std::u16string_view::npos) return false;
            at = qsizetype(found) + piece.size();
        }
    }
    return true;
}
} // namespace

bool likeMatch(QStringView text, QStringView pattern)
{
    return matchPieces(text, pattern.toString().split(QLatin1Char('%')));
}

namespace {

// How often a character is met in item descriptions, roughly: the rarest
// character of a needle anchors the search, so that few places are checked.
int commonness(char16_t c)
{
    static const char* const byFrequency = " EAIORTNLSCDPMUGBHFYKWVXZJQ0123456789";
    if (c > 127) return 0;
    const char* at = std::strchr(byFrequency, char(c));
    return at ? 64 - int(at - byFrequency) : 0;
}

// The rows of a fixed-width column holding `needle`, found in one pass over
// the column's buffer, not row by
// row: a match must start on a character and lie within one row. Empty
// when the column is not fixed-width or the needle has blanks at its ends
// (a trailing blank could match a value's padding).
std::shared_ptr<std::vector<char>> rowsContaining(const ResultTable& table, int column,
                                                  const QString& needle)
{
    int width = 0;
    const char16_t* data = table.fixedColumn(column, &width);
    if (!data || needle.isEmpty() || needle.size() > width || needle.front() == QLatin1Char(' ') ||
        needle.back() == QLatin1Char(' '))
        return {};
    auto rows = std::make_shared<std::vector<char>>(size_t(table.rowCount()), char(0));
    // Each place of the needle's rarest character is found with memchr over
    // the column's bytes (UTF-16LE: the character's low byte, at an even
    // offset), and the needle checked around it, within the row.
    const qsizetype n = needle.size();
    qsizetype anchor = 0;
    for (qsizetype k = 1; k < n; ++k)
        if (commonness(needle[k].unicode()) < commonness(needle[anchor].unicode())) anchor = k;
    const char16_t a = needle[anchor].unicode();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const size_t total = size_t(table.rowCount()) * size_t(width) * sizeof(char16_t);
    const auto* pattern = reinterpret_cast<const char16_t*>(needle.utf16());
    size_t from = 0;
    while (from < total) {
        const void* hit = std::memchr(bytes + from, int(a & 0xFF), total - from);
        if (!hit) break;
        const size_t at = size_t(static_cast<const unsigned char*>(hit) - bytes);
        from = at + 1;
        if (at % sizeof(char16_t) != 0) continue;
        const size_t ch = at / sizeof(char16_t);
        if (data[ch] != a) continue;
        const size_t row = ch / size_t(width);
        const size_t offset = ch % size_t(width);
        if (offset < size_t(anchor) || offset - size_t(anchor) + size_t(n) > size_t(width))
            continue;
        const char16_t* start = data + ch - size_t(anchor);
        if (std::memcmp(start, pattern, size_t(n) * sizeof(char16_t)) != 0) continue;
        (*rows)[row] = 1;
        from = (row + 1) * size_t(width) * sizeof(char16_t); // the row is in: next row
    }
    return rows;
}

} // namespace

MemoryView::Predicate compileFilter(const QString& expression, const ResultTable& table)
{
    if (expression.trimmed().isEmpty()) return {};
    struct Like {
        int column;
        QStringList pieces; // the pattern split at its % signs, once
        // "%text%", the tab's own shape: the matching rows found at once.
        std::shared_ptr<std::vector<char>> rows;
    };
    struct In {
        int column;
        QSet<qint64> codes;
    };
    std::vector<Like> likes;
    std::vector<In> ins;
    const QString& e = expression;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < e.size() && e[i] == QLatin1Char(' '))
            ++i;
    };
    auto word = [&](const QString& w) {
        skipBlanks();
        if (e.mid(i, w.size()).compare(w, Qt::CaseInsensitive) != 0) return false;
        const qsizetype end = i + w.size();
        if (end < e.size() && (e[end].isLetterOrNumber() || e[end] == QLatin1Char('_')))
            return false;
        i = end;
        return true;
    };
    auto column = [&](const QString& name) {
        const int c = table.fieldIndex(name);
        if (c < 0) refuse(e, i, QStringLiteral("the item view has no field %1").arg(name));
        return c;
    };
    while (true) {
        skipBlanks();
        const qsizetype start = i;
        if (word(QStringLiteral("IMDESC"))) {
            if (!word(QStringLiteral("Like"))) refuse(e, i, QStringLiteral("\"Like\" expected"));
            skipBlanks();
            if (i >= e.size() || e[i] != QLatin1Char('\''))
                refuse(e, i, QStringLiteral("a quoted pattern expected"));
            QString pattern;
            ++i;
            bool closed = false;
            while (i < e.size()) {
                if (e[i] == QLatin1Char('\'')) {
                    if (i + 1 < e.size() && e[i + 1] == QLatin1Char('\'')) {
                        pattern += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                pattern += e[i++];
            }
            if (!closed) refuse(e, start, QStringLiteral("an unclosed quote"));
            Like like{column(QStringLiteral("IMDESC")), pattern.split(QLatin1Char('%')), {}};
            if (like.pieces.size() == 3 && like.pieces[0].isEmpty() && like.pieces[2].isEmpty() &&
                !like.pieces[1].isEmpty())
                like.rows = rowsContaining(table, like.column, like.pieces[1]);
            likes.push_back(std::move(like));
        } else if (word(QStringLiteral("IMFLCD")) || word(QStringLiteral("IMDEPT"))) {
            const QString name = e.mid(start, i - start).trimmed().toUpper();
            if (!word(QStringLiteral("in"))) refuse(e, i, QStringLiteral("\"in\" expected"));
            skipBlanks();
            if (i >= e.size() || e[i] != QLatin1Char('('))
                refuse(e, i, QStringLiteral("\"(\" expected"));
            const qsizetype close = e.indexOf(QLatin1Char(')'), i);
            if (close < 0) refuse(e, i, QStringLiteral("an unclosed \"(\""));
            In in{column(name), {}};
            for (const QString& piece : e.mid(i + 1, close - i - 1).split(QLatin1Char(','))) {
                bool ok = false;
                const qint64 code = piece.trimmed().toLongLong(&ok);
                if (!ok)
                    refuse(e, i,
                           QStringLiteral("\"%1\" is not a whole number").arg(piece.trimmed()));
                in.codes.insert(code);
            }
            i = close + 1;
            ins.push_back(std::move(in));
        } else {
            refuse(e, start, QStringLiteral("\"%1\" is not a filter").arg(e.mid(start, 20)));
        }
        skipBlanks();
        if (i >= e.size()) break;
        if (!word(QStringLiteral("and")))
            refuse(e, i, QStringLiteral("\"and\" expected where \"%1\" stands").arg(e.mid(i, 20)));
    }
    // The tab's most common filter, a description alone: one byte a row.
    if (likes.size() == 1 && ins.empty() && likes[0].rows) {
        std::shared_ptr<std::vector<char>> rows = likes[0].rows;
        const QStringList pieces = likes[0].pieces;
        const int column = likes[0].column;
        return [rows, pieces, column](const ResultTable& t, int row) {
            if (size_t(row) < rows->size()) return (*rows)[size_t(row)] != 0;
            QStringView v = t.textView(row, column);
            while (!v.isEmpty() && v.back() == QLatin1Char(' '))
                v.chop(1);
            return matchPieces(v, pieces);
        };
    }
    return [likes, ins](const ResultTable& t, int row) {
        for (const Like& l : likes) {
            // Rows added after the filter was compiled are matched one by one.
            if (l.rows && size_t(row) < l.rows->size()) {
                if ((*l.rows)[size_t(row)] == 0) return false;
                continue;
            }
            // Trailing blanks of the value do not count.
            QStringView v = t.textView(row, l.column);
            while (!v.isEmpty() && v.back() == QLatin1Char(' '))
                v.chop(1);
            if (!matchPieces(v, l.pieces)) return false;
        }
        for (const In& in : ins) {
            const double n = t.number(row, in.column);
            if (n != double(qint64(n)) || !in.codes.contains(qint64(n))) return false;
        }
        return true;
    };
}

} // namespace zelvaro
