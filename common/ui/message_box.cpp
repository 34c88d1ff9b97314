#include "common/ui/message_box.h"

#include "common/ui/answer_queue.h"

namespace qm::ui {

namespace {
AnswerQueue<QMessageBox::StandardButton>& answers()
{
    static AnswerQueue<QMessageBox::StandardButton> q;
    return q;
}
std::vector<MessageBox::Shown>& shown()
{
    static std::vector<MessageBox::Shown> v;
    return v;
}
bool& autoAnswer()
{
    static bool on = false;
    return on;
}
QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons)
{
    for (uint b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
        if (buttons & b)
            return static_cast<QMessageBox::StandardButton>(b);
    return QMessageBox::NoButton;
}
} // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& caption, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    shown().push_back({icon, caption, text, buttons});
    if (auto queued = answers().take())
        return *queued;
    if (autoAnswer())
        return defaultButton != QMessageBox::NoButton ? defaultButton : firstButton(buttons);
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    answers().push(answer);
}
void MessageBox::setAutoAnswer(bool on)
{
    autoAnswer() = on;
}
const std::vector<MessageBox::Shown>& MessageBox::history()
{
    return shown();
}
void MessageBox::clearHistory()
{
    shown().clear();
    answers().clear();
}

} // namespace qm::ui
