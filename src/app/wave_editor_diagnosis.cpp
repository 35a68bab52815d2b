#include "app/wave_editor_diagnosis.h"

#include "base/settings_store.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

namespace quillon {

namespace {

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString tr(const char* text) { return QCoreApplication::translate("CMainFrame", text); }

// The program word of the command line, split as the launcher splits it (blanks
// separate, quotes group, a backslash escapes); empty for an empty line or one with an
// unclosed quote, which the launcher refuses.
QString programWord(const QString& line)
{
    QString first;
    QString word;
    bool inWord = false;
    bool haveFirst = false;
    QChar quote;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quote == QLatin1Char('\'')) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
            continue;
        }
        if (quote == QLatin1Char('"')) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            inWord = true;
            continue;
        }
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord && !haveFirst) {
                first = word;
                haveFirst = true;
            }
            word.clear();
            inWord = false;
            continue;
        }
        word += c;
        inWord = true;
    }
    if (!quote.isNull())
        return {};
    return haveFirst ? first : word;
}

} // namespace

WaveEditorDiagnosis::WaveEditorDiagnosis(const SettingsStore& settings, std::string sourceFile)
    : m_command(QString::fromStdString(settings.profileString(kSection, kSettingName, kDefaultCommand))),
      m_file(QString::fromStdString(sourceFile))
{
    // The checks follow the launcher's order: the file, the command line, the program.
    if (m_file.isEmpty() || !QFileInfo::exists(m_file)) {
        m_reason = tr("the audio file \"%1\": %2").arg(m_file, systemText(ENOENT));
        return;
    }
    const QString program = programWord(m_command);
    if (program.isEmpty()) {
        m_reason = tr("the command line is empty or has an unclosed quote");
        return;
    }
    QString resolved = program;
    if (!program.contains(QLatin1Char('/')))
        resolved = QStandardPaths::findExecutable(program);
    if (resolved.isEmpty()) {
        m_reason = tr("\"%1\": %2").arg(program, systemText(ENOENT));
        return;
    }
    const QFileInfo info(resolved);
    if (!info.exists()) {
        m_reason = tr("\"%1\": %2").arg(program, systemText(ENOENT));
        return;
    }
    if (info.isDir() || !info.isExecutable()) {
        m_reason = tr("\"%1\": %2").arg(program, systemText(EACCES));
        return;
    }
    m_reason = tr("the program \"%1\" could not be started").arg(resolved);
}

QString WaveEditorDiagnosis::details() const
{
    return tr("The wave editor command \"%1\" failed: %2.").arg(m_command, m_reason) + QLatin1Char('\n') +
           tr("The editor is chosen by the setting \"%1\" in the section \"%2\" of the user settings; "
              "without it the command is \"%3\".")
               .arg(QLatin1String(kSettingName), QLatin1String(kSection), QLatin1String(kDefaultCommand));
}

} // namespace quillon
