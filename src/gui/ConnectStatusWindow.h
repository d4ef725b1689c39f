#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace zelvaro {

// The connect-status window: a picture, one line of status text and a
// progress bar, shown while a long operation runs on the UI thread. Every
// change is painted at once, since the message loop does not run meanwhile.
class ConnectStatusWindow : public QWidget {
    Q_OBJECT
public:
    ConnectStatusWindow();

    void setCaption(const QString& caption);
    void setStatus(const QString& text);
    QString status() const;
    void showNow();
    void setProgressVisible(bool visible);
    // Normal style with a range; marquee style otherwise.
    void setProgressRange(int minimum, int maximum);
    void setProgressMarquee();
    void setProgressPosition(int position);
    QProgressBar* progressBar() const { return m_bar; }

private:
    QLabel* m_image;
    QLabel* m_label;
    QProgressBar* m_bar;
};

} // namespace zelvaro
