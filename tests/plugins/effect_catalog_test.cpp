#include "plugins/effect_catalog.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace quillon;

namespace {

constexpr QuillonIdentifier kEffectId = QUILLON_IID_EFFECT;

std::string serverDir()
{
    const char* dir = std::getenv("QUILLON_SERVER_DIR");
    return dir ? dir : "";
}

class EffectCatalogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.addServerLibrary(serverDir() + "/effects.so"));
        catalog.build(host);
    }

    std::vector<const EffectCatalogEntry*> entriesNamed(const std::string& name) const
    {
        std::vector<const EffectCatalogEntry*> found;
        for (const EffectCatalogEntry& e : catalog.entries())
            if (e.name == name)
                found.push_back(&e);
        return found;
    }

    PluginHost host;
    EffectCatalog catalog;
};

TEST_F(EffectCatalogTest, ThreeMenuLinesGiveThreeEntriesOfOneEffect)
{
    const auto reverb = entriesNamed("Reverb");
    ASSERT_EQ(reverb.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(reverb[i]->commandId, reverb[0]->commandId + i);
        EXPECT_EQ(identityText(reverb[i]->identity), identityText(reverb[0]->identity));
        EXPECT_EQ(reverb[i]->implementationIndex, reverb[0]->implementationIndex);
        EXPECT_EQ(reverb[i]->bracketNumber, static_cast<int32_t>(i + 1));
    }
    // The line is cut before "[": the blank before it stays.
    EXPECT_EQ(reverb[0]->menuPath, "EFFECTS\\Reverb\\Room ");
    EXPECT_EQ(reverb[2]->menuPath, "EFFECTS\\Reverb\\Plate ");
    EXPECT_EQ(reverb[2]->menuEntryPath(), "EFFECTS\\Reverb\\Plate ");
}

TEST_F(EffectCatalogTest, EveryShippedEffectIsListedWithConsecutiveIdsFrom2000)
{
    ASSERT_EQ(catalog.size(), 10u); // eight effects, the reverb with three lines
    for (size_t i = 0; i < catalog.size(); ++i)
        EXPECT_EQ(catalog.entries()[i].commandId, EffectCatalog::kFirstCommandId + i);
    std::set<std::string> names;
    for (const EffectCatalogEntry& e : catalog.entries()) {
        names.insert(e.name);
        EXPECT_EQ(e.hasEditor, 0);
    }
    EXPECT_EQ(names, (std::set<std::string>{"Gain and Balance", "Parametric Equaliser", "Compressor", "Limiter",
                                            "Stereo Delay", "Reverb", "Noise Reduction", "Click Reduction"}));
}

TEST_F(EffectCatalogTest, PathEndingInBackslashTakesTheItemText)
{
    const auto gain = entriesNamed("Gain and Balance");
    ASSERT_EQ(gain.size(), 1u);
    EXPECT_EQ(gain[0]->menuPath, "VOLUME\\");
    EXPECT_EQ(gain[0]->bracketNumber, -1);
    EXPECT_EQ(gain[0]->menuEntryPath(), "VOLUME\\Gain and Balance");

    EffectCatalogEntry withEditor = *gain[0];
    withEditor.hasEditor = 1;
    EXPECT_EQ(withEditor.menuItemText(), "Gain and Balance...");
    EXPECT_EQ(withEditor.menuEntryPath(), "VOLUME\\Gain and Balance...");
}

TEST_F(EffectCatalogTest, LookupByCommandIdAndIdentity)
{
    const auto limiter = entriesNamed("Limiter");
    ASSERT_EQ(limiter.size(), 1u);
    EXPECT_EQ(catalog.findByCommandId(limiter[0]->commandId), limiter[0]);
    EXPECT_EQ(catalog.findByIdentity(limiter[0]->identity), limiter[0]);
    EXPECT_EQ(catalog.findByCommandId(EffectCatalog::kFirstCommandId + 100), nullptr);
    EXPECT_EQ(catalog.findByCommandId(EffectCatalog::kFirstCommandId - 1), nullptr);
    EXPECT_EQ(catalog.findByIdentity(QuillonIdentifier{{1, 2, 3, 4}}), nullptr);

    // Of the reverb's three entries, the identity finds the first.
    const auto reverb = entriesNamed("Reverb");
    EXPECT_EQ(catalog.findByIdentity(reverb[2]->identity), reverb[0]);
}

TEST_F(EffectCatalogTest, CreatesInstancesOfItsEntries)
{
    for (const EffectCatalogEntry& entry : catalog.entries()) {
        PluginInstance instance = catalog.create(entry);
        QuillonFxIdentity id{};
        instance.call(QUILLON_FX_IDENTITY, id);
        EXPECT_EQ(identityText(id.identity), identityText(entry.identity)) << entry.name;
    }
    EffectCatalog unbuilt;
    EXPECT_THROW(unbuilt.create(catalog.entries()[0]), ClassCom);
}

TEST(EffectCatalogIdentity, TextIsLowerCaseHexWithoutLeadingZeros)
{
    EXPECT_EQ(identityText(QuillonIdentifier{{0x1A2B3u, 0u, 0xFFFFFFFFu, 0x10u}}), "1a2b3-0-ffffffff-10");
    EXPECT_EQ(identityText(QuillonIdentifier{{0u, 0u, 0u, 0u}}), "0-0-0-0");
}

TEST(EffectCatalogMenuLine, BracketNumberOnlyWhenOpeningComesFirst)
{
    std::string path;
    int32_t n = 0;
    EffectCatalog::parseMenuLine("Name [3]", path, n);
    EXPECT_EQ(path, "Name ");
    EXPECT_EQ(n, 3);
    EffectCatalog::parseMenuLine("EFFECTS\\Echo [12] long", path, n);
    EXPECT_EQ(path, "EFFECTS\\Echo ");
    EXPECT_EQ(n, 12);
    EffectCatalog::parseMenuLine("Odd ] then [4", path, n);
    EXPECT_EQ(path, "Odd ] then [4");
    EXPECT_EQ(n, -1);
    EffectCatalog::parseMenuLine("Open [7", path, n);
    EXPECT_EQ(path, "Open [7");
    EXPECT_EQ(n, -1);
    EffectCatalog::parseMenuLine("Plain\\", path, n);
    EXPECT_EQ(path, "Plain\\");
    EXPECT_EQ(n, -1);
    EffectCatalog::parseMenuLine("No digits [x]", path, n);
    EXPECT_EQ(path, "No digits ");
    EXPECT_EQ(n, 0);
    EffectCatalog::parseMenuLine("Huge [99999999999]", path, n);
    EXPECT_EQ(n, INT32_MAX);
}

class EffectCatalogFakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.addServerLibrary(QUILLON_FAKE_EFFECT_SERVER));
        ASSERT_TRUE(host.addServerLibrary(serverDir() + "/effects.so"));
    }

    PluginHost host;
    EffectCatalog catalog;
};

TEST_F(EffectCatalogFakeTest, ImplementationThatCannotBeCreatedIsSkipped)
{
    catalog.build(host);
    // Index 0 of the fake server fails to create: no entry, and the ids stay consecutive.
    ASSERT_FALSE(catalog.empty());
    for (const EffectCatalogEntry& e : catalog.entries())
        EXPECT_NE(e.implementationIndex, 0u);
    EXPECT_EQ(catalog.entries()[0].implementationIndex, 1u);
    EXPECT_EQ(catalog.entries()[0].commandId, EffectCatalog::kFirstCommandId);
    for (size_t i = 1; i < catalog.size(); ++i)
        EXPECT_EQ(catalog.entries()[i].commandId, catalog.entries()[i - 1].commandId + 1);
    // The shipped effects follow the fake ones in the global index.
    EXPECT_EQ(catalog.entries().back().implementationIndex, host.count(kEffectId) - 1);
}

TEST_F(EffectCatalogFakeTest, AwkwardLinesAreCutAndBlankLinesSkipped)
{
    catalog.build(host);
    std::vector<const EffectCatalogEntry*> awkward;
    for (const EffectCatalogEntry& e : catalog.entries())
        if (e.name == "Awkward Menu")
            awkward.push_back(&e);
    ASSERT_EQ(awkward.size(), 4u);
    EXPECT_EQ(awkward[0]->menuPath, "TOOLS\\Odd\\A"); // carriage return dropped
    EXPECT_EQ(awkward[1]->menuPath, "B ");
    EXPECT_EQ(awkward[1]->bracketNumber, 5);
    EXPECT_EQ(awkward[2]->menuPath, "");
    EXPECT_EQ(awkward[2]->bracketNumber, 0);
    EXPECT_EQ(awkward[3]->menuPath, "C]D[2");
    EXPECT_EQ(awkward[3]->bracketNumber, -1);

    const auto failing = std::find_if(catalog.entries().begin(), catalog.entries().end(),
                                      [](const EffectCatalogEntry& e) { return e.name == "Failing Effect"; });
    ASSERT_NE(failing, catalog.entries().end());
    EXPECT_EQ(failing->hasEditor, 1);
    EXPECT_EQ(failing->menuEntryPath(), "TOOLS\\Failing Effect...");
}

TEST_F(EffectCatalogFakeTest, RefusedMenuListThrowsAndKeepsTheCatalogue)
{
    EffectCatalog good;
    {
        PluginHost shippedOnly;
        ASSERT_TRUE(shippedOnly.addServerLibrary(serverDir() + "/effects.so"));
        good.build(shippedOnly);
        const size_t before = good.size();
        test::ScopedEnv refuse("QUILLON_FAKE_REFUSE_MENU", "1");
        try {
            good.build(host);
            ADD_FAILURE() << "no exception";
        } catch (const ClassCom& e) {
            EXPECT_EQ(e.code(), QUILLON_E_FAIL);
        }
        EXPECT_EQ(good.size(), before);
        // Still usable with the host it was built from.
        EXPECT_NO_THROW(good.create(good.entries()[0]));
    }
}

} // namespace
