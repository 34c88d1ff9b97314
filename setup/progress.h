#pragma once

#include <string>

namespace qmsetup {

// The message boxes setup shows while it decides and installs. The wizard
// implements it with real boxes; tests answer from a script.
class SetupMessages {
public:
    enum class Icon { None, Information, Warning, Question };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~SetupMessages() = default;
    virtual Answer message(const std::string& caption, const std::string& text, Buttons buttons,
                           Answer defaultButton, Icon icon) = 0;
};

// The install progress page as the install procedure drives it.
class InstallProgress : public SetupMessages {
public:
    virtual void setStatus(const std::string& text) = 0; // the status line, prefix included
    virtual void setProgressRange(int maximum) = 0;      // range 0 .. maximum
    virtual void setProgressPosition(int position) = 0;
    virtual bool hasProgressBar() const { return true; }
    virtual void showProgressBar(bool visible) = 0;
    virtual void setResultText(const std::string& text) = 0;
    virtual void enableFinish() = 0;
    // The page is painted at once after each change; the run does not return
    // to the event loop until it ends.
    virtual void repaint() {}
};

} // namespace qmsetup
