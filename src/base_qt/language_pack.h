#pragma once
// The user's language pack: "Quillon-<code>.nls" beside the program is a translation
// catalogue. The "Language" setting lists three-letter codes one after the other; the
// list is tried from its end, so the pack of the first listed code that loads wins. A
// pack that exists but does not load is reported and the texts stay as they were.
// With a pack, Qt's own catalogue of that language (the texts of its buttons and
// standard dialogs) is loaded too when the machine has it; without it the pack still
// loads. Shared by the programs (the desktop program, the cover program).
// User-interface thread only.

#include <QString>

#include <memory>

class QTranslator;

namespace quillon {

class Prompter;
class SettingsStore;

class LanguagePack {
public:
    static constexpr const char* kLoadError = "An error occured while loading language pack.";
    static constexpr const char* kSection = "General";
    static constexpr const char* kSettingName = "Language";
    static constexpr const char* kDefaultCodes = "eng";

    explicit LanguagePack(Prompter& prompter);
    ~LanguagePack();
    LanguagePack(const LanguagePack&) = delete;
    LanguagePack& operator=(const LanguagePack&) = delete;

    static QString fileName(const QString& folder, const QString& code);
    // Qt's name for the language of a three-letter code ("deu" -> "de"); empty when
    // the code is not one we know.
    static QString qtLanguage(const QString& code);
    // Where Qt's own catalogues are looked for: Qt's translations folder, unless
    // setQtCatalogueFolder() named another (tests).
    static QString qtCatalogueFolder();
    static void setQtCatalogueFolder(const QString& folder);

    // Frees the loaded pack, then loads from `folder` for `codes`. Returns whether a
    // pack is active afterwards.
    bool load(const QString& folder, const QString& codes);
    // The same for the codes of the user's "Language" setting.
    bool loadSetting(const QString& folder, const SettingsStore& settings);
    void unload();
    // The code of the active pack, empty for the built-in English texts.
    const QString& activeCode() const { return m_code; }
    // Whether Qt's own catalogue of the pack's language is installed with it.
    bool hasQtCatalogue() const { return m_qtTranslator != nullptr; }

private:
    void loadQtCatalogue(const QString& code);

    Prompter& m_prompter;
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_qtTranslator;
    QString m_code;
};

} // namespace quillon
