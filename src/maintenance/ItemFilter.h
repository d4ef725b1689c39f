#pragma once

#include "host/MemoryView.h"

#include <QList>
#include <QString>
#include <optional>

namespace zelvaro {

class Settings;

// The selected fine line codes or departments and their expression text,
// "IMFLCD in (12,15)" (empty with nothing selected). Codes are whole
// numbers; a code added twice is listed twice.
class CodeSelection {
public:
    struct Entry {
        qint64 code;
        QString description;
    };
    explicit CodeSelection(QString column) : m_column(std::move(column)) {}

    void add(qint64 code, const QString& description);
    // Removes the entry at `index` (0-based); nothing for an index outside.
    void removeAt(int index);
    void clear() { m_entries.clear(); }
    const QList<Entry>& entries() const { return m_entries; }
    QString expression() const;

private:
    QString m_column;
    QList<Entry> m_entries;
};

// The three filters as the tab shows them.
struct FilterChoice {
    bool byName = false;
    bool byFineLine = false;
    bool byDepartment = false;
    QString name;        // edName
    QString fineLines;   // edFLC
    QString departments; // edDept

    // The filter expression: "IMDESC Like '%…%'", the fine line code text
    // and the department text, as present, joined by " and ".
    QString expression() const;

    // Section CDMSFilter of the settings file.
    static FilterChoice read(const Settings& settings);
    void write(const Settings& settings) const;
};

// The codes of a saved expression text: anything up to the first "(",
// whole numbers separated by "," (blanks allowed), ")", then only blanks.
// Empty text gives no codes; any other shape gives nothing (not guessed at).
std::optional<QList<qint64>> parseSavedCodes(const QString& text);

// Compiles a filter expression into a predicate over the item view's
// table. The engine knows exactly what the tab builds: "IMDESC Like
// '<pattern>'" (% any run, every other character itself, letter case
// counts, a doubled quote one quote, the value's trailing blanks ignored),
// "IMFLCD in (n,…)" and "IMDEPT in (n,…)" (whole numbers), joined by
// " and ". Quoted text is data. Anything else raises Error naming what it
// found. An empty expression gives an empty predicate.
MemoryView::Predicate compileFilter(const QString& expression, const ResultTable& table);

// A LIKE pattern with % only, matched against text.
bool likeMatch(QStringView text, QStringView pattern);

} // namespace zelvaro
