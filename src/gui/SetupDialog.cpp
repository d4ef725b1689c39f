#include "gui/SetupDialog.h"

#include "common/Error.h"
#include "common/Prompter.h"
#include "gui/ScreenReaderNames.h"
#include "host/HostConnection.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zelvaro {

namespace {

// Passwords show one "*" per character, whatever the style's mask.
void maskPassword(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42 }"));
}

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

SetupDialog::SetupDialog(HostLister& link, Prompter& prompter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_link(link),
      m_prompter(prompter)
{
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(QStringLiteral("Setup"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    m_systems = named(new QComboBox(this), "ComboBox1");
    m_systems->setEditable(true);
    m_systems->setInsertPolicy(QComboBox::NoInsert);
    m_libraries = named(new QComboBox(this), "ComboBox2");
    m_libraries->setEditable(true);
    m_libraries->setInsertPolicy(QComboBox::NoInsert);
    m_user = named(new QLineEdit(this), "Edit1");
    m_password = named(new QLineEdit(this), "Edit2");
    maskPassword(m_password);
    form->addRow(named(new QLabel(QStringLiteral("AS/400"), this), "Label1"), m_systems);
    // Why a stored system cannot be taken; hidden while there is nothing to say.
    m_systemProblem = named(new QLabel(this), "lbSystemProblem");
    m_systemProblem->setWordWrap(true);
    m_systemProblem->setStyleSheet(QStringLiteral("QLabel { color: #b00000 }"));
    m_systemProblem->hide();
    form->addRow(m_systemProblem);
    form->addRow(named(new QLabel(QStringLiteral("Data Library"), this), "Label2"), m_libraries);
    form->addRow(named(new QLabel(QStringLiteral("User ID"), this), "Label3"), m_user);
    form->addRow(named(new QLabel(QStringLiteral("Password"), this), "Label4"), m_password);

    auto* group = named(new QGroupBox(QStringLiteral("Hazard Source"), this), "RadioGroup1");
    auto* groupLayout = new QHBoxLayout(group);
    m_cdms = named(new QRadioButton(QStringLiteral("CDMS"), group), "RadioCDMS");
    m_agrian = named(new QRadioButton(QStringLiteral("Agrian"), group), "RadioAgrian");
    groupLayout->addWidget(m_cdms);
    groupLayout->addWidget(m_agrian);
    m_source = new QButtonGroup(this);
    m_source->addButton(m_cdms, 0);
    m_source->addButton(m_agrian, 1);
    layout->addWidget(group);

    auto* agrian = new QFormLayout;
    layout->addLayout(agrian);
    m_agrianUser = named(new QLineEdit(this), "EdAgrianID");
    m_agrianPassword = named(new QLineEdit(this), "EdAgrianPwd");
    maskPassword(m_agrianPassword);
    m_download = named(new QDateEdit(this), "dtDownload");
    m_download->setCalendarPopup(true);
    m_agrianLabels[0] = named(new QLabel(QStringLiteral("Agrian User ID"), this), "Label5");
    m_agrianLabels[1] = named(new QLabel(QStringLiteral("Agrain Password"), this), "Label6");
    m_agrianLabels[2] = named(new QLabel(QStringLiteral("Last Download Date"), this), "Label7");
    agrian->addRow(m_agrianLabels[0], m_agrianUser);
    agrian->addRow(m_agrianLabels[1], m_agrianPassword);
    agrian->addRow(m_agrianLabels[2], m_download);

    auto* buttons = new QHBoxLayout;
    m_ok = named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    m_ok->setDefault(true);
    m_cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "BitBtn2");
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    setTabOrder(m_systems, m_libraries);
    setTabOrder(m_libraries, m_user);
    setTabOrder(m_user, m_password);
    setTabOrder(m_password, m_ok);
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_cdms);
    setTabOrder(m_cdms, m_agrian);
    setTabOrder(m_agrian, m_agrianUser);
    setTabOrder(m_agrianUser, m_agrianPassword);
    setTabOrder(m_agrianPassword, m_download);

    // The user's changes only: the program's own fills run no handler. A
    // typed system is listed when the box is left or Enter is pressed, a
    // picked one at once: never a listing (a sign-on) per keystroke.
    connect(m_systems, &QComboBox::activated, this, [this] { systemChanged(); });
    connect(m_systems->lineEdit(), &QLineEdit::textEdited, this, [this] { systemTyped(); });
    connect(m_systems->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (m_systems->currentText() != m_listedSystem) systemChanged();
    });
    connect(m_libraries, &QComboBox::activated, this, [this] { libraryChanged(); });
    connect(m_libraries->lineEdit(), &QLineEdit::textEdited, this, [this] { libraryChanged(); });
    connect(m_user, &QLineEdit::textEdited, this, [this] { updateOk(); });
    connect(m_password, &QLineEdit::textEdited, this, [this] { updateOk(); });
    connect(m_source, &QButtonGroup::idClicked, this, [this] { hazardSourceChanged(); });
    connect(m_ok, &QPushButton::clicked, this, &SetupDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this,
            &QDialog::reject); // Each field is the buddy of its label: its name for screen readers.
    for (QFormLayout* f : {form, agrian}) {
        for (int row = 0; row < f->rowCount(); ++row) {
            auto* label =
                qobject_cast<QLabel*>(f->itemAt(row, QFormLayout::LabelRole)
                                          ? f->itemAt(row, QFormLayout::LabelRole)->widget()
                                          : nullptr);
            QLayoutItem* field = f->itemAt(row, QFormLayout::FieldRole);
            if (label && field && field->widget()) label->setBuddy(field->widget());
        }
    }
    nameForScreenReaders(this);
}

int SetupDialog::exec()
{
    prepare();
    return QDialog::exec();
}

bool SetupDialog::okAllowed() const
{
    return !m_systems->currentText().isEmpty() && !m_libraries->currentText().isEmpty() &&
           !m_user->text().isEmpty() && m_systemProblem->isHidden();
}

bool SetupDialog::checkSystem(const QString& system)
{
    const QString problem =
        system.isEmpty() ? QString() : HostRoute::checkSystemName(system, QStringLiteral("AS/400"));
    m_systemProblem->setText(problem);
    m_systemProblem->setVisible(!problem.isEmpty());
    return problem.isEmpty();
}

void SetupDialog::updateOk()
{
    m_ok->setEnabled(okAllowed());
}

void SetupDialog::showList(QComboBox* box, const ChoiceList& list)
{
    // Refilling keeps the edit text; only the listing's selection selects.
    const QSignalBlocker block(box);
    box->clear();
    box->addItems(list.entries);
    box->setCurrentIndex(list.selected);
    box->setEditText(list.selected >= 0 ? list.entries.value(list.selected) : list.editText);
}

void SetupDialog::fallBack(const QString& system, const QString& library)
{
    showList(m_systems, ChoiceList{{system}, 0, system});
    showList(m_libraries, ChoiceList{{library}, 0, library});
}

void SetupDialog::prepare()
{
    const SetupValues v = SetupValues::read(Settings());
    if (!v.problem.isEmpty()) m_prompter.failure(v.problem);
    m_hostSystem = v.host;
    m_user->setText(v.user);
    m_password->setText(v.password);
    m_hostLibrary = v.library;
    (v.cdmsHazard ? m_cdms : m_agrian)->setChecked(true);
    hazardSourceChanged();
    m_agrianUser->setText(v.agrianUser);
    m_agrianPassword->setText(v.agrianPassword);
    m_download->setDate(v.downloadDate.date());
    m_downloadTime = v.downloadDate.time();

    (m_hostSystem.isEmpty() ? static_cast<QWidget*>(m_systems) : m_password)->setFocus();
    {
        const QSignalBlocker block(m_libraries);
        m_libraries->setEditText(m_hostLibrary);
    }
    try {
        // A stored system that cannot be taken is shown as it is, with the
        // reason, never replaced by another entry of the list; the link is
        // built without it, for the system the user picks next.
        const bool storedUsable = m_hostSystem.isEmpty() || checkSystem(m_hostSystem);
        ChoiceList systems;
        m_link.loadSystemNames(systems, storedUsable ? m_hostSystem : QString());
        showList(m_systems, systems);
        if (!storedUsable) {
            checkSystem(m_hostSystem);
            const QSignalBlocker block(m_systems);
            m_systems->setCurrentIndex(-1);
            m_systems->setEditText(m_hostSystem);
            m_listedSystem = m_hostSystem;
            updateOk();
            return;
        }
        checkSystem(m_systems->currentText());
        m_listedSystem = m_systems->currentText();
        if (!m_systems->currentText().isEmpty()) {
            // Listing the libraries signs on as typed here, so that a first
            // setup against a real host can list.
            m_link.setSignOn(m_user->text(), m_password->text());
            ChoiceList libraries;
            libraries.editText = m_hostLibrary;
            m_link.loadLibraryList(libraries, m_hostLibrary);
            showList(m_libraries, libraries);
        }
    } catch (const Error&) {
        fallBack(m_hostSystem, m_hostLibrary);
    }
    updateOk();
}

void SetupDialog::systemTyped()
{
    {
        const QSignalBlocker block(m_libraries);
        m_libraries->setEditText(QString());
    }
    m_hostLibrary.clear();
    m_ok->setEnabled(false);
}

void SetupDialog::systemChanged()
{
    systemTyped();
    const QString system = m_systems->currentText();
    m_listedSystem = system;
    if (!checkSystem(system) || system.isEmpty() || !m_link.hostLinkReady()) return;
    try {
        m_link.switchHostSystem(system);
        m_link.setSignOn(m_user->text(), m_password->text());
        ChoiceList libraries;
        m_link.loadLibraryList(libraries, m_hostLibrary);
        showList(m_libraries, libraries);
    } catch (const Error&) {
        fallBack(m_hostSystem, m_hostLibrary);
    }
}

void SetupDialog::libraryChanged()
{
    if (m_libraries->currentText().isEmpty()) return;
    m_hostSystem = m_systems->currentText();
    m_hostLibrary = m_libraries->currentText();
    updateOk();
}

void SetupDialog::hazardSourceChanged()
{
    const bool agrian = m_agrian->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_agrianUser, m_agrianPassword, m_download,
                                         m_agrianLabels[0], m_agrianLabels[1], m_agrianLabels[2]})
        w->setEnabled(agrian);
}

void SetupDialog::accept()
{
    SetupValues v;
    v.host = m_systems->currentText();
    v.library = m_libraries->currentText();
    v.user = m_user->text();
    v.password = m_password->text();
    v.cdmsHazard = m_source->checkedId() <= 0;
    v.agrianUser = m_agrianUser->text();
    v.agrianPassword = m_agrianPassword->text();
    v.downloadDate = QDateTime(m_download->date(), m_downloadTime);
    // Nothing is stored other than it was typed: the dialog stays open.
    if (const QString problem = v.check(); !problem.isEmpty()) {
        m_prompter.failure(problem);
        return;
    }
    try {
        v.write(Settings());
    } catch (const Error& e) {
        // Nothing was written: the dialog stays open to try again or cancel.
        m_prompter.failure(e.text());
        return;
    }
    m_hostSystem = v.host;
    m_hostLibrary = v.library;
    QDialog::accept();
}

} // namespace zelvaro
