#include "setup_ui_support.h"

#include "common/settings.h"
#include "setup/records.h"

#include <QDirIterator>

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

std::set<std::string> SetupUiTest::filesOfWorld() const
{
    std::set<std::string> out;
    QDirIterator it(QString::fromStdString(world.root()), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::string p = it.next().toStdString();
        if (p.rfind(world.registryPath(), 0) != 0)
            out.insert(p.substr(world.root().size() + 1));
    }
    return out;
}

} // namespace qmsetup::test
