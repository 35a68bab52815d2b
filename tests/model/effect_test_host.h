#pragma once
// A plug-in host with the shipped effects server (and optionally the fake one of
// misbehaving effects), its catalogue installed as the current one for the test.

#include "plugins/effect_catalog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace quillon::test {

class EffectTestHost {
public:
    explicit EffectTestHost(bool withFake = false)
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        if (withFake) {
            EXPECT_TRUE(host.addServerLibrary(QUILLON_FAKE_EFFECT_SERVER));
        }
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/effects.so"));
        catalog.build(host);
        EffectCatalog::setCurrent(&catalog);
    }
    ~EffectTestHost() { EffectCatalog::setCurrent(nullptr); }
    EffectTestHost(const EffectTestHost&) = delete;
    EffectTestHost& operator=(const EffectTestHost&) = delete;

    const EffectCatalogEntry& entry(const std::string& name) const
    {
        for (const EffectCatalogEntry& e : catalog.entries())
            if (e.name == name)
                return e;
        ADD_FAILURE() << "no effect " << name;
        return catalog.entries().front();
    }

    PluginHost host;
    EffectCatalog catalog;
};

} // namespace quillon::test
