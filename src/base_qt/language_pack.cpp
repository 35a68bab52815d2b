#include "base_qt/language_pack.h"

#include "base/prompter.h"
#include "base/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace quillon {

namespace {

QString& qtFolderOverride()
{
    static QString folder;
    return folder;
}

} // namespace

LanguagePack::LanguagePack(Prompter& prompter) : m_prompter(prompter) {}

LanguagePack::~LanguagePack() { unload(); }

QString LanguagePack::fileName(const QString& folder, const QString& code)
{
    return QDir(folder).filePath(QStringLiteral("Quillon-%1.nls").arg(code));
}

QString LanguagePack::qtLanguage(const QString& code)
{
    // The packs are named with the three-letter codes of ISO 639-2/T (and a few of the
    // older bibliographic ones); Qt names its catalogues with the two-letter codes.
    static const struct {
        const char* code;
        const char* qt;
    } kCodes[] = {
        {"deu", "de"}, {"ger", "de"}, {"fra", "fr"}, {"fre", "fr"}, {"eng", "en"}, {"spa", "es"}, {"ita", "it"},
        {"nld", "nl"}, {"dut", "nl"}, {"por", "pt"}, {"pol", "pl"}, {"ces", "cs"}, {"cze", "cs"}, {"dan", "da"},
        {"swe", "sv"}, {"fin", "fi"}, {"nor", "nb"}, {"nob", "nb"}, {"hun", "hu"}, {"rus", "ru"}, {"ukr", "uk"},
        {"jpn", "ja"}, {"kor", "ko"}, {"zho", "zh_CN"}, {"chi", "zh_CN"}, {"tur", "tr"}, {"ell", "el"},
        {"gre", "el"}, {"slk", "sk"}, {"slo", "sk"}, {"slv", "sl"}, {"bul", "bg"}, {"hrv", "hr"}, {"cat", "ca"},
    };
    for (const auto& c : kCodes)
        if (code == QLatin1String(c.code))
            return QLatin1String(c.qt);
    return {};
}

QString LanguagePack::qtCatalogueFolder()
{
    return qtFolderOverride().isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : qtFolderOverride();
}

void LanguagePack::setQtCatalogueFolder(const QString& folder) { qtFolderOverride() = folder; }

void LanguagePack::unload()
{
    for (std::unique_ptr<QTranslator>* t : {&m_translator, &m_qtTranslator}) {
        if (*t) {
            QCoreApplication::removeTranslator(t->get());
            t->reset();
        }
    }
    m_code.clear();
}

void LanguagePack::loadQtCatalogue(const QString& code)
{
    const QString language = qtLanguage(code);
    if (language.isEmpty())
        return;
    auto translator = std::make_unique<QTranslator>();
    // "qt_de" covers the base catalogue and the others installed beside it; a machine
    // without Qt's catalogues keeps Qt's English, and that is no error of the pack.
    const QString folder = qtCatalogueFolder();
    if (!translator->load(QStringLiteral("qt_") + language, folder) &&
        !translator->load(QStringLiteral("qtbase_") + language, folder))
        return;
    QCoreApplication::installTranslator(translator.get());
    m_qtTranslator = std::move(translator);
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
        unload();
        QCoreApplication::installTranslator(translator.get());
        m_translator = std::move(translator);
        m_code = code;
    }
    if (m_translator)
        loadQtCatalogue(m_code);
    return m_translator != nullptr;
}

bool LanguagePack::loadSetting(const QString& folder, const SettingsStore& settings)
{
    return load(folder, QString::fromStdString(settings.profileString(kSection, kSettingName, kDefaultCodes)));
}

} // namespace quillon
