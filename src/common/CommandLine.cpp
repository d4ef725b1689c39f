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
        "\n"
        "  UPDATE          retrieve the CDMS list and run the update once the window is up\n"
        "  --batch         run without a window: messages go to standard output, the\n"
        "                  program ends after the run (exit status 0 when nothing failed)\n"
        "  --sql-log FILE  append every SQL statement to FILE as a replayable script\n"
        "  --help          show this text\n"
        "  --version       show the version\n"
        "\n"
        "Settings: $ZELVARO_HOME/INVSIG.INI (ZELVARO_HOME defaults to /var/lib/zelvaro-hazmat).\n");
}

} // namespace zelvaro
