#pragma once
// A project's title, artist, notes and length in minutes: the "General" page of the
// project settings, and (with the title disabled) the "Project Defaults" page of the
// preferences, where new projects take their artist, notes and length from.
// User-interface thread only.

#include <QWidget>

#include <cstdint>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace quillon {

struct ProjectInfoValues {
    std::string title;
    std::string artist;
    std::string notes;
    int32_t lengthMinutes = 80;
};

class CProjectInfoPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxMinutes = 800;

    CProjectInfoPage(const ProjectInfoValues& values, bool titleEnabled, QWidget* parent = nullptr);

    ProjectInfoValues values() const;
    QLineEdit* titleEdit() const { return m_title; }
    QLineEdit* artistEdit() const { return m_artist; }
    QPlainTextEdit* notesEdit() const { return m_notes; }
    QSpinBox* lengthBox() const { return m_length; }

private:
    QLineEdit* m_title;
    QLineEdit* m_artist;
    QPlainTextEdit* m_notes;
    QSpinBox* m_length;
};

} // namespace quillon
