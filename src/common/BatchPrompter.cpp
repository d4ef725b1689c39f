#include "common/BatchPrompter.h"

namespace zelvaro {

void BatchPrompter::message(const QString& text)
{
    QTextStream out(m_stream);
    out << text << Qt::endl;
}

void BatchPrompter::failure(const QString& text)
{
    m_failed = true;
    message(text);
}

void BatchPrompter::detail(const QString& text)
{
    QTextStream out(m_stream);
    out << "  " << text << Qt::endl;
}

bool BatchPrompter::confirm(const QString& text, bool yesIsDefault)
{
    Q_UNUSED(yesIsDefault);
    message(text + QStringLiteral(" [No]"));
    return false;
}

void BatchPrompter::report(const ErrorReport& report)
{
    m_failed = true;
    QTextStream out(m_stream);
    out << "Error Information\n"
        << errorHelpContextText(report) << "\n"
        << errorDescriptionText(report) << "\n";
    if (report.hasCallInfo) {
        out << returnCodeText(report.returnCode) << "\nClient Access Messages:\n";
        for (const QString& m : report.messages)
            out << "  " << m << "\n";
    }
    out.flush();
}

int BatchPrompter::showTable(const QString& title, const QStringList& headers,
                             const std::vector<QStringList>& rows, const QString& openCaption)
{
    Q_UNUSED(openCaption); // nobody to choose a row
    QTextStream out(m_stream);
    out << title << "\n" << headers.join(QLatin1Char('\t')) << "\n";
    for (const QStringList& row : rows)
        out << row.join(QLatin1Char('\t')) << "\n";
    out.flush();
    return -1;
}

} // namespace zelvaro
