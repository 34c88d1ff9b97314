// The store under several real processes: concurrent writers and writers killed mid-import.
#include "common/registry_script.h"
#include "platform/exec_argv.h"
#include "platform/registry_store.h"
#include "support/temp_world.h"

#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace qm {
namespace {

using test::TempWorldTest;

const std::string kQmreg = std::string(QM_BIN_DIR) + "/qmreg";

pid_t spawnQmreg(const std::vector<std::string>& args)
{
    std::vector<std::string> all{kQmreg};
    all.insert(all.end(), args.begin(), args.end());
    const std::vector<char*> argv = ExecPointers(all);
    pid_t pid = -1;
    if (posix_spawn(&pid, kQmreg.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

// Exit code of a finished child, or -signal when a signal ended it.
int waitChild(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::string integrityCheck(const std::string& path)
{
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        result = "cannot run";
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return result;
}

class RegistryProcessesTest : public qm::test::TempWorldTest {};

TEST_F(RegistryProcessesTest, FourProcessesImportingAtOnceLoseNothing)
{
    constexpr int kProcs = 4, kScripts = 250;
    std::vector<std::vector<std::string>> files(kProcs);
    for (int p = 0; p < kProcs; ++p) {
        for (int i = 0; i < kScripts; ++i) {
            RegistryScript s;
            s.key("HKEY_CURRENT_USER\\Software\\Concurrency\\P" + std::to_string(p))
                .string("S" + std::to_string(i), "value " + std::to_string(p * 1000 + i))
                .key("HKEY_LOCAL_MACHINE\\Software\\Concurrency\\Shared")
                .dword("D" + std::to_string(p) + "_" + std::to_string(i), p * 1000 + i);
            files[p].push_back(world.writeFile(
                "scripts/" + std::to_string(p) + "_" + std::to_string(i) + ".reg", s.text()));
        }
    }
    // The store does not exist yet: the children also race to create it.
    std::vector<pid_t> pids;
    for (int p = 0; p < kProcs; ++p) {
        std::vector<std::string> args{"import"};
        args.insert(args.end(), files[p].begin(), files[p].end());
        pids.push_back(spawnQmreg(args));
        ASSERT_GT(pids.back(), 0);
    }
    for (pid_t pid : pids)
        EXPECT_EQ(waitChild(pid), 0);

    RegistryStore store(RegistryStore::Mode::ReadOnly);
    ASSERT_TRUE(store.ok()) << store.lastError();
    int found = 0;
    for (int p = 0; p < kProcs; ++p) {
        for (int i = 0; i < kScripts; ++i) {
            const auto s =
                store.value(HKEY_CURRENT_USER, "Software\\Concurrency\\P" + std::to_string(p),
                            "S" + std::to_string(i));
            const auto d = store.value(HKEY_LOCAL_MACHINE, "Software\\Concurrency\\Shared",
                                       "D" + std::to_string(p) + "_" + std::to_string(i));
            const uint32_t n = uint32_t(p * 1000 + i);
            const std::string dword{char(n & 0xff), char(n >> 8 & 0xff), char(n >> 16),
                                    char(n >> 24)};
            if (s && s->data == "value " + std::to_string(p * 1000 + i) + '\0' && d &&
                d->data == dword)
                ++found;
        }
    }
    EXPECT_EQ(found, kProcs * kScripts);
    std::cout << "[ RESULT   ] concurrent imports: " << found << " of " << kProcs * kScripts
              << " scripts fully present\n";
    RecordProperty("scripts_present", found);
    EXPECT_EQ(integrityCheck(world.registryPath()), "ok");
}

TEST_F(RegistryProcessesTest, ImportKilledAtARandomMomentIsAllOrNothing)
{
    constexpr int kKeys = 10, kPerKey = 1000, kRuns = 50;
    RegistryScript s;
    for (int k = 0; k < kKeys; ++k) {
        s.key("HKEY_LOCAL_MACHINE\\Software\\Atomic\\Key" + std::to_string(k));
        for (int i = 0; i < kPerKey; ++i) {
            if (i % 2)
                s.dword("Value" + std::to_string(i), uint32_t(k * kPerKey + i));
            else
                s.string("Value" + std::to_string(i), "text " + std::to_string(k * kPerKey + i));
        }
    }
    const std::string script = world.writeFile("atomic.reg", s.text());

    // Counts the script's values; checks their data when all are there.
    auto countValues = [&](const std::string& db) {
        RegistryStore store(RegistryStore::Mode::ReadOnly, db);
        int n = 0;
        for (int k = 0; k < kKeys; ++k) {
            const auto values =
                store.values(HKEY_LOCAL_MACHINE, "Software\\Atomic\\Key" + std::to_string(k));
            n += int(values.size());
            for (const RegValue& v : values) {
                const int i = std::stoi(v.name.substr(5));
                if (i % 2 == 0 && v.data != "text " + std::to_string(k * kPerKey + i) + '\0')
                    return -1;
            }
        }
        return n;
    };
    auto freshStore = [&](const std::string& db) {
        RegistryStore store(RegistryStore::Mode::ReadWrite, db);
        return store.setValue(HKEY_CURRENT_USER, "Software\\Before", "Kept", regtype::REG_SZ,
                              std::string("yes\0", 4));
    };

    // One undisturbed run tells how long an import takes.
    const std::string calib = world.root() + "/calibrate.sqlite";
    ASSERT_TRUE(freshStore(calib));
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(waitChild(spawnQmreg({"--db", calib, "import", script})), 0);
    const auto took = std::chrono::steady_clock::now() - t0;
    ASSERT_EQ(countValues(calib), kKeys * kPerKey);
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(took).count();

    std::mt19937 rng(qm::test::TestSeed());
    std::uniform_int_distribution<long long> delay(0, micros);
    int all = 0, none = 0, killed = 0;
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        const std::string db = world.root() + "/atomic" + std::to_string(run) + ".sqlite";
        ASSERT_TRUE(freshStore(db));
        const pid_t pid = spawnQmreg({"--db", db, "import", script});
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        ::kill(pid, SIGKILL);
        if (waitChild(pid) == -SIGKILL)
            ++killed;

        EXPECT_EQ(integrityCheck(db), "ok");
        const int n = countValues(db);
        if (n == 0)
            ++none;
        else if (n == kKeys * kPerKey)
            ++all;
        else
            ADD_FAILURE() << n << " of the script's values after the kill";
        RegistryStore store(RegistryStore::Mode::ReadOnly, db);
        EXPECT_TRUE(store.value(HKEY_CURRENT_USER, "Software\\Before", "Kept"));
    }
    EXPECT_EQ(all + none, kRuns);
    std::cout << "[ RESULT   ] " << kRuns << " runs, " << killed << " killed mid-way; " << all
              << " with all values, " << none << " with none (an import takes " << micros / 1000
              << " ms)\n";
    RecordProperty("all", all);
    RecordProperty("none", none);
    RecordProperty("killed", killed);
}

} // namespace
} // namespace qm
