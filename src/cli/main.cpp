// quillon-cli: Varda Quillon without a window.

#include "base_qt/qsettings_store.h"
#include "cli/cli_app.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    quillon::QSettingsStore settings;
    quillon::CliApp app(settings, std::cout, std::cerr);
    return app.run(std::vector<std::string>(argv + 1, argv + argc));
}
