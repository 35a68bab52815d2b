// The German pack reaching what is not a literal of the program itself: the names our
// servers hand over, the messages the Qt-free layers put together, and Qt's own buttons.

#include "app/app_fixture.h"
#include "base_qt/language_pack.h"
#include "cd/burn_request_handler.h"
#include "cd/cd_disc_plan.h"
#include "cd/red_book_preflight.h"
#include "model/label_list.h"
#include "model/multitracker_doc.h"
#include "plugins/effect_catalog.h"
#include "plugins/file_filter.h"
#include "plugins/plugin_host.h"
#include "support/modal_answer.h"
#include "ui/effect_chain_editor.h"
#include "ui/file_dialog_filters.h"
#include "ui/generic_effect_editor.h"
#include "ui/qt_prompter.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>

#include <functional>

namespace quillon::test {
namespace {

class GermanPackTest : public AppFixture {
protected:
    GermanPackTest()
    {
        const QString program = folder("program");
        EXPECT_TRUE(QFile::copy(QStringLiteral(QUILLON_GERMAN_PACK), LanguagePack::fileName(program, "deu")));
        EXPECT_TRUE(pack.load(program, "deu"));
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        for (const char* server : {"/effects.so", "/filefilter.so"})
            EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + server)) << server;
        catalog.build(host);
        EffectCatalog::setCurrent(&catalog);
    }
    ~GermanPackTest() override
    {
        EffectCatalog::setCurrent(nullptr);
        pack.unload();
    }

    // What a message box shows when `show` brings one up, and the text of one of its buttons.
    std::pair<QString, QString> boxShownBy(const std::function<void()>& show, QMessageBox::StandardButton button)
    {
        std::pair<QString, QString> seen;
        answerModal<QMessageBox>([&](QMessageBox& box) {
            seen = {box.text(), box.button(button) ? box.button(button)->text() : QString()};
            box.reject();
        });
        show();
        return seen;
    }

    LanguagePack pack{prompter};
    PluginHost host;
    EffectCatalog catalog;
};

TEST_F(GermanPackTest, TheEffectsServersNamesAreGermanInTheMenuTheChainAndTheEditor)
{
    CMultitrackerDoc doc(settings, prompter);
    doc.onNewDocument();
    CEffectChainEditor editor(doc, settings, prompter);
    editor.setCatalog(&catalog);
    ASSERT_TRUE(editor.showChain(CEffectChainEditor::kModeMaster));

    // The compressor sits under "VOLUME\Dynamics\" in its server's menu line.
    std::unique_ptr<QMenu> menu = editor.makeAddMenu();
    QAction* compressor = nullptr;
    QStringList path;
    std::function<bool(QMenu*)> walk = [&](QMenu* m) {
        for (QAction* a : m->actions()) {
            if (a->menu()) {
                path << a->text();
                if (walk(a->menu()))
                    return true;
                path.removeLast();
            } else if (a->text() == QStringLiteral("Kompressor")) {
                compressor = a;
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(walk(menu.get()));
    EXPECT_EQ(path, (QStringList{QStringLiteral("Lautstärke"), QStringLiteral("Dynamik")}));
    compressor->trigger();
    ASSERT_EQ(editor.chainList()->count(), 1);
    EXPECT_EQ(editor.chainList()->item(0)->text(), QStringLiteral("Kompressor"));
    // The model keeps the server's own name: presets and project files do not change.
    EXPECT_EQ(doc.masterChain().at(0)->name(), "Compressor");

    GenericEffectEditor* generic = editor.genericEditor();
    ASSERT_NE(generic, nullptr);
    QStringList labels;
    for (QLabel* label : generic->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Schwelle"))) << labels.join(" | ").toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Aufholverstärkung"))) << labels.join(" | ").toStdString();
    EXPECT_FALSE(labels.contains(QStringLiteral("Threshold")));
    EXPECT_TRUE(generic->valueText(0).endsWith(QStringLiteral(" dB"))) << generic->valueText(0).toStdString();
    doc.deleteContents();
}

TEST_F(GermanPackTest, TheFileFiltersTypesAreGermanInTheOpenAndSaveDialogs)
{
    const FileFilter filter = FileFilter::create(host);
    const QString filters = FileDialogFilters::fromList(filter.filterList());
    EXPECT_TRUE(filters.startsWith(QStringLiteral("Alle Audiodateien ("))) << filters.toStdString();
    EXPECT_TRUE(filters.contains(QStringLiteral("Wave-Dateien (*.wav *.wave)"))) << filters.toStdString();
    EXPECT_FALSE(filters.contains(QStringLiteral("Wave files")));
    const std::vector<std::string> formats = filter.exportFormatNames();
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(QCoreApplication::translate("FileTypes", formats.front().c_str()), QStringLiteral("Wave-Audio (*.wav)"));
}

TEST_F(GermanPackTest, AssembledMessagesAndQtsOwnButtonsAreGermanInTheMessageBox)
{
    QtPrompter qt;
    // The burner's question for an image path, answered with one that is too long.
    BurnRequestHandler handler(qt);
    const std::string path = "/" + std::string(VARDA_PATH_SIZE, 'x') + ".cue";
    handler.setImagePathChooser([&] { return std::optional<std::string>(path); });
    char buffer[VARDA_PATH_SIZE] = {};
    const auto [tooLong, ok] = boxShownBy([&] { handler.answer(VARDA_REQUEST_IMAGE_PATH, buffer); }, QMessageBox::Ok);
    EXPECT_EQ(tooLong, QStringLiteral("Der Pfad der Image-Datei ist zu lang: ") + QString::fromStdString(path));

    // A refusal whose value is a text of its own, and a question with Qt's Cancel button.
    // (The disc runs 2 seconds longer than the project: the first pause comes before it.)
    constexpr int32_t kRate = 44100;
    CLabelList labels;
    labels.add(0, ProjectLabel::kTrackSplit, "One");
    labels.add(20 * kRate, ProjectLabel::kTrackSplit, "Two")->isrc = "XX";
    const PreflightResult isrc = RedBookPreflight::check(CdDiscPlan(labels, 60 * kRate, kRate), "Disc", "Artist");
    const auto [refused, ignored] = boxShownBy([&] { qt.showMessage(isrc.refusal, PromptIcon::Error); }, QMessageBox::Ok);
    EXPECT_TRUE(refused.startsWith(QStringLiteral("Der ISRC von CD-Titel 2 (XX) ist ungültig. Ein ISRC hat 12 Zeichen:")))
        << refused.toStdString();

    CLabelList long80;
    long80.add(0, ProjectLabel::kTrackSplit, "Long");
    const PreflightResult past80 =
        RedBookPreflight::check(CdDiscPlan(long80, 85 * 60 * kRate, kRate), "Disc", "Artist", RedBookPreflight::kCdr90Blocks);
    ASSERT_FALSE(past80.warning.empty());
    const auto [question, cancel] = boxShownBy([&] { qt.askOkCancel(past80.warning); }, QMessageBox::Cancel);
    EXPECT_TRUE(question.startsWith(QStringLiteral("Die Disc hat eine Spielzeit von 85:02 und"))) << question.toStdString();
    EXPECT_EQ(cancel, QStringLiteral("Abbrechen"));

    // Without the pack the same texts are English again, Qt's buttons included.
    pack.unload();
    const auto [english, englishCancel] = boxShownBy([&] { qt.askOkCancel(past80.warning); }, QMessageBox::Cancel);
    EXPECT_TRUE(english.startsWith(QStringLiteral("The disc runs 85:02, past"))) << english.toStdString();
    EXPECT_EQ(englishCancel, QStringLiteral("Cancel"));
}

} // namespace
} // namespace quillon::test
