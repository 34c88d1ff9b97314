#pragma once

#include <QWidget>

namespace playdeck {

// The start-up picture: a borderless, caption-less window of 259 x 216
// dialog units with a large picture top left and a small one bottom right.
class CSplashDlg : public QWidget {
    Q_OBJECT
public:
    CSplashDlg();
    // Shows the window and paints it at once, before the pause begins.
    void ShowNow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_large;
    QPixmap m_small;
};

} // namespace playdeck
