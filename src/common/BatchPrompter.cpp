#include "common/BatchPrompter.h"

namespace zelvaro {

void BatchPrompter::message(const QString& text)
{
    QTextStream out(stdout);
    out << text << Qt::endl;
}

void BatchPrompter::failure(const QString& text)
{
    m_failed = true;
    message(text);
}

bool BatchPrompter::confirm(const QString& text)
{
    message(text + QStringLiteral(" [No]"));
    return false;
}

} // namespace zelvaro
