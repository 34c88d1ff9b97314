// The viewer as a user meets it: start, open, tree, jumps, export, print,
// recent files, bad files.
#include "common/settings.h"
#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "platform/file_system.h"
#include "support/temp_world.h"
#include "tblview/ui/find_bar.h"
#include "tblview/ui/gridlens_app.h"
#include "tblview/ui/gridlens_doc.h"
#include "tblview/ui/gridlens_view.h"
#include "tblview/ui/left_view.h"
#include "tblview/ui/main_frame.h"
#include "tblview/ui/print_dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    // Opens a table and brings the window up, active, as a user sees it.
    void openActive(const std::string& table)
    {
        ASSERT_EQ(start({q(table)}), CGRIDLENS32LApp::Start::Run);
        frame()->show();
        frame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame()));
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
    ASSERT_NO_FATAL_FAILURE(openActive(weapons));
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
    ASSERT_NO_FATAL_FAILURE(openActive(world.writeFile("weapons.tbl", kWeapons)));
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

// The arrow and page keys step the page as the scroll bars' own buttons do;
// Home and End go to the top and to the end.
TEST_F(ViewerTest, KeysScrollThePageAsTheScrollBarsDo)
{
    const std::string wide = "; " + std::string(2000, 'w') + "\r\n";
    ASSERT_NO_FATAL_FAILURE(openActive(world.writeFile("keys.tbl", wide + longTable(10, 5, 20))));
    QScrollBar* v = view()->verticalScrollBar();
    QScrollBar* h = view()->horizontalScrollBar();
    ASSERT_GT(v->maximum(), v->pageStep() + v->singleStep());
    ASSERT_GT(h->maximum(), h->singleStep());
    ASSERT_EQ(v->value(), 0);

    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(v->value(), v->singleStep());
    QTest::keyClick(view(), Qt::Key_PageDown);
    EXPECT_EQ(v->value(), v->singleStep() + v->pageStep());
    QTest::keyClick(view(), Qt::Key_PageUp);
    QTest::keyClick(view(), Qt::Key_Up);
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(h->value(), h->singleStep());
    EXPECT_EQ(v->value(), 0);
    QTest::keyClick(view(), Qt::Key_Left);
    EXPECT_EQ(h->value(), 0);
    QTest::keyClick(view(), Qt::Key_End);
    EXPECT_EQ(v->value(), v->maximum());
    QTest::keyClick(view(), Qt::Key_Home);
    EXPECT_EQ(v->value(), 0);
}

TEST_F(ViewerTest, DraggingSelectsTextThatCopiesToTheClipboard)
{
    ASSERT_NO_FATAL_FAILURE(openActive(world.writeFile("weapons.tbl", kWeapons)));
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

namespace {

const char* const kLfWeapons = "#Primary Weapons\n"
                               "$Name: \"Laser\"   ; the laser\n"
                               "\t+Damage: 10\n"
                               "$Name: Zerst\xF6rer\n"
                               "\t$Flags: ( \"in tech database\" \"player allowed\" )\n"
                               "#Secondary Weapons\n"
                               "$Name: Rocket\n"
                               "\t+Damage: 100\n"
                               "$Name: Laser Rocket\n"
                               "#End\n";

QStringList treeTexts(QTreeWidget* tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        texts << QString(2 * ((*it)->parent() ? 1 : 0), QLatin1Char(' ')) + (*it)->text(0);
    return texts;
}

TEST_F(ViewerTest, LfOnlyTableShowsItsLinesLikeItsCrLfTwin)
{
    std::string crlf = kLfWeapons;
    for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2))
        crlf.insert(at, 1, '\r');
    ASSERT_EQ(start({q(world.writeFile("crlf.tbl", crlf))}), CGRIDLENS32LApp::Start::Run);
    const std::string crlfPage = pageBytes();
    const QStringList crlfTree = treeTexts(tree());
    ASSERT_TRUE(app->OpenDocumentFile(q(world.writeFile("lf.tbl", kLfWeapons))));
    EXPECT_EQ(pageBytes(), crlfPage);
    EXPECT_EQ(treeTexts(tree()), crlfTree);
    EXPECT_EQ(tree()->topLevelItemCount(), 3);
    EXPECT_EQ(view()->page().lineText(2), QString(4, QChar(0xA0)) + QStringLiteral("+Damage: 10"));
}

TEST_F(ViewerTest, WindowsBytesShowByTheDisplayRuleAndThePageKeepsThem)
{
    const std::string table = world.writeFile("Zerst\xF6rer.tbl", kLfWeapons);
    // The name is Windows-1252 bytes, as a game folder copied from Windows has it.
    app = std::make_unique<CGRIDLENS32LApp>();
    ASSERT_EQ(app->InitInstance({table}), CGRIDLENS32LApp::Start::Run);
    EXPECT_EQ(frame()->windowTitle(),
              QStringLiteral("Quorvel Manager GRIDLENS32 (Light Edition) - Zerst\u00f6rer.tbl"));
    EXPECT_EQ(tree()->topLevelItem(1)->child(1)->text(0), QStringLiteral("Zerst\u00f6rer"));
    EXPECT_EQ(view()->page().lineText(3), QStringLiteral("$Name: Zerst\u00f6rer"));
    EXPECT_NE(pageBytes().find("Zerst\xF6rer\r"), std::string::npos); // the page stays byte-exact
    EXPECT_EQ(app->recentFiles().entries().front(), table);
    qm::fs::RemoveFile(table); // a name the temporary folder's clean-up cannot spell
}

TEST_F(ViewerTest, EachViewerExportsItsOwnPage)
{
    const std::string objects = world.writeFile("objecttypes.tbl", "#Objects\r\n$Name: Crate\r\n");
    const std::string weapons = world.writeFile("weapons.tbl", kLfWeapons);
    // Two viewers, as two processes of one user would run them.
    ASSERT_EQ(start({q(objects)}), CGRIDLENS32LApp::Start::Run);
    CGRIDLENS32LApp other;
    ASSERT_EQ(other.InitInstance({weapons}), CGRIDLENS32LApp::Start::Run);
    EXPECT_NE(other.TempPagePath, app->TempPagePath);
    EXPECT_NE(qm::fs::FolderOf(other.TempPagePath), qm::fs::FolderOf(app->TempPagePath));

    const std::string target = world.root() + "/objecttypes.html";
    FileDialog::setNextFileName(q(target));
    frame()->action(CommandId::FileExport)->trigger();
    const std::string exported = qm::test::readFileBytes(target);
    EXPECT_NE(exported.find("Crate"), std::string::npos);
    EXPECT_EQ(exported.find("Laser"), std::string::npos);
    EXPECT_EQ(exported, pageBytes());
}

TEST_F(ViewerTest, FifoNamedLikeATableIsRefusedAtStartAndOpen)
{
    const std::string fifo = world.root() + "/pipe.tbl";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opening it for reading would wait for a writer that never comes.
    EXPECT_EQ(start({q(fifo)}), CGRIDLENS32LApp::Start::Failed);
    ASSERT_EQ(MessageBox::history().size(), 1u);
    EXPECT_EQ(MessageBox::history()[0].text,
              QStringLiteral("Access to %1 was denied.").arg(q(fifo)));

    ASSERT_EQ(start({q(world.writeFile("weapons.tbl", kLfWeapons))}), CGRIDLENS32LApp::Start::Run);
    FileDialog::setNextFileName(q(fifo));
    frame()->action(CommandId::FileOpen)->trigger();
    EXPECT_EQ(MessageBox::history().size(), 2u);
    EXPECT_EQ(app->document()->GetTitle(), QStringLiteral("weapons.tbl"));
}

TEST_F(ViewerTest, PrintRangeIsHonouredAndOnlyRangesAreOffered)
{
    const QString pdf = q(world.root() + "/range.pdf");
    int from = 0, to = 0;
    PrintDialogs::setPrinterOverride([&](QPrinter& p, const QString&) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        if (from > 0) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(from, to);
        }
    });
    ASSERT_EQ(start({q(world.writeFile("long.tbl", longTable(10, 5, 20)))}),
              CGRIDLENS32LApp::Start::Run);
    PrintDialogs::setNextAnswer(true);
    frame()->action(CommandId::FilePrint)->trigger();
    const int all = pdfPages(pdf);
    ASSERT_GT(all, 4);

    from = 2;
    to = 3;
    PrintDialogs::setNextAnswer(true);
    frame()->action(CommandId::FilePrint)->trigger();
    EXPECT_EQ(pdfPages(pdf), 2);
    const QString text = pdfText(pdf);
    EXPECT_FALSE(text.contains(QStringLiteral("Section 0"))) << "page 1 is left out";
    EXPECT_FALSE(text.contains(QStringLiteral("Item 9.4"))) << "the last page is left out";

    // The real dialog offers a range, no selection and no current page, and
    // proposes the table's name for a PDF.
    PrintDialogs::setPrinterOverride(nullptr);
    app->printer().setOutputFileName(QString());
    app->printer().setOutputFormat(QPrinter::NativeFormat);
    bool checked = false;
    PrintDialogs::setDialogHook([&](QPrintDialog& dialog) {
        EXPECT_TRUE(dialog.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintSelection));
        EXPECT_FALSE(dialog.testOption(QAbstractPrintDialog::PrintCurrentPage));
        EXPECT_EQ(dialog.printer()->docName(), QStringLiteral("long.tbl"));
        QTimer::singleShot(0, &dialog, [&] {
            // Read while the dialog is up, after Qt filled it in.
            auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
            ASSERT_TRUE(file);
            EXPECT_TRUE(file->text().endsWith(QStringLiteral("/long.pdf")))
                << file->text().toStdString();
            checked = true;
            dialog.reject();
        });
    });
    frame()->action(CommandId::FilePrint)->trigger();
    PrintDialogs::setDialogHook(nullptr);
    EXPECT_TRUE(checked);
}

TEST_F(ViewerTest, UnknownPrinterIsNamedAndMarginsAreAtLeastTenMillimetres)
{
    const std::string table = world.writeFile("weapons.tbl", kLfWeapons);
    EXPECT_EQ(start({QStringLiteral("-pt"), q(table), QStringLiteral("No Such Printer 42")}),
              CGRIDLENS32LApp::Start::Failed);
    ASSERT_FALSE(MessageBox::history().empty());
    EXPECT_EQ(MessageBox::history().back().text,
              QStringLiteral("The page could not be printed on \"No Such Printer 42\"."));

    printToPdf(q(world.root() + "/m.pdf"));
    ASSERT_EQ(start({q(table)}), CGRIDLENS32LApp::Start::Run);
    const QMarginsF margins = app->printer().pageLayout().margins(QPageLayout::Millimeter);
    const QMarginsF least = app->printer().pageLayout().minimumMargins();
    for (qreal m : {margins.left(), margins.top(), margins.right(), margins.bottom()})
        EXPECT_GE(m, 10.0 - 1e-6);
    EXPECT_GE(margins.left() + 1e-6, least.left());
}

TEST_F(ViewerTest, TreeDrawsLinesAndButtonsFromTheRoot)
{
    ASSERT_EQ(start({q(world.writeFile("weapons.tbl", kLfWeapons))}), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame()));
    tree()->expandAll();
    const QImage shot = tree()->viewport()->grab().toImage();
    const QRgb base = shot.pixel(shot.width() - 1, shot.height() - 1);
    const int indent = tree()->indentation();
    // Nothing but lines and buttons is drawn left of an item's text.
    const auto inkIn = [&](int x0, int x1, const QRect& row) {
        int n = 0;
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = x0; x < x1; ++x)
                n += shot.pixel(x, y) != base;
        return n;
    };
    const auto longestRun = [&](int x0, int x1, const QRect& row, bool vertical) {
        int best = 0;
        for (int a = vertical ? x0 : row.top(); a < (vertical ? x1 : row.bottom()); ++a) {
            int run = 0;
            for (int b = vertical ? row.top() : x0; b < (vertical ? row.bottom() : x1); ++b) {
                const QRgb c = vertical ? shot.pixel(a, b) : shot.pixel(b, a);
                run = c != base ? run + 1 : 0;
                best = std::max(best, run);
            }
        }
        return best;
    };
    const QRect top = tree()->visualItemRect(tree()->topLevelItem(0));
    const QRect child = tree()->visualItemRect(tree()->topLevelItem(1)->child(0));
    EXPECT_GT(inkIn(0, indent, top), 4) << "a line at the root, before a leaf";
    EXPECT_GT(inkIn(indent, 2 * indent, child), 4) << "a line to the child";
    EXPECT_GT(inkIn(0, indent, child), 4) << "the parent's line passes the child";
    // A section's button is a box: straight edges across and down.
    const QRect section = tree()->visualItemRect(tree()->topLevelItem(1));
    EXPECT_GE(longestRun(0, indent, section, false), 7);
    EXPECT_GE(longestRun(0, indent, section, true), 7);
}

TEST_F(ViewerTest, LoadingShowsWaitCursorAndProgressInTheStatusBar)
{
    ASSERT_EQ(start(), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    std::vector<int> seen;
    bool waitCursor = true, barShown = true;
    QObject::connect(app->document(), &CGRIDLENS32LDoc::loadProgress, frame(), [&](int percent) {
        seen.push_back(percent);
        waitCursor &= QApplication::overrideCursor() &&
                      QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        barShown &= !frame()->loadProgressBar()->isHidden() &&
                    frame()->loadProgressBar()->value() == percent;
    });
    ASSERT_TRUE(app->OpenDocumentFile(q(world.writeFile("long.tbl", longTable(80, 20, 40)))));
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(waitCursor);
    EXPECT_TRUE(barShown);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(frame()->loadProgressBar()->isHidden());
    EXPECT_EQ(frame()->statusBar()->currentMessage(), QStringLiteral("Ready"));
}

TEST_F(ViewerTest, FindBarFindsInThePageAndTheTreeFollows)
{
    ASSERT_NO_FATAL_FAILURE(openActive(world.writeFile("weapons.tbl", kLfWeapons)));
    FindBar* bar = frame()->findBar();
    EXPECT_TRUE(bar->isHidden());
    QTest::keyClick(frame(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->textEdit()->hasFocus());

    QTest::keyClicks(bar->textEdit(), QStringLiteral("laser"));
    QTest::keyClick(bar->textEdit(), Qt::Key_Return);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("Laser"));
    EXPECT_EQ(tree()->currentItem(), tree()->itemOfAnchor(2)); // the entry it stands in
    EXPECT_EQ(bar->statusLabel()->text(), QStringLiteral("3 matches"));
    QTest::keyClick(frame(), Qt::Key_F3); // "the laser" on the same line
    EXPECT_EQ(view()->selectedText(), QStringLiteral("laser"));
    QTest::keyClick(frame(), Qt::Key_F3);
    EXPECT_EQ(tree()->currentItem(), tree()->itemOfAnchor(6)); // "Laser Rocket"
    QTest::keyClick(frame(), Qt::Key_F3);                      // round the end
    EXPECT_EQ(tree()->currentItem(), tree()->itemOfAnchor(2));
    EXPECT_TRUE(bar->statusLabel()->text().contains(QStringLiteral("continued from the top")));
    QTest::keyClick(frame(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(tree()->currentItem(), tree()->itemOfAnchor(6));
    EXPECT_TRUE(bar->statusLabel()->text().contains(QStringLiteral("continued from the bottom")));

    // The display rule reaches the search: "ö" finds the Windows-1252 byte.
    bar->textEdit()->setText(QStringLiteral("ZERST\u00d6RER"));
    QTest::keyClick(bar->textEdit(), Qt::Key_Return);
    EXPECT_EQ(view()->selectedText(), QStringLiteral("Zerst\u00f6rer"));
    bar->matchCaseBox()->setChecked(true);
    QTest::keyClick(bar->textEdit(), Qt::Key_Return);
    EXPECT_EQ(bar->statusLabel()->text(), QStringLiteral("Not found"));
    bar->matchCaseBox()->setChecked(false);

    // Whole words: "Damage" in "+Damage:" but not in a longer word.
    bar->wholeWordBox()->setChecked(true);
    bar->textEdit()->setText(QStringLiteral("Rocke"));
    QTest::keyClick(bar->textEdit(), Qt::Key_Return);
    EXPECT_EQ(bar->statusLabel()->text(), QStringLiteral("Not found"));
    bar->wholeWordBox()->setChecked(false);

    // In the tree's names: the item is chosen and the page goes there.
    bar->treeNamesBox()->setChecked(true);
    bar->textEdit()->setText(QStringLiteral("secondary"));
    QTest::keyClick(bar->textEdit(), Qt::Key_Return);
    EXPECT_EQ(tree()->currentItem(), tree()->itemOfAnchor(4));
    const int line = view()->page().lineOfAnchor("4");
    EXPECT_EQ(view()->page().lineText(line), QStringLiteral("#Secondary Weapons"));
    EXPECT_GE(line, view()->firstVisibleLine());
    EXPECT_LT(line, view()->firstVisibleLine() + view()->visibleLineCount());

    QTest::keyClick(bar->textEdit(), Qt::Key_Escape);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(view()->hasFocus());
}

TEST_F(ViewerTest, WrapLongLinesIsRememberedAndWrapsTheView)
{
    std::string table = "#Lists\r\n$Flags: (";
    for (int i = 0; i < 200; ++i)
        table += " \"flag_" + std::to_string(i) + "\"";
    table += " )\r\n";
    ASSERT_EQ(start({q(world.writeFile("lists.tbl", table))}), CGRIDLENS32LApp::Start::Run);
    frame()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame()));
    QAction* wrap = frame()->action(CommandId::ViewWrap);
    ASSERT_TRUE(wrap->isCheckable());
    EXPECT_FALSE(wrap->isChecked());
    EXPECT_GT(view()->horizontalScrollBar()->maximum(), 0);

    wrap->trigger();
    EXPECT_TRUE(view()->wrapLongLines());
    EXPECT_EQ(view()->horizontalScrollBar()->maximum(), 0);
    const QImage shot = view()->viewport()->grab().toImage();
    // The long line fills several rows: text far below the first two lines.
    int lowestInk = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, y).value() < 128)
                lowestInk = y;
    EXPECT_GT(lowestInk, CGRIDLENS32LView::kMargin + 4 * view()->lineHeight());

    ASSERT_EQ(start({q(world.root() + "/lists.tbl")}), CGRIDLENS32LApp::Start::Run);
    EXPECT_TRUE(frame()->action(CommandId::ViewWrap)->isChecked());
    EXPECT_TRUE(view()->wrapLongLines());
    frame()->action(CommandId::ViewWrap)->trigger();
    EXPECT_EQ(
        qm::ReadRegDword(qm::HKEY_CURRENT_USER, CMainFrame::SettingsKey(), "WrapLongLines", 7), 0u);
}

} // namespace
