#include "launcher/ui/vpp_action_dlg.h"

#include "common/qt_text.h"
#include "common/ui/dialog_units.h"
#include "launcher/ui/launch_cmd.h"
#include "launcher/ui/pictures.h"

#include <QLabel>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <qdrawutil.h>

namespace playdeck {

namespace {
constexpr int kTemplateWidth = 217;
constexpr int kTemplateHeight = 139;
constexpr int kPictureMargin = 8;
} // namespace

CChoiceButton::CChoiceButton(const QIcon& picture, const QString& text, QWidget* parent)
    : QPushButton(picture, text, parent)
{
    setIconSize(QSize(kToolbarPictureSize, kToolbarPictureSize));
}

void CChoiceButton::paintEvent(QPaintEvent*)
{
    // The style draws the bevel and focus; picture and wrapped text are ours,
    // as a plain push button only knows one line.
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text.clear();
    opt.icon = QIcon();
    p.drawControl(QStyle::CE_PushButton, opt);

    const bool down = isDown() || isChecked();
    const QPoint shift =
        down ? QPoint(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &opt, this),
                      style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &opt, this))
             : QPoint();
    const QRect inner = rect().adjusted(kPictureMargin, 4, -kPictureMargin, -4).translated(shift);
    const QSize pic = iconSize();
    const QRect picRect(inner.left(), inner.center().y() - pic.height() / 2 + 1, pic.width(),
                        pic.height());
    p.drawPixmap(picRect, icon().pixmap(pic, isEnabled() ? QIcon::Normal : QIcon::Disabled));
    const QRect textRect = inner.adjusted(pic.width() + kPictureMargin, 0, 0, 0);
    style()->drawItemText(&p, textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                          palette(), isEnabled(), text(), QPalette::ButtonText);
}

CVppActionDlg::CVppActionDlg(const std::string& path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint), m_state(ComputeVppAction(path))
{
    setObjectName(QStringLiteral("vppActionDlg"));
    setModal(true);
    setFont(qm::ui::DialogFont());
    setFixedSize(qm::ui::DialogUnitsToPixels({kTemplateWidth, kTemplateHeight}));

    auto* prompt = new QLabel(QString::fromLatin1(kChooserPrompt), this);
    prompt->setGeometry(fromUnits(7, 7, 203, 9));

    m_play = new CChoiceButton(ToolbarPicture("play"), qm::DisplayText(m_state.playText), this);
    m_play->setObjectName(QStringLiteral("playButton"));
    m_play->setGeometry(fromUnits(7, 18, 203, 27));
    m_view = new CChoiceButton(ToolbarPicture("view"), QString::fromLatin1(kViewButtonText), this);
    m_view->setObjectName(QStringLiteral("viewButton"));
    m_view->setGeometry(fromUnits(7, 48, 203, 27));
    m_edit = new CChoiceButton(ToolbarPicture("edit"), QString::fromLatin1(kEditButtonText), this);
    m_edit->setObjectName(QStringLiteral("editButton"));
    m_edit->setGeometry(fromUnits(7, 78, 203, 27));

    auto line = [this](const char* name, const std::string& text, int y) {
        auto* l = new QLabel(qm::DisplayText(text), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(fromUnits(7, y, 148, 9));
        // The line is cut at its end as the old static text was; the whole
        // text stays one hover away.
        l->setToolTip(l->text());
        return l;
    };
    m_modLine = line("modLine", m_state.modLine, 109);
    m_levelLine = line("levelLine", m_state.levelLine, 118);
    m_fileLine = line("fileLine", m_state.fileLine, 127);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setGeometry(fromUnits(160, 118, 50, 14));

    m_play->setEnabled(m_state.playEnabled);
    m_view->setEnabled(m_state.viewEnabled);
    m_edit->setEnabled(m_state.editEnabled);

    connect(m_play, &QPushButton::clicked, this, &CVppActionDlg::OnPlay);
    connect(m_view, &QPushButton::clicked, this, &CVppActionDlg::OnView);
    connect(m_edit, &QPushButton::clicked, this, &CVppActionDlg::OnEdit);
    connect(m_cancel, &QPushButton::clicked, this, &CVppActionDlg::OnCancel);
}

QRect CVppActionDlg::fromUnits(int x, int y, int w, int h) const
{
    return qm::ui::DialogUnitsToRect({x, y, w, h});
}

void CVppActionDlg::OnPlay()
{
    if (const auto request = ChooserPlayRequest(m_state)) {
        if (!LaunchGame(this, *request))
            return; // told why; the chooser stays for another choice
        m_choice = Choice::Play;
        accept();
    }
}

void CVppActionDlg::OnView()
{
    if (const auto request = ChooserToolRequest(m_state, SiblingTool::PackPeek)) {
        StartSiblingTool(*request);
        m_choice = Choice::View;
        accept();
    }
}

void CVppActionDlg::OnEdit()
{
    if (const auto request = ChooserToolRequest(m_state, SiblingTool::PackForge)) {
        StartSiblingTool(*request);
        m_choice = Choice::Edit;
        accept();
    }
}

void CVppActionDlg::OnCancel()
{
    reject();
}

void CVppActionDlg::reject()
{
    // Cancel, Escape and closing the window all end the choice the same way.
    if (m_choice == Choice::None)
        m_choice = Choice::Cancel;
    QDialog::reject();
}

void CVppActionDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // The modal frame of a caption-less dialog: a raised edge around it.
    QPainter p(this);
    qDrawWinPanel(&p, rect(), palette(), false);
}

} // namespace playdeck
