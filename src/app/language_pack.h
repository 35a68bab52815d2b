#pragma once
// The user's language pack: "Quillon-<code>.nls" beside the program is a translation
// catalogue. The "Language" setting lists three-letter codes one after the other; the
// list is tried from its end, so the pack of the first listed code that loads wins. A
// pack that exists but does not load is reported and the texts stay as they were.
// User-interface thread only.

#include <QString>

#include <memory>

class QTranslator;

namespace quillon {

class Prompter;

class LanguagePack {
public:
    static constexpr const char* kLoadError = "An error occured while loading language pack.";

    explicit LanguagePack(Prompter& prompter);
    ~LanguagePack();
    LanguagePack(const LanguagePack&) = delete;
    LanguagePack& operator=(const LanguagePack&) = delete;

    static QString fileName(const QString& folder, const QString& code);

    // Frees the loaded pack, then loads from `folder` for `codes`. Returns whether a
    // pack is active afterwards.
    bool load(const QString& folder, const QString& codes);
    void unload();
    // The code of the active pack, empty for the built-in English texts.
    const QString& activeCode() const { return m_code; }

private:
    Prompter& m_prompter;
    std::unique_ptr<QTranslator> m_translator;
    QString m_code;
};

} // namespace quillon
