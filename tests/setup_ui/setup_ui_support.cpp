#include "setup_ui_support.h"

#include "common/settings.h"
#include "setup/records.h"

namespace qmsetup::test {

void SetupUiTest::SetUp()
{
    qm::ui::MessageBox::clearHistory();
    qm::ui::MessageBox::setAutoAnswer(true);
}

void SetupUiTest::TearDown()
{
    qm::ui::MessageBox::clearHistory();
}

std::string SetupUiTest::writeModule(const std::string& folder, const std::string& desc,
                                     const std::string& vers, const std::string& extra)
{
    return world.writeFile(folder + "/qm_modul.dat",
                           "[Module]\nName=" + desc + "\nLong=" + desc + "\nDesc=" + desc +
                               "\nVers=" + vers +
                               "\n[Installation]\nEXEfile=tool\n"
                               "DefaultDirectory=" +
                               world.home() + "/Tools/" + folder +
                               "\n[Description]\nWhileInstallation=About " + desc + "\n" + extra);
}

void SetupUiTest::writeRecord(const std::string& desc, int build, const std::string& version,
                              const std::string& path)
{
    const std::string key = std::string(kToolsKey) + "\\" + desc;
    ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_LOCAL_MACHINE, key, "Build", uint32_t(build)));
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Version", version));
    ASSERT_TRUE(qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, key, "Path", path));
}

std::vector<std::string> SetupUiTest::shownTexts() const
{
    std::vector<std::string> out;
    for (const auto& s : qm::ui::MessageBox::history())
        out.push_back(s.text.toStdString());
    return out;
}

} // namespace qmsetup::test
