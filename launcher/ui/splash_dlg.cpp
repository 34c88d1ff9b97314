#include "launcher/ui/splash_dlg.h"

#include "common/ui/dialog_units.h"
#include "launcher/ui/main_frame.h"
#include "launcher/ui/pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace playdeck {

CSplashDlg::CSplashDlg() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("splash"));
    setFont(qm::ui::DialogFont());
    const QSize size = qm::ui::DialogUnitsToPixels({259, 216});
    setFixedSize(size);
    // Large picture over the upper part, small badge above the bottom-right corner.
    const int smallSide = size.height() / 6;
    m_large = SplashLargePicture({size.width(), size.height() - smallSide - 16});
    m_small = SplashSmallPicture({smallSide, smallSide});
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void CSplashDlg::ShowNow()
{
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CSplashDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.drawPixmap(0, 0, m_large);
    const int margin = 8;
    p.drawPixmap(width() - m_small.width() - margin, height() - m_small.height() - margin, m_small);
    p.setPen(palette().windowText().color());
    p.drawText(QRect(margin, m_large.height(), width() - m_small.width() - 3 * margin,
                     height() - m_large.height()),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(kVersionPaneText));
    p.setPen(palette().dark().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace playdeck
