#include "tblview/ui/about_dlg.h"

#include "common/tools_library.h"
#include "tblview/ui/commands.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace gridlens {

namespace {
// Dialog units on the dialog's font, by the Windows rule.
struct DialogUnits {
    int avgWidth, height;
    explicit DialogUnits(const QFont& f)
    {
        const QFontMetrics fm(f);
        const QString abc = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        avgWidth = (fm.horizontalAdvance(abc) / 26 + 1) / 2;
        height = fm.height();
    }
    QRect rect(int x, int y, int w, int h) const
    {
        return QRect(x * avgWidth / 4, y * height / 8, w * avgWidth / 4, h * height / 8);
    }
};
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDlg"));
    setWindowTitle(QStringLiteral("About Quorvel Manager GRIDLENS32 (Light Edition)"));
    QFont font = this->font(); // "Tahoma 8": the desktop's sans-serif at 8 points
    font.setPointSize(8);
    setFont(font);
    const DialogUnits du(font);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setGeometry(du.rect(11, 12, 21, 20));

    auto* title = new QLabel(QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition for "
                                            "PACKPEEK32)\nVersion 2.0 Beta 01 (Build 101)"),
                             this);
    title->setObjectName(QStringLiteral("aboutText"));
    title->setGeometry(du.rect(40, 10, 230, 18));

    auto* notice = new QLabel(QStringLiteral("Copyright (C) Quorvel Network. Free for players and "
                                             "level makers of Red Faction."),
                              this);
    notice->setObjectName(QStringLiteral("noticeText"));
    notice->setWordWrap(true);
    notice->setGeometry(du.rect(40, 34, 230, 18));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(du.rect(280, 7, 76, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_packpeek = new QPushButton(QStringLiteral("&About PACKPEEK32"), this);
    m_packpeek->setGeometry(du.rect(280, 25, 76, 14));
    connect(m_packpeek, &QPushButton::clicked, this, [] { qm::CallToolsLibrary("DoAbout"); });

    setFixedSize(du.rect(0, 0, 366, 60).size());
}

} // namespace gridlens
