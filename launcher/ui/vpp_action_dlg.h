#pragma once

#include "launcher/vpp_action.h"

#include <QDialog>
#include <QPushButton>
#include <string>

class QLabel;

namespace playdeck {

// A large push button with its picture at the left and a text that wraps
// over as many lines as the button's height allows.
class CChoiceButton : public QPushButton {
    Q_OBJECT
public:
    CChoiceButton(const QIcon& picture, const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The action chooser for a packfile opened from the shell: play it (with its
// MOD), view it in PACKPEEK32, edit it in PACKFORGE32, or cancel. Lives for
// one choice; every rule is decided once, when it opens.
class CVppActionDlg : public QDialog {
    Q_OBJECT
public:
    enum class Choice { None, Play, View, Edit, Cancel };

    explicit CVppActionDlg(const std::string& path, QWidget* parent = nullptr);

    const VppActionState& state() const { return m_state; }
    Choice choice() const { return m_choice; }

    QPushButton* playButton() const { return m_play; }
    QPushButton* viewButton() const { return m_view; }
    QPushButton* editButton() const { return m_edit; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* modLine() const { return m_modLine; }
    QLabel* levelLine() const { return m_levelLine; }
    QLabel* fileLine() const { return m_fileLine; }

    void OnPlay();
    void OnView();
    void OnEdit();
    void OnCancel();

protected:
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:
    QRect fromUnits(int x, int y, int w, int h) const;

    VppActionState m_state;
    Choice m_choice = Choice::None;
    QPushButton* m_play;
    QPushButton* m_view;
    QPushButton* m_edit;
    QPushButton* m_cancel;
    QLabel* m_modLine;
    QLabel* m_levelLine;
    QLabel* m_fileLine;
};

} // namespace playdeck
