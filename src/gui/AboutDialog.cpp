#include "gui/AboutDialog.h"

#include "gui/ScreenReaderNames.h"

#include "common/AppInfo.h"
#include "common/Error.h"
#include "common/Prompter.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace zelvaro {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(298, 210);
    m_panel = new QFrame(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setFrameShape(QFrame::StyledPanel);
    m_panel->setGeometry(8, 8, 281, 153);
    auto* icon = new QLabel(m_panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 265, 80);
    QPixmap pic(265, 80);
    pic.fill(QColor(0x2f, 0x6f, 0x3f));
    {
        QPainter p(&pic);
        p.setPen(Qt::white);
        p.drawText(pic.rect(), Qt::AlignCenter, QStringLiteral("CDMS / Zelvaro"));
    }
    icon->setPixmap(pic);
    icon->setScaledContents(true);
    QFont bold = font();
    bold.setBold(true);
    m_product = new QLabel(QStringLiteral("CDMS to Zelvaro Interface"), m_panel);
    m_product->setObjectName(QStringLiteral("ProductName"));
    m_product->setFont(bold);
    m_product->move(8, 96);
    m_product->adjustSize();
    m_version = new QLabel(QStringLiteral("Version 2.0"), m_panel);
    m_version->setObjectName(QStringLiteral("Version"));
    m_version->setFont(bold);
    m_version->move(8, 122);
    m_version->adjustSize();
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(111, 172, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    nameForScreenReaders(this);
}

void AboutDialog::fill(const QString& path)
{
    AppInfo info;
    readAppInfo(path, info);
    m_version->setText(QStringLiteral("Version ") + info.fileVersion);
    m_version->adjustSize();
    if (!info.fileDescription.isEmpty()) {
        m_product->setText(info.fileDescription);
        m_product->adjustSize();
    }
    m_version->move((m_panel->width() - m_version->width()) / 2, m_version->y());
    m_product->move((m_panel->width() - m_product->width()) / 2, m_product->y());
}

void AboutDialog::showFor(const QString& path, Prompter& prompter)
{
    // The version is read before the box appears: a failure is reported on
    // its own, and the box still shows, modal, with what it has.
    try {
        fill(path);
    } catch (const Error& e) {
        prompter.failure(e.text());
    }
    exec();
}

} // namespace zelvaro
