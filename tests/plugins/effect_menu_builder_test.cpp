#include "plugins/effect_menu_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillon;
using Kind = EffectMenu::Item::Kind;

namespace {

EffectMenu::Item command(const std::string& text, uint32_t id)
{
    EffectMenu::Item item;
    item.kind = Kind::Command;
    item.text = text;
    item.commandId = id;
    return item;
}

// The menu as one line, e.g. "Volume>[Gain=2000] | Mix=7" for checking whole trees.
std::string describe(const EffectMenu& menu)
{
    std::string out;
    for (const EffectMenu::Item& item : menu.items) {
        if (!out.empty())
            out += " | ";
        switch (item.kind) {
        case Kind::Command: out += item.text + "=" + std::to_string(item.commandId); break;
        case Kind::Separator: out += "---"; break;
        case Kind::Submenu: out += item.text + ">[" + describe(*item.submenu) + "]"; break;
        }
    }
    return out;
}

TEST(EffectMenuBuilder, KeywordsBecomeTextsAndSubmenusAreReused)
{
    EffectMenu root;
    EffectMenuBuilder builder(root);
    EXPECT_TRUE(builder.addEntry("VOLUME\\Gain", 2000));
    EXPECT_TRUE(builder.addEntry("VOLUME\\Dynamics\\Compressor", 2001));
    EXPECT_TRUE(builder.addEntry("VOLUME\\Dynamics\\Limiter", 2002));
    EXPECT_TRUE(builder.addEntry("TOOLS\\SEPARATOR", 2003));
    EXPECT_TRUE(builder.addEntry("TOOLS\\Meter", 2004));
    EXPECT_TRUE(builder.addEntry("EFFECTS\\ENHANCEMENT\\Exciter", 2005));
    EXPECT_EQ(describe(root), "Volume>[Gain=2000 | Dynamics>[Compressor=2001 | Limiter=2002]] | "
                              "Tools>[--- | Meter=2004] | Effects>[Enhancement>[Exciter=2005]]");
}

TEST(EffectMenuBuilder, KeywordsOnlyAsWholeUpperCaseParts)
{
    EffectMenu root;
    EffectMenuBuilder builder(root);
    builder.addEntry("Volume\\A", 1);
    builder.addEntry("VOLUME\\B", 2);
    builder.addEntry("VOLUMES\\C", 3);
    builder.addEntry("EFFECTS", 4); // the last part is an item, never a keyword text
    EXPECT_EQ(describe(root), "Volume>[A=1 | B=2] | VOLUMES>[C=3] | EFFECTS=4");
}

TEST(EffectMenuBuilder, NewRootSubmenuGoesToTheInsertPositionDeeperOnesToTheEnd)
{
    EffectMenu root;
    root.items.push_back(command("Remove Effect", 10));
    root.items.push_back(command("Chain Editor", 11));
    EffectMenuBuilder builder(root);
    builder.addEntry("EFFECTS\\Echo", 2000, 1);
    builder.addEntry("EFFECTS\\Reverb\\Hall ", 2001, 0); // reuses Effects, position unused
    builder.addEntry("Plain", 2002, 0);                  // an item in the root is appended
    EXPECT_EQ(describe(root), "Remove Effect=10 | Effects>[Echo=2000 | Reverb>[Hall =2001]] | Chain Editor=11 | Plain=2002");

    EffectMenu other;
    EffectMenuBuilder(other).addEntry("TOOLS\\X", 1, 99); // beyond the end: appended
    EXPECT_EQ(describe(other), "Tools>[X=1]");
}

TEST(EffectMenuBuilder, CommandItemWithTheSameTextIsNotTakenForASubmenu)
{
    EffectMenu root;
    root.items.push_back(command("Effects", 7));
    EffectMenuBuilder builder(root);
    builder.addEntry("EFFECTS\\Echo", 2000);
    EXPECT_EQ(describe(root), "Effects=7 | Effects>[Echo=2000]");
}

TEST(EffectMenuBuilder, EmptyPartsMakeNoNamelessMenus)
{
    EffectMenu root;
    EffectMenuBuilder builder(root);
    EXPECT_TRUE(builder.addEntry("\\TOOLS\\\\X", 1));
    EXPECT_FALSE(builder.addEntry("TOOLS\\", 2));
    EXPECT_FALSE(builder.addEntry("", 3));
    EXPECT_EQ(describe(root), "Tools>[X=1]");
}

TEST(EffectMenuBuilder, CatalogueEntriesWithEditorsEndInDotsAndRootMenusKeepTheirOrder)
{
    PluginHost host;
    ASSERT_TRUE(host.addServerLibrary(std::string(std::getenv("QUILLON_SERVER_DIR")) + "/effects.so"));
    EffectCatalog catalog;
    catalog.build(host);

    EffectMenu root;
    root.items.push_back(command("Add Assignable Effect Group", 9));
    EffectMenuBuilder(root).addCatalog(catalog, 0);
    // Volume, Enhancement and Effects are new root menus, placed one after another from
    // position 0 in the order the catalogue first names them.
    EXPECT_EQ(describe(root), "Volume>[Gain and Balance=2000 | Dynamics>[Compressor=2002 | Limiter=2003]] | "
                              "Enhancement>[Parametric Equaliser=2001 | Restoration>[Noise Reduction=2008 | Click Reduction=2009]] | "
                              "Effects>[Stereo Delay=2004 | Reverb>[Room =2005 | Hall =2006 | Plate =2007]] | "
                              "Add Assignable Effect Group=9");

    EffectCatalogEntry edited;
    edited.name = "Tape Echo";
    edited.hasEditor = 1;
    edited.menuPath = "EFFECTS\\";
    edited.commandId = 3000;
    EffectMenuBuilder(root).addEntry(edited.menuEntryPath(), edited.commandId);
    EXPECT_EQ(root.findSubmenu("Effects")->items.back().text, "Tape Echo...");
}

} // namespace
