#include "ui/qt_folder_chooser.h"

#include <QFileDialog>

namespace quillon {

std::optional<std::string> QtFolderChooser::chooseFolder(const std::string& prompt)
{
    const QString folder = QFileDialog::getExistingDirectory(m_parent, QString::fromStdString(prompt));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

} // namespace quillon
