#include "app/language_pack.h"

#include "base/prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

namespace quillon {

LanguagePack::LanguagePack(Prompter& prompter) : m_prompter(prompter) {}

LanguagePack::~LanguagePack() { unload(); }

QString LanguagePack::fileName(const QString& folder, const QString& code)
{
    return QDir(folder).filePath(QStringLiteral("Quillon-%1.nls").arg(code));
}

void LanguagePack::unload()
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    m_code.clear();
}

bool LanguagePack::load(const QString& folder, const QString& codes)
{
    unload();
    const int n = static_cast<int>(codes.size() / 3);
    for (int i = n - 1; i >= 0; --i) {
        const QString code = codes.mid(i * 3, 3);
        QString file = fileName(folder, code);
        // Installed, the packs lie in the shared data folder of the program's tree.
        if (!QFileInfo(file).isFile())
            file = fileName(QDir(folder).filePath(QStringLiteral(QUILLON_LANGUAGE_DIR_FROM_PROGRAM)), code);
        if (!QFileInfo(file).isFile())
            continue;
        auto translator = std::make_unique<QTranslator>();
        // An empty catalogue is no language pack either.
        if (!translator->load(file) || translator->isEmpty()) {
            m_prompter.showMessage(kLoadError, PromptIcon::Error);
            continue;
        }
        if (m_translator)
            QCoreApplication::removeTranslator(m_translator.get());
        QCoreApplication::installTranslator(translator.get());
        m_translator = std::move(translator);
        m_code = code;
    }
    return m_translator != nullptr;
}

} // namespace quillon
