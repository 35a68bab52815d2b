// The plug-in host: the server list, libraries that are no servers, the global index
// across servers, the manager protocol and the shipped servers.

#include "base/memory_settings_store.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace quillon;
using quillon::test::ScopedEnv;
using quillon::test::TempDir;

namespace {

constexpr QuillonIdentifier kFileFilter = QUILLON_IID_FILE_FILTER;
constexpr QuillonIdentifier kEffect = QUILLON_IID_EFFECT;
constexpr QuillonIdentifier kUnknown = {{1, 2, 3, 4}};

std::string shippedFilter() { return std::string(std::getenv("QUILLON_SERVER_DIR")) + "/filefilter.so"; }

// Which implementation an instance is: the probes answer every command with their number.
int32_t probeNumber(const PluginInstance& instance) { return instance.command(1, nullptr, 0); }

int32_t createCode(const PluginHost& host, const QuillonIdentifier& id, uint32_t index)
{
    try {
        host.create(id, index);
    } catch (const ClassCom& e) {
        EXPECT_STREQ(e.what(), "Unable to create instance of class com interface (ClassCom Error).");
        return e.code();
    }
    return 0;
}

void writeServerList(MemorySettingsStore& store, const std::vector<std::string>& paths, int count = -1)
{
    store.writeInt(SettingsRoot::LocalMachine, keys::kServers, "ServerCount",
                   count < 0 ? static_cast<int32_t>(paths.size()) : count);
    for (size_t i = 0; i < paths.size(); ++i)
        store.writeString(SettingsRoot::LocalMachine, keys::kServers, "Server" + std::to_string(i + 1), paths[i]);
}

// The probes' manager hands out nothing unless told to.
class PluginHostTest : public ::testing::Test {
protected:
    ScopedEnv m_managed{"QUILLON_PROBE_MANAGED", ""};
    ScopedEnv m_fail{"QUILLON_PROBE_MANAGER_FAIL", "0"};
    ScopedEnv m_count{"QUILLON_PROBE_MANAGED_COUNT", ""};
};

} // namespace

TEST_F(PluginHostTest, ServerListSkipsEmptyValuesAndPathsAlreadyLoaded)
{
    TempDir tmp;
    // The same library under a name that differs only in letter case; loading it again
    // would add a second server.
    const std::string lower = tmp.file("probe.so");
    const std::string upper = tmp.file("PROBE.so");
    std::filesystem::create_symlink(QUILLON_PROBE_A, lower);
    std::filesystem::create_symlink(QUILLON_PROBE_A, upper);

    MemorySettingsStore store;
    writeServerList(store, {lower, "", upper, QUILLON_PROBE_B, lower, QUILLON_PROBE_NO_EXPORTS, shippedFilter()}, 6);
    PluginHost host;
    EXPECT_EQ(host.loadServers(store), 2u);
    // Only values 1..ServerCount count: the seventh is not read.
    EXPECT_EQ(host.serverPaths(), (std::vector<std::string>{lower, QUILLON_PROBE_B}));
    EXPECT_EQ(host.count(kFileFilter), 5u);
}

TEST_F(PluginHostTest, LibrariesThatAreNoServersAreDropped)
{
    TempDir tmp;
    {
        std::ofstream fake(tmp.file("fake.so"));
        fake << "not a library";
    }
    PluginHost host;
    EXPECT_FALSE(host.addServerLibrary(QUILLON_PROBE_NO_EXPORTS));
    EXPECT_FALSE(host.addServerLibrary(tmp.file("fake.so")));
    EXPECT_FALSE(host.addServerLibrary(tmp.file("missing.so")));
    EXPECT_FALSE(host.addServerLibrary(""));
    EXPECT_EQ(host.serverCount(), 0u);
    EXPECT_EQ(host.count(kFileFilter), 0u);

    // A folder of them loads only the servers, in file-name order.
    std::filesystem::copy_file(QUILLON_PROBE_B, tmp.file("a-probe.so"));
    std::filesystem::copy_file(QUILLON_PROBE_NO_EXPORTS, tmp.file("b-none.so"));
    std::filesystem::copy_file(QUILLON_PROBE_A, tmp.file("c-probe.so"));
    EXPECT_EQ(host.loadServerFolder(tmp.path().string()), 2u);
    EXPECT_EQ(host.serverPaths(), (std::vector<std::string>{tmp.file("a-probe.so"), tmp.file("c-probe.so")}));
    EXPECT_EQ(probeNumber(host.create(kFileFilter, 0)), 2000);
    EXPECT_EQ(probeNumber(host.create(kFileFilter, 3)), 1000);
}

TEST_F(PluginHostTest, GlobalIndexRunsAcrossServersInLoadOrder)
{
    PluginHost host;
    ASSERT_TRUE(host.addServerLibrary(QUILLON_PROBE_A));
    ASSERT_TRUE(host.addServerLibrary(shippedFilter()));
    ASSERT_TRUE(host.addServerLibrary(QUILLON_PROBE_B));
    ASSERT_EQ(host.count(kFileFilter), 2u + 1u + 3u);

    EXPECT_EQ(probeNumber(host.create(kFileFilter, 0)), 1000);
    EXPECT_EQ(probeNumber(host.create(kFileFilter, 1)), 1001);
    // Index 2 is the real file filter of the second server.
    FileFilter real(host.create(kFileFilter, 2));
    EXPECT_EQ(real.filterList().rfind("All audio files|", 0), 0u);
    EXPECT_EQ(probeNumber(host.create(kFileFilter, 3)), 2000);
    EXPECT_EQ(probeNumber(host.create(kFileFilter, 5)), 2002);

    // Past the end, an identifier nobody offers, and a server whose creation fails.
    EXPECT_EQ(createCode(host, kFileFilter, 6), QUILLON_E_NO_CLASS);
    EXPECT_EQ(createCode(host, kFileFilter, UINT32_MAX), QUILLON_E_NO_CLASS);
    EXPECT_EQ(createCode(host, kUnknown, 0), QUILLON_E_NO_CLASS);
    EXPECT_EQ(host.count(kEffect), 2u); // one from each probe, none from the file-filter server
    EXPECT_EQ(createCode(host, kEffect, 0), QUILLON_E_NO_CLASS);
    EXPECT_EQ(createCode(host, kEffect, 1), QUILLON_E_NO_CLASS);
}

TEST_F(PluginHostTest, ManagerAddsTheModulesItLoaded)
{
    MemorySettingsStore store;
    writeServerList(store, {QUILLON_PROBE_A});
    {
        // The manager offers a new module and one the host already has.
        ScopedEnv managed("QUILLON_PROBE_MANAGED", std::string(QUILLON_PROBE_B) + ":" + QUILLON_PROBE_A);
        PluginHost host;
        host.loadServers(store);
        EXPECT_EQ(host.serverCount(), 2u);
        EXPECT_EQ(host.serverPaths().back(), QUILLON_PROBE_B);
        EXPECT_EQ(host.count(kFileFilter), 5u);
        EXPECT_EQ(probeNumber(host.create(kFileFilter, 4)), 2002);
    }
    // A manager that fails any step adds nothing, and the start-up goes on.
    for (const char* step : {"101", "103", "104"}) {
        ScopedEnv managed("QUILLON_PROBE_MANAGED", QUILLON_PROBE_B);
        ScopedEnv fail("QUILLON_PROBE_MANAGER_FAIL", step);
        PluginHost host;
        EXPECT_EQ(host.loadServers(store), 1u) << step;
        EXPECT_EQ(host.count(kFileFilter), 2u) << step;
    }
    // A manager that claims billions of modules is not believed.
    {
        ScopedEnv managed("QUILLON_PROBE_MANAGED", QUILLON_PROBE_B);
        ScopedEnv count("QUILLON_PROBE_MANAGED_COUNT", "4000000000");
        PluginHost host;
        EXPECT_EQ(host.loadServers(store), 1u);
    }
    // A manager that hands out a module that is no server (or a null handle).
    {
        ScopedEnv managed("QUILLON_PROBE_MANAGED", std::string(QUILLON_PROBE_NO_EXPORTS) + ":/nowhere/missing.so");
        PluginHost host;
        EXPECT_EQ(host.loadServers(store), 1u);
    }
}

TEST_F(PluginHostTest, WithoutAListTheShippedServersAreLoaded)
{
    MemorySettingsStore none;
    PluginHost host;
    EXPECT_GE(host.loadServers(none), 1u);
    bool hasFilter = false;
    for (const std::string& path : host.serverPaths())
        hasFilter = hasFilter || std::filesystem::path(path).filename() == "filefilter.so";
    EXPECT_TRUE(hasFilter);
    EXPECT_EQ(FileFilter::create(host).filterList().rfind("All audio files|", 0), 0u);

    // A list that says "no servers" is a list: nothing is loaded.
    MemorySettingsStore empty;
    writeServerList(empty, {}, 0);
    PluginHost bare;
    EXPECT_EQ(bare.loadServers(empty), 0u);
    EXPECT_EQ(createCode(bare, kFileFilter, 0), QUILLON_E_NO_CLASS);
}

// Both shipped servers answer through the same entry: the classes each offers, nothing
// past them, and records whose command entry reaches the object.
TEST_F(PluginHostTest, ShippedServersOfferTheirClassesThroughOneEntry)
{
    constexpr QuillonIdentifier kManager = QUILLON_IID_FILE_FILTER_MANAGER;
    struct Row {
        const char* server;
        QuillonIdentifier id;
        uint32_t count;
    };
    for (const Row& row : {Row{"effects.so", kEffect, 8}, Row{"effects.so", kFileFilter, 0},
                           Row{"filefilter.so", kFileFilter, 1}, Row{"filefilter.so", kManager, 1},
                           Row{"filefilter.so", kEffect, 0}}) {
        SCOPED_TRACE(std::string(row.server) + " " + std::to_string(row.id.words[0]));
        PluginHost host;
        ASSERT_TRUE(host.addServerLibrary(std::string(std::getenv("QUILLON_SERVER_DIR")) + "/" + row.server));
        EXPECT_EQ(host.count(row.id), row.count);
        EXPECT_EQ(host.count(kUnknown), 0u);
        EXPECT_EQ(createCode(host, row.id, row.count), QUILLON_E_NO_CLASS);
        for (uint32_t i = 0; i < row.count; ++i)
            EXPECT_EQ(host.create(row.id, i).command(0xFFFF, nullptr, 0), QUILLON_E_UNKNOWN_COMMAND) << i;
    }
}
