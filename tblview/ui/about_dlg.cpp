#include "tblview/ui/about_dlg.h"

#include "common/tools_library.h"
#include "common/ui/dialog_units.h"
#include "tblview/ui/commands.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace gridlens {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDlg"));
    setWindowTitle(QStringLiteral("About Quorvel Manager GRIDLENS32 (Light Edition)"));
    setFont(qm::ui::DialogFont());

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    icon->setGeometry(qm::ui::DialogUnitsToRect(QRect(11, 12, 21, 20)));

    auto* title = new QLabel(QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition for "
                                            "PACKPEEK32)\nVersion 2.0 Beta 01 (Build 101)"),
                             this);
    title->setObjectName(QStringLiteral("aboutText"));
    title->setGeometry(qm::ui::DialogUnitsToRect(QRect(40, 10, 230, 18)));

    auto* notice = new QLabel(QStringLiteral("Copyright (C) Quorvel Network. Free for players and "
                                             "level makers of Red Faction."),
                              this);
    notice->setObjectName(QStringLiteral("noticeText"));
    notice->setWordWrap(true);
    notice->setGeometry(qm::ui::DialogUnitsToRect(QRect(40, 34, 230, 18)));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(qm::ui::DialogUnitsToRect(QRect(280, 7, 76, 14)));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    m_packpeek = new QPushButton(QStringLiteral("&About PACKPEEK32"), this);
    m_packpeek->setGeometry(qm::ui::DialogUnitsToRect(QRect(280, 25, 76, 14)));
    connect(m_packpeek, &QPushButton::clicked, this, [] { qm::CallToolsLibrary("DoAbout"); });

    setFixedSize(qm::ui::DialogUnitsToPixels(QSize(366, 60)));
}

} // namespace gridlens
