// Messages put together from a template and values: their English, and how a prompter
// that does not translate shows them.

#include "base/prompt_text.h"
#include "base/recording_prompter.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(PromptText, ValuesFillTheirPlaceholdersOnceAndInOrder)
{
    // A value that holds a placeholder of its own (a file name) is not filled again, a
    // placeholder without a value stays, and a percent sign that is none is kept.
    PromptText text("Cannot copy %2 to %1 (100%): %3");
    text.arg("/music/%2.wav").arg(std::string("/tmp/a.wav"));
    EXPECT_EQ(text.english(), "Cannot copy /tmp/a.wav to /music/%2.wav (100%): %3");
    EXPECT_EQ(PromptText("%1 LUFS, %2 tracks").arg(-14.04, 1).arg(size_t(12)).english(), "-14.0 LUFS, 12 tracks");

    // A value that is a text of its own is rendered with its own values.
    PromptText rule("A code has %1 digits.");
    rule.arg(13);
    const PromptText refusal = PromptText("The code (%1) is not valid. %2").arg("0724").arg(rule);
    EXPECT_EQ(refusal.english(), "The code (0724) is not valid. A code has 13 digits.");
    EXPECT_EQ(refusal.arguments().size(), 2u);
    ASSERT_TRUE(refusal.arguments()[1].nested);
    EXPECT_EQ(refusal.arguments()[1].nested->pattern(), "A code has %1 digits.");
}

TEST(PromptText, APrompterThatDoesNotTranslateShowsTheEnglish)
{
    RecordingPrompter prompter;
    Prompter& any = prompter;
    any.showMessage(PromptText("CD track %1 could not be rendered.").arg(3), PromptIcon::Error);
    prompter.queueAnswer(false);
    EXPECT_FALSE(any.askYesNo(PromptText("Recover %1?").arg("Mix")));
    any.showMessage("A whole text");
    ASSERT_EQ(prompter.entries().size(), 3u);
    EXPECT_EQ(prompter.entries()[0].text, "CD track 3 could not be rendered.");
    EXPECT_EQ(prompter.entries()[0].icon, PromptIcon::Error);
    EXPECT_EQ(prompter.entries()[1].kind, RecordingPrompter::Kind::YesNo);
    EXPECT_EQ(prompter.entries()[1].text, "Recover Mix?");
    EXPECT_EQ(prompter.entries()[2].text, "A whole text");
}

} // namespace
} // namespace quillon
