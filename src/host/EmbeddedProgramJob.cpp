#include "host/EmbeddedProgramJob.h"

#include "common/Error.h"
#include "common/Text.h"
#include "host/HostConnection.h"
#include "host/HostText.h"
#include "host/UserSpace.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace zelvaro {

namespace {

// Return code of a failed call as the ODBC route reports it (SQL0443, an
// external program ended in error), so both routes read alike.
constexpr int CallFailed = -443;

[[noreturn]] void fail(const QString& id, const QString& text)
{
    const QString message = id + QStringLiteral(" - ") + text;
    throw HostCallError(message, CallFailed, {message});
}

void expect(const QString& program, const std::vector<ProgramParameter>& p,
            std::initializer_list<int> lengths)
{
    bool ok = p.size() == lengths.size();
    size_t i = 0;
    for (int length : lengths) {
        if (!ok) break;
        ok = p[i].length == length && (p[i].kind == ProgramParameter::Output) ==
                                          (program == QLatin1String("QUSRTVUS") && i == 3);
        ++i;
    }
    if (!ok)
        fail(QStringLiteral("CPD0172"), QStringLiteral("Parameters passed on CALL do not "
                                                       "match those required."));
}

QString field(const ProgramParameter& p, int from, int width, int ccsid)
{
    const QByteArray bytes = p.hostBytes(ccsid);
    return hosttext::decode(bytes.constData() + from, width, ccsid).trimmed();
}

void expectFormat(const ProgramParameter& format, const QString& wanted, int ccsid)
{
    const QString given = field(format, 0, 8, ccsid);
    if (given != wanted)
        fail(QStringLiteral("CPF3C21"), QStringLiteral("Format name %1 not valid.").arg(given));
}

// Matches a name against an object name that may be generic ("CO*").
bool matches(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*ALL")) return true;
    if (pattern.endsWith(QLatin1Char('*'))) return name.startsWith(pattern.chopped(1));
    return name == pattern;
}

// A read-only handle on one library file.
class LibraryFile {
public:
    explicit LibraryFile(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~LibraryFile() { sqlite3_close(m_db); }
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }
    const QString& error() const { return m_error; }

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};

QString columnText(sqlite3_stmt* s, int c)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                             sqlite3_column_bytes(s, c));
}

} // namespace

EmbeddedProgramJob::EmbeddedProgramJob(const EmbeddedSystem& system)
    : m_folder(system.folder()), m_ccsid(system.ccsid())
{
    // A system told a code page nobody can write says so at its first list.
    if (!hosttext::known(m_ccsid))
        m_ccsidProblem =
            QStringLiteral("The host system's CCSID %1 (users.ini) is not a code page known here.")
                .arg(m_ccsid);
}

void EmbeddedProgramJob::call(const QString& program, std::vector<ProgramParameter>& parameters)
{
    if (program == QLatin1String("QUSCRTUS"))
        createSpace(parameters);
    else if (program == QLatin1String("QUSLOBJ"))
        listObjects(parameters);
    else if (program == QLatin1String("QUSLFLD"))
        listFields(parameters);
    else if (program == QLatin1String("QUSRTVUS"))
        retrieve(parameters);
    else if (program == QLatin1String("QUSDLTUS"))
        deleteSpace(parameters);
    else
        fail(QStringLiteral("CPD0170"),
             QStringLiteral("Program %1 in library QSYS not found.").arg(program));
}

QByteArray& EmbeddedProgramJob::space(const QString& qualifiedName)
{
    auto it = m_spaces.find(qualifiedName);
    if (it == m_spaces.end())
        fail(QStringLiteral("CPF9801"),
             QStringLiteral("Object %1 in library %2 not found.")
                 .arg(qualifiedName.left(10).trimmed(), qualifiedName.mid(10).trimmed()));
    return *it;
}

void EmbeddedProgramJob::store(const QString& qualifiedName, const QByteArray& list)
{
    QByteArray& s = space(qualifiedName);
    if (s.size() < list.size()) s.resize(list.size(), char(0));
    s.replace(0, list.size(), list);
}

void EmbeddedProgramJob::createSpace(std::vector<ProgramParameter>& p)
{
    expect(QStringLiteral("QUSCRTUS"), p, {20, 10, 4, 1, 10, 50});
    const QString name = p[0].text;
    if (m_spaces.contains(name))
        fail(QStringLiteral("CPF9870"), QStringLiteral("Object %1 type *USRSPC already exists in "
                                                       "library %2.")
                                            .arg(name.left(10).trimmed(), name.mid(10).trimmed()));
    if (p[2].number <= 0 || p[2].number > userspace::RetrieveLimit)
        fail(QStringLiteral("CPF3C18"), QStringLiteral("Value for initial size not valid."));
    m_spaces.insert(name, QByteArray(p[2].number, p[3].bytes.isEmpty() ? char(0) : p[3].bytes[0]));
}

void EmbeddedProgramJob::listObjects(std::vector<ProgramParameter>& p)
{
    expect(QStringLiteral("QUSLOBJ"), p, {20, 8, 20, 10, 4});
    checkCcsid();
    expectFormat(p[1], QStringLiteral("OBJL0100"), m_ccsid);
    space(p[0].text);
    const QString object = field(p[2], 0, 10, m_ccsid);
    const QString library = field(p[2], 10, 10, m_ccsid);
    const QString type = field(p[3], 0, 10, m_ccsid);
    std::vector<QByteArray> entries;
    if (library == QLatin1String("QSYS") && type == QLatin1String("*LIB")) {
        // Every library file of the system, by its exact (case-sensitive)
        // name; a file whose name is no library name is not a library.
        const QStringList files =
            QDir(m_folder).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
        for (const QString& f : files) {
            const QString name = QFileInfo(f).completeBaseName();
            if (HostRoute::checkLibraryName(name, QString()).isEmpty() && matches(name, object))
                entries.push_back(userspace::objectEntry(name, library, type, m_ccsid));
        }
    } else if (!HostRoute::checkLibraryName(library, QString()).isEmpty() ||
               !QFileInfo(QDir(m_folder).filePath(library + QStringLiteral(".db"))).isFile()) {
        fail(QStringLiteral("CPF9810"),
             QStringLiteral("Library %1 not found.").arg(printable(library)));
    }
    store(p[0].text, userspace::buildList(QStringLiteral("OBJL0100"), QStringLiteral("QUSLOBJ"),
                                          p[2].hostBytes(m_ccsid) + p[3].hostBytes(m_ccsid),
                                          userspace::ObjectEntrySize, entries, m_ccsid));
}

void EmbeddedProgramJob::listFields(std::vector<ProgramParameter>& p)
{
    expect(QStringLiteral("QUSLFLD"), p, {20, 8, 20, 10, 1, 4});
    checkCcsid();
    expectFormat(p[1], QStringLiteral("FLDL0100"), m_ccsid);
    space(p[0].text);
    const QString file = field(p[2], 0, 10, m_ccsid);
    const QString library = field(p[2], 10, 10, m_ccsid);
    const QString format = field(p[3], 0, 10, m_ccsid);
    const QHash<QString, Table>* tables = library.isEmpty() ? nullptr : catalog(library);
    if (!tables)
        fail(QStringLiteral("CPF9810"),
             QStringLiteral("Library %1 not found.").arg(printable(library)));
    const auto table = tables->find(file);
    if (table == tables->end())
        fail(QStringLiteral("CPF9812"),
             QStringLiteral("File %1 in library %2 not found.").arg(file, library));
    if (table->recordFormat != format)
        fail(QStringLiteral("CPF3C23"),
             QStringLiteral("Record format %1 not found in file %2.").arg(format, file));
    std::vector<QByteArray> entries;
    entries.reserve(table->fields.size());
    for (const userspace::FieldEntry& f : table->fields)
        entries.push_back(userspace::fieldEntry(f, m_ccsid));
    store(p[0].text, userspace::buildList(QStringLiteral("FLDL0100"), QStringLiteral("QUSLFLD"),
                                          p[2].hostBytes(m_ccsid) + p[3].hostBytes(m_ccsid),
                                          userspace::FieldEntrySize, entries, m_ccsid));
}

const QHash<QString, EmbeddedProgramJob::Table>* EmbeddedProgramJob::catalog(const QString& library)
{
    auto known = m_catalogs.constFind(library);
    if (known != m_catalogs.constEnd()) return &*known;
    // A name that is no library name never reaches the file system.
    if (!HostRoute::checkLibraryName(library, QString()).isEmpty()) return nullptr;
    const QString path = QDir(m_folder).filePath(library + QStringLiteral(".db"));
    if (!QFileInfo(path).isFile()) return nullptr;
    auto unreadable = [&](const QString& why) {
        fail(QStringLiteral("CPF9810"),
             QStringLiteral("%1 is not a readable library: %2").arg(library, why));
    };
    if (QFileInfo(path).size() == 0) unreadable(QStringLiteral("the file is empty"));
    LibraryFile db(path);
    if (!db.isOpen()) unreadable(db.error());
    QHash<QString, Table> tables;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.handle(), "SELECT TABLE_NAME, RECORD_FORMAT FROM ZH_SYSTABLES", -1,
                           &s, nullptr) != SQLITE_OK)
        unreadable(QString::fromUtf8(sqlite3_errmsg(db.handle())));
    while (s && sqlite3_step(s) == SQLITE_ROW)
        tables[columnText(s, 0).trimmed()].recordFormat = columnText(s, 1).trimmed();
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db.handle(),
                       "SELECT TABLE_NAME, COLUMN_NAME, HEADING1, HEADING2, HEADING3 FROM "
                       "ZH_SYSCOLUMNS ORDER BY TABLE_NAME, ORDINAL_POSITION",
                       -1, &s, nullptr);
    while (s && sqlite3_step(s) == SQLITE_ROW) {
        auto t = tables.find(columnText(s, 0).trimmed());
        if (t == tables.end()) continue;
        userspace::FieldEntry f;
        f.name = columnText(s, 1);
        for (int h = 0; h < 3; ++h)
            f.headings[h] = columnText(s, 2 + h);
        t->fields.push_back(f);
    }
    sqlite3_finalize(s);
    return &*m_catalogs.insert(library, tables);
}

void EmbeddedProgramJob::checkCcsid() const
{
    if (!m_ccsidProblem.isEmpty()) fail(QStringLiteral("CPF3CF1"), m_ccsidProblem);
}

void EmbeddedProgramJob::retrieve(std::vector<ProgramParameter>& p)
{
    expect(QStringLiteral("QUSRTVUS"), p, {20, 4, 4, p.size() == 4 ? p[3].length : -1});
    const QByteArray& s = space(p[0].text);
    const qint64 start = p[1].number;
    const qint64 length = p[2].number;
    if (start < 1 || length < 0 || length > p[3].length || start - 1 + length > s.size())
        fail(QStringLiteral("CPF3C13"), QStringLiteral("Value for length of data not valid."));
    p[3].bytes = s.mid(start - 1, length);
}

void EmbeddedProgramJob::deleteSpace(std::vector<ProgramParameter>& p)
{
    expect(QStringLiteral("QUSDLTUS"), p, {20, 4});
    if (!m_spaces.remove(p[0].text))
        fail(QStringLiteral("CPF2105"),
             QStringLiteral("Object %1 in %2 type *USRSPC not found.")
                 .arg(p[0].text.left(10).trimmed(), p[0].text.mid(10).trimmed()));
}

} // namespace zelvaro
