#pragma once

#include "setup/install.h"
#include "setup/ui/page_frame.h"

#include <optional>

class QLabel;
class QProgressBar;

namespace qmsetup {

// The progress page: 500 ms after it opens it runs the install of one module
// or of the kit, without returning to the event loop, and repaints itself
// after every change. Back and Cancel stay disabled; Finish ends it.
class CProgressPage : public CPageFrame, public InstallProgress {
    Q_OBJECT
public:
    explicit CProgressPage(ModuleJob job, QWidget* parent = nullptr);
    explicit CProgressPage(KitJob kit, QWidget* parent = nullptr);

    // The modal loop: true when the page ended with Finish.
    bool run();
    // What the start-up timer runs (once).
    void runInstall();

    bool finished() const { return m_finishEnabled; }
    // The run stopped before its end: a failed single module, or the user
    // chose to end setup in the update check.
    bool endedEarly() const { return m_endedEarly; }
    const InstallRun& installRun() const { return m_run; }
    QLabel* statusLine() const { return m_status; }
    QProgressBar* progressBar() const { return m_bar; }
    QLabel* resultText() const { return m_result; }

    // InstallProgress
    Answer message(const std::string& caption, const std::string& text, Buttons buttons,
                   Answer defaultButton, Icon icon) override;
    void setStatus(const std::string& text) override;
    void setProgressRange(int maximum) override;
    void setProgressPosition(int position) override;
    void showProgressBar(bool visible) override;
    void setResultText(const std::string& text) override;
    void enableFinish() override;
    void repaint() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void unattendedStep() override {}

private:
    void build();

    std::optional<ModuleJob> m_job;
    std::optional<KitJob> m_kit;
    InstallRun m_run;
    bool m_started = false;
    bool m_finishEnabled = false;
    bool m_endedEarly = false;

    QLabel* m_status = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_result = nullptr;
};

} // namespace qmsetup
