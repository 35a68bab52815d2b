#include "ui/directory_page.h"

#include "base/folder_settings.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillon {

namespace {

const char* const kRowLabels[CDirectoryPage::kFolders] = {
    QT_TRANSLATE_NOOP("quillon::CDirectoryPage", "Temporary Directory:"),
    QT_TRANSLATE_NOOP("quillon::CDirectoryPage", "Preset Directory:"),
    QT_TRANSLATE_NOOP("quillon::CDirectoryPage", "Plug-In Directory:"),
    QT_TRANSLATE_NOOP("quillon::CDirectoryPage", "Peak File Directory:"),
    QT_TRANSLATE_NOOP("quillon::CDirectoryPage", "My Music Directory:"),
};

} // namespace

CDirectoryPage::CDirectoryPage(SettingsStore& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    m_browser = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start);
    };
    auto* grid = new QGridLayout(this);
    const FolderSettings folders(settings);
    for (int row = 0; row < kFolders; ++row) {
        std::string folder;
        folders.lookup(kRowKinds[size_t(row)], folder);
        m_loaded[size_t(row)] = QString::fromStdString(folder);
        auto* field = new QLineEdit(m_loaded[size_t(row)]);
        auto* button = new QPushButton(QStringLiteral("..."));
        button->setFixedWidth(32);
        connect(button, &QPushButton::clicked, this, [this, field] {
            const QString chosen = m_browser(tr("Please choose a new folder:"), field->text());
            if (!chosen.isEmpty())
                field->setText(chosen);
        });
        grid->addWidget(new QLabel(tr(kRowLabels[row])), row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(button, row, 2);
        m_fields[size_t(row)] = field;
        m_buttons[size_t(row)] = button;
    }
    grid->setRowStretch(kFolders, 1);
}

int CDirectoryPage::rowOf(int kind) const
{
    for (int row = 0; row < kFolders; ++row)
        if (kRowKinds[size_t(row)] == kind)
            return row;
    return -1;
}

QLineEdit* CDirectoryPage::field(int kind) const
{
    const int row = rowOf(kind);
    return row < 0 ? nullptr : m_fields[size_t(row)];
}

QPushButton* CDirectoryPage::browseButton(int kind) const
{
    const int row = rowOf(kind);
    return row < 0 ? nullptr : m_buttons[size_t(row)];
}

void CDirectoryPage::store()
{
    FolderSettings folders(m_settings);
    for (int row = 0; row < kFolders; ++row) {
        const QString text = m_fields[size_t(row)]->text();
        if (text == m_loaded[size_t(row)])
            continue;
        folders.store(kRowKinds[size_t(row)], text.toStdString());
        m_loaded[size_t(row)] = text;
    }
}

} // namespace quillon
