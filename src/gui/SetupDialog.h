#pragma once

#include "host/HostLister.h"
#include "settings/SetupValues.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelvaro {

class Prompter;

// The setup dialog: host system and library (listed through the host
// link), user and password, hazard source, Agrian account and last
// download date. Every showing reloads the settings file and refills both
// lists; OK writes all keys at once, Cancel (or any close but OK) nothing.
// The change handlers run on the user's changes only; a typed system is
// listed (a sign-on) when the box is left or Enter pressed, never per
// keystroke. A system name that cannot be taken is shown with its reason
// and keeps OK disabled.
class SetupDialog : public QDialog {
    Q_OBJECT
public:
    SetupDialog(HostLister& link, Prompter& prompter, QWidget* parent = nullptr);

    // Loads the settings and fills the lists (the design's FormShow); exec()
    // does it too.
    void prepare();
    int exec() override;
    // The rule for enabling OK: system, library and user all given, and
    // the system a name that can be taken.
    bool okAllowed() const;

private:
    void systemTyped();
    void systemChanged();
    // Shows why `system` cannot be taken (or hides the reason).
    bool checkSystem(const QString& system);
    void libraryChanged();
    void hazardSourceChanged();
    void updateOk();
    void accept() override;
    void showList(QComboBox* box, const ChoiceList& list);
    // A failed listing leaves each list with the value in force as its
    // only, selected entry.
    void fallBack(const QString& system, const QString& library);

    HostLister& m_link;
    Prompter& m_prompter;
    QString m_hostSystem;
    QString m_hostLibrary;
    QString m_listedSystem; // the system the library list is of
    QTime m_downloadTime;   // the picker shows the date; the stored time stays
    QComboBox* m_systems;
    QLabel* m_systemProblem;
    QComboBox* m_libraries;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QButtonGroup* m_source;
    QRadioButton* m_cdms;
    QRadioButton* m_agrian;
    QLineEdit* m_agrianUser;
    QLineEdit* m_agrianPassword;
    QDateEdit* m_download;
    QLabel* m_agrianLabels[3];
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace zelvaro
