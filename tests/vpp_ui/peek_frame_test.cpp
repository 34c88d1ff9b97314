#include "common/settings.h"
#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "demo/demo_game/packfile_builder.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "support/temp_world.h"
#include "vpp/ui/entry_model.h"
#include "vpp/ui/peek_frame.h"
#include "vpp/ui/progress.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeView>
#include <cstdlib>
#include <gmock/gmock.h>

namespace packpeek::test {
namespace {

using ::testing::HasSubstr;
using Shown = qm::ui::MessageBox::Shown;

class PeekFrameTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override
    {
        qm::ui::MessageBox::clearHistory();
        qm::ui::MessageBox::setAutoAnswer(true);
        // Written byte by byte from the format, not by our writer.
        packfile = world.writeFile(
            "maps/Glass House.vpp",
            qm::demo::BuildVpp(
                {{"glass house.rfl", qm::demo::BuildRfl("Glass House", "Volition", "12/11/01")},
                 {"items.tbl", "#Items\n$Name: \"Pistol\"\n"},
                 {"readme", "made with care\n"},
                 {"wall.tga", std::string("\0\0\x02\0", 4) + std::string(95, 'p')},
                 {"caf\xE9.txt", std::string(9, 'c')}}));
    }
    void TearDown() override
    {
        qm::ui::MessageBox::setAutoAnswer(false);
        packtools::ProgressRunner::setCancelAfter(0);
    }
    QStringList column(const CMainFrame& frame, int c)
    {
        QStringList out;
        auto* model = frame.view()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->index(r, c).data().toString();
        return out;
    }
    void selectRow(CMainFrame& frame, const QString& name)
    {
        auto* model = frame.view()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 0).data().toString() == name)
                frame.view()->setCurrentIndex(model->index(r, 0));
    }
    std::string packfile;
};

TEST_F(PeekFrameTest, ListsSortsAndFiltersTheEntries)
{
    CMainFrame frame;
    ASSERT_TRUE(frame.OpenPackfile(packfile));
    EXPECT_EQ(column(frame, 0),
              (QStringList{"glass house.rfl", "items.tbl", "readme", "wall.tga", "café.txt"}));
    EXPECT_EQ(column(frame, 2)[0], "Level");
    EXPECT_EQ(column(frame, 3)[1], QString("%1").arg(4096 + 2048).insert(1, ','));
    EXPECT_THAT(frame.statusLabel()->text().toStdString(), HasSubstr("5 entries, "));
    EXPECT_TRUE(qm::ui::MessageBox::history().empty()) << "a sound packfile opens quietly";

    // Sizes sort as numbers: 9 before 16 before 99.
    frame.view()->sortByColumn(packtools::EntryModel::Size, Qt::AscendingOrder);
    EXPECT_EQ(column(frame, 0).mid(0, 3), (QStringList{"café.txt", "readme", "items.tbl"}));

    frame.filterEdit()->setText("T");
    EXPECT_EQ(column(frame, 0), (QStringList{"café.txt", "items.tbl", "wall.tga"}));
    if (const char* shots = std::getenv("QM_SCREENSHOT_DIR")) {
        frame.show();
        QApplication::processEvents();
        frame.grab().save(QString::fromLocal8Bit(shots) + "/packpeek32.png");
    }
    EXPECT_THAT(frame.statusLabel()->text().toStdString(), HasSubstr("3 of 5 entries shown"));
}

TEST_F(PeekFrameTest, ABadPackfileIsReportedAndTheListStays)
{
    CMainFrame frame;
    ASSERT_TRUE(frame.OpenPackfile(packfile));
    std::string cut = qm::test::readFileBytes(packfile).substr(0, 2100);
    EXPECT_FALSE(frame.OpenPackfile(world.writeFile("cut.vpp", cut)));
    ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
    EXPECT_THAT(qm::ui::MessageBox::history()[0].text.toStdString(),
                HasSubstr("directory of 5 entries"));
    EXPECT_EQ(column(frame, 0).size(), 5);
    EXPECT_EQ(frame.packfilePath(), packfile);
}

TEST_F(PeekFrameTest, OpensLevelsTablesAndTextEachTheirWay)
{
    qm::RecordingProcessStarter recorder;
    qm::ScopedProcessStarter guard{&recorder};
    const std::string viewer = world.writeFile("QuorvelManager/GRIDLENS32L/gridlens32l", "");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGridLensRecordKey, "EXE", viewer);
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, kGridLensRecordKey, "Path",
                       qm::fs::FolderOf(viewer));
    std::string privateFolder;
    {
        CMainFrame frame;
        ASSERT_TRUE(frame.OpenPackfile(packfile));

        selectRow(frame, "glass house.rfl");
        frame.OnOpenEntry();
        ASSERT_EQ(qm::ui::MessageBox::history().size(), 1u);
        EXPECT_EQ(qm::ui::MessageBox::history()[0].text,
                  "Level name:\tGlass House\nAuthor:\tVolition\nDate:\t12/11/01");

        selectRow(frame, "items.tbl");
        frame.OnOpenEntry();
        ASSERT_EQ(recorder.requests().size(), 1u);
        const qm::ProcessStartRequest& start = recorder.requests()[0];
        EXPECT_EQ(start.program, viewer);
        ASSERT_EQ(start.arguments.size(), 1u);
        privateFolder = frame.privateFolder();
        EXPECT_EQ(start.arguments[0], privateFolder + "/items.tbl");
        EXPECT_EQ(qm::test::readFileBytes(start.arguments[0]), "#Items\n$Name: \"Pistol\"\n");
        EXPECT_EQ(qm::fs::Stat(privateFolder).mode & 077, 0u);

        selectRow(frame, "readme");
        frame.OnOpenEntry();
        auto* text = frame.findChild<QPlainTextEdit*>();
        ASSERT_TRUE(text);
        EXPECT_EQ(text->toPlainText(), "made with care\n");

        // Not shown here: the offer to extract, answered No.
        qm::ui::MessageBox::setNextAnswer(QMessageBox::No);
        selectRow(frame, "wall.tga");
        frame.OnOpenEntry();
        EXPECT_THAT(qm::ui::MessageBox::history().back().text.toStdString(),
                    HasSubstr("cannot be shown here"));
    }
    EXPECT_FALSE(qm::fs::Exists(privateFolder)) << "removed on exit";
}

TEST_F(PeekFrameTest, ExtractAllAndACancelledExtraction)
{
    CMainFrame frame;
    ASSERT_TRUE(frame.OpenPackfile(packfile));
    const std::string out = world.makeDir("out");
    qm::ui::FileDialog::setNextFileName(QString::fromStdString(out));
    frame.action(packtools::CommandId::EntryExtractAll)->trigger();
    EXPECT_EQ(qm::test::readFileBytes(out + "/café.txt"), std::string(9, 'c'));
    EXPECT_TRUE(qm::fs::IsRegularFile(out + "/glass house.rfl"));

    // An existing file: the question, answered Cancel, stops before anything is written.
    const std::string again = world.makeDir("again");
    world.writeFile("again/items.tbl", "mine");
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(frame.ExtractTo({1, 2}, again));
    EXPECT_EQ(qm::test::readFileBytes(again + "/items.tbl"), "mine");
    EXPECT_FALSE(qm::fs::Exists(again + "/readme"));

    packtools::ProgressRunner::setCancelAfter(1);
    const std::string cancelled = world.makeDir("cancelled");
    EXPECT_FALSE(frame.ExtractTo({3}, cancelled));
    std::vector<qm::fs::FolderEntry> left;
    qm::fs::ListFolder(cancelled, &left);
    EXPECT_TRUE(left.empty());
}

} // namespace
} // namespace packpeek::test
