#include "update/HazardUpdate.h"

#include "common/ChangeLog.h"
#include "common/Error.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "host/HostTables.h"

namespace zelvaro {

namespace {
constexpr int LineWidth = 60;

// The highest position from 60 down to 2 (1-based) holding a blank or a
// comma; 1 when there is none.
int breakPosition(const QString& text)
{
    for (int p = qMin<int>(LineWidth, int(text.size())); p >= 2; --p) {
        const QChar c = text.at(p - 1);
        if (c == QLatin1Char(' ') || c == QLatin1Char(',')) return p;
    }
    return 1;
}
} // namespace

HazardUpdate::HazardUpdate(HostTables& session, UpdateCounters& counters, Prompter& prompter)
    : m_session(session), m_counters(counters), m_prompter(prompter)
{
}

std::array<QString, 3> HazardUpdate::splitHazardText(const QString& original)
{
    std::array<QString, 3> lines{QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")};
    const QString text = lineBreaksAsBlanks(original);
    if (text.size() <= LineWidth) {
        lines[0] = text;
        return lines;
    }
    QString rest = text;
    for (int line = 0; line < 3; ++line) {
        if (rest.size() <= LineWidth) {
            lines[line] = rest;
            break;
        }
        const int p = breakPosition(rest);
        lines[line] = rest.left(p);
        rest = rest.mid(p);
    }
    return lines;
}

HazardUpdate::Outcome HazardUpdate::apply(const QString& item, const QString& haztxt,
                                          const QString& epa, const QString& mfct,
                                          const QString& plac)
{
    Q_UNUSED(mfct); // the manufacturer is not written anywhere
    const std::array<QString, 3> lines = splitHazardText(rtrimBlanks(lineBreaksAsBlanks(haztxt)));
    const QString library = m_session.hostLibrary();
    const QString trimmedItem = trimmed(item);
    MemoryView& hazard = m_session.hazardView;
    const int keyWidth = hazard.fieldWidth(QStringLiteral("HZPROD"));
    // Where the host would compare a cut key, the item would get another
    // item's row or none: such an item is not written at all.
    if (keyWidth > 0 && trimmedItem.size() > keyWidth) return Outcome::DoesNotFit;
    const int placardWidth = hazard.fieldWidth(QStringLiteral("HZCLAS"));
    const QString placard = placardWidth > 0 ? plac.left(placardWidth) : plac;

    ChangeLog* changes = m_session.changeLog;
    // The item master: written only when its EPA number differs (as the
    // host compares: without trailing blanks) or the item is not in the
    // view (added since it was read).
    try {
        const QString written = padToWidth(epa, m_session.itemView.fieldWidth(4));
        QString stored;
        const bool known =
            m_session.itemNumberView.isOpen() &&
            m_session.itemNumberView.textOfKey(
                {padToWidth(trimmedItem,
                            m_session.itemNumberView.fieldWidth(QStringLiteral("IMPROD")))},
                QStringLiteral("IMASUB"), &stored);
        if (!known || rtrimBlanks(stored) != rtrimBlanks(written)) {
            // Each statement is built in one buffer.
            QString sql;
            sql.reserve(160);
            sql += QLatin1String("Update ");
            sql += qualifiedName(library, QStringLiteral("U4ITMMR"));
            sql += QLatin1String(" SET IMASUB = ");
            appendSqlQuoted(sql, written);
            sql += QLatin1String(" Where IMPROD = ");
            appendSqlQuoted(sql, trimmedItem);
            if (m_session.connection.execute(sql) > 0) {
                if (changes)
                    changes->record(QStringLiteral("U4ITMMR"), trimmedItem,
                                    QStringLiteral("IMASUB"), stored, written);
                m_session.itemEpaWritten(trimmedItem, written);
            }
        }
    } catch (const Error& e) {
        if (isLockTimeout(e)) throw;
        ++m_refused;
        m_prompter.failure(QStringLiteral("Error updating item master"));
        m_prompter.detail(QStringLiteral("item %1: %2").arg(printable(trimmedItem), e.text()));
    } catch (const std::exception& e) {
        ++m_refused;
        m_prompter.failure(QStringLiteral("Error updating item master"));
        m_prompter.detail(QStringLiteral("item %1: %2")
                              .arg(printable(trimmedItem), QString::fromLocal8Bit(e.what())));
    }

    try {
        const bool exists = hazard.findKey({padToWidth(item, hazard.fieldWidth(0))});
        const QString table = qualifiedName(library, QStringLiteral("U4ITHZD"));
        const QString trimmedPlacard = trimmed(placard);
        // What the row would hold afterwards, column by column.
        struct Column {
            const char* name;
            QString value;
        };
        std::vector<Column> columns{{"HZDS1", lines[0]}, {"HZDS2", lines[1]}, {"HZDS3", lines[2]}};
        if (exists && !trimmedPlacard.isEmpty()) columns.push_back({"HZCLAS", trimmedPlacard});
        if (exists) {
            bool same = true;
            for (const Column& c : columns)
                same = same && rtrimBlanks(hazard.text(QString::fromLatin1(c.name))) ==
                                   rtrimBlanks(c.value);
            // Already as it would be written: reached, not written.
            if (same) return Outcome::Unchanged;
        }
        QString sql;
        sql.reserve(400);
        if (exists) {
            sql += QLatin1String("Update ");
            sql += table;
            sql += QLatin1String(" SET HZDS1 = ");
            appendSqlQuoted(sql, lines[0]);
            sql += QLatin1String(", HZDS2 = ");
            appendSqlQuoted(sql, lines[1]);
            sql += QLatin1String(", HZDS3 = ");
            appendSqlQuoted(sql, lines[2]);
            if (!trimmedPlacard.isEmpty()) {
                sql += QLatin1String(", HZCLAS = ");
                appendSqlQuoted(sql, trimmedPlacard);
            }
            sql += QLatin1String(" Where HZPROD = ");
            appendSqlQuoted(sql, trimmedItem);
        } else {
            sql += QLatin1String("INSERT INTO ");
            sql += table;
            sql += QLatin1String(" (HZPROD, HZDS1, HZDS2, HZDS3, HZCLAS, HZFACT, HZCRPD) VALUES(");
            for (const QString* value : {&trimmedItem, &lines[0], &lines[1], &lines[2], &placard}) {
                appendSqlQuoted(sql, *value);
                sql += QLatin1String(", ");
            }
            sql += QLatin1String("0.0, ' ')");
        }
        // The old values, before the row in the view changes.
        std::vector<QString> before;
        if (exists)
            for (const Column& c : columns)
                before.push_back(hazard.text(QString::fromLatin1(c.name)));
        const qint64 changed = m_session.connection.execute(sql);
        if (changed == 0) return Outcome::NothingFound;
        m_counters.hazardFileWritten = true;
        if (!exists) {
            // Only the inserted row is read back (with the host's defaults),
            // not the whole hazard file.
            const auto row =
                hazard.source().fetchWhere(QStringLiteral("HZPROD = ") + sqlQuote(trimmedItem));
            hazard.mergeRows(*row, {QStringLiteral("HZPROD")});
            hazard.findNearest({trimmedItem});
            if (changes) {
                const std::vector<Column> added{
                    {"HZPROD", trimmedItem}, {"HZDS1", lines[0]}, {"HZDS2", lines[1]},
                    {"HZDS3", lines[2]},     {"HZCLAS", placard}, {"HZFACT", QStringLiteral("0.0")},
                    {"HZCRPD", QString()}};
                for (const Column& c : added)
                    changes->record(QStringLiteral("U4ITHZD"), trimmedItem,
                                    QString::fromLatin1(c.name), QString(), c.value);
            }
        } else {
            // The view holds what the host now holds: a later write of the
            // same item in this run compares with it.
            const QVariantList key{padToWidth(item, hazard.fieldWidth(0))};
            for (size_t i = 0; i < columns.size(); ++i) {
                if (changes)
                    changes->record(QStringLiteral("U4ITHZD"), trimmedItem,
                                    QString::fromLatin1(columns[i].name), before[i],
                                    columns[i].value);
                hazard.setFieldOfKey(key, QString::fromLatin1(columns[i].name), columns[i].value);
            }
        }
        if (exists) {
            ++m_counters.hazardUpdated;
            return Outcome::Updated;
        }
        ++m_counters.hazardAdded;
        return Outcome::Added;
    } catch (const Error& e) {
        if (isLockTimeout(e)) throw;
        ++m_refused;
        m_prompter.failure(QStringLiteral("error updating item hazard file"));
        m_prompter.detail(QStringLiteral("item %1: %2").arg(printable(trimmedItem), e.text()));
        return Outcome::Failed;
    } catch (const std::exception& e) {
        ++m_refused;
        m_prompter.failure(QStringLiteral("error updating item hazard file"));
        m_prompter.detail(QStringLiteral("item %1: %2")
                              .arg(printable(trimmedItem), QString::fromLocal8Bit(e.what())));
        return Outcome::Failed;
    }
}

} // namespace zelvaro
