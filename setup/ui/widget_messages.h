#pragma once

#include "setup/progress.h"

class QWidget;

namespace qmsetup {

// Setup's message boxes as real boxes (through the suite's wrapper, so tests
// answer them), owned by the given page.
class WidgetMessages : public SetupMessages {
public:
    explicit WidgetMessages(QWidget* owner) : m_owner(owner) {}
    Answer message(const std::string& caption, const std::string& text, Buttons buttons,
                   Answer defaultButton, Icon icon) override;

    // The same call for pages that are themselves the owner.
    static Answer show(QWidget* owner, const std::string& caption, const std::string& text,
                       Buttons buttons = Buttons::Ok, Answer defaultButton = Answer::Ok,
                       Icon icon = Icon::None);

private:
    QWidget* m_owner;
};

} // namespace qmsetup
