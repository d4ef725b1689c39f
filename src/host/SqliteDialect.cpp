#include "host/SqliteDialect.h"

#include "common/Error.h"
#include "common/Text.h"

#include <QRegularExpression>

namespace zelvaro {

namespace {

enum class Tok { Space, Word, Quoted, String, Punct, Comment };

struct Token {
    Tok kind;
    QString text;
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') ||
           c == QLatin1Char('$') || c == QLatin1Char('@');
}

std::vector<Token> tokenize(const QString& sql)
{
    std::vector<Token> out;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        qsizetype j = i + 1;
        Tok kind = Tok::Punct;
        if (c.isSpace()) {
            while (j < n && sql.at(j).isSpace())
                ++j;
            kind = Tok::Space;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote inside stays part of the token.
            while (j < n) {
                if (sql.at(j) == c) {
                    if (j + 1 < n && sql.at(j + 1) == c) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
            kind = c == QLatin1Char('\'') ? Tok::String : Tok::Quoted;
        } else if (c == QLatin1Char('-') && j < n && sql.at(j) == QLatin1Char('-')) {
            while (j < n && sql.at(j) != QLatin1Char('\n'))
                ++j;
            kind = Tok::Comment;
        } else if (isWordChar(c)) {
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            kind = Tok::Word;
        }
        out.push_back({kind, sql.mid(i, j - i)});
        i = j;
    }
    return out;
}

QString unquote(const QString& quoted)
{
    QString inner = quoted.mid(1, quoted.size() - 2);
    if (inner.contains(QLatin1Char('"'))) inner.replace(QLatin1String("\"\""), QLatin1String("\""));
    return inner;
}

// Appends the name in double quotes (each quote inside doubled); names are
// quoted in every statement, so without a copy of the name.
void appendQuotedIdent(QString& out, QStringView name)
{
    out += QLatin1Char('"');
    if (name.contains(QLatin1Char('"'))) {
        for (const QChar c : name) {
            if (c == QLatin1Char('"')) out += QLatin1Char('"');
            out += c;
        }
    } else {
        out += name;
    }
    out += QLatin1Char('"');
}

QString quoteIdent(const QString& name)
{
    QString out;
    out.reserve(name.size() + 2);
    appendQuotedIdent(out, name);
    return out;
}

QString notFound(const QString& table, const QString& library)
{
    return QStringLiteral("SQL0204 - %1 in %2 type *FILE not found.").arg(table, library);
}

QString columnSql(const ColumnDef& c)
{
    const FieldDef& f = c.field;
    const QString name = quoteIdent(f.name);
    switch (f.type) {
    case FieldType::Char:
        return QStringLiteral("%1 TEXT NOT NULL DEFAULT '' COLLATE RTRIM CONSTRAINT %2 "
                              "CHECK(length(rtrim(%1)) <= %3)")
            .arg(name, quoteIdent(QStringLiteral("ZH_LEN_") + f.name))
            .arg(f.width);
    case FieldType::Integer:
        return name + QStringLiteral(" INTEGER NOT NULL DEFAULT 0");
    case FieldType::Decimal:
        return name + QStringLiteral(" REAL NOT NULL DEFAULT 0");
    }
    return name;
}

QString typeName(FieldType t)
{
    switch (t) {
    case FieldType::Char:
        return QStringLiteral("CHAR");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::Decimal:
        return QStringLiteral("DECIMAL");
    }
    return {};
}

} // namespace

void SqliteDialect::setLibrary(const QString& library, const std::vector<TableDef>& tables)
{
    QHash<QString, TableDef>& lib = m_catalog[library];
    lib.clear();
    for (const TableDef& t : tables)
        lib.insert(t.name.toUpper(), t);
}

const TableDef* SqliteDialect::table(const QString& library, const QString& name) const
{
    const auto lib = m_catalog.constFind(library);
    if (lib == m_catalog.constEnd()) return nullptr;
    const auto t = lib->constFind(name.toUpper());
    return t == lib->constEnd() ? nullptr : &*t;
}

void SqliteDialect::recordAlteredColumn(const QString& library, const QString& tableName,
                                        const ColumnDef& column)
{
    auto lib = m_catalog.find(library);
    if (lib == m_catalog.end()) return;
    auto t = lib->find(tableName.toUpper());
    if (t == lib->end()) return;
    for (ColumnDef& c : t->columns) {
        if (c.field.name.compare(column.field.name, Qt::CaseInsensitive) == 0) c = column;
    }
}

SqliteDialect::Translation SqliteDialect::translate(const QString& db2Sql) const
{
    Translation result;
    const QStringView sql(db2Sql);
    // Only the widening needs the statement taken apart; everything else is
    // rewritten in one pass without copying tokens.
    if (sql.trimmed().startsWith(QLatin1String("ALTER"), Qt::CaseInsensitive))
        return translateAlterText(db2Sql);

    // Most statements come out as they went in: the text is only rebuilt
    // from the first place that changes.
    QString out;
    qsizetype copied = 0;
    bool rewritten = false;
    auto replace = [&](qsizetype from, qsizetype to, const QString& with) {
        if (sql.mid(from, to - from) == with) return;
        if (!rewritten) {
            out.reserve(db2Sql.size() + 16);
            rewritten = true;
        }
        out += sql.mid(copied, from - copied);
        out += with;
        copied = to;
    };
    bool afterFrom = false;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto quotedEnd = [&](qsizetype from, QChar q) {
        qsizetype j = from + 1;
        while (j < n) {
            if (sql[j] == q) {
                if (j + 1 < n && sql[j + 1] == q) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return j;
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'')) {
            i = quotedEnd(i, c);
        } else if (c == QLatin1Char('"')) {
            const qsizetype j = quotedEnd(i, c);
            // A qualified table name: "LIB"."TABLE" (or "LIB".TABLE).
            if (j < n && sql[j] == QLatin1Char('.') && j + 1 < n &&
                (sql[j + 1] == QLatin1Char('"') || isWordChar(sql[j + 1]))) {
                qsizetype k;
                QString tableName;
                if (sql[j + 1] == QLatin1Char('"')) {
                    k = quotedEnd(j + 1, QLatin1Char('"'));
                    tableName = unquote(sql.mid(j + 1, k - j - 1).toString());
                } else {
                    k = j + 1;
                    while (k < n && isWordChar(sql[k]))
                        ++k;
                    tableName = sql.mid(j + 1, k - j - 1).toString().toUpper();
                }
                // The library must be attached under exactly this name: the
                // host treats quoted names as case-sensitive, SQLite does not.
                const QString library = unquote(sql.mid(i, j - i).toString());
                if (!m_catalog.contains(library)) throw HostError(notFound(tableName, library));
                if (afterFrom && !result.source) result.source = table(library, tableName);
                QString qualified;
                qualified.reserve(library.size() + tableName.size() + 5);
                appendQuotedIdent(qualified, library);
                qualified += QLatin1Char('.');
                appendQuotedIdent(qualified, tableName);
                replace(i, k, qualified);
                i = k;
            } else {
                i = j;
            }
        } else if (isWordChar(c)) {
            qsizetype j = i + 1;
            bool hash = c == QLatin1Char('#');
            while (j < n && isWordChar(sql[j]))
                hash = hash || sql[j++] == QLatin1Char('#');
            const QStringView word = sql.mid(i, j - i);
            if (!afterFrom && word.compare(QLatin1String("FROM"), Qt::CaseInsensitive) == 0)
                afterFrom = true;
            // Host column names may hold '#', which SQLite only takes quoted.
            if (hash) replace(i, j, quoteIdent(word.toString().toUpper()));
            i = j;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
        } else {
            ++i;
        }
    }
    if (rewritten) {
        out += sql.mid(copied);
        result.statements << out;
    } else {
        result.statements << db2Sql;
    }
    return result;
}

SqliteDialect::Translation SqliteDialect::translateAlterText(const QString& db2Sql) const
{
    const std::vector<Token> tokens = tokenize(db2Sql);
    std::vector<int> sig;
    for (int i = 0; i < int(tokens.size()); ++i) {
        if (tokens[i].kind != Tok::Space && tokens[i].kind != Tok::Comment) sig.push_back(i);
    }
    auto word = [&](int k) -> QString {
        if (k >= int(sig.size())) return {};
        const Token& t = tokens[sig[k]];
        return t.kind == Tok::Word ? t.text.toUpper() : QString();
    };
    // ALTER TABLE "L"."T" ALTER COLUMN C SET DATA TYPE <type ...>
    if (word(0) != QLatin1String("ALTER") || word(1) != QLatin1String("TABLE") || sig.size() < 11 ||
        tokens[sig[2]].kind != Tok::Quoted || tokens[sig[3]].text != QLatin1String(".") ||
        tokens[sig[4]].kind != Tok::Quoted || word(5) != QLatin1String("ALTER") ||
        word(6) != QLatin1String("COLUMN"))
        throw HostError(
            QStringLiteral("SQL0104 - Token ALTER was not valid. Only ALTER COLUMN is supported."));
    const QString library = unquote(tokens[sig[2]].text);
    const QString tableName = unquote(tokens[sig[4]].text);
    const Token& colTok = tokens[sig[7]];
    const QString column =
        colTok.kind == Tok::Quoted ? unquote(colTok.text) : colTok.text.toUpper();
    if (word(8) != QLatin1String("SET") || word(9) != QLatin1String("DATA") ||
        word(10) != QLatin1String("TYPE"))
        throw HostError(
            QStringLiteral("SQL0104 - Token %1 was not valid.").arg(tokens[sig[8]].text));
    QString typeText;
    for (int k = sig[10] + 1; k < int(tokens.size()); ++k)
        typeText += tokens[k].text;
    return translateAlter(db2Sql, library, tableName, column, typeText.trimmed());
}

SqliteDialect::Translation SqliteDialect::translateAlter(const QString& sql, const QString& library,
                                                         const QString& tableName,
                                                         const QString& column,
                                                         const QString& typeText) const
{
    Q_UNUSED(sql);
    if (!m_catalog.contains(library)) throw HostError(notFound(tableName, library));
    const TableDef* def = table(library, tableName);
    if (!def) throw HostError(notFound(tableName, library));
    const ColumnDef* old = def->column(column);
    if (!old)
        throw HostError(QStringLiteral("SQL0205 - Column %1 not in table %2 in %3.")
                            .arg(column, tableName, library));

    static const QRegularExpression charType(
        QStringLiteral("^(?:CHARACTER|CHAR)\\s*\\(\\s*(\\d+)\\s*\\)(?:\\s+CCSID\\s+\\d+)?"
                       "(?:\\s+NOT\\s+NULL)?(?:\\s+WITH\\s+DEFAULT)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charType.match(typeText);
    if (!m.hasMatch() || old->field.type != FieldType::Char)
        throw HostError(QStringLiteral("SQL0190 - Attributes of column %1 in %2 not compatible.")
                            .arg(column, tableName));

    TableDef rebuilt = *def;
    ColumnDef changed = *old;
    changed.field.width = m.captured(1).toInt();
    for (ColumnDef& c : rebuilt.columns) {
        if (&c - rebuilt.columns.data() == old - def->columns.data()) c = changed;
    }

    // SQLite cannot change a column in place: build the table anew under a
    // temporary name, copy the rows (the length checks refuse a narrowing
    // that would cut values), and put it in the old one's place.
    const QString temp = QStringLiteral("ZH_REBUILD_") + tableName;
    const QString lib = quoteIdent(library);
    Translation t;
    t.transaction = true;
    t.statements << createTableSql(library, rebuilt, temp).first();
    t.statements << QStringLiteral("INSERT INTO %1.%2 SELECT * FROM %1.%3")
                        .arg(lib, quoteIdent(temp), quoteIdent(tableName));
    t.statements << QStringLiteral("DROP TABLE %1.%2").arg(lib, quoteIdent(tableName));
    t.statements << QStringLiteral("ALTER TABLE %1.%2 RENAME TO %3")
                        .arg(lib, quoteIdent(temp), quoteIdent(tableName));
    t.statements << QStringLiteral("UPDATE %1.%2 SET DATA_TYPE = 'CHAR', LENGTH = %3 "
                                   "WHERE TABLE_NAME = %4 AND COLUMN_NAME = %5")
                        .arg(lib, quoteIdent(QString::fromLatin1(ColumnsCatalog)))
                        .arg(changed.field.width)
                        .arg(sqlQuote(tableName), sqlQuote(changed.field.name));
    t.alteredColumn = std::make_pair(library, changed);
    t.alteredTable = tableName;
    return t;
}

QString SqliteDialect::hostMessage(const QString& text)
{
    static const QRegularExpression noTable(
        QStringLiteral("no such table: (?:([^.\\s]+)\\.)?(\\S+)"));
    static const QRegularExpression noColumn(QStringLiteral("no such column: (\\S+)"));
    static const QRegularExpression tooLong(
        QStringLiteral("CHECK constraint failed: ZH_LEN_(\\S+)"));
    static const QRegularExpression duplicate(
        QStringLiteral("UNIQUE constraint failed: ([^.\\s]+)\\."));
    static const QRegularExpression notNull(
        QStringLiteral("NOT NULL constraint failed: \\S+\\.(\\S+)"));
    static const QRegularExpression mismatch(
        QStringLiteral("cannot store \\S+ value in \\S+ column [^.\\s]+\\.(\\S+)"));

    QRegularExpressionMatch m;
    if ((m = noTable.match(text)).hasMatch())
        return notFound(m.captured(2),
                        m.captured(1).isEmpty() ? QStringLiteral("*LIBL") : m.captured(1));
    if ((m = noColumn.match(text)).hasMatch())
        return QStringLiteral("SQL0206 - Column or global variable %1 not found.")
            .arg(m.captured(1));
    if ((m = tooLong.match(text)).hasMatch())
        return QStringLiteral("SQL0404 - Value for column or variable %1 too long.")
            .arg(m.captured(1));
    if ((m = duplicate.match(text)).hasMatch())
        return QStringLiteral("SQL0803 - Duplicate key value specified in %1.").arg(m.captured(1));
    if ((m = notNull.match(text)).hasMatch())
        return QStringLiteral("SQL0407 - Null values not allowed in column or variable %1.")
            .arg(m.captured(1));
    if ((m = mismatch.match(text)).hasMatch())
        return QStringLiteral("SQL0408 - Value for column or variable %1 not compatible.")
            .arg(m.captured(1));
    if (text.contains(QLatin1String("database is locked")) ||
        text.contains(QLatin1String("database table is locked")))
        return QStringLiteral("SQL0913 - Row or object in use by another job. (%1)").arg(text);
    if (text.contains(QLatin1String("readonly database")))
        return QStringLiteral("SQL0551 - Not authorized to object. (%1)").arg(text);
    if (text.contains(QLatin1String("syntax error")))
        return QStringLiteral("SQL0104 - Token was not valid. (%1)").arg(text);
    return QStringLiteral("SQL0901 - SQL system error. (%1)").arg(text);
}

QStringList SqliteDialect::createTableSql(const QString& library, const TableDef& table,
                                          const QString& createAs)
{
    QStringList cols;
    for (const ColumnDef& c : table.columns)
        cols << columnSql(c);
    if (!table.uniqueKey.isEmpty()) {
        QStringList key;
        for (const QString& k : table.uniqueKey)
            key << quoteIdent(k);
        cols << QStringLiteral("CONSTRAINT %1 UNIQUE(%2)")
                    .arg(quoteIdent(QStringLiteral("ZH_KEY_") + table.name),
                         key.join(QLatin1String(", ")));
    }
    const QString lib = quoteIdent(library);
    QStringList out;
    out << QStringLiteral("CREATE TABLE %1.%2 (%3) STRICT")
               .arg(lib, quoteIdent(createAs.isEmpty() ? table.name : createAs),
                    cols.join(QLatin1String(", ")));
    out << QStringLiteral("INSERT INTO %1.%2 VALUES(%3, %4, %5)")
               .arg(lib, quoteIdent(QString::fromLatin1(TablesCatalog)), sqlQuote(table.name),
                    sqlQuote(table.recordFormat), sqlQuote(table.uniqueKey.join(QLatin1Char(','))));
    int pos = 0;
    for (const ColumnDef& c : table.columns) {
        out << QStringLiteral("INSERT INTO %1.%2 VALUES(%3, %4, %5, %6, %7, %8, %9, %10, %11)")
                   .arg(lib, quoteIdent(QString::fromLatin1(ColumnsCatalog)), sqlQuote(table.name))
                   .arg(pos++)
                   .arg(sqlQuote(c.field.name), sqlQuote(typeName(c.field.type)))
                   .arg(c.field.width)
                   .arg(c.field.scale)
                   .arg(sqlQuote(c.headings[0]), sqlQuote(c.headings[1]), sqlQuote(c.headings[2]));
    }
    return out;
}

QStringList SqliteDialect::catalogSchemaSql(const QString& library)
{
    const QString lib = quoteIdent(library);
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (TABLE_NAME TEXT PRIMARY KEY, "
                           "RECORD_FORMAT TEXT NOT NULL, UNIQUE_KEY TEXT NOT NULL)")
                .arg(lib, quoteIdent(QString::fromLatin1(TablesCatalog))),
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (TABLE_NAME TEXT NOT NULL, "
                           "ORDINAL_POSITION INTEGER NOT NULL, COLUMN_NAME TEXT NOT NULL, "
                           "DATA_TYPE TEXT NOT NULL, LENGTH INTEGER NOT NULL, "
                           "NUMERIC_SCALE INTEGER NOT NULL, HEADING1 TEXT NOT NULL, "
                           "HEADING2 TEXT NOT NULL, HEADING3 TEXT NOT NULL, "
                           "PRIMARY KEY(TABLE_NAME, COLUMN_NAME))")
                .arg(lib, quoteIdent(QString::fromLatin1(ColumnsCatalog)))};
}

QString SqliteDialect::catalogQuery(const QString& library)
{
    const QString lib = quoteIdent(library);
    return QStringLiteral("SELECT t.TABLE_NAME, t.RECORD_FORMAT, t.UNIQUE_KEY, c.COLUMN_NAME, "
                          "c.DATA_TYPE, c.LENGTH, c.NUMERIC_SCALE, c.HEADING1, c.HEADING2, "
                          "c.HEADING3 FROM %1.%2 t JOIN %1.%3 c ON c.TABLE_NAME = t.TABLE_NAME "
                          "ORDER BY t.TABLE_NAME, c.ORDINAL_POSITION")
        .arg(lib, quoteIdent(QString::fromLatin1(TablesCatalog)),
             quoteIdent(QString::fromLatin1(ColumnsCatalog)));
}

} // namespace zelvaro
