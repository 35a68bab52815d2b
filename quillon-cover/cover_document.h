#pragma once
// The CD track list a cover is made from, read from the hand-off file: the disc's
// title, artist and play time, and per track its title, artist and play time.
#include <QString>
#include <QVector>

namespace quillon {

struct CoverTrack {
    QString title;
    QString artist;
    QString playTime;
};

class CoverDocument {
public:
    // False when the file cannot be read or is no hand-off file.
    bool load(const QString& path);
    bool parse(const QByteArray& bytes);
    QString title;
    QString artist;
    QString playTime;
    QVector<CoverTrack> tracks;
};

} // namespace quillon
