#include "launcher/association.h"
#include "launcher/sibling_tools.h"
#include "launcher_fixture.h"
#include "platform/process_start.h"

#include <QTest>

namespace playdeck::test {
namespace {

class SiblingTest : public LauncherTest {
protected:
    void record(SiblingTool t, const std::string& exe, const std::string& path,
                std::optional<uint32_t> build = {}) const
    {
        const std::string key = SiblingRecordKey(t);
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "EXE", exe);
        qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Path", path);
        if (build)
            qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "Build", *build);
    }
    qm::RecordingProcessStarter recorder;
    qm::ScopedProcessStarter guard{&recorder};
};

TEST_F(SiblingTest, ViewAndEditKeysOpenTheSelectedPackfile)
{
    // PACKPEEK32 without "Build": the main window still starts it.
    record(SiblingTool::PackPeek, "/opt/peek/peek.exe", "/opt/peek");
    record(SiblingTool::PackForge, "/opt/forge/forge.exe", "/opt/forge");
    setDword("LastMode", 1);
    ASSERT_NE(start(), nullptr);
    select({rowOf(QStringLiteral("Lava Pit.vpp\t"))});
    QTest::keyClick(view, Qt::Key_F3);
    frame->action(CommandId::LevelEdit)->trigger();
    const std::string vpp = game + "user_maps/multi/Lava Pit.vpp";
    ASSERT_EQ(recorder.requests().size(), 2u);
    EXPECT_EQ(recorder.requests()[0],
              (qm::ProcessStartRequest{"/opt/peek/peek.exe", {vpp}, "/opt/peek", {}}));
    EXPECT_EQ(recorder.requests()[1],
              (qm::ProcessStartRequest{"/opt/forge/forge.exe", {vpp}, "/opt/forge", {}}));
    EXPECT_TRUE(qm::ui::MessageBox::history().empty());

    // Nothing for two rows, nor for a MOD row.
    select({0, 1});
    QTest::keyClick(view, Qt::Key_F3);
    frame->action(CommandId::ViewMods)->trigger();
    select({0});
    QTest::keyClick(view, Qt::Key_F4);
    EXPECT_EQ(recorder.requests().size(), 2u);
}

TEST_F(SiblingTest, MissingOrOutdatedToolsSayWhyAndStartNothing)
{
    // Build 104 with an empty path: outdated, not "could not find".
    record(SiblingTool::PackPeek, "", "", 104);
    ASSERT_NE(start(), nullptr);
    for (int i = 0; i < 3; ++i)
        qm::ui::MessageBox::setNextAnswer(QMessageBox::Ok);
    select({rowOf(QStringLiteral("Glass House.vpp\t"))});
    QTest::keyClick(view, Qt::Key_F3);
    QTest::keyClick(view, Qt::Key_F4);
    record(SiblingTool::PackPeek, "", "", 108);
    frame->action(CommandId::LevelView)->trigger();
    EXPECT_TRUE(recorder.requests().empty());

    const auto& shown = qm::ui::MessageBox::history();
    ASSERT_EQ(shown.size(), 3u);
    const std::vector<const char*> texts{kPeekOutdatedMessage, kForgeNotFoundMessage,
                                         kPeekNotFoundMessage};
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].text.toStdString(), texts[i]);
        EXPECT_EQ(shown[i].caption, QStringLiteral("Error"));
        EXPECT_EQ(shown[i].icon, QMessageBox::NoIcon);
        EXPECT_EQ(shown[i].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

TEST_F(SiblingTest, StartUpWithThePictureRewritesTheAssociation)
{
    const std::string script = world.root() + "/bin/_setup.reg";
    setDword("AssignVPP", 0);
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(qm::test::readFileBytes(script), "");

    // Also when the game then turns out to be missing.
    setDword("AssignVPP", 1);
    CPLAYDECK32App missing;
    missing.setExecutablePath(programPath());
    install(world.root() + "/nowhere");
    qm::ui::MessageBox::setNextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(missing.InitInstance({}));
    EXPECT_EQ(qm::test::readFileBytes(script), AssociationScriptText(programPath()));
    EXPECT_EQ(qm::ReadRegString(
                  qm::HKEY_LOCAL_MACHINE,
                  "Software\\Classes\\Quorvel.Manager.PLAYDECK32\\shell\\open\\command", "", ""),
              "\"" + programPath() + "\" \"%1\"");
}

} // namespace
} // namespace playdeck::test
