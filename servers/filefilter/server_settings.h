#pragma once
// The filter's view of the user's settings: the same files the program keeps them in, so
// that what the user sets in the program (save options, the wave editor command) is what
// the filter finds.
//
// Threads: any; every call opens its own store.

#include "base/settings_store.h"

#include <memory>

namespace quillon::filefilter {

std::unique_ptr<SettingsStore> openUserSettings();

} // namespace quillon::filefilter
