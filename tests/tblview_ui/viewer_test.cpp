// The viewer as a user meets it: start, open, tree, jumps, export, print,
// recent files, bad files.
#include "common/settings.h"
#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "platform/file_system.h"
#include "support/temp_world.h"
#include "tblview/ui/gridlens_app.h"
#include "tblview/ui/gridlens_doc.h"
#include "tblview/ui/gridlens_view.h"
#include "tblview/ui/left_view.h"
#include "tblview/ui/main_frame.h"
#include "tblview/ui/print_dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace gridlens;
using qm::ui::FileDialog;
using qm::ui::MessageBox;

namespace {

const char* const kWeapons = "; weapons table\r\n"
                             "$Name: Orphan\r\n"
                             "#Primary Weapons\r\n"
                             "$Name: \"Laser\"   ; the laser\r\n"
                             "\t+Damage: 10\r\n"
                             "$Name: Pistol\r\n"
                             "#Secondary Weapons\r\n"
                             "[Rocket]\r\n"
                             "$Class Name: Grenade\r\n"
                             "#End\r\n";

// Sections with entries, each followed by enough lines that any anchor can be
// scrolled to the top of the view.
std::string longTable(int sections, int entries, int filler)
{
    std::string t;
    for (int s = 0; s < sections; ++s) {
        t += "#Section " + std::to_string(s) + "\r\n";
        for (int e = 0; e < entries; ++e) {
            t += "$Name: Item " + std::to_string(s) + "." + std::to_string(e) + "\r\n";
            for (int f = 0; f < filler; ++f)
                t += "\t+Value: " + std::to_string(f) + "\r\n";
        }
    }
    return t;
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

int pdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    for (const QString& line : QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// Whether the first page, rasterised, shows the yellow entry background.
bool pdfShowsYellow(const QString& pdf, const QString& dir)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, dir + QStringLiteral("/raster")});
    p.waitForFinished(60000);
    const QImage img(dir + QStringLiteral("/raster.png"));
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 220 && c.green() > 220 && c.blue() < 60)
                return true;
        }
    return false;
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

class ViewerTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override
    {
        MessageBox::clearHistory();
        MessageBox::setAutoAnswer(true);
        PrintDialogs::setPrinterOverride(nullptr);
    }
    void TearDown() override
    {
        app.reset();
        PrintDialogs::setPrinterOverride(nullptr);
    }

    CGRIDLENS32LApp::Start start(const QStringList& args = {})
    {
        app = std::make_unique<CGRIDLENS32LApp>();
        std::vector<std::string> bytes;
        for (const QString& a : args)
            bytes.push_back(a.toStdString());
        return app->InitInstance(bytes);
    }
    CMainFrame* frame() const { return app->mainFrame(); }
    CLeftView* tree() const { return frame()->leftView(); }
    CGRIDLENS32LView* view() const { return frame()->htmlView(); }
    std::string pageBytes() const { return qm::test::readFileBytes(app->TempPagePath); }

    // Every printer the program makes writes to this PDF instead.
    void printToPdf(const QString& pdf)
    {
        PrintDialogs::setPrinterOverride([pdf](QPrinter& p, const QString&) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
        });
    }

    void clickItem(QTreeWidgetItem* item)
    {
        tree()->scrollToItem(item);
        const QRect r = tree()->visualItemRect(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, r.center());
    }

    std::unique_ptr<CGRIDLENS32LApp> app;
};

TEST_F(ViewerTest, EmptyStartWritesTheEmptyPageAndRegistersTheFileType)
{
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    // The page lies in a folder of this process that only this user can enter,
    // under the runtime folder, else the temporary folder; it goes at the end.
    ASSERT_TRUE(qm::fs::MakeFolders(world.home() + "/runtime", 0700));
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    const std::string first = app->TempPagePath;
    EXPECT_EQ(qm::fs::FileNameOf(first), "gridlens32l.html");
    EXPECT_EQ(first.rfind(world.home() + "/runtime/gridlens32l-", 0), 0u) << first;
    EXPECT_EQ(qm::fs::Stat(app->pageFolder()).mode & 0777, 0700u);
    world.unsetEnv("XDG_RUNTIME_DIR");
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    EXPECT_EQ(app->TempPagePath.rfind(world.temp() + "gridlens32l-", 0), 0u) << app->TempPagePath;
    EXPECT_FALSE(qm::fs::Exists(qm::fs::FolderOf(first))) << "the first run's folder went with it";
    EXPECT_EQ(pageBytes(), "<html>\r\n<body background=white>\r\n</body>\r\n</html>\r\n");
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_FALSE(frame()->action(CommandId::FileExport)->isEnabled());
    EXPECT_EQ(frame()->windowTitle(),
              QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition) - Untitled"));

    const std::string quoted = "\"" + QCoreApplication::applicationFilePath().toStdString() + "\"";
    const auto hklm = [](const std::string& key) {
        return qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\" + key, "", "?");
    };
    EXPECT_EQ(hklm(".TBL"), "Quorvel.Manager.GRIDLENS32");
    EXPECT_EQ(hklm("Quorvel.Manager.GRIDLENS32"), "TBL table file");
    EXPECT_EQ(hklm("Quorvel.Manager.GRIDLENS32\\shell\\open\\command"), quoted + " \"%1\"");
    EXPECT_EQ(hklm("Quorvel.Manager.GRIDLENS32\\shell\\print\\command"), quoted + " /p \"%1\"");
    EXPECT_EQ(hklm("Quorvel.Manager.GRIDLENS32\\shell\\printto\\command"),
              quoted + " /pt \"%1\" \"%2\" \"%3\" \"%4\"");
}

TEST_F(ViewerTest, FrameLayoutToolbarAndStatusBar)
{
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    const QRect screen = frame()->screen()->geometry();
    const QRect g = frame()->geometry();
    EXPECT_EQ(g.width(), std::min(screen.width(), 780));
    EXPECT_EQ(g.height(), std::min(screen.height(), 500));
    EXPECT_EQ(g.x(), (screen.width() - g.width()) / 2);
    EXPECT_EQ(g.y(), (screen.height() - g.height()) / 2);
    EXPECT_EQ(frame()->splitter()->sizes().value(0), 180);

    QToolBar* bar = frame()->toolBar();
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("Main toolbar"));
    const QList<QAction*> buttons = bar->actions();
    ASSERT_EQ(buttons.size(), 7);
    const QStringList texts = {QStringLiteral("Open..."), QString(), QStringLiteral("Print..."),
                               QString(), QStringLiteral("About...")};
    for (int i = 0; i < 5; i += 2)
        EXPECT_EQ(buttons[i]->iconText(), texts[i]);
    EXPECT_TRUE(buttons[1]->isSeparator() && buttons[3]->isSeparator() &&
                buttons[5]->isSeparator());
    EXPECT_FALSE(buttons[6]->isEnabled());
    EXPECT_EQ(frame()->statusPane(2)->text(), QStringLiteral("V2.0 Beta 01 (Build 101)"));
    EXPECT_EQ(frame()->statusPane(2)->minimumWidth(), 150);
}

TEST_F(ViewerTest, OpenFillsTheTreeAndShowsThePage)
{
    const std::string table = world.writeFile("tables/weapons.tbl", kWeapons);
    ASSERT_EQ(start({q(table)}), CGRIDLENS32LApp::Start::Run);
    EXPECT_EQ(frame()->windowTitle(),
              QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition) - weapons.tbl"));
    EXPECT_TRUE(frame()->action(CommandId::FileExport)->isEnabled());

    // "(Top)" first; the entry before the first section stays at the root.
    ASSERT_EQ(tree()->topLevelItemCount(), 4);
    EXPECT_EQ(tree()->topLevelItem(0)->text(0), QStringLiteral("(Top)"));
    EXPECT_EQ(tree()->topLevelItem(1)->text(0), QStringLiteral("Orphan"));
    QTreeWidgetItem* primary = tree()->topLevelItem(2);
    EXPECT_EQ(primary->text(0), QStringLiteral("Primary Weapons"));
    ASSERT_EQ(primary->childCount(), 2);
    EXPECT_EQ(primary->child(0)->text(0), QStringLiteral("Laser\"   "));
    EXPECT_EQ(primary->child(1)->text(0), QStringLiteral("Pistol"));
    QTreeWidgetItem* secondary = tree()->topLevelItem(3);
    ASSERT_EQ(secondary->childCount(), 2);
    EXPECT_EQ(secondary->child(0)->text(0), QStringLiteral("Rocket"));
    EXPECT_EQ(secondary->child(1)->text(0), QStringLiteral("Grenade"));
    EXPECT_FALSE(primary->isExpanded());
    EXPECT_TRUE(tree()->selectedItems().isEmpty());

    EXPECT_EQ(view()->currentPath(), app->TempPagePath);
    EXPECT_EQ(view()->page().lineText(0), QStringLiteral("; weapons table"));
    EXPECT_EQ(view()->firstVisibleLine(), 0);
    EXPECT_TRUE(view()->hasFocus() || !frame()->isActiveWindow());
}

TEST_F(ViewerTest, ChoosingATreeItemBringsItsAnchorToTheTop)
{
    const std::string table = world.writeFile("long.tbl", longTable(4, 3, 40));
    ASSERT_EQ(start({q(table)}), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame()));
    tree()->expandAll();

    const auto topText = [&] { return view()->page().lineText(view()->firstVisibleLine()); };
    // A section, an entry inside a later section, and the last anchor.
    const int count = app->document()->anchors().count();
    ASSERT_EQ(count, 1 + 4 * 4);
    clickItem(tree()->itemOfAnchor(5)); // "#Section 1"
    EXPECT_EQ(topText(), QStringLiteral("#Section 1"));
    clickItem(tree()->itemOfAnchor(8)); // Section 1's third entry
    EXPECT_EQ(topText(), QStringLiteral("$Name: Item 1.2"));
    clickItem(tree()->itemOfAnchor(count - 1));
    EXPECT_EQ(topText(), QStringLiteral("$Name: Item 3.2"));
    clickItem(tree()->itemOfAnchor(0));
    EXPECT_EQ(view()->firstVisibleLine(), 0);

    // A reload starts at the top again and a new fill chooses nothing.
    QTest::keyClick(frame(), Qt::Key_End);
    ASSERT_TRUE(app->OpenDocumentFile(q(table)));
    EXPECT_EQ(view()->firstVisibleLine(), 0);
    EXPECT_TRUE(tree()->selectedItems().isEmpty());
}

TEST_F(ViewerTest, ExportProposesTheNameAndCopiesThePageExactly)
{
    const std::string weapons = world.writeFile("weapons.tbl", kWeapons);
    ASSERT_EQ(start({q(weapons)}), CGRIDLENS32LApp::Start::Run);
    const std::string target = world.root() + "/out/weapons.html";
    world.makeDir("out");
    world.writeFile("out/weapons.html", "old contents");
    FileDialog::setNextFileName(q(target));
    frame()->action(CommandId::FileExport)->trigger();
    EXPECT_EQ(FileDialog::lastDefaultPath(), QStringLiteral("weapons.html"));
    EXPECT_EQ(qm::test::readFileBytes(target), pageBytes());
    EXPECT_NE(pageBytes().find("Primary Weapons"), std::string::npos);

    // A name without extension gets ".html"; cancelling writes nothing.
    FileDialog::setNextFileName(q(world.root() + "/out/plain"));
    frame()->action(CommandId::FileExport)->trigger();
    EXPECT_EQ(qm::test::readFileBytes(world.root() + "/out/plain.html"), pageBytes());
    FileDialog::setNextFileName(QString());
    frame()->action(CommandId::FileExport)->trigger();

    struct Case {
        const char* file;
        const char* proposed;
    };
    for (const Case& c : {Case{"a.tbl", "a.html"}, Case{"abcd", ".html"}, Case{"ab", ".html"}}) {
        ASSERT_TRUE(app->OpenDocumentFile(q(world.writeFile(c.file, "#S\r\n"))));
        FileDialog::setNextFileName(QString());
        frame()->action(CommandId::FileExport)->trigger();
        EXPECT_EQ(FileDialog::lastDefaultPath(), QString::fromLatin1(c.proposed)) << c.file;
    }
    EXPECT_TRUE(MessageBox::history().empty());
}

TEST_F(ViewerTest, FailedExportTellsTheUserAndNamesTheTarget)
{
    const std::string weapons = world.writeFile("weapons.tbl", kWeapons);
    ASSERT_EQ(start({q(weapons)}), CGRIDLENS32LApp::Start::Run);
    const QString target = q(world.root() + "/no such folder/weapons.html");
    FileDialog::setNextFileName(target);
    frame()->action(CommandId::FileExport)->trigger();
    ASSERT_EQ(MessageBox::history().size(), 1u);
    EXPECT_TRUE(MessageBox::history()[0].text.contains(target));
    EXPECT_EQ(MessageBox::history()[0].icon, QMessageBox::Warning);
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(ViewerTest, PrintsToPdfWithPagesGrowingWithTheTable)
{
    const QString pdf = q(world.root() + "/print.pdf");
    printToPdf(pdf);
    ASSERT_EQ(start({q(world.writeFile("weapons.tbl", kWeapons))}), CGRIDLENS32LApp::Start::Run);
    PrintDialogs::setNextAnswer(true);
    frame()->action(CommandId::FilePrint)->trigger();
    const int smallPages = pdfPages(pdf);
    EXPECT_EQ(smallPages, 1);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Pistol"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Primary Weapons")));
    EXPECT_TRUE(pdfShowsYellow(pdf, q(world.root())));

    ASSERT_TRUE(app->OpenDocumentFile(q(world.writeFile("long.tbl", longTable(10, 5, 20)))));
    PrintDialogs::setNextAnswer(true);
    frame()->action(CommandId::FilePrint)->trigger();
    EXPECT_GT(pdfPages(pdf), 10 * smallPages);
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Item 9.4")));

    // A cancelled dialog prints nothing.
    QFile::remove(pdf);
    PrintDialogs::setNextAnswer(false);
    frame()->action(CommandId::FilePrint)->trigger();
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(MessageBox::history().empty());
}

TEST_F(ViewerTest, PrintSwitchesPrintWithoutDialogAndEnd)
{
    const QString pdf = q(world.root() + "/direct.pdf");
    QString printerSeen;
    PrintDialogs::setPrinterOverride([&](QPrinter& p, const QString& name) {
        printerSeen = name;
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    });
    const std::string table = world.writeFile("weapons.tbl", kWeapons);
    const int dialogs = PrintDialogs::dialogsShown();
    EXPECT_EQ(start({QStringLiteral("/p"), q(table)}), CGRIDLENS32LApp::Start::Done);
    EXPECT_EQ(PrintDialogs::dialogsShown(), dialogs);
    EXPECT_FALSE(frame()->isVisible());
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Rocket")));

    QFile::remove(pdf);
    EXPECT_EQ(start({QStringLiteral("/pt"), q(table), QStringLiteral("Office"),
                     QStringLiteral("winspool"), QStringLiteral("LPT1:")}),
              CGRIDLENS32LApp::Start::Done);
    EXPECT_EQ(printerSeen, QStringLiteral("Office"));
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Rocket")));

    // A table that cannot be opened ends the program after the message.
    EXPECT_EQ(start({QStringLiteral("/p"), q(world.root() + "/missing.tbl")}),
              CGRIDLENS32LApp::Start::Failed);
    ASSERT_FALSE(MessageBox::history().empty());
    EXPECT_EQ(MessageBox::history().back().text,
              q(world.root() + "/missing.tbl") + QStringLiteral(" was not found."));
}

TEST_F(ViewerTest, RecentFilesSurviveARestart)
{
    const std::string a = world.writeFile("a.tbl", "#A\r\n");
    const std::string b = world.writeFile("b.tbl", "#B\r\n");
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    EXPECT_TRUE(frame()->recentFileActions().empty());
    ASSERT_TRUE(app->OpenDocumentFile(q(a)));
    ASSERT_TRUE(app->OpenDocumentFile(q(b)));
    ASSERT_TRUE(app->OpenDocumentFile(q(a))); // moves up, not listed twice

    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run); // a new run reads the store
    EXPECT_EQ(app->recentFiles().entries(), std::vector<std::string>({a, b}));
    EXPECT_EQ(qm::ReadRegString(qm::HKEY_CURRENT_USER, RecentFileList::kKey, "File1", ""), a);
    const auto& actions = frame()->recentFileActions();
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&2 ") + q(b));
    actions[1]->trigger();
    EXPECT_EQ(app->document()->GetPathName(), q(b));
    EXPECT_EQ(tree()->topLevelItem(1)->text(0), QStringLiteral("B"));

    // An entry that no longer opens leaves the list.
    QFile::remove(q(a));
    frame()->recentFileActions()[1]->trigger();
    EXPECT_EQ(app->recentFiles().entries(), std::vector<std::string>({b}));

    // At most ten are kept.
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(
            app->OpenDocumentFile(q(world.writeFile("t" + std::to_string(i) + ".tbl", "x"))));
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    EXPECT_EQ(app->recentFiles().entries().size(), 10);
    EXPECT_EQ(app->recentFiles().entries().front(), world.root() + "/t11.tbl");
}

TEST_F(ViewerTest, FailedLoadKeepsThePreviousPageAndTree)
{
    const std::string weapons = world.writeFile("weapons.tbl", kWeapons);
    ASSERT_EQ(start({q(weapons)}), CGRIDLENS32LApp::Start::Run);
    const std::string page = pageBytes();
    const int lines = view()->page().lineCount();

    const QString missing = q(world.root() + "/gone.tbl");
    EXPECT_FALSE(app->OpenDocumentFile(missing));
    const QString folder = q(world.makeDir("folder.tbl"));
    EXPECT_FALSE(app->OpenDocumentFile(folder));
    ASSERT_EQ(MessageBox::history().size(), 2u);
    EXPECT_EQ(MessageBox::history()[0].text, missing + QStringLiteral(" was not found."));
    EXPECT_EQ(MessageBox::history()[1].text,
              QStringLiteral("Access to ") + folder + QStringLiteral(" was denied."));
    EXPECT_EQ(MessageBox::history()[0].caption,
              QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition)"));

    EXPECT_EQ(pageBytes(), page);
    EXPECT_EQ(view()->page().lineCount(), lines);
    EXPECT_EQ(tree()->topLevelItemCount(), 4);
    EXPECT_EQ(app->document()->GetTitle(), QStringLiteral("weapons.tbl"));
    EXPECT_EQ(app->recentFiles().entries(), std::vector<std::string>({weapons}));
}

TEST_F(ViewerTest, NewDocumentAndEmptyTableShowNothingAndSaveWritesNothing)
{
    const std::string weapons = world.writeFile("weapons.tbl", kWeapons);
    ASSERT_EQ(start({q(weapons)}), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame()));
    const QDateTime before = QFileInfo(q(weapons)).lastModified();
    QTest::keyClick(frame(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(qm::test::readFileBytes(weapons), kWeapons);
    EXPECT_EQ(QFileInfo(q(weapons)).lastModified(), before);
    const std::string emptyPage = "<html>\r\n<body background=white>\r\n</body>\r\n</html>\r\n";

    QTest::keyClick(frame(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(frame()->windowTitle(),
              QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition) - Untitled"));
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_EQ(pageBytes(), emptyPage);
    EXPECT_EQ(view()->page().lineText(0), QString());
    EXPECT_FALSE(frame()->action(CommandId::FileExport)->isEnabled());

    ASSERT_TRUE(app->OpenDocumentFile(q(weapons)));
    ASSERT_TRUE(app->OpenDocumentFile(q(world.writeFile("empty.tbl", ""))));
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_EQ(pageBytes(), emptyPage);
    EXPECT_TRUE(frame()->action(CommandId::FileExport)->isEnabled());
    EXPECT_EQ(frame()->windowTitle(),
              QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition) - empty.tbl"));
}

TEST_F(ViewerTest, TempPageThatCannotBeCreatedEndsTheProgram)
{
    world.setEnv("TEMP", world.root() + "/missing/");
    world.unsetEnv("XDG_RUNTIME_DIR");
    EXPECT_EQ(start(), CGRIDLENS32LApp::Start::Failed);
    ASSERT_EQ(MessageBox::history().size(), 1u);
    EXPECT_EQ(MessageBox::history()[0].text,
              QStringLiteral("Failed to create file in temporary directory:\n\n") +
                  q(world.root() + "/missing/") + QStringLiteral("\n\nProgram will abort."));
    EXPECT_EQ(MessageBox::history()[0].icon, QMessageBox::Warning);
}

TEST_F(ViewerTest, BadTablesLoadWithoutHarm)
{
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    // Binary bytes, one long line without line end, and more sections than anchors.
    std::string binary;
    for (int i = 0; i < 70000; ++i)
        binary.push_back(char((i * 7919) & 0xFF));
    EXPECT_TRUE(app->OpenDocumentFile(q(world.writeFile("binary.tbl", binary))));
    EXPECT_TRUE(app->OpenDocumentFile(q(world.writeFile("line.tbl", std::string(300000, 'x')))));
    EXPECT_GT(view()->contentWidth(), 100000);
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "#S" + std::to_string(i) + "\r\n";
    ASSERT_TRUE(app->OpenDocumentFile(q(world.writeFile("many.tbl", many))));
    EXPECT_EQ(tree()->topLevelItemCount(), 16384);
    EXPECT_TRUE(app->OpenDocumentFile(q(world.writeFile("lf.tbl", "#A\n$Name: b\n"))));
    EXPECT_EQ(tree()->topLevelItemCount(), 2); // "(Top)" and "A" with its entry
    EXPECT_EQ(tree()->topLevelItem(1)->childCount(), 1);

    // An encrypted table shows the error page, no tree, and can be exported.
    EXPECT_TRUE(app->OpenDocumentFile(q(world.writeFile("enc.tbl", "\xEF\xBE\xAD\xDE#S\r\n"))));
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_EQ(view()->page().lineText(0), QStringLiteral("ERROR:"));
    EXPECT_TRUE(frame()->action(CommandId::FileExport)->isEnabled());
    EXPECT_TRUE(MessageBox::history().empty());
}

TEST_F(ViewerTest, F6MovesTheFocusBetweenThePanes)
{
    ASSERT_EQ(start({q(world.writeFile("weapons.tbl", kWeapons))}), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame()));
    view()->setFocus();
    QTest::keyClick(frame(), Qt::Key_F6);
    EXPECT_TRUE(tree()->hasFocus());
    QTest::keyClick(frame(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(view()->hasFocus());
}

TEST_F(ViewerTest, DroppedFilesAreOpenedInTurn)
{
    const std::string a = world.writeFile("a.tbl", "#A\r\n");
    const std::string b = world.writeFile("b.tbl", "#B\r\n");
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(q(a)), QUrl::fromLocalFile(q(b))});
    QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame(), &drop);
    EXPECT_EQ(app->document()->GetPathName(), q(b));
    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->topLevelItem(1)->text(0), QStringLiteral("B"));
    EXPECT_EQ(app->recentFiles().entries(), std::vector<std::string>({b, a}));
}

} // namespace

namespace {

TEST_F(ViewerTest, DraggingSelectsTextThatCopiesToTheClipboard)
{
    ASSERT_EQ(start({q(world.writeFile("weapons.tbl", kWeapons))}), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    frame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame()));
    QWidget* port = view()->viewport();
    const int m = CGRIDLENS32LView::kMargin, h = view()->lineHeight();
    // From the start of line 1 to past the end of line 2.
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(m, m + h + h / 2));
    QTest::mouseMove(port, QPoint(port->width() - 2, m + 2 * h + h / 2));
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(port->width() - 2, m + 2 * h + h / 2));
    EXPECT_EQ(view()->selectedText(), QStringLiteral("$Name: Orphan\n#Primary Weapons"));
    view()->setFocus();
    QTest::keyClick(port, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("$Name: Orphan\n#Primary Weapons"));

    QTest::keyClick(port, Qt::Key_A, Qt::ControlModifier);
    const QStringList all = view()->selectedText().split('\n');
    EXPECT_EQ(all.size(), view()->page().lineCount());
    EXPECT_EQ(all.value(4), QStringLiteral("    +Damage: 10")); // the indent copies as blanks
}

} // namespace
