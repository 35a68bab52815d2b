#pragma once
// What the program's command line asks for: a project file to open (the first
// argument that is not a switch: switches start with a dash, or are a slash and a word) and the wizard commands to post once the main
// window is up. The wizard switches are found anywhere in the whole command line,
// letter case exact, even inside a longer word.

#include <QString>
#include <QStringList>

#include <vector>

namespace quillon {

struct StartupCommandLine {
    static constexpr int kLpToCdWizard = 7913;
    static constexpr int kTapeToCdWizard = 7914;
    static constexpr const char* kLpSwitch = "/Dialog:LPToCD";
    static constexpr const char* kTapeSwitch = "/Dialog:TapeToCD";
    // Opens (and on first use creates) the demo compilation in the user's data folder.
    static constexpr const char* kDemoSwitch = "--demo";

    QString fileName;
    bool demo = false;
    std::vector<int> postedCommands;

    // `arguments` without the program name.
    static StartupCommandLine parse(const QStringList& arguments);
};

} // namespace quillon
