#pragma once

// The list APIs as the program uses them: configured systems, the host's data
// libraries and the field headings that title the grids (HostLister).

#include "host/ProgramJob.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace zelvaro {

class Prompter;
class Error;

// A drop-down list as the listings fill it: entries, the selected entry
// (-1 for none) and the edit text. Emptying the entries keeps the edit text.
struct ChoiceList {
    QStringList entries;
    int selected = -1;
    QString editText;
    void clearEntries()
    {
        entries.clear();
        selected = -1;
    }
};

// The host link: lists of configured systems, of the host's data libraries
// and of a table's fields with their column headings, through the list APIs
// (QUSCRTUS, QUSLOBJ, QUSLFLD, QUSRTVUS, QUSDLTUS) run in a host job of its
// own (a ProgramJob: EmbeddedProgramJob or OdbcProgramJob, by the system's route).
// One per process. No operation returns an error: each reports its own
// failure (the error information window, then the message box) and
// returns. One job serves while the system and the sign-on stay the same;
// a job that could not start (a refused sign-on) is not tried again and is
// reported once an action.
class HostLister {
public:
    explicit HostLister(Prompter& prompter);
    ~HostLister();

    // Folders under hosts/ (sorted), then the ODBC data sources, each once.
    static QStringList configuredSystems();
    // ZELVARO_DEFAULT_SYSTEM, else the only configured system, else empty.
    static QString defaultSystem();
    // The record format of one of the six host tables; empty for others.
    static QString recordFormat(const QString& table);

    // The user and password a job signs on with; other ones end the job.
    void setSignOn(const QString& user, const QString& password);
    // A user action begins (a connect, a library listing): a job that could
    // not start is reported again, once.
    void beginAction();
    // File, Refresh Tables: refused sign-ons may be tried again.
    void forgetFailures();

    void loadSystemNames(ChoiceList& list, const QString& wanted);
    void switchHostSystem(const QString& name);
    void createListSpace();
    void deleteListSpace();
    void listObjects(const QString& object, const QString& library, const QString& type);
    void listFields(const QString& file, const QString& library, const QString& format);
    void readObjectList(ChoiceList& list, const QString& wanted);
    void readFieldList(QStringList& lines);
    void loadLibraryList(ChoiceList& list, const QString& wanted);
    // Titles a grid's columns (their current titles, changed in place) from
    // the table's field headings; an empty table name deletes the list
    // space instead. `hiddenSystems` is the window's hidden system list: when
    // it is empty, or the link is bound to another system than `hostSystem`,
    // the link is built anew first.
    void setGridTitles(const QString& table, const QString& library, QStringList& titles,
                       ChoiceList& hiddenSystems, const QString& hostSystem);

    bool hostLinkReady() const { return m_hostLinkReady; }
    bool systemSwitched() const { return m_systemSwitched; }
    bool listSpaceReady() const { return m_listSpaceReady; }
    // The system the link is bound to (empty: none defined).
    const QString& boundSystem() const { return m_system; }

    // How a job is made for a system; tests count and fail calls through it.
    using JobFactory = std::function<std::unique_ptr<ProgramJob>(const QString& system)>;
    void setJobFactory(JobFactory factory) { m_factory = std::move(factory); }
    std::unique_ptr<ProgramJob> makeJob(const QString& system) const;

private:
    void rebind(const QString& system);
    void dropJob();
    void call(const QString& program, std::vector<ProgramParameter>& parameters);
    QByteArray retrieveList(const QString& format, int minimumEntry);
    // The error window (with the call's return code and messages when the
    // failure came from a host program), then the message box.
    void reportCallFailure(const Error& e);

    Prompter& m_prompter;
    JobFactory m_factory;
    std::unique_ptr<ProgramJob> m_job;
    QString m_jobSystem;  // the system m_job runs on
    QString m_jobFailure; // a job that could not be started is not retried
    bool m_spaceInJob = false;
    bool m_jobFailureReported = false;
    bool m_lastFailureWasJobStart = false;
    QString m_system;
    QString m_user;
    QString m_password;
    bool m_hostLinkReady = false;
    bool m_systemSwitched = false;
    bool m_listSpaceReady = false;
};

} // namespace zelvaro
