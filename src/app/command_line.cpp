#include "app/command_line.h"

#include <QRegularExpression>

namespace quillon {

StartupCommandLine StartupCommandLine::parse(const QStringList& arguments)
{
    StartupCommandLine out;
    for (const QString& arg : arguments) {
        if (arg == QLatin1String(kDemoSwitch)) {
            out.demo = true;
            continue;
        }
        // Switches start with a dash, or with a slash and a word ("/Dialog:LPToCD"); an
        // absolute path has a slash further on and names a file. The first argument that
        // is no switch names the project.
        static const QRegularExpression slashSwitch(QStringLiteral("^/[A-Za-z]+(:[^/]*)?$"));
        if (arg.startsWith(QLatin1Char('-')) || slashSwitch.match(arg).hasMatch())
            continue;
        if (out.fileName.isEmpty())
            out.fileName = arg;
    }
    const QString whole = arguments.join(QLatin1Char(' '));
    if (whole.contains(QLatin1String(kLpSwitch), Qt::CaseSensitive))
        out.postedCommands.push_back(kLpToCdWizard);
    if (whole.contains(QLatin1String(kTapeSwitch), Qt::CaseSensitive))
        out.postedCommands.push_back(kTapeToCdWizard);
    return out;
}

} // namespace quillon
