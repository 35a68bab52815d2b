#include "ui/qt_folder_chooser.h"

#include <QCoreApplication>
#include <QFileDialog>

namespace quillon {

std::optional<std::string> QtFolderChooser::chooseFolder(const std::string& prompt)
{
    // The model's prompts are English whole texts, in the pack beside the Prompter's.
    const QString folder =
        QFileDialog::getExistingDirectory(m_parent, QCoreApplication::translate("Messages", prompt.c_str()));
    if (folder.isEmpty())
        return std::nullopt;
    return folder.toStdString();
}

} // namespace quillon
