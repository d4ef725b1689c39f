#include "host/HostLister.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "common/Text.h"
#include "host/EmbeddedProgramJob.h"
#include "host/EmbeddedSystem.h"
#include "host/HostConnection.h"
#include "host/OdbcProgramJob.h"
#include "host/SignOnGuard.h"
#include "host/UserSpace.h"
#include "settings/Settings.h"

#include <QDir>

namespace zelvaro {

namespace {

const QString Space = QStringLiteral("OBJLIST");
const QString SpaceLibrary = QStringLiteral("QTEMP");
constexpr int SpaceSize = 11264;

ProgramParameter spaceName(const char* name)
{
    return ProgramParameter::qualified(QString::fromLatin1(name), Space, SpaceLibrary);
}

// Text as the converter reads it back: without trailing blanks.
QString readBack(const QString& text)
{
    return rtrimBlanks(text);
}

} // namespace

HostLister::HostLister(Prompter& prompter) : m_prompter(prompter) {}

HostLister::~HostLister() = default;

QStringList HostLister::configuredSystems()
{
    QStringList systems = QDir(QDir(Settings::homeDir()).filePath(QStringLiteral("hosts")))
                              .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& dsn : HostRoute::odbcDataSources()) {
        if (!systems.contains(dsn)) systems << dsn;
    }
    return systems;
}

QString HostLister::defaultSystem()
{
    const QString configured = qEnvironmentVariable("ZELVARO_DEFAULT_SYSTEM");
    if (!configured.isEmpty()) return configured;
    const QStringList systems = configuredSystems();
    return systems.size() == 1 ? systems.first() : QString();
}

QString HostLister::recordFormat(const QString& table)
{
    static const QHash<QString, QString> formats = {
        {QStringLiteral("U4ITMMR"), QStringLiteral("U4IMREC")},
        {QStringLiteral("U4ITHZD"), QStringLiteral("U4HZREC")},
        {QStringLiteral("U4FLC"), QStringLiteral("U4FLREC")},
        {QStringLiteral("U4DEPT"), QStringLiteral("U4DPREC")},
        {QStringLiteral("U4CDMSDOT"), QStringLiteral("CDMSREC")},
        {QStringLiteral("U4CDMSXRF"), QStringLiteral("CDXRREC")}};
    return formats.value(table);
}

void HostLister::setSignOn(const QString& user, const QString& password)
{
    // Another sign-on is another job.
    if (user != m_user || password != m_password) dropJob();
    m_user = user;
    m_password = password;
}

void HostLister::beginAction()
{
    m_jobFailureReported = false;
}

void HostLister::forgetFailures()
{
    dropJob();
    SignOnGuard::forgetAll();
}

void HostLister::dropJob()
{
    m_job.reset();
    m_jobSystem.clear();
    m_jobFailure.clear();
    m_spaceInJob = false;
    m_jobFailureReported = false;
}

std::unique_ptr<ProgramJob> HostLister::makeJob(const QString& system) const
{
    if (m_factory) return m_factory(system);
    const QString problem = HostRoute::checkSystemName(system, QStringLiteral("The host system"));
    if (system.isEmpty() || system == QLatin1String(".") || !problem.isEmpty())
        throw HostError(problem.isEmpty()
                            ? QStringLiteral("CWBCO1003 - No host system name was given.")
                            : problem);
    if (HostRoute::forSystem(system) == HostRoute::Kind::Embedded) {
        const QString folder = HostRoute::embeddedSystemDir(system);
        if (!QDir(folder).exists())
            throw HostError(QStringLiteral("CWBCO1003 - Host system %1 was not found (%2).")
                                .arg(system, QDir::toNativeSeparators(folder)));
        // The job signs on as it starts, as a host server job does.
        const EmbeddedSystem host(folder);
        SignOnGuard::checkNotRefused(system, m_user, m_password);
        SignOnGuard::countAttempt();
        try {
            host.signOn(m_user, m_password, QStringLiteral("job"));
        } catch (const HostError& e) {
            throw HostError(SignOnGuard::refused(system, m_user, m_password, e.text()));
        }
        return std::make_unique<EmbeddedProgramJob>(host);
    }
    HostConnection c;
    c.setHostSystem(system);
    c.setUser(m_user);
    c.setPassword(m_password);
    bool dataSource = false;
    const QString connect = c.odbcConnectionString(&dataSource);
    return std::make_unique<OdbcProgramJob>(system, connect, m_user, m_password, dataSource);
}

void HostLister::rebind(const QString& system)
{
    // A job of another system is ended; one of the same system and sign-on
    // goes on serving (one job, one sign-on, for every listing of a
    // connect and the setup dialog's), its list space as it is.
    if (m_job && system != m_jobSystem) dropJob();
    m_system = system;
    m_listSpaceReady = false;
}

void HostLister::call(const QString& program, std::vector<ProgramParameter>& parameters)
{
    m_lastFailureWasJobStart = false;
    if (!m_jobFailure.isEmpty()) {
        m_lastFailureWasJobStart = true;
        throw HostError(m_jobFailure);
    }
    if (!m_job) {
        try {
            m_job = makeJob(m_system);
            m_jobSystem = m_system;
        } catch (const Error& e) {
            // Not started: no later step of this link tries again.
            m_jobFailure = e.text();
            m_lastFailureWasJobStart = true;
            throw;
        }
    }
    try {
        m_job->call(program, parameters);
    } catch (const JobStartError& e) {
        m_job.reset();
        m_jobFailure = e.text();
        m_lastFailureWasJobStart = true;
        throw;
    }
}

void HostLister::reportCallFailure(const Error& e)
{
    // A job that could not start is said once an action, not once a step.
    if (m_lastFailureWasJobStart) {
        if (m_jobFailureReported) return;
        m_jobFailureReported = true;
    }
    ErrorReport r;
    r.description = e.text();
    if (const auto* call = dynamic_cast<const HostCallError*>(&e)) {
        r.hasCallInfo = true;
        r.returnCode = call->returnCode();
        r.messages = call->messages();
    }
    m_prompter.report(r);
    m_prompter.failure(e.text());
}

void HostLister::loadSystemNames(ChoiceList& list, const QString& wanted)
{
    m_hostLinkReady = true;
    list.clearEntries();
    try {
        rebind(QString());
        for (const QString& name : configuredSystems()) {
            list.entries << name;
            if (name == wanted) list.selected = int(list.entries.size()) - 1;
        }
        list.editText = wanted.isEmpty() ? defaultSystem() : wanted;
        if (!list.editText.isEmpty()) {
            const QString problem =
                HostRoute::checkSystemName(list.editText, QStringLiteral("The host system"));
            if (!problem.isEmpty() || list.editText == QLatin1String("."))
                throw HostError(problem.isEmpty()
                                    ? QStringLiteral("\".\" is not a host system name.")
                                    : problem);
            m_system = list.editText;
        }
    } catch (const Error& e) {
        list.entries << wanted;
        list.selected = 0;
        m_hostLinkReady = false;
        list.editText = wanted;
        ErrorReport r;
        r.description = e.text();
        m_prompter.report(r);
    }
}

void HostLister::switchHostSystem(const QString& name)
{
    if (m_systemSwitched && name == m_system) return;
    rebind(name);
    m_systemSwitched = true;
}

void HostLister::createListSpace()
{
    m_listSpaceReady = true;
    if (m_job && m_spaceInJob) return; // the job kept it
    try {
        std::vector<ProgramParameter> p{
            spaceName("name"),
            ProgramParameter::chars(QStringLiteral("attributes"), 10, QString()),
            ProgramParameter::int4(QStringLiteral("size"), SpaceSize),
            ProgramParameter::byte(QStringLiteral("value"), 0),
            ProgramParameter::chars(QStringLiteral("authority"), 10, QStringLiteral("*ALL")),
            ProgramParameter::chars(QStringLiteral("description"), 50,
                                    QStringLiteral("AS/400 object list"))};
        m_listSpaceReady = true;
        call(QStringLiteral("QUSCRTUS"), p);
        m_listSpaceReady = true;
        m_spaceInJob = true;
    } catch (const Error& e) {
        reportCallFailure(e);
    }
}

void HostLister::deleteListSpace()
{
    try {
        std::vector<ProgramParameter> p{spaceName("name"),
                                        ProgramParameter::int4(QStringLiteral("error code"), 0)};
        // Without a job there is no space: no job is started (no sign-on
        // made) only to delete nothing.
        if (m_job && m_spaceInJob) call(QStringLiteral("QUSDLTUS"), p);
    } catch (const Error&) {
        // Silent by design: a space that is gone is what was wanted.
    }
    m_spaceInJob = false;
    m_listSpaceReady = false;
}

void HostLister::listObjects(const QString& object, const QString& library, const QString& type)
{
    try {
        std::vector<ProgramParameter> p{
            spaceName("user space name"),
            ProgramParameter::chars(QStringLiteral("format"), 8, QStringLiteral("OBJL0100")),
            ProgramParameter::qualified(QStringLiteral("objects to list"), object, library),
            ProgramParameter::chars(QStringLiteral("object type"), 10, type),
            ProgramParameter::int4(QStringLiteral("error code"), 0)};
        call(QStringLiteral("QUSLOBJ"), p);
    } catch (const Error& e) {
        reportCallFailure(e);
    }
}

void HostLister::listFields(const QString& file, const QString& library, const QString& format)
{
    try {
        std::vector<ProgramParameter> p{
            spaceName("user space name"),
            ProgramParameter::chars(QStringLiteral("format"), 8, QStringLiteral("FLDL0100")),
            ProgramParameter::qualified(QStringLiteral("file to list"), file, library),
            ProgramParameter::chars(QStringLiteral("file format"), 10, format),
            ProgramParameter::chars(QStringLiteral("Override"), 1, QStringLiteral("0")),
            ProgramParameter::int4(QStringLiteral("error code"), 0)};
        call(QStringLiteral("QUSLFLD"), p);
    } catch (const Error& e) {
        reportCallFailure(e);
    }
}

QByteArray HostLister::retrieveList(const QString& format, int minimumEntry)
{
    auto retrieve = [this](qint64 length) {
        std::vector<ProgramParameter> p{
            spaceName("name"), ProgramParameter::int4(QStringLiteral("offset"), 1),
            ProgramParameter::int4(QStringLiteral("length"), qint32(length)),
            ProgramParameter::output(QStringLiteral("data"), int(length))};
        call(QStringLiteral("QUSRTVUS"), p);
        return p[3].bytes;
    };
    QByteArray data = retrieve(SpaceSize);
    const userspace::Header h = userspace::peekHeader(data, format, minimumEntry);
    // A list longer than the first retrieval (a table of many fields) is
    // fetched again up to its end, never read past what came back.
    if (h.listEnd() > data.size() && h.listEnd() <= userspace::RetrieveLimit)
        data = retrieve(h.listEnd());
    return data;
}

void HostLister::readObjectList(ChoiceList& list, const QString& wanted)
{
    try {
        const QByteArray data =
            retrieveList(QStringLiteral("OBJL0100"), userspace::ObjectEntrySize);
        const QStringList names = userspace::objectNames(data); // checks the whole list first
        list.clearEntries();
        for (const QString& raw : names) {
            const QString name = readBack(raw) + QLatin1Char(' ');
            if (!name.contains(QLatin1String("DATA "))) continue;
            list.entries << trimmed(name);
            if (list.entries.last() == wanted) list.selected = int(list.entries.size()) - 1;
        }
        if (wanted.isEmpty()) list.selected = -1;
    } catch (const Error& e) {
        reportCallFailure(e);
    }
}

void HostLister::readFieldList(QStringList& lines)
{
    try {
        const QByteArray data =
            retrieveList(QStringLiteral("FLDL0100"), userspace::FieldEntryMinimum);
        const QStringList read = userspace::fieldHeadingLines(data);
        lines.clear();
        lines << read;
    } catch (const Error& e) {
        reportCallFailure(e);
    }
}

void HostLister::loadLibraryList(ChoiceList& list, const QString& wanted)
{
    beginAction();
    if (!m_listSpaceReady) createListSpace();
    listObjects(QStringLiteral("CO*"), QStringLiteral("QSYS"), QStringLiteral("*LIB"));
    readObjectList(list, wanted);
    deleteListSpace();
}

void HostLister::setGridTitles(const QString& table, const QString& library, QStringList& titles,
                               ChoiceList& hiddenSystems, const QString& hostSystem)
{
    if (table.isEmpty()) {
        deleteListSpace();
        return;
    }
    const QString format = recordFormat(table);
    // Built anew after the window's show steps, and when a cancelled setup
    // left the link on another system than the one in force.
    if (hiddenSystems.entries.isEmpty() || m_system != hostSystem) {
        loadSystemNames(hiddenSystems, hostSystem);
        createListSpace();
    }
    if (!m_listSpaceReady) createListSpace();
    listFields(table, library, format);
    QStringList lines;
    readFieldList(lines);
    for (QString& title : titles) {
        if (title.isEmpty()) continue; // an empty title is contained in no line
        for (const QString& line : lines) {
            if (line.contains(title, Qt::CaseSensitive)) {
                title = line.mid(line.indexOf(QLatin1Char('=')) + 1).left(30);
                break;
            }
        }
    }
}

} // namespace zelvaro
