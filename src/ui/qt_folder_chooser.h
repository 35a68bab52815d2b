#pragma once
// The desktop application's folder browser for the model's folder questions (a new
// take's folder when the music folder takes no files). User-interface thread only.

#include "model/folder_chooser.h"

class QWidget;

namespace quillon {

class QtFolderChooser : public FolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<std::string> chooseFolder(const std::string& prompt) override;

private:
    QWidget* m_parent;
};

} // namespace quillon
