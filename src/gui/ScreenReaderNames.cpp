#include "gui/ScreenReaderNames.h"

#include <QAbstractButton>
#include <QLabel>

namespace zelvaro {

void nameForScreenReaders(QWidget* root)
{
    for (QLabel* label : root->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (!buddy || !buddy->accessibleName().isEmpty()) continue;
        QString name = label->text();
        name.remove(QLatin1Char('&'));
        buddy->setAccessibleName(name.trimmed());
    }
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
        if (!b->accessibleName().isEmpty()) continue;
        QString name = b->text();
        name.remove(QLatin1Char('&'));
        if (name.trimmed().isEmpty()) name = b->toolTip();
        b->setAccessibleName(name.trimmed());
    }
}

} // namespace zelvaro
