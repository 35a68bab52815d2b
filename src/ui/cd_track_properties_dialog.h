#pragma once
// "CD Track Properties": the CD-TEXT title and artist of one CD track.
#include <QDialog>

class QLineEdit;

namespace quillon {

class CdTrackPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    CdTrackPropertiesDialog(const QString& title, const QString& artist, QWidget* parent = nullptr);
    QString title() const;
    QString artist() const;
    QLineEdit* titleEdit() const { return m_title; }
    QLineEdit* artistEdit() const { return m_artist; }

private:
    QLineEdit* m_title;
    QLineEdit* m_artist;
};

} // namespace quillon
