#include "update/DryRun.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "common/RunUi.h"
#include "common/Text.h"
#include "host/HostSchema.h"
#include "host/HostTables.h"
#include "host/LibraryWriter.h"
#include "host/SqlLog.h"
#include "settings/Settings.h"
#include "sources/DotList.h"
#include "sources/agrian/AgrianLookup.h"
#include "update/RunLock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zelvaro {

namespace {

const QString DrySystem = QStringLiteral("DRYRUN");

// An environment variable set for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

// The statement log off for the life of the object: the copy's statements
// are no script for the host (replayed, they would apply the plan).
class LogPause {
public:
    LogPause() : m_path(SqlLog::path())
    {
        SqlLog::comment(QStringLiteral("dry run: the private copy's statements are not logged"));
        SqlLog::setPath(QString());
    }
    ~LogPause() { SqlLog::setPath(m_path); }

private:
    QString m_path;
};

// The window's run interface for the copy: messages and progress as in a
// run, but no reconnect, no repaint and no DOT list of the window's touched
// (the copy's list is the run's own).
class CopyUi : public RunUi {
public:
    explicit CopyUi(RunUi& real) : m_real(real) {}
    Prompter& prompter() override { return m_real.prompter(); }
    void beginBusy() override { m_real.beginBusy(); }
    void endBusy() override { m_real.endBusy(); }
    void setStatus(const QString& text) override { m_real.setStatus(text); }
    void setUpdateEnabled(bool) override {}
    bool agrianMode() const override { return m_real.agrianMode(); }
    void setTabsEnabled(bool enabled) override { m_real.setTabsEnabled(enabled); }
    void openProgress(const QString& caption, int maximum) override
    {
        m_real.openProgress(caption, maximum);
    }
    void setProgress(int position, const QString& text) override
    {
        m_real.setProgress(position, text);
    }
    void closeProgress() override { m_real.closeProgress(); }

private:
    RunUi& m_real;
};

// Connecting to the copy: quiet, a failure said through the prompter.
struct CopyConnect : ConnectUi {
    explicit CopyConnect(Prompter& prompter) : m_prompter(prompter) {}
    void message(const QString& text) override { m_prompter.failure(text); }
    Prompter& m_prompter;
};

// The table as the copy creates it: the host's columns the view holds, with
// the widths the host gave them.
TableDef copyDefinition(const QString& name, const ResultTable& result)
{
    const TableDef* schema = hostTable(name);
    TableDef t;
    t.name = name;
    t.recordFormat = schema ? schema->recordFormat : QString();
    for (const FieldDef& f : result.fields()) {
        ColumnDef c;
        const ColumnDef* known = schema ? schema->column(f.name) : nullptr;
        if (known) c = *known;
        c.field.name = f.name;
        c.field.type = f.type;
        if (f.width > 0) c.field.width = f.width;
        if (f.type != FieldType::Char) c.field.scale = f.scale;
        t.columns.push_back(c);
    }
    bool keyHeld = schema != nullptr;
    for (const QString& k : schema ? schema->uniqueKey : QStringList())
        keyHeld = keyHeld && t.column(k) != nullptr;
    if (keyHeld) t.uniqueKey = schema->uniqueKey;
    return t;
}

void copyTable(LibraryWriter& writer, const QString& name, const HostQuery& query)
{
    const std::shared_ptr<const ResultTable> result = query.result();
    if (!result) {
        if (const TableDef* schema = hostTable(name)) writer.createTable(*schema);
        return;
    }
    const TableDef def = copyDefinition(name, *result);
    writer.createTable(def);
    writer.insertTable(def, *result);
}

} // namespace

DryRun::DryRun(HostTables& real, const DotList& list) : m_real(real), m_list(list) {}

QString DryRun::limitsText()
{
    return QStringLiteral("A dry run cannot foresee what only the host decides at the time: "
                          "records locked by another job, authority refused on the real files, "
                          "and changes other programs make before the real run.");
}

UpdateRun::Outcome DryRun::run(RunUi& ui, AgrianRequest* request)
{
    m_report = UpdateRun::Report();
    const QDateTime started = QDateTime::currentDateTime();
    const QString realHome = Settings::homeDir();
    // A run in progress would change the tables under the copy, and one
    // started during the dry run would make its plan untrue: it holds the
    // home's lock as a run does.
    RunLock lock(realHome);
    UpdateRun::Outcome refused = UpdateRun::Outcome::Done;
    if (!UpdateRun::takeLock(lock, ui.prompter(), m_report, &refused)) return refused;
    const QString library = m_real.hostLibrary();
    QTemporaryDir dir;
    if (!dir.isValid() || !m_real.allViewsOpen()) {
        ui.prompter().failure(
            !dir.isValid()
                ? QStringLiteral("The dry run cannot make its temporary copy: %1")
                      .arg(dir.errorString())
                : QStringLiteral("The dry run needs the host tables open; connect to the host and "
                                 "try again."));
        m_report.stopReason = QStringLiteral("no copy");
        return UpdateRun::Outcome::Stopped;
    }
    const QString home = dir.filePath(QStringLiteral("home"));
    const LogPause logPause;
    try {
        // The tables the run reads and writes, as the views hold them.
        LibraryWriter writer(QDir(home).filePath(QStringLiteral("hosts/") + DrySystem), library);
        copyTable(writer, QStringLiteral("U4ITMMR"), m_real.itemQuery);
        copyTable(writer, QStringLiteral("U4CDMSDOT"), m_real.dotQuery);
        copyTable(writer, QStringLiteral("U4CDMSXRF"), m_real.xrefQuery);
        copyTable(writer, QStringLiteral("U4ITHZD"), m_real.hazardQuery);
        copyTable(writer, QStringLiteral("U4FLC"), m_real.flcQuery);
        copyTable(writer, QStringLiteral("U4DEPT"), m_real.deptQuery);
        copyTable(writer, QStringLiteral("U4CONST"), m_real.constQuery);
        writer.close();
        // The settings as they are, pointed at the copy: what the run reads
        // (the Agrian account) is the same; what it writes goes nowhere.
        QFile::copy(Settings::defaultPath(), QDir(home).filePath(QStringLiteral("INVSIG.INI")));
        QFile::setPermissions(QDir(home).filePath(QStringLiteral("INVSIG.INI")),
                              QFile::ReadOwner | QFile::WriteOwner);
        Settings(QDir(home).filePath(QStringLiteral("INVSIG.INI")))
            .writeTexts(QStringLiteral("Transfer"), {{QStringLiteral("Host"), DrySystem},
                                                     {QStringLiteral("DataLib"), library}});
    } catch (const Error& e) {
        ui.prompter().failure(QStringLiteral("The dry run cannot make its copy: ") + e.text());
        m_report.stopReason = e.text();
        return UpdateRun::Outcome::Stopped;
    }

    const ScopedVariable homeVariable("ZELVARO_HOME", QFile::encodeName(home));
    const ScopedVariable route("ZELVARO_HOST_DRIVER", "embedded");
    HostTables copy(QStringLiteral("DRYRUN-COPY")); // the real connection stays as it is
    copy.connection.setScratch(true);
    CopyConnect connect(ui.prompter());
    if (!copy.connect(Settings(), connect)) {
        m_report.stopReason = QStringLiteral("the copy could not be opened");
        return UpdateRun::Outcome::Stopped;
    }
    DotList list = m_list;
    UpdateCounters counters;
    UpdateRun update(copy, list, counters);
    update.setReportFolder(QDir(realHome).filePath(QStringLiteral("changes")), true);
    update.setReportStart(started);
    std::unique_ptr<AgrianLookup> lookup;
    if (ui.agrianMode() && request) {
        lookup = std::make_unique<AgrianLookup>(copy, list, *request, ui.prompter());
        update.setAgrianLookup([&](const QString& id, int row, bool write) {
            return lookup->refresh(id, row, write);
        });
    }
    CopyUi copyUi(ui);
    const UpdateRun::Outcome outcome = update.run(copyUi);
    m_report = update.lastReport();
    if (lookup) {
        m_lookups = lookup->lookupCount();
        m_lookupSeconds = lookup->lookupSeconds();
    }
    copy.closeViews();
    copy.connection.disconnect();
    return outcome;
}

} // namespace zelvaro
