#include "host/ListingCommands.h"

#include "common/Prompter.h"
#include "common/Text.h"
#include "host/HostConnection.h"
#include "host/HostLister.h"
#include "host/HostTables.h"
#include "settings/PasswordCodec.h"
#include "settings/Settings.h"

namespace zelvaro {

namespace {

// A setting the listings cannot go on without, reported as the error
// window would; false when one is missing or not a name.
bool settingsUsable(const Settings& settings, bool needLibrary, Prompter& prompter)
{
    const QString transfer = QStringLiteral("Transfer");
    const QString system = settings.readText(transfer, QStringLiteral("Host"));
    const QString library = settings.readText(transfer, QStringLiteral("DataLib"));
    QString problem = settings.readProblem();
    if (problem.isEmpty() && (system.isEmpty() || (needLibrary && library.isEmpty())))
        problem = HostTables::setupNeededText();
    if (problem.isEmpty())
        problem = HostRoute::checkSystemName(system, QStringLiteral("Transfer/Host"));
    if (problem.isEmpty() && needLibrary)
        problem = HostRoute::checkLibraryName(library, QStringLiteral("Transfer/DataLib"));
    if (problem.isEmpty()) return true;
    ErrorReport r;
    r.description = problem;
    prompter.report(r);
    return false;
}

// A link signed on as the settings say, bound to the configured system.
void prepare(HostLister& link, const Settings& settings)
{
    const QString transfer = QStringLiteral("Transfer");
    const QString stored = settings.readText(transfer, QStringLiteral("PWD"));
    link.setSignOn(settings.readText(transfer, QStringLiteral("User")),
                   settings.readBool(transfer, QStringLiteral("Pwdv2"), false)
                       ? decodePassword(stored)
                       : decodeLegacyPassword(stored));
    ChoiceList systems;
    link.loadSystemNames(systems, settings.readText(transfer, QStringLiteral("Host")));
}

} // namespace

QStringList listHostLibraries(Prompter& prompter)
{
    const Settings settings;
    if (!settingsUsable(settings, false, prompter)) return {};
    HostLister link(prompter);
    prepare(link, settings);
    ChoiceList libraries;
    link.loadLibraryList(libraries, QString());
    return libraries.entries;
}

QStringList listHostFields(const QString& table, Prompter& prompter)
{
    const QString format = HostLister::recordFormat(table);
    if (format.isEmpty()) {
        ErrorReport r;
        r.description = QStringLiteral("%1 is not one of the tables U4ITMMR, U4ITHZD, U4FLC, "
                                       "U4DEPT, U4CDMSDOT, U4CDMSXRF.")
                            .arg(printable(table));
        prompter.report(r);
        return {};
    }
    const Settings settings;
    if (!settingsUsable(settings, true, prompter)) return {};
    HostLister link(prompter);
    prepare(link, settings);
    link.beginAction();
    link.createListSpace();
    link.listFields(table, settings.readText(QStringLiteral("Transfer"), QStringLiteral("DataLib")),
                    format);
    QStringList lines;
    link.readFieldList(lines);
    link.deleteListSpace();
    return lines;
}

} // namespace zelvaro
