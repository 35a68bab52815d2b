#pragma once
// "CD Track Properties": the CD-TEXT title and artist of one CD track, and its ISRC.
// OK stays disabled while the ISRC field holds something that is no ISRC.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

class CdTrackPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    CdTrackPropertiesDialog(const QString& title, const QString& artist, QWidget* parent = nullptr);
    CdTrackPropertiesDialog(const QString& title, const QString& artist, const QString& isrc,
                            QWidget* parent = nullptr);
    QString title() const;
    QString artist() const;
    // The ISRC in its plain 12-character form; empty for none.
    QString isrc() const;
    QLineEdit* titleEdit() const { return m_title; }
    QLineEdit* artistEdit() const { return m_artist; }
    QLineEdit* isrcEdit() const { return m_isrc; }
    QPushButton* okButton() const { return m_ok; }

private:
    void checkIsrc();

    QLineEdit* m_title;
    QLineEdit* m_artist;
    QLineEdit* m_isrc;
    QLabel* m_isrcHint;
    QPushButton* m_ok;
};

} // namespace quillon
