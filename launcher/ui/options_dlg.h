#pragma once

#include "launcher/options.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace playdeck {

// The launcher's Options: every setting of the launcher in one modal dialog
// of 387 x 228 dialog units. OK writes every value, Cancel nothing.
class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit COptionsDlg(QWidget* parent = nullptr);

    // Whether this build shows the game runner's edit (Linux only).
    static bool showsGameRunner();
    // The values as the controls hold them now.
    LauncherOptions values() const;

    QLineEdit* switchesEdit() const { return m_switches; }
    QCheckBox* asInLauncherBox() const { return m_asInLauncher; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    void accept() override;

private:
    // The switches edit is usable only while the box is unchecked; checking
    // it copies the game launcher's own option string in.
    void applySwitchesRule();
    QLineEdit* addEdit(const char* objectName, const char* label, QRect labelUnits,
                       QRect editUnits);
    QCheckBox* addCheck(const char* objectName, const char* text, QRect units);

    QLineEdit* m_switches = nullptr;
    QCheckBox* m_asInLauncher = nullptr;
    QLineEdit* m_group = nullptr;
    QCheckBox* m_programsMenu = nullptr;
    QLineEdit* m_nameLevels = nullptr;
    QLineEdit* m_nameMods = nullptr;
    QLineEdit* m_nameModLevels = nullptr;
    QLineEdit* m_runner = nullptr;
    QCheckBox* m_doubleClick = nullptr;
    QCheckBox* m_autoClose = nullptr;
    QCheckBox* m_xpStyle = nullptr;
    QCheckBox* m_assignVpp = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace playdeck
