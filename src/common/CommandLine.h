#pragma once

#include <QString>
#include <QStringList>

namespace zelvaro {

// The program's command line. Options begin with "--" (and -h, -V); any
// other word beginning with "-" is a usage error. The first argument that is
// not an option is the one the UPDATE rule looks at. A listing, the history
// and an update run go one at a time.
struct CommandLine {
    static constexpr int MaxHistory = 100000;
    QStringList arguments; // without options and their values
    bool batch = false;
    bool dryRun = false; // with UPDATE: preview the run, write nothing
    bool help = false;
    bool version = false;
    QString sqlLog;
    bool listLibraries = false;   // print the host's data libraries and exit
    QString listFields;           // print this table's field-heading lines and exit
    bool listFieldsGiven = false; // --list-fields was given (its table may be empty)
    int history = -1;             // >= 0: print the last this many run-history lines and exit
    QString error;                // non-empty: a usage error to report

    // True when the first argument, upper-cased, equals "UPDATE".
    bool unattended() const;

    static CommandLine parse(const QStringList& argv); // argv[0] is the program
    static QString usage();
};

} // namespace zelvaro
