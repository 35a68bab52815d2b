#pragma once
// Settings in memory, a recording prompter and temporary folders for the program and
// the user's data, with the shipped servers found through QUILLON_SERVER_DIR.

#include "base/memory_settings_store.h"
#include "base/recording_prompter.h"
#include "support/temp_dir.h"

#include <QString>

#include <gtest/gtest.h>

namespace quillon::test {

class AppFixture : public ::testing::Test {
protected:
    // The user's cache and runtime folders lie in the test's folder too: the program's
    // default peak and temporary folders are made there.
    AppFixture()
        : peakDir("QUILLON_PEAK_DIR", tmp.path().string()), cacheDir("XDG_CACHE_HOME", (tmp.path() / "cache").string()),
          runtimeDir("XDG_RUNTIME_DIR", (tmp.path() / "run").string())
    {
    }

    QString folder(const std::string& name) const
    {
        std::filesystem::create_directories(tmp.path() / name);
        return QString::fromStdString((tmp.path() / name).string());
    }

    TempDir tmp;
    ScopedEnv peakDir;
    ScopedEnv cacheDir;
    ScopedEnv runtimeDir;
    MemorySettingsStore settings;
    RecordingPrompter prompter;
};

} // namespace quillon::test
