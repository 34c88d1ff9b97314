#pragma once

#include "common/ui/dialog_units.h"

#include <QDialog>
#include <QRect>

class QLabel;
class QPushButton;

namespace qmsetup {

// Dialog units by the suite's one rule (common/ui/dialog_units.h).
class DialogUnits {
public:
    int x(int units) const { return qm::ui::DialogUnitsX(units); }
    int y(int units) const { return qm::ui::DialogUnitsY(units); }
    QRect rect(int x0, int y0, int w, int h) const { return QRect(x(x0), y(y0), x(w), y(h)); }
};

// The page font: the suite's dialog font.
QFont SetupPageFont();

// What every page of setup shares: a fixed 331 × 226 dialog-unit window
// captioned "Quorvel Manager Setup", the banner across the top, the etched
// line and the Back / main / Cancel buttons.
class CPageFrame : public QDialog {
    Q_OBJECT
public:
    enum class Banner { Main, Progress };
    CPageFrame(Banner banner, const QString& mainText, QWidget* parent = nullptr);

    QPushButton* backButton() const { return m_back; }
    QPushButton* mainButton() const { return m_main; }
    QPushButton* cancelButton() const { return m_cancel; }
    const DialogUnits& du() const { return m_du; }

    // Unattended runs (tests, scripted installs): every page takes its main
    // button as soon as it shows, and message boxes take their default answer.
    static void setUnattended(bool on);
    static bool unattended();

protected:
    void showEvent(QShowEvent* event) override;
    // What an unattended page does once shown: its main button, or Cancel
    // when that does not close it.
    virtual void unattendedStep();

    // Places a child in dialog units; rows below the banner start at y 40.
    void place(QWidget* w, int x, int y, int width, int height) const;
    QLabel* addLabel(const QString& text, int x, int y, int width, int height);

private:
    DialogUnits m_du;
    QLabel* m_banner = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_main = nullptr;
    QPushButton* m_cancel = nullptr;
};

// The banner pictures (497 × 60 pixels) drawn from code.
QPixmap BannerPixmap(CPageFrame::Banner banner);

} // namespace qmsetup
