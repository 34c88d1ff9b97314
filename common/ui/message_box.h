#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <vector>

namespace qm::ui {

// Every message box of the suite goes through here, so tests can answer them
// in advance and read what was shown.
class MessageBox {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString caption;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    // Shows a modal box; returns the button pressed. With a queued answer the
    // box is not shown and the answer is returned at once.
    static QMessageBox::StandardButton
    show(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok,
         QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Test hooks. With setAutoAnswer, boxes without a queued answer return the
    // default (or the first) button instead of blocking.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static void setAutoAnswer(bool on);
    static const std::vector<Shown>& history();
    static void clearHistory();
};

} // namespace qm::ui
