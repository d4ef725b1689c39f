#include "update/HazardUpdate.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "host/HostSession.h"

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

HazardUpdate::HazardUpdate(HostSession& session, UpdateCounters& counters, Prompter& prompter)
    : m_session(session), m_counters(counters), m_prompter(prompter)
{
}

std::array<QString, 3> HazardUpdate::splitHazardText(const QString& text)
{
    std::array<QString, 3> lines{QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")};
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
    const std::array<QString, 3> lines = splitHazardText(rtrimBlanks(haztxt));
    const QString library = m_session.hostLibrary();
    const QString trimmedItem = trimmed(item);
    ClientView& hazard = m_session.hazardView;
    const int keyWidth = hazard.fieldWidth(QStringLiteral("HZPROD"));
    // Where the host would compare a cut key, the item would get another
    // item's row or none: such an item is not written at all.
    if (keyWidth > 0 && trimmedItem.size() > keyWidth) return Outcome::DoesNotFit;
    const int placardWidth = hazard.fieldWidth(QStringLiteral("HZCLAS"));
    const QString placard = placardWidth > 0 ? plac.left(placardWidth) : plac;

    try {
        m_session.connection.execute(QStringLiteral("Update ") +
                                     qualifiedName(library, QStringLiteral("U4ITMMR")) +
                                     QStringLiteral(" SET IMASUB = ") +
                                     sqlQuote(padToWidth(epa, m_session.itemView.fieldWidth(4))) +
                                     QStringLiteral(" Where IMPROD = ") + sqlQuote(trimmedItem));
    } catch (const Error& e) {
        if (isLockTimeout(e)) throw;
        m_prompter.failure(QStringLiteral("Error updating item master"));
    } catch (const std::exception&) {
        m_prompter.failure(QStringLiteral("Error updating item master"));
    }

    try {
        const bool exists = hazard.findKey({padToWidth(item, hazard.fieldWidth(0))});
        const QString table = qualifiedName(library, QStringLiteral("U4ITHZD"));
        QString sql;
        if (exists) {
            sql = QStringLiteral("Update ") + table + QStringLiteral(" SET HZDS1 = ") +
                  sqlQuote(lines[0]) + QStringLiteral(", HZDS2 = ") + sqlQuote(lines[1]) +
                  QStringLiteral(", HZDS3 = ") + sqlQuote(lines[2]);
            if (!trimmed(placard).isEmpty())
                sql += QStringLiteral(", HZCLAS = ") + sqlQuote(trimmed(placard));
            sql += QStringLiteral(" Where HZPROD = ") + sqlQuote(trimmedItem);
        } else {
            sql = QStringLiteral("INSERT INTO ") + table + QLatin1Char(' ') +
                  QStringLiteral("(HZPROD, HZDS1, HZDS2, HZDS3, HZCLAS, HZFACT, HZCRPD)") +
                  QStringLiteral(" VALUES(") + sqlQuote(trimmedItem) + QStringLiteral(", ") +
                  sqlQuote(lines[0]) + QStringLiteral(", ") + sqlQuote(lines[1]) +
                  QStringLiteral(", ") + sqlQuote(lines[2]) + QStringLiteral(", ") +
                  sqlQuote(placard) + QStringLiteral(", ") + QStringLiteral("0.0, ") +
                  sqlQuote(QStringLiteral(" ")) + QStringLiteral(")");
        }
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
        } // an existing row is current since findKey
        if (exists) {
            ++m_counters.hazardUpdated;
            return Outcome::Updated;
        }
        ++m_counters.hazardAdded;
        return Outcome::Added;
    } catch (const Error& e) {
        if (isLockTimeout(e)) throw;
        m_prompter.failure(QStringLiteral("error updating item hazard file"));
        return Outcome::Failed;
    } catch (const std::exception&) {
        m_prompter.failure(QStringLiteral("error updating item hazard file"));
        return Outcome::Failed;
    }
}

} // namespace zelvaro
