#include "common/ui/file_dialog.h"
#include "common/ui/message_box.h"
#include "demo/demo_game/packfile_builder.h"
#include "launcher/packfile.h"
#include "platform/file_system.h"
#include "support/temp_world.h"
#include "vpp/ui/forge_frame.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdlib>
#include <gmock/gmock.h>

namespace packforge::test {
namespace {

using ::testing::HasSubstr;

class ForgeFrameTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override
    {
        qm::ui::MessageBox::clearHistory();
        qm::ui::MessageBox::setAutoAnswer(true);
        rfl = world.writeFile("src/Glass House.rfl",
                              qm::demo::BuildRfl("Glass House", "Volition", "12/11/01"));
        world.writeFile("src/textures/wall.tga", std::string(3000, 't'));
        world.writeFile("src/textures/floor.tga", std::string(10, 'f'));
        world.writeFile("src/textures/deep/sky.tga", "s");
    }
    void TearDown() override { qm::ui::MessageBox::setAutoAnswer(false); }
    std::string rfl;
};

TEST_F(ForgeFrameTest, TheNameIsCheckedAsItIsTyped)
{
    CMainFrame frame;
    std::string error;
    ASSERT_TRUE(frame.document().addBytes("a.tbl", "1", &error));
    ASSERT_TRUE(frame.document().addBytes("b.tbl", "2", &error));
    CNameDlg dlg(&frame, frame.document(), 1);
    EXPECT_EQ(dlg.edit()->text(), "b.tbl");
    EXPECT_TRUE(dlg.okButton()->isEnabled());
    dlg.edit()->setText("A.TBL");
    EXPECT_FALSE(dlg.okButton()->isEnabled());
    EXPECT_THAT(dlg.reason()->text().toStdString(), HasSubstr("already named \"a.tbl\""));
    dlg.edit()->setText(QString(60, 'x'));
    EXPECT_THAT(dlg.reason()->text().toStdString(), HasSubstr("60 bytes long"));
    dlg.edit()->setText("maps/x");
    EXPECT_THAT(dlg.reason()->text().toStdString(), HasSubstr("path separator"));
    dlg.edit()->setText("café.tbl");
    EXPECT_TRUE(dlg.okButton()->isEnabled());
    EXPECT_EQ(dlg.reason()->text(), "8 of 59 bytes used.");
    EXPECT_EQ(dlg.nameBytes(), "caf\xE9.tbl");

    // Every reason fits the dialog as shown: a shown dialog does not grow as the user types.
    ASSERT_TRUE(frame.document().addBytes(std::string(59, 'n'), "3", &error));
    dlg.show();
    for (const QString& typed : {QString(59, 'N'), QString(60, 'x'), QStringLiteral("A.TBL")}) {
        dlg.edit()->setText(typed);
        QLabel* reason = dlg.reason();
        EXPECT_GE(reason->height(), reason->heightForWidth(reason->width()))
            << reason->text().toStdString();
    }
}

TEST_F(ForgeFrameTest, ALevelPackfileIsNamedSoTheLauncherListsIt)
{
    CMainFrame frame;
    qm::ui::FileDialog::setNextFileName(QString::fromStdString(rfl));
    qm::ui::FileDialog::setNextFileName(QString::fromStdString(world.root() + "/src/textures"));
    frame.action(packtools::CommandId::FileNewLevel)->trigger();
    EXPECT_EQ(frame.view()->topLevelItemCount(), 3); // the level and the two textures beside it
    EXPECT_TRUE(frame.document().modified());
    if (const char* shots = std::getenv("QM_SCREENSHOT_DIR")) {
        frame.show();
        frame.selectIndex(1);
        QApplication::processEvents();
        frame.grab().save(QString::fromLocal8Bit(shots) + "/packforge32.png");
    }

    const std::string target = world.root() + "/src/Glass House.vpp";
    qm::ui::FileDialog::setNextFileName(QString::fromStdString(target));
    ASSERT_TRUE(frame.OnFileSave());
    EXPECT_EQ(qm::ui::FileDialog::lastDefaultPath().toStdString(), target);
    EXPECT_EQ(playdeck::ReadLevelInfo(target)->levelName, "Glass House");
    EXPECT_FALSE(frame.document().modified());
    EXPECT_TRUE(qm::ui::MessageBox::history().empty());
}

TEST_F(ForgeFrameTest, EditsSaveOverThePackfileAndCloseAsksFirst)
{
    const std::string pack = world.writeFile(
        "level.vpp", qm::demo::BuildVpp({{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}}));
    auto frame = std::make_unique<CMainFrame>();
    frame->show();
    ASSERT_TRUE(frame->OpenPackfile(pack));
    frame->selectIndex(2);
    frame->OnMove(-1);
    frame->selectIndex(0);
    frame->OnRemove();
    EXPECT_EQ(frame->AddPaths({world.root() + "/src/textures"}, true), 3);
    EXPECT_EQ(frame->AddPaths({world.root() + "/src/textures/wall.tga"}, false), 0);
    EXPECT_THAT(qm::ui::MessageBox::history().back().text.toStdString(),
                HasSubstr("already named"));

    // Unsaved: Cancel keeps the window, Yes saves before closing.
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->isVisible());
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Yes);
    EXPECT_TRUE(frame->close());

    std::string out;
    qm::vpp::Directory dir;
    ASSERT_TRUE(qm::vpp::ReadDirectory(pack, &dir, nullptr));
    std::vector<std::string> names;
    for (const auto& e : dir.entries)
        names.push_back(e.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"c.txt", "b.txt", "sky.tga", "floor.tga", "wall.tga"}));
    EXPECT_EQ(dir.entries[4].size, 3000u);
}

} // namespace
} // namespace packforge::test
