#pragma once

#include "setup/records.h"
#include "setup/ui/page_frame.h"

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qmsetup {

// The setup page of a single module, and with the configure flag the
// configure dialog of a kit module. Reads and writes the setup options.
class CSetupPage : public CPageFrame {
    Q_OBJECT
public:
    CSetupPage(bool configure, std::string moduleFile, SetupOptions& options,
               QWidget* parent = nullptr);

    // Empty texts and entries beyond 256 are not added.
    bool addForbiddenFolder(const std::string& folder);
    const std::vector<std::string>& forbiddenFolders() const { return m_forbidden; }

    // Fills the page from the description file and the records; false when
    // the user answered No to the downgrade question.
    bool initialise();
    // initialise() and the modal loop: true for Install / OK.
    bool run();

    // The main button: stores the choices and checks the folder; true when
    // the folder is accepted (the page then closes with OK).
    bool checkFolder();

    QLineEdit* folderEdit() const { return m_edit; }
    QCheckBox* startMenuBox() const { return m_startMenu; }
    QCheckBox* desktopBox() const { return m_desktop; }
    QCheckBox* extensionsBox() const { return m_extensions; }
    QCheckBox* updateBox() const { return m_update; }
    QLabel* welcomeText() const { return m_welcome; }
    QLabel* descriptionText() const { return m_description; }
    QLabel* statusText() const { return m_status; }
    QLabel* promptText() const { return m_prompt; }
    QLabel* versionText() const { return m_version; }
    QPushButton* differentPathButton() const { return m_differentPath; }

    static constexpr int kMaxForbidden = 256;

protected:
    // A keyboard user types the folder first: it has the focus when shown.
    void showEvent(QShowEvent* event) override;

private:
    void installToDifferentPath();

    bool m_configure;
    std::string m_moduleFile;
    SetupOptions& m_options;
    std::vector<std::string> m_forbidden;

    QLabel* m_welcome;
    QLabel* m_description;
    QLabel* m_status;
    QPushButton* m_differentPath;
    QLabel* m_prompt;
    QLineEdit* m_edit;
    QCheckBox* m_startMenu;
    QCheckBox* m_desktop;
    QCheckBox* m_extensions;
    QCheckBox* m_update;
    QLabel* m_updateNote;
    QLabel* m_version;
};

} // namespace qmsetup
