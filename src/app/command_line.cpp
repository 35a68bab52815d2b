#include "app/command_line.h"

namespace quillon {

StartupCommandLine StartupCommandLine::parse(const QStringList& arguments)
{
    StartupCommandLine out;
    for (const QString& arg : arguments) {
        if (arg == QLatin1String(kDemoSwitch)) {
            out.demo = true;
            continue;
        }
        // Switches start with a slash or a dash; the first other argument names the file.
        if (arg.startsWith(QLatin1Char('/')) || arg.startsWith(QLatin1Char('-')))
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
