#include "cover_document.h"

#include <QFile>
#include <QMap>

namespace quillon {

bool CoverDocument::load(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && parse(file.readAll());
}

bool CoverDocument::parse(const QByteArray& bytes)
{
    QMap<QString, QMap<QString, QString>> sections;
    QString section;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2));
            sections[section];
        } else if (const qsizetype eq = line.indexOf('='); eq > 0 && !section.isEmpty()) {
            sections[section][QString::fromUtf8(line.left(eq))] = QString::fromUtf8(line.mid(eq + 1));
        }
    }
    if (!sections.contains("CDINFO"))
        return false;
    const auto& info = sections["CDINFO"];
    title = info.value("Title");
    artist = info.value("Artist");
    playTime = info.value("Playtime");
    tracks.clear();
    const int count = info.value("Tracks").toInt();
    for (int n = 1; n <= count; ++n) {
        const auto& t = sections.value(QString("Track%1").arg(n));
        tracks.push_back({t.value("Title"), t.value("Artist"), t.value("Playtime")});
    }
    return true;
}

} // namespace quillon
