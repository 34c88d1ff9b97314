#include "setup/ui/page_frame.h"

#include "common/ui/drawn_picture.h"

#include "setup/records.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace qmsetup {

QFont SetupPageFont()
{
    return qm::ui::DialogFont();
}

QPixmap BannerPixmap(CPageFrame::Banner banner)
{
    QPixmap pm = qm::ui::DevicePixmap(QSize(497, 60));
    QPainter p(&pm);
    QLinearGradient g(0, 0, 497, 0);
    if (banner == CPageFrame::Banner::Main) {
        g.setColorAt(0, QColor(0, 0, 128));
        g.setColorAt(1, QColor(0, 128, 128));
    } else {
        g.setColorAt(0, QColor(0, 64, 0));
        g.setColorAt(1, QColor(0, 128, 128));
    }
    p.fillRect(QRect(0, 0, 497, 60), g);
    // A few rings at the right: the suite's mark.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 90), 3));
    for (int r = 10; r <= 40; r += 10)
        p.drawEllipse(QPoint(450, 30), r, r);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(16, 6, 400, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Quorvel Manager"));
    f.setPixelSize(12);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(18, 34, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
               banner == CPageFrame::Banner::Main ? QStringLiteral("Setup")
                                                  : QStringLiteral("Installing"));
    return pm;
}

CPageFrame::CPageFrame(Banner banner, const QString& mainText, QWidget* parent)
    : QDialog(parent), m_du()
{
    setFont(SetupPageFont());
    setWindowTitle(QString::fromLatin1(kSetupCaption));
    setModal(true);
    setFixedSize(m_du.x(331), m_du.y(226));

    m_banner = new QLabel(this);
    m_banner->setObjectName(QStringLiteral("banner"));
    m_banner->setPixmap(BannerPixmap(banner));
    m_banner->setScaledContents(true);
    m_banner->setGeometry(0, 0, width(), 60);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("etchedLine"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    place(line, 7, 196, 317, 2);

    m_back = new QPushButton(QStringLiteral("< &Back"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_back->setEnabled(false);
    m_back->setAutoDefault(false);
    place(m_back, 164, 204, 50, 14);
    m_main = new QPushButton(mainText, this);
    m_main->setObjectName(QStringLiteral("mainButton"));
    m_main->setDefault(true);
    place(m_main, 214, 204, 50, 14);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);
    place(m_cancel, 274, 204, 50, 14);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

namespace {
bool g_unattended = false;
}

void CPageFrame::setUnattended(bool on)
{
    g_unattended = on;
}

bool CPageFrame::unattended()
{
    return g_unattended;
}

void CPageFrame::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (g_unattended)
        QTimer::singleShot(0, this, &CPageFrame::unattendedStep);
}

void CPageFrame::unattendedStep()
{
    if (!isVisible())
        return;
    if (m_main->isEnabled())
        m_main->click();
    if (isVisible())
        reject();
}

void CPageFrame::place(QWidget* w, int x, int y, int width, int height) const
{
    w->setGeometry(m_du.rect(x, y, width, height));
}

QLabel* CPageFrame::addLabel(const QString& text, int x, int y, int width, int height)
{
    auto* l = new QLabel(text, this);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(l, x, y, width, height);
    return l;
}

} // namespace qmsetup
