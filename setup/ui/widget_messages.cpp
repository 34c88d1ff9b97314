#include "setup/ui/widget_messages.h"

#include "common/qt_text.h"
#include "common/ui/message_box.h"

namespace qmsetup {

namespace {
QMessageBox::StandardButton toButton(SetupMessages::Answer a)
{
    switch (a) {
    case SetupMessages::Answer::Ok:
        return QMessageBox::Ok;
    case SetupMessages::Answer::Yes:
        return QMessageBox::Yes;
    case SetupMessages::Answer::No:
        return QMessageBox::No;
    case SetupMessages::Answer::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}
} // namespace

SetupMessages::Answer WidgetMessages::message(const std::string& caption, const std::string& text,
                                              Buttons buttons, Answer defaultButton, Icon icon)
{
    return show(m_owner, caption, text, buttons, defaultButton, icon);
}

SetupMessages::Answer WidgetMessages::show(QWidget* owner, const std::string& caption,
                                           const std::string& text, Buttons buttons,
                                           Answer defaultButton, Icon icon)
{
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    if (buttons == Buttons::YesNo)
        set = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == Buttons::YesNoCancel)
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    if (icon == Icon::Information)
        qicon = QMessageBox::Information;
    else if (icon == Icon::Warning)
        qicon = QMessageBox::Warning;
    else if (icon == Icon::Question)
        qicon = QMessageBox::Question;
    const QMessageBox::StandardButton pressed =
        qm::ui::MessageBox::show(owner, qicon, qm::DisplayText(caption), qm::DisplayText(text), set,
                                 toButton(defaultButton));
    switch (pressed) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        // A box closed without a button counts as its cancelling answer.
        if (buttons == Buttons::YesNo)
            return pressed == QMessageBox::Ok ? Answer::Ok : Answer::No;
        if (buttons == Buttons::YesNoCancel)
            return Answer::Cancel;
        return Answer::Ok;
    }
}

} // namespace qmsetup
