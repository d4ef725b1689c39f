#include "common/Prompter.h"

namespace zelvaro {

QString errorHelpContextText(const ErrorReport& report)
{
    return QStringLiteral("Error help context:  ") + QString::number(report.helpContext);
}

QString errorDescriptionText(const ErrorReport& report)
{
    return QStringLiteral("Error description: ") + report.description;
}

QString returnCodeText(int returnCode)
{
    return QStringLiteral("Client Access return code:  ") + QString::number(returnCode);
}

} // namespace zelvaro
