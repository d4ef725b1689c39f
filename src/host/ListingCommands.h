#pragma once

#include <QString>
#include <QStringList>

namespace zelvaro {

class Prompter;

// The host listings without a window, for checking a real host from a
// terminal: the configured system's data libraries, or one table's
// field-heading lines in the configured library. Failures are reported
// through the prompter as the window would show them.
QStringList listHostLibraries(Prompter& prompter);
// Empty, after a report, for a table that is not one of the six.
QStringList listHostFields(const QString& table, Prompter& prompter);

} // namespace zelvaro
