#include "gui/QtPrompter.h"

#include "gui/ErrorInfoDialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zelvaro {

namespace {

// The application's title, the caption of every message box. Not Qt's
// display name: on X11 that is appended to every window's title.
const QString MessageTitle = QStringLiteral("CDMS / Zelvaro Software Interface");

// A message box grows with its text and can outgrow the screen (a summary
// can name thousands of items): long texts are shown, unchanged, in a
// scrolling box of a fixed size instead.
bool tooLongForABox(const QString& text)
{
    return text.size() > 1500 || text.count(QLatin1Char('\n')) > 30;
}

void showLong(QWidget* parent, const QString& text)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(MessageTitle);
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QPlainTextEdit(text, &dialog);
    view->setObjectName(QStringLiteral("MessageText"));
    view->setReadOnly(true);
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(560, 420);
    dialog.exec();
}

void show(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    if (tooLongForABox(text)) {
        showLong(parent, text);
        return;
    }
    QMessageBox box(icon, MessageTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void QtPrompter::message(const QString& text)
{
    show(m_parent, QMessageBox::NoIcon, text);
}

void QtPrompter::failure(const QString& text)
{
    show(m_parent, QMessageBox::Warning, text);
}

bool QtPrompter::confirm(const QString& text, bool yesIsDefault)
{
    return QMessageBox::question(m_parent, MessageTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 yesIsDefault ? QMessageBox::Yes : QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtPrompter::report(const ErrorReport& report)
{
    if (!m_errorInfo) m_errorInfo = new ErrorInfoDialog(m_parent);
    m_errorInfo->fill(report);
    QGuiApplication::restoreOverrideCursor();
    m_errorInfo->exec();
}

int QtPrompter::showTable(const QString& title, const QStringList& headers,
                          const std::vector<QStringList>& rows, const QString& openCaption)
{
    QDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("TableDialog"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* table = new QTableWidget(int(rows.size()), int(headers.size()), &dialog);
    table->setObjectName(QStringLiteral("TableView"));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(headers.size()) && c < rows[size_t(r)].size(); ++c) {
            auto* item = new QTableWidgetItem(rows[size_t(r)][c]);
            bool number = false;
            item->text().toLongLong(&number);
            if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    int chosen = -1;
    if (!openCaption.isEmpty()) {
        QPushButton* open = buttons->addButton(openCaption, QDialogButtonBox::ActionRole);
        open->setObjectName(QStringLiteral("OpenRowButton"));
        open->setEnabled(false);
        QObject::connect(table, &QTableWidget::currentCellChanged, open,
                         [open](int row) { open->setEnabled(row >= 0); });
        QDialog* const shown = &dialog;
        int* const result = &chosen;
        const auto choose = [shown, result](int row) {
            if (row < 0) return;
            *result = row;
            shown->accept();
        };
        QObject::connect(open, &QPushButton::clicked, &dialog,
                         [choose, table] { choose(table->currentRow()); });
        QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog,
                         [choose](int row) { choose(row); });
    }
    layout->addWidget(buttons);
    // Wide enough for every column where the screen allows.
    int width = table->verticalScrollBar()->sizeHint().width() + 4 * table->frameWidth() + 40;
    for (int c = 0; c < table->columnCount(); ++c)
        width += table->columnWidth(c);
    const QScreen* screen = m_parent ? m_parent->screen() : QGuiApplication::primaryScreen();
    if (screen) width = qMin(width, screen->availableGeometry().width() * 9 / 10);
    dialog.resize(qMax(width, 480), 420);
    dialog.exec();
    return chosen;
}

} // namespace zelvaro
