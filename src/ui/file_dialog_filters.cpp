#include "ui/file_dialog_filters.h"

#include "plugins/class_com.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "ui/plugin_texts.h"

#include <QCoreApplication>
#include <QStringList>

namespace quillon {

QString FileDialogFilters::fromList(const std::string& list, bool withPlaylists)
{
    QString text = QString::fromStdString(list);
    if (withPlaylists)
        text += QCoreApplication::translate("FileDialogFilters", kPlaylistEntry);
    const QStringList parts = text.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // The file filter names its types in English; the pack knows the names of ours.
        QString description = PluginTexts::fileType(parts[i].toStdString());
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(patterns);
        filters << description;
    }
    // Qt's dialogs match "*" against every name; "*.*" would leave out names without a dot.
    // The text keeps the main window's translation context, where the packs have it.
    filters << QCoreApplication::translate("CMainFrame", "All Files (*.*)").replace(QStringLiteral("*.*"),
                                                                                           QStringLiteral("*"));
    return filters.join(QStringLiteral(";;"));
}

std::string FileDialogFilters::currentList()
{
    try {
        if (PluginHost* host = PluginHost::current())
            return FileFilter::create(*host).filterList();
    } catch (const ClassCom&) {
    }
    return {};
}

} // namespace quillon
