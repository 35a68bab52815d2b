// The effect chain editor over the shipped effects: its modes, the catalogue menu, the
// generic editor driven by user input and heard in a render, presets shared with
// quillon-cli, and the editor letting go of chains that the document destroys.

#include "base/folder_settings.h"
#include "cli/cli_app.h"
#include "engine/renderer.h"
#include "engine/sample_block.h"
#include "engine/sample_sink.h"
#include "model/assignable_group.h"
#include "model/effect_preset_file.h"
#include "model/project_file.h"
#include "ui/assignable_groups_dialog.h"
#include "ui/effect_chain_editor.h"
#include "ui/generic_effect_editor.h"
#include "ui/level_slider.h"
#include "ui/new_preset_dialog.h"
#include "ui/remove_preset_dialog.h"
#include "ui_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace quillon;

namespace {

class RmsSink : public SampleSink {
public:
    bool acceptBlock(const SampleBlock& block) override
    {
        const float* d = block.data();
        frames.insert(frames.end(), d, d + size_t(block.frameCount()) * block.channels());
        m_done += block.frameCount();
        return true;
    }
    int64_t framesDone() const override { return m_done; }
    int64_t framesDelivered() const override { return m_done; }
    // Of the left channel from frame `from` on.
    double rms(size_t from) const
    {
        double sum = 0;
        size_t n = 0;
        for (size_t f = from; 2 * f < frames.size(); ++f, ++n)
            sum += double(frames[2 * f]) * frames[2 * f];
        return n ? std::sqrt(sum / double(n)) : 0.0;
    }
    std::vector<float> frames;

private:
    int64_t m_done = 0;
};

class EffectChainEditorTest : public test::UiFixture {
protected:
    EffectChainEditorTest()
    {
        const char* dir = std::getenv("QUILLON_SERVER_DIR");
        EXPECT_TRUE(host.addServerLibrary(std::string(dir ? dir : "") + "/effects.so"));
        catalog.build(host);
        EffectCatalog::setCurrent(&catalog);
        FolderSettings(settings).store(kFolderPresets, tmp.file("presets"));
        editor = std::make_unique<CEffectChainEditor>(*doc, settings, prompter);
        editor->setCatalog(&catalog);
    }
    ~EffectChainEditorTest() override
    {
        editor.reset();
        doc->deleteContents();
        EffectCatalog::setCurrent(nullptr);
    }

    const EffectCatalogEntry& entry(const std::string& name)
    {
        for (const EffectCatalogEntry& e : catalog.entries())
            if (e.name == name)
                return e;
        ADD_FAILURE() << "no effect " << name;
        return catalog.entries().front();
    }

    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < editor->chainList()->count(); ++i)
            names << editor->chainList()->item(i)->text();
        return names;
    }

    // Runs quillon-cli in this process, as a separate invocation would.
    int cli(const std::vector<std::string>& args)
    {
        cliOut.str({});
        cliErr.str({});
        int rc = 0;
        {
            CliApp app(settings, cliOut, cliErr);
            rc = app.run(args);
        }
        PluginHost::setCurrent(&host);
        EffectCatalog::setCurrent(&catalog);
        return rc;
    }

    // Level of a render of a 0.25 sine of `frequency` through track 0 after the first
    // quarter second.
    double renderedLevel(double frequency)
    {
        if (!toneClip || toneFrequency != frequency) {
            if (toneClip && doc->removeClip(toneClip) >= 0)
                delete toneClip; // a removed clip is its remover's
            std::vector<float> data(44100 * 2);
            for (size_t f = 0; f < 44100; ++f)
                data[2 * f] = data[2 * f + 1] = float(0.25 * std::sin(2 * M_PI * frequency * double(f) / 44100));
            const std::string path = tmp.file("tone" + std::to_string(int(frequency)) + ".wav");
            EXPECT_TRUE(test::writeAudio(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, data));
            auto clip = std::make_unique<CAudioClip>(&doc->format());
            EXPECT_TRUE(clip->openFile(0, path));
            toneClip = doc->addClipToTrack(0, std::move(clip), false);
            toneFrequency = frequency;
        }
        for (int i = 0; i < doc->trackCount(); ++i)
            doc->trackAt(i)->setPlaybackOff(0);
        RmsSink sink;
        RenderRequest r;
        r.sink = &sink;
        r.range = SampleRange(0, 44100);
        r.extraGain = 1.0f;
        EXPECT_EQ(Renderer(*doc).render(r), 1);
        return sink.rms(11025);
    }

    static double dB(double ratio) { return 20.0 * std::log10(ratio); }

    EffectCatalog catalog;
    std::unique_ptr<CEffectChainEditor> editor;
    std::ostringstream cliOut, cliErr;
    CAudioClip* toneClip = nullptr;
    double toneFrequency = 0;
};

TEST_F(EffectChainEditorTest, ModesNameTheirChainAndRefuseMissingOnes)
{
    EXPECT_TRUE(editor->showChain(CEffectChainEditor::kModeMaster));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - Master"));
    EXPECT_EQ(editor->chain(), &doc->masterChain());
    EXPECT_TRUE(editor->isVisible());

    doc->setCurrentTrack(1);
    EXPECT_TRUE(editor->showChain(CEffectChainEditor::kModeTrack));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - Track 2"));
    EXPECT_EQ(editor->chain(), &doc->trackAt(1)->effects());

    // No group yet: nothing to show, and the editor stays on what it had.
    EXPECT_FALSE(editor->showChain(CEffectChainEditor::kModeGroup, -1));
    EXPECT_EQ(editor->chain(), &doc->trackAt(1)->effects());
    doc->addGroup();
    CAssignableGroup* second = doc->addGroup();
    EXPECT_TRUE(editor->showChain(CEffectChainEditor::kModeGroup, -1));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - FX G2"));
    EXPECT_EQ(editor->chain(), &second->chain());
    EXPECT_TRUE(editor->showChain(CEffectChainEditor::kModeGroup, 0));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - FX G1"));
    EXPECT_FALSE(editor->showChain(CEffectChainEditor::kModeGroup, 2));

    EXPECT_TRUE(editor->showChain(CEffectChainEditor::kModeHide));
    EXPECT_FALSE(editor->isVisible());
    doc->setCurrentTrack(-1);
    EXPECT_FALSE(editor->showChain(CEffectChainEditor::kModeTrack));
}

TEST_F(EffectChainEditorTest, AddInsertsBeforeTheSelectionAndTheDialogFitsTheEditor)
{
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeMaster));
    EXPECT_EQ(editor->size(), editor->initialSize());
    EXPECT_FALSE(editor->presetButton()->isEnabled());

    // The catalogue menu: every entry is reachable, and choosing one adds it.
    std::unique_ptr<QMenu> menu = editor->makeAddMenu();
    QAction* equaliser = nullptr;
    std::function<void(QMenu*)> walk = [&](QMenu* m) {
        for (QAction* a : m->actions()) {
            if (a->menu())
                walk(a->menu());
            else if (a->text() == QStringLiteral("Parametric Equaliser"))
                equaliser = a;
        }
    };
    walk(menu.get());
    ASSERT_NE(equaliser, nullptr);
    equaliser->trigger();
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Parametric Equaliser")});
    EXPECT_EQ(editor->chainList()->currentRow(), 0);

    // Selected is the equaliser, so the next one goes before it.
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("Gain and Balance"), QStringLiteral("Parametric Equaliser")}));
    EXPECT_EQ(editor->chainList()->currentRow(), 0);
    ASSERT_EQ(doc->masterChain().size(), 2u);
    EXPECT_EQ(doc->masterChain().at(0)->name(), "Gain and Balance");

    // Neither has an editor of its own: the generic one has a control per parameter,
    // and the dialog grows to hold it.
    editor->chainList()->setCurrentRow(1);
    GenericEffectEditor* generic = editor->genericEditor();
    ASSERT_NE(generic, nullptr);
    EXPECT_EQ(uint32_t(generic->parameterCount()), doc->masterChain().at(1)->parameterCount());
    EXPECT_NE(qobject_cast<CLevelSlider*>(generic->control(0)), nullptr);
    EXPECT_EQ(generic->valueText(0), QStringLiteral("100 Hz"));
    EXPECT_GE(editor->width(), generic->width());
    EXPECT_GE(editor->height(), generic->height());
    EXPECT_GT(editor->width(), editor->initialSize().width());
    EXPECT_TRUE(editor->presetButton()->isEnabled());

    // Removing both returns the dialog to its first size.
    ASSERT_TRUE(editor->removeSelectedEffect());
    ASSERT_TRUE(editor->removeSelectedEffect());
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(editor->effectEditor(), nullptr);
    EXPECT_EQ(editor->size(), editor->initialSize());
    EXPECT_FALSE(editor->removeSelectedEffect());
}

TEST_F(EffectChainEditorTest, AnEditInTheGenericEditorIsHeardAndIsOneUndoStep)
{
    const double flat1k = renderedLevel(1000);
    ASSERT_GT(flat1k, 0.1);
    doc->setCurrentTrack(0);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeTrack));
    ASSERT_TRUE(editor->addEffect(entry("Parametric Equaliser")));
    EXPECT_NEAR(dB(renderedLevel(1000) / flat1k), 0.0, 0.05);

    // Band 2 sits at 1 kHz: three pages up from 0 dB are +10.8 dB (36 dB over 1000 steps).
    GenericEffectEditor* generic = editor->genericEditor();
    ASSERT_NE(generic, nullptr);
    auto* gain = qobject_cast<CLevelSlider*>(generic->control(6));
    ASSERT_NE(gain, nullptr);
    const size_t steps = doc->undoHistory().undoCount();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(gain, Qt::Key_PageUp);
    EXPECT_EQ(generic->valueText(6), QStringLiteral("10.8 dB"));
    EXPECT_EQ(doc->undoHistory().undoCount(), steps + 1);
    EXPECT_TRUE(doc->isModified());
    EXPECT_NEAR(dB(renderedLevel(1000) / flat1k), 10.8, 0.2);
    // A peak at 1 kHz leaves 8 kHz nearly alone.
    const double edited8k = renderedLevel(8000);
    editor->showChain(CEffectChainEditor::kModeHide);
    doc->trackAt(0)->effects().at(0)->setBypassed(true);
    EXPECT_NEAR(dB(edited8k / renderedLevel(8000)), 0.0, 1.5);
    doc->trackAt(0)->effects().at(0)->setBypassed(false);

    // Undo brings the flat equaliser back, and the editor shows the restored effect.
    ASSERT_TRUE(doc->undo());
    ASSERT_TRUE(editor->isBound());
    ASSERT_NE(editor->genericEditor(), nullptr);
    EXPECT_EQ(editor->genericEditor()->valueText(6), QStringLiteral("0 dB"));
    EXPECT_NEAR(dB(renderedLevel(1000) / flat1k), 0.0, 0.05);
}

TEST_F(EffectChainEditorTest, TheEditorFollowsItsOwnerAndNeverOutlivesIt)
{
    doc->insertTrack(2, std::make_unique<CTrack>("Third"));
    doc->setCurrentTrack(2);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeTrack));
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    CTrack* mine = doc->trackAt(2);

    // Another track goes: the editor moves with its track to the new index.
    ASSERT_TRUE(doc->deleteTrack(0));
    EXPECT_TRUE(editor->isBound());
    EXPECT_EQ(editor->chainIndex(), 1);
    EXPECT_EQ(editor->chain(), &mine->effects());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Effect Chain Editor - Track 2"));

    // Removing an effect: its editor is gone before the effect leaves the chain.
    bool editorGoneFirst = false;
    QObject::connect(editor->effectEditor(), &QObject::destroyed,
                     [&] { editorGoneFirst = mine->effects().size() == 1; });
    ASSERT_TRUE(editor->removeSelectedEffect());
    EXPECT_TRUE(editorGoneFirst);
    EXPECT_TRUE(doc->canUndo());

    // Its own track goes: the editor lets go and closes, its editor destroyed first.
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    editorGoneFirst = false;
    QObject::connect(editor->effectEditor(), &QObject::destroyed,
                     [&] { editorGoneFirst = doc->trackCount() == 2; });
    ASSERT_TRUE(doc->deleteTrack(1));
    EXPECT_TRUE(editorGoneFirst);
    EXPECT_FALSE(editor->isBound());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->chain(), nullptr);

    // Loading replaces every track: the editor stays with the same place.
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeMaster));
    ASSERT_TRUE(editor->addEffect(entry("Parametric Equaliser")));
    doc->setCurrentTrack(0);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeTrack));
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    const std::string path = tmp.file("p.vpf");
    std::string error;
    ASSERT_TRUE(ProjectFile::save(*doc, path, error)) << error;
    ASSERT_TRUE(ProjectFile::load(*doc, path, error)) << error;
    doc->updateAllViews(kHintStructure);
    EXPECT_TRUE(editor->isBound());
    EXPECT_EQ(editor->chain(), &doc->trackAt(0)->effects());
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Gain and Balance")});
    ASSERT_NE(editor->genericEditor(), nullptr);

    // A new project with one track leaves a group editor without its group: closed.
    doc->addGroup();
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeGroup, 0));
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    ASSERT_TRUE(doc->onNewDocument());
    EXPECT_FALSE(editor->isBound());
    EXPECT_EQ(editor->effectEditor(), nullptr);
}

TEST_F(EffectChainEditorTest, PresetsAreSharedWithTheCommandLineBothWays)
{
    doc->setCurrentTrack(0);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeTrack));
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    CTransformPlugin* effect = doc->trackAt(0)->effects().at(0);
    effect->setParameter(0, -12.0f);

    // The longest name the field holds is stored whole.
    const std::string longName(EffectPresetFile::kMaxName, 'p');
    ASSERT_TRUE(editor->addPreset(longName));
    ASSERT_TRUE(editor->addPreset("Quiet"));
    EffectPresetFile file;
    ASSERT_TRUE(file.read(editor->presetPath()));
    ASSERT_EQ(file.presets().size(), 2u);
    EXPECT_EQ(file.presets()[0].name, longName);
    const std::unique_ptr<QMenu> menu = editor->makePresetMenu();
    const QList<QAction*> items = menu->actions();
    ASSERT_GE(items.size(), 6);
    EXPECT_EQ(items[0]->data().toInt(), CEffectChainEditor::kFirstPresetId);
    EXPECT_EQ(items[1]->text(), QStringLiteral("Quiet"));
    EXPECT_EQ(items[1]->data().toInt(), CEffectChainEditor::kFirstPresetId + 1);
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), QStringLiteral("Remove Effect"));
    EXPECT_EQ(items[4]->text(), QStringLiteral("Add Preset..."));
    EXPECT_EQ(items[5]->text(), QStringLiteral("Delete Preset..."));

    // The dialog's preset, applied from the command line.
    const std::string project = tmp.file("fx.vpf");
    std::string error;
    ASSERT_TRUE(ProjectFile::save(*doc, project, error)) << error;
    ASSERT_EQ(cli({"effect", project, "--master", "--add", "Gain and Balance", "--preset", "Quiet"}), 0) << cliErr.str();
    ASSERT_EQ(cli({"effect", project, "--master", "--list"}), 0) << cliErr.str();
    EXPECT_NE(cliOut.str().find("0 Gain = -12"), std::string::npos) << cliOut.str();

    // A preset saved from the command line, applied in the dialog.
    ASSERT_EQ(cli({"effect", project, "--master", "--remove", "0"}), 0) << cliErr.str();
    ASSERT_EQ(cli({"effect", project, "--master", "--add", "Gain and Balance", "--param", "0=3.5"}), 0) << cliErr.str();
    ASSERT_EQ(cli({"preset", "Gain and Balance", "--save", "Louder", "--from", project, "--master", "--index", "0"}), 0)
        << cliErr.str();
    const std::vector<std::string> names = editor->presetNames();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[2], "Louder");
    const size_t steps = doc->undoHistory().undoCount();
    ASSERT_TRUE(editor->applyPreset(2));
    EXPECT_FLOAT_EQ(effect->parameter(0), 3.5f);
    EXPECT_EQ(doc->undoHistory().undoCount(), steps + 1);
    EXPECT_EQ(editor->genericEditor()->valueText(0), QStringLiteral("3.5 dB"));
    // The preset file's "(last)" record follows the effect.
    ASSERT_TRUE(file.read(editor->presetPath()));
    EXPECT_EQ(file.lastState(), effect->saveState());

    // Deleting through "Remove Preset".
    RemovePresetDialog remove(editor->presetNames(), [&](const std::string& n) { return editor->deletePreset(n); });
    remove.list()->setCurrentRow(1);
    remove.removeButton()->click();
    EXPECT_EQ(remove.list()->count(), 2);
    EXPECT_EQ(editor->presetNames(), (std::vector<std::string>{longName, "Louder"}));
    ASSERT_EQ(cli({"preset", "Gain and Balance", "--list"}), 0);
    EXPECT_EQ(cliOut.str().find("  Quiet\n"), std::string::npos) << cliOut.str();
}

TEST_F(EffectChainEditorTest, ADamagedPresetFileIsLeftAlone)
{
    doc->setCurrentTrack(0);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeTrack));
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    const std::string path = editor->presetPath();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    {
        // A "(last)" record claiming more state than the file holds.
        std::ofstream out(path, std::ios::binary);
        std::string bytes(EffectPresetFile::kNameField, '\0');
        bytes += std::string("\xff\xff\x00\x00", 4);
        out << bytes;
    }
    const std::uintmax_t before = std::filesystem::file_size(path);
    EXPECT_TRUE(editor->presetNames().empty());
    EXPECT_FALSE(editor->addPreset("New"));
    EXPECT_EQ(std::filesystem::file_size(path), before);
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_NE(prompter.messages().back().find("damaged"), std::string::npos);
}

TEST_F(EffectChainEditorTest, TheGroupsDialogAddsAndRemovesGroupsAsUndoSteps)
{
    AssignableGroupsDialog dialog(*doc, settings, prompter);
    dialog.setCatalog(&catalog);
    EXPECT_EQ(dialog.list()->count(), 0);
    EXPECT_FALSE(dialog.removeButton()->isEnabled());
    dialog.addButton()->click();
    dialog.addButton()->click();
    ASSERT_EQ(doc->groupCount(), 2);
    EXPECT_EQ(doc->groupAt(1)->sendCount(), doc->trackCount());
    EXPECT_EQ(dialog.list()->item(1)->text(), QStringLiteral("Assignable Effect Group 2"));
    EXPECT_EQ(dialog.list()->currentRow(), 1);
    EXPECT_EQ(dialog.effectsLabel()->text(), QStringLiteral("No effects"));

    // The main editor on group 2 goes with it; group 1 takes its place in the list.
    doc->groupAt(0)->setSendLevel(1, 0.5f);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeGroup, 1));
    ASSERT_TRUE(editor->addEffect(entry("Gain and Balance")));
    dialog.list()->setCurrentRow(1);
    EXPECT_EQ(dialog.effectsLabel()->text(), QStringLiteral("Effects: Gain and Balance"));
    prompter.queueAnswer(false);
    EXPECT_FALSE(dialog.removeSelectedGroup());
    EXPECT_EQ(doc->groupCount(), 2);
    prompter.queueAnswer(true);
    ASSERT_TRUE(dialog.removeSelectedGroup());
    EXPECT_EQ(doc->groupCount(), 1);
    EXPECT_EQ(dialog.list()->count(), 1);
    EXPECT_FALSE(editor->isBound());
    EXPECT_FALSE(editor->isVisible());

    // Undo brings the group back with its effect and the sends of the other.
    ASSERT_TRUE(doc->undo());
    ASSERT_EQ(doc->groupCount(), 2);
    EXPECT_EQ(doc->groupAt(1)->chain().size(), 1u);
    EXPECT_FLOAT_EQ(doc->groupAt(0)->sendLevelValue(1), 0.5f);
}

TEST_F(EffectChainEditorTest, AnEditorPromisedButNotBuiltGivesWayToTheGenericOne)
{
    PluginHost fakeHost;
    ASSERT_TRUE(fakeHost.addServerLibrary(QUILLON_FAKE_EFFECT_SERVER));
    EffectCatalog fakes;
    fakes.build(fakeHost);
    const EffectCatalogEntry* failing = nullptr;
    for (const EffectCatalogEntry& e : fakes.entries())
        if (e.name == "Failing Effect")
            failing = &e;
    ASSERT_NE(failing, nullptr);
    ASSERT_EQ(failing->hasEditor, 1);
    editor->setCatalog(&fakes);
    ASSERT_TRUE(editor->showChain(CEffectChainEditor::kModeMaster));
    ASSERT_TRUE(editor->addEffect(*failing));
    ASSERT_NE(editor->genericEditor(), nullptr);
    EXPECT_EQ(editor->genericEditor()->parameterCount(), 0);
    EXPECT_EQ(listed(), QStringList{QStringLiteral("Failing Effect")});
    ASSERT_TRUE(editor->removeSelectedEffect());
    EXPECT_TRUE(prompter.messages().empty());
}

TEST(NewPresetDialog, NamesFitTheFieldInBytes)
{
    NewPresetDialog dialog;
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    QTest::keyClicks(dialog.nameEdit(), QString(300, QLatin1Char('a')));
    EXPECT_EQ(dialog.name().size(), EffectPresetFile::kMaxName);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    // Two bytes a character: 127 of them fill the field.
    dialog.nameEdit()->clear();
    for (int i = 0; i < 200; ++i) // typed one by one, as the keyboard would
        dialog.nameEdit()->insert(QString(QChar(0x00E9)));
    EXPECT_EQ(dialog.nameEdit()->text().size(), 127);
    EXPECT_EQ(dialog.name().size(), 254u);
}

} // namespace
