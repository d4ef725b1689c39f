#include "app/QtPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace zelvaro {

void QtPrompter::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

void QtPrompter::failure(const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompter::confirm(const QString& text)
{
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

} // namespace zelvaro
