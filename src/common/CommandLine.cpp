#include "common/CommandLine.h"

#include "common/Text.h"

namespace zelvaro {

bool CommandLine::unattended() const
{
    return !arguments.isEmpty() && upperAscii(arguments.first()) == QLatin1String("UPDATE");
}

CommandLine CommandLine::parse(const QStringList& argv)
{
    CommandLine c;
    for (int i = 1; i < argv.size(); ++i) {
        const QString& a = argv[i];
        if (!a.startsWith(QLatin1String("--"))) {
            c.arguments << a;
            continue;
        }
        const QString opt = a.toLower();
        if (opt == QLatin1String("--batch")) {
            c.batch = true;
        } else if (opt == QLatin1String("--help")) {
            c.help = true;
        } else if (opt == QLatin1String("--version")) {
            c.version = true;
        } else if (opt == QLatin1String("--sql-log")) {
            if (i + 1 >= argv.size()) {
                c.error = QStringLiteral("--sql-log needs a file name");
                break;
            }
            c.sqlLog = argv[++i];
        } else if (opt == QLatin1String("--list-libraries")) {
            c.listLibraries = true;
        } else if (opt == QLatin1String("--list-fields")) {
            if (i + 1 >= argv.size()) {
                c.error = QStringLiteral("--list-fields needs a table name");
                break;
            }
            c.listFields = argv[++i];
            c.listFieldsGiven = true;
        } else if (opt == QLatin1String("--history")) {
            c.history = 20;
            // An optional count follows.
            bool isCount = false;
            const int n = i + 1 < argv.size() ? argv[i + 1].toInt(&isCount) : 0;
            if (isCount) {
                if (n < 1) {
                    c.error = QStringLiteral("--history takes a count of 1 or more");
                    break;
                }
                c.history = n;
                ++i;
            }
        } else if (opt.startsWith(QLatin1String("--sql-log="))) {
            c.sqlLog = a.mid(10);
        } else {
            c.error = QStringLiteral("unknown option %1").arg(a);
            break;
        }
    }
    return c;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: zelvaro-hazmat [UPDATE] [--batch] [--sql-log FILE]\n"
        "       zelvaro-hazmat --list-libraries | --list-fields TABLE | --history [N]\n"
        "\n"
        "  UPDATE          retrieve the DOT list from the hazard source (CDMS or Agrian)\n"
        "                  and run the update once the window is up\n"
        "  --batch         run without a window: messages go to standard output, the\n"
        "                  program ends after the run (exit status 0 when nothing failed)\n"
        "  --sql-log FILE  append every SQL statement to FILE as a replayable script\n"
        "  --list-libraries  print the configured host system's data libraries, one a line\n"
        "  --list-fields TABLE  print the field-heading lines of TABLE (U4ITMMR, U4ITHZD,\n"
        "                  U4FLC, U4DEPT, U4CDMSDOT or U4CDMSXRF) in the configured library\n"
        "  --history [N]   print the last N update runs of the run history (default 20)\n"
        "  --help          show this text\n"
        "  --version       show the version\n"
        "\n"
        "Settings: $ZELVARO_HOME/INVSIG.INI (ZELVARO_HOME defaults to /var/lib/zelvaro-hazmat).\n"
        "Run history: $ZELVARO_HOME/history.log. See zelvaro-hazmat(1).\n");
}

} // namespace zelvaro
