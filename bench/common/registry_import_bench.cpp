// Importing a 10,000-value script against the floor SQLite sets: the same rows
// inserted with one prepared statement in one transaction, in the same run.
#include "common/registry_script.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kKeys = 10, kPerKey = 1000;

std::string keyPath(int k)
{
    return "Software\\Quorvel Network\\Bench\\Key" + std::to_string(k);
}

const std::string& script()
{
    static const std::string text = [] {
        qm::RegistryScript s;
        for (int k = 0; k < kKeys; ++k) {
            s.key("HKEY_LOCAL_MACHINE\\" + keyPath(k));
            for (int i = 0; i < kPerKey; ++i) {
                if (i % 2)
                    s.dword("Value" + std::to_string(i), uint32_t(i));
                else
                    s.string("Value" + std::to_string(i), "C:\\Games\\Level " + std::to_string(i));
            }
        }
        return s.text();
    }();
    return text;
}

// A fresh database file per iteration, in a folder that is removed at the end.
struct Scratch {
    std::filesystem::path dir;
    int n = 0;
    Scratch()
    {
        char tmpl[] = "/tmp/qm-bench-XXXXXX";
        dir = ::mkdtemp(tmpl);
    }
    ~Scratch() { std::filesystem::remove_all(dir); }
    std::string next() { return (dir / ("db" + std::to_string(n++) + ".sqlite")).string(); }
};

void BM_ImportScript(benchmark::State& state)
{
    Scratch scratch;
    const std::string& text = script();
    for (auto _ : state) {
        state.PauseTiming();
        auto store =
            std::make_unique<qm::RegistryStore>(qm::RegistryStore::Mode::ReadWrite, scratch.next());
        state.ResumeTiming();
        const qm::ScriptResult r = qm::ImportRegistryScript(text, *store);
        if (!r.ok)
            state.SkipWithError(r.message.c_str());
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kKeys * kPerKey);
}

// The same rows the import writes (keys with their parents, every value with
// its folded names), bound from prepared data, in one transaction.
void BM_PlainSqliteInserts(benchmark::State& state)
{
    Scratch scratch;
    struct Row {
        std::string key, nameL, name, data;
        int type;
    };
    std::vector<Row> rows;
    struct Key {
        std::string path, parent, name;
    };
    const std::string root = "hklm\\software\\quorvel network\\bench";
    std::vector<Key> keys = {
        {"hklm\\software", "hklm", "Software"},
        {"hklm\\software\\quorvel network", "hklm\\software", "Quorvel Network"},
        {root, "hklm\\software\\quorvel network", "Bench"}};
    for (int k = 0; k < kKeys; ++k) {
        const std::string key = root + "\\key" + std::to_string(k);
        keys.push_back({key, root, "Key" + std::to_string(k)});
        for (int i = 0; i < kPerKey; ++i) {
            const std::string name = "Value" + std::to_string(i);
            std::string data =
                i % 2 ? std::string("\0\0\0\0", 4) : "C:\\Games\\Level " + std::to_string(i) + '\0';
            rows.push_back({key, qm::RegFold(name), name, data, i % 2 ? 4 : 1});
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = scratch.next();
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL;"
                     "CREATE TABLE keys(path_l TEXT PRIMARY KEY, parent_l TEXT NOT NULL, "
                     "name TEXT NOT NULL) WITHOUT ROWID;"
                     "CREATE INDEX keys_parent ON keys(parent_l);"
                     "CREATE TABLE vals(key_l TEXT NOT NULL, name_l TEXT NOT NULL, name TEXT NOT "
                     "NULL, type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key_l, name_l)) "
                     "WITHOUT ROWID;",
                     nullptr, nullptr, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt* ik = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO keys VALUES(?,?,?)", -1, &ik, nullptr);
        for (const Key& k : keys) {
            sqlite3_bind_text(ik, 1, k.path.data(), int(k.path.size()), SQLITE_STATIC);
            sqlite3_bind_text(ik, 2, k.parent.data(), int(k.parent.size()), SQLITE_STATIC);
            sqlite3_bind_text(ik, 3, k.name.data(), int(k.name.size()), SQLITE_STATIC);
            sqlite3_step(ik);
            sqlite3_reset(ik);
        }
        sqlite3_finalize(ik);
        sqlite3_stmt* iv = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO vals VALUES(?,?,?,?,?)", -1, &iv, nullptr);
        for (const Row& r : rows) {
            sqlite3_bind_text(iv, 1, r.key.data(), int(r.key.size()), SQLITE_STATIC);
            sqlite3_bind_text(iv, 2, r.nameL.data(), int(r.nameL.size()), SQLITE_STATIC);
            sqlite3_bind_text(iv, 3, r.name.data(), int(r.name.size()), SQLITE_STATIC);
            sqlite3_bind_int(iv, 4, r.type);
            sqlite3_bind_blob(iv, 5, r.data.data(), int(r.data.size()), SQLITE_STATIC);
            if (sqlite3_step(iv) != SQLITE_DONE)
                state.SkipWithError("insert failed");
            sqlite3_reset(iv);
        }
        sqlite3_finalize(iv);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kKeys * kPerKey);
}

BENCHMARK(BM_PlainSqliteInserts)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ImportScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
