#pragma once
// The "Directories" page of the preferences: the temporary, preset, plug-in, peak-file
// and music folders, each looked up by its kind ("$$$" when a folder without a
// default has no value) and chosen with "..." in the folder browser. store() writes
// them by kind in the order 4, 1, 2, 3, 5 — only those the user changed, so that a
// default shown on the page is not pinned as a setting and "$$$" never is.
// User-interface thread only.

#include <QWidget>

#include <array>
#include <functional>

class QLineEdit;
class QPushButton;

namespace quillon {

class SettingsStore;

class CDirectoryPage : public QWidget {
    Q_OBJECT
public:
    // The folder browser: a title and the folder shown first; the chosen folder or an
    // empty text on cancel.
    using Browser = std::function<QString(const QString& title, const QString& start)>;
    static constexpr int kFolders = 5;
    // The kinds of the rows, top to bottom.
    static constexpr std::array<int, kFolders> kRowKinds = {4, 1, 2, 3, 5};

    explicit CDirectoryPage(SettingsStore& settings, QWidget* parent = nullptr);
    void setBrowser(Browser browser) { m_browser = std::move(browser); }

    // The field of a folder kind (1..5).
    QLineEdit* field(int kind) const;
    QPushButton* browseButton(int kind) const;
    void store();

private:
    int rowOf(int kind) const;

    SettingsStore& m_settings;
    Browser m_browser;
    std::array<QLineEdit*, kFolders> m_fields{};
    std::array<QPushButton*, kFolders> m_buttons{};
    std::array<QString, kFolders> m_loaded;
};

} // namespace quillon
