#include "common/CommandLine.h"

#include "common/Text.h"

namespace zelvaro {

bool CommandLine::unattended() const
{
    return !arguments.isEmpty() && upperAscii(arguments.first()) == QLatin1String("UPDATE");
}

namespace {

// A run count: digits only, 1 to 100,000.
bool parseCount(const QString& text, int* count)
{
    if (text.isEmpty() || text.size() > 6) return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    const int n = text.toInt();
    if (n < 1 || n > CommandLine::MaxHistory) return false;
    *count = n;
    return true;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& argv)
{
    CommandLine c;
    auto fail = [&c](const QString& text) {
        if (c.error.isEmpty()) c.error = text;
    };
    for (int i = 1; i < argv.size() && c.error.isEmpty(); ++i) {
        const QString& a = argv[i];
        // Single-dash words: the two short forms, anything else a typo
        // (a "-batch" under cron must not start a window).
        if (a.startsWith(QLatin1Char('-')) && !a.startsWith(QLatin1String("--"))) {
            if (a == QLatin1String("-h"))
                c.help = true;
            else if (a == QLatin1String("-V"))
                c.version = true;
            else
                fail(QStringLiteral("unknown option %1").arg(a));
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            c.arguments << a;
            continue;
        }
        const QString opt = a.toLower();
        if (opt == QLatin1String("--batch")) {
            c.batch = true;
        } else if (opt == QLatin1String("--dry-run")) {
            c.dryRun = true;
        } else if (opt == QLatin1String("--help")) {
            c.help = true;
        } else if (opt == QLatin1String("--version")) {
            c.version = true;
        } else if (opt == QLatin1String("--sql-log")) {
            if (i + 1 >= argv.size()) {
                fail(QStringLiteral("--sql-log needs a file name"));
                break;
            }
            c.sqlLog = argv[++i];
        } else if (opt == QLatin1String("--list-libraries")) {
            c.listLibraries = true;
        } else if (opt == QLatin1String("--list-fields")) {
            if (i + 1 >= argv.size()) {
                fail(QStringLiteral("--list-fields needs a table name"));
                break;
            }
            c.listFields = argv[++i];
            c.listFieldsGiven = true;
        } else if (opt == QLatin1String("--history")) {
            c.history = 20;
            // An optional count follows; a word that is not an option must be one.
            if (i + 1 < argv.size() && !argv[i + 1].startsWith(QLatin1Char('-'))) {
                if (!parseCount(argv[i + 1], &c.history))
                    fail(QStringLiteral("--history takes a count of runs from 1 to %1, not "
                                        "\"%2\"")
                             .arg(MaxHistory)
                             .arg(argv[i + 1]));
                ++i;
            }
        } else if (opt.startsWith(QLatin1String("--sql-log="))) {
            c.sqlLog = a.mid(10);
        } else {
            fail(QStringLiteral("unknown option %1").arg(a));
        }
    }
    if (!c.error.isEmpty() || c.help || c.version) return c;
    // One thing at a time: a listing or the history is not a run.
    const int actions = (c.history >= 0 ? 1 : 0) + (c.listLibraries ? 1 : 0) +
                        (c.listFieldsGiven ? 1 : 0) +
                        (c.batch || c.unattended() || c.dryRun || !c.sqlLog.isEmpty() ? 1 : 0);
    if (actions > 1)
        fail(QStringLiteral("--history, --list-libraries, --list-fields and an update run "
                            "(UPDATE, --batch, --dry-run, --sql-log) go one at a time"));
    // A preview of nothing would look like a clean one.
    if (c.dryRun && !c.unattended())
        fail(QStringLiteral("--dry-run previews an update run: give it with UPDATE"));
    return c;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: zelvaro-hazmat [UPDATE [--dry-run]] [--batch] [--sql-log FILE]\n"
        "       zelvaro-hazmat --list-libraries | --list-fields TABLE | --history [N]\n"
        "\n"
        "  UPDATE          retrieve the DOT list from the hazard source (CDMS or Agrian)\n"
        "                  and run the update once the window is up\n"
        "  --batch         run without a window: messages go to standard output, the\n"
        "                  program ends after the run (exit status 0 when nothing failed)\n"
        "  --dry-run       with UPDATE: do everything the run does but write nothing to\n"
        "                  the host, INVSIG.INI or the run history; the plan goes to\n"
        "                  $ZELVARO_HOME/changes/<start>-dry-run.csv\n"
        "  --sql-log FILE  append every SQL statement to FILE as a replayable script\n"
        "  --list-libraries  print the configured host system's data libraries, one a line\n"
        "  --list-fields TABLE  print the field-heading lines of TABLE (U4ITMMR, U4ITHZD,\n"
        "                  U4FLC, U4DEPT, U4CDMSDOT or U4CDMSXRF) in the configured library\n"
        "  --history [N]   print the last N update runs of the run history (default 20,\n"
        "                  at most 100000)\n"
        "  -h, --help      show this text\n"
        "  -V, --version   show the version\n"
        "\n"
        "Settings: $ZELVARO_HOME/INVSIG.INI (ZELVARO_HOME defaults to /var/lib/zelvaro-hazmat).\n"
        "Run history: $ZELVARO_HOME/history.log. See zelvaro-hazmat(1).\n");
}

} // namespace zelvaro
