#pragma once

#include <QDialog>

class QLabel;
class QFrame;

namespace zelvaro {

// The About box: product name and the version read from the running
// executable at every showing.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // Fills and centres the labels from the executable at `path`.
    void fill(const QString& path);

    // OK is also the cancel button: Escape closes the box with OK too.
    void reject() override { accept(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFrame* m_panel;
    QLabel* m_product;
    QLabel* m_version;
};

} // namespace zelvaro
