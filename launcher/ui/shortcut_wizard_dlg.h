#pragma once

#include "launcher/shortcut_wizard.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace playdeck {

inline constexpr const char* kShortcutErrorCaption = "Error creating shortuct";
inline constexpr const char* kShortcutErrorText =
    "Failed to create shortcut. Test if\n"
    "a) The filename is valid and does not contain any : / \\ ... characters.\n"
    "b) The directory you specified is valid and exists.\n"
    "c) You have write permissions to write to that directory (on WinNT/2000/XP).";

// The one-page wizard that writes a shortcut starting the game with a level,
// a MOD, or both: a proposed name, four locations, a profile choice where a
// location has two different folders, and Finish.
class CShortcutWizardDlg : public QDialog {
    Q_OBJECT
public:
    explicit CShortcutWizardDlg(const ShortcutInput& input, QWidget* parent = nullptr);

    const ShortcutFolderTable& folderTable() const { return m_folders; }

    QLineEdit* nameEdit() const { return m_name; }
    QLineEdit* directoryEdit() const { return m_directory; }
    QRadioButton* locationButton(ShortcutLocation location) const;
    QGroupBox* profileGroup() const { return m_profileGroup; }
    QRadioButton* currentUserButton() const { return m_currentUser; }
    QRadioButton* allUsersButton() const { return m_allUsers; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* finishButton() const { return m_finish; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Writes the shortcut; closes on success, asks Retry/Cancel otherwise.
    void OnFinish();

private:
    void chooseLocation(int location);
    void chooseProfile(ShortcutProfile profile);
    void setProfilesVisible(bool visible);
    void updateFinish();
    ShortcutProfile checkedProfile() const;

    ShortcutInput m_input;
    ShortcutFolderTable m_folders;
    int m_location = -1;

    QLineEdit* m_name = nullptr;
    QLineEdit* m_directory = nullptr;
    QButtonGroup* m_locations = nullptr;
    QGroupBox* m_profileGroup = nullptr;
    QRadioButton* m_currentUser = nullptr;
    QRadioButton* m_allUsers = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace playdeck
