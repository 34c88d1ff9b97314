#include "tblview/ui/commands.h"

#include "common/ui/drawn_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace gridlens {

const std::vector<Command>& Commands()
{
    static const std::vector<Command> table = {
        {CommandId::FileOpen, "&File", "&Open...\tCtrl+O", "Open...", Picture::Open,
         "Open an existing document", "Open", false},
        {CommandId::FileExport, "&File", "&Export to HTML", nullptr, Picture::None,
         "Exports formatted view to a HTML file", "Export to HTML", false},
        {CommandId::FilePrint, "&File", "&Print...\tCtrl+P", "Print...", Picture::Print,
         "Print the active document", "Print", true},
        {CommandId::FilePrintSetup, "&File", "P&rint Setup...", nullptr, Picture::None,
         "Change the printer and printing options", "Print Setup", false},
        {CommandId::FileMru, "&File", "Recent File", nullptr, Picture::None, "Open this document",
         nullptr, true},
        {CommandId::AppExit, "&File", "E&xit", nullptr, Picture::None,
         "Quit the application; prompts to save documents", "Exit", true},
        {CommandId::EditFind, "&Edit", "&Find...\tCtrl+F", nullptr, Picture::None,
         "Find text in the page or in the tree's names", "Find", false},
        {CommandId::EditFindNext, "&Edit", "Find &Next\tF3", nullptr, Picture::None,
         "Find the next place of the text", "Find Next", false},
        {CommandId::EditFindPrevious, "&Edit", "Find &Previous\tShift+F3", nullptr, Picture::None,
         "Find the previous place of the text", "Find Previous", false},
        {CommandId::ViewWrap, "&View", "&Wrap long lines", nullptr, Picture::None,
         "Wrap long lines at the window's edge instead of scrolling sideways", "Wrap long lines",
         false},
        {CommandId::AppAbout, "&Help", "&About...", "About...", Picture::About,
         "Display program information, version number and copyright", "About", false},
        {CommandId::FileNew, nullptr, "\tCtrl+N", nullptr, Picture::None, "Create a new document",
         "New", false},
        {CommandId::FileSave, nullptr, "\tCtrl+S", nullptr, Picture::None,
         "Save the active document", "Save", false},
        {CommandId::NextPane, nullptr, "\tF6", nullptr, Picture::None,
         "Switch to the next window pane", "Next Pane", false},
        {CommandId::PrevPane, nullptr, "\tShift+F6", nullptr, Picture::None,
         "Switch back to the previous window pane", "Previous Pane", false},
        {CommandId::ContextHelp, nullptr, "", nullptr, Picture::ContextHelp,
         "Display help for clicked buttons, menus and windows", "Help", false},
    };
    return table;
}

const Command& CommandOf(CommandId id)
{
    for (const Command& c : Commands())
        if (c.id == id)
            return c;
    return Commands().front();
}

const std::vector<ToolbarSlot>& ToolbarLayout()
{
    static const std::vector<ToolbarSlot> layout = {
        {false, CommandId::FileOpen},    {true, CommandId::FileOpen},
        {false, CommandId::FilePrint},   {true, CommandId::FileOpen},
        {false, CommandId::AppAbout},    {true, CommandId::FileOpen},
        {false, CommandId::ContextHelp},
    };
    return layout;
}

namespace {
// A command's text is "menu text\tkey": the two halves.
std::pair<QString, QString> splitText(const Command& c)
{
    const QString text = QString::fromLatin1(c.text);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? std::pair(text, QString()) : std::pair(text.left(tab), text.mid(tab + 1));
}
} // namespace

QString KeyOf(const Command& c)
{
    return splitText(c).second;
}
QString MenuTextOf(const Command& c)
{
    return splitText(c).first;
}

QIcon PictureIcon(Picture picture)
{
    if (picture == Picture::None)
        return QIcon();
    // Drawn again at every pixel ratio, never a stretched 16 x 16.
    return qm::ui::DrawnIcon(QSize(16, 16), [picture](QPainter& p) {
        const QColor outline(64, 64, 64);
        switch (picture) {
        case Picture::Open: {
            p.setPen(outline);
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(QRectF(1.5, 4.5, 12, 9));
            p.drawRect(QRectF(1.5, 3.5, 5, 2));
            p.setBrush(QColor(255, 225, 120));
            QPainterPath flap;
            flap.moveTo(3.5, 7.5);
            flap.lineTo(15.5, 7.5);
            flap.lineTo(13.5, 13.5);
            flap.lineTo(1.5, 13.5);
            flap.closeSubpath();
            p.drawPath(flap);
            break;
        }
        case Picture::Print:
            p.setPen(outline);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 6));
            p.setBrush(QColor(190, 190, 190));
            p.drawRect(QRectF(1.5, 6.5, 13, 6));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 10.5, 7, 4));
            p.setPen(QColor(0, 160, 0));
            p.drawPoint(QPointF(12.5, 8.5));
            break;
        case Picture::About:
        case Picture::ContextHelp: {
            if (picture == Picture::ContextHelp) {
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::black);
                QPainterPath arrow;
                arrow.moveTo(1, 1);
                arrow.lineTo(1, 12);
                arrow.lineTo(4, 9);
                arrow.lineTo(7, 14);
                arrow.lineTo(8.5, 13);
                arrow.lineTo(6, 8.5);
                arrow.lineTo(10, 8.5);
                arrow.closeSubpath();
                p.drawPath(arrow);
            }
            const QRectF circle =
                picture == Picture::About ? QRectF(1.5, 1.5, 13, 13) : QRectF(8.5, 0.5, 7, 7);
            p.setPen(QColor(0, 0, 128));
            p.setBrush(QColor(255, 255, 200));
            p.drawEllipse(circle);
            QFont f;
            f.setBold(true);
            f.setPixelSize(picture == Picture::About ? 11 : 7);
            p.setFont(f);
            p.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case Picture::None:
            break;
        }
    });
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(QColor(80, 80, 80), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 2.5, 22, 26));
        for (int row = 0; row < 5; ++row) {
            p.setPen(QPen(row % 2 ? QColor(0, 0, 255) : QColor(255, 0, 0), 2));
            p.drawLine(QPointF(6, 8 + row * 4), QPointF(row % 2 ? 18 : 14, 8 + row * 4));
        }
        p.setPen(QPen(QColor(40, 40, 40), 3));
        p.drawLine(QPointF(24, 24), QPointF(30, 30));
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(QColor(255, 255, 0, 110));
        p.drawEllipse(QRectF(13, 13, 13, 13));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace gridlens
