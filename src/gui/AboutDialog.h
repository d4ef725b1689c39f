#pragma once

#include <QDialog>

class QLabel;
class QFrame;

namespace zelvaro {

class Prompter;

// The About box: product name and the version read from the running
// executable at every showing, before the box appears.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // Fills and centres the labels from the executable at `path`.
    void fill(const QString& path);

    // OK is also the cancel button: Escape closes the box with OK too.
    void reject() override { accept(); }

    // Reads the version of the executable at `path`, then shows the box
    // modally; a version that cannot be read is reported first.
    void showFor(const QString& path, Prompter& prompter);

private:
    QFrame* m_panel;
    QLabel* m_product;
    QLabel* m_version;
};

} // namespace zelvaro
