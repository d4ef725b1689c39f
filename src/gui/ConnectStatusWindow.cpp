#include "gui/ConnectStatusWindow.h"

#include "gui/PaintPacer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>

namespace zelvaro {

namespace {
QPixmap banner()
{
    QPixmap p(393, 128);
    QPainter g(&p);
    QLinearGradient grad(0, 0, 393, 128);
    grad.setColorAt(0, QColor(0x1f, 0x5f, 0x2f));
    grad.setColorAt(1, QColor(0x8c, 0xb3, 0x3c));
    g.fillRect(p.rect(), grad);
    g.setPen(Qt::white);
    QFont f = g.font();
    f.setPointSize(18);
    f.setBold(true);
    g.setFont(f);
    g.drawText(p.rect().adjusted(0, 0, 0, -30), Qt::AlignCenter, QStringLiteral("CDMS / Zelvaro"));
    f.setPointSize(10);
    f.setBold(false);
    g.setFont(f);
    g.drawText(p.rect().adjusted(0, 50, 0, 0), Qt::AlignCenter,
               QStringLiteral("Hazardous materials data"));
    return p;
}
} // namespace

ConnectStatusWindow::ConnectStatusWindow()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("CDMSSplashForm"));
    setWindowTitle(QStringLiteral("Connect Status"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(393, 190);
    setCursor(Qt::WaitCursor);
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setGeometry(0, 0, 393, 128);
    m_image->setPixmap(banner());
    m_image->setScaledContents(true);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setGeometry(8, 134, 377, 20);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setGeometry(8, 160, 377, 20);
    setProgressMarquee();
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
}

void ConnectStatusWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void ConnectStatusWindow::setStatus(const QString& text)
{
    m_label->setText(text);
    paintNow(m_label);
}

QString ConnectStatusWindow::status() const
{
    return m_label->text();
}

void ConnectStatusWindow::showNow()
{
    show();
    raise();
    // The window system maps and exposes a new window through events; let
    // those (but no user input) through once so that it appears now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void ConnectStatusWindow::setProgressVisible(bool visible)
{
    m_bar->setVisible(visible);
}

void ConnectStatusWindow::setProgressRange(int minimum, int maximum)
{
    m_bar->setRange(minimum, maximum);
    m_bar->repaint();
}

void ConnectStatusWindow::setProgressMarquee()
{
    m_bar->setRange(0, 0);
}

void ConnectStatusWindow::setProgressPosition(int position)
{
    m_bar->setValue(position);
    paintNow(m_bar);
}

} // namespace zelvaro
