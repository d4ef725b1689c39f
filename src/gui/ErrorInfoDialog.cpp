#include "gui/ErrorInfoDialog.h"

#include "gui/ScreenReaderNames.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelvaro {

namespace {
const QString ReturnCodeDesign = QStringLiteral("Client Access return code:");
}

ErrorInfoDialog::ErrorInfoDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("errInfo"));
    setWindowTitle(QStringLiteral("Error Information"));
    auto* layout = new QVBoxLayout(this);
    auto label = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(l);
        return l;
    };
    m_number = label("errNumber", QStringLiteral("Error Help Context:"));
    m_description = label("errDesc", QStringLiteral("Error description:"));
    m_description->setWordWrap(true);
    m_returnCode = label("caRC", ReturnCodeDesign);
    label("Label1", QStringLiteral("Client Access Messages:"));
    m_messages = new QListWidget(this);
    m_messages->setObjectName(QStringLiteral("caMessages"));
    layout->addWidget(m_messages);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okBtn"));
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    m_messages->setAccessibleName(QStringLiteral("Client Access Messages"));
    nameForScreenReaders(this);
    resize(460, 300);
}

void ErrorInfoDialog::fill(const ErrorReport& report)
{
    m_number->setText(errorHelpContextText(report));
    m_description->setText(errorDescriptionText(report));
    m_returnCode->setText(report.hasCallInfo ? returnCodeText(report.returnCode)
                                             : ReturnCodeDesign);
    m_messages->clear();
    if (report.hasCallInfo) m_messages->addItems(report.messages);
}

void ErrorInfoDialog::done(int result)
{
    // OK, Escape or the title bar's close box: the messages go either way.
    m_messages->clear();
    QDialog::done(result);
}

} // namespace zelvaro
