#include "destination_dialog.h"

#include "export_format.h"
#include "user_interface.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QStringList>

namespace quillon::filefilter {

std::optional<std::string> DestinationDialog::choose(int defaultFormat, const std::string& folder)
{
    if (!canShowDialogs())
        return std::nullopt;
    const auto formats = exportFormats();
    QStringList filters;
    for (const ExportFormat& format : formats)
        // The names are English in the filter; the program's language pack has them under
        // the file types.
        filters << QCoreApplication::translate("FileTypes", format.displayName);
    const int preselected = defaultFormat >= 0 && defaultFormat < filters.size() ? defaultFormat : 0;

    QFileDialog dialog(QApplication::activeWindow(), QCoreApplication::translate("DestinationDialog", kCaption));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[preselected]);
    if (!folder.empty())
        dialog.setDirectory(QString::fromStdString(folder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const std::string file = dialog.selectedFiles().front().toStdString();
    if (file.empty())
        return std::nullopt;
    if (exportFormatForPath(file) >= 0)
        return file;
    const int chosen = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return pathWithExportExtension(file, chosen >= 0 ? chosen : preselected);
}

} // namespace quillon::filefilter
