#include <cmath>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VMLTextEditor.h"
#include "widgets/VMLTextEditorViewport.h"

namespace
{
const juce::Font defaultFont (14.0f);
const float lineHeight = defaultFont.getHeight();

// Left edges of each glyph of `text`, then the right edge of the last.
juce::Array<float> glyphLefts (const juce::String& text)
{
    juce::GlyphArrangement glyphs;
    VFontFallback::addLineOfText (glyphs, defaultFont, text, 0.0f, 0.0f);
    juce::Array<float> lefts;
    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
        lefts.add (glyphs.getGlyph (i).getLeft());
    lefts.add (glyphs.getBoundingBox (0, -1, false).getRight());
    return lefts;
}

juce::Point<float> charPosition (const VMLTextEditor& box, int index)
{
    float x, y, h;
    box.getCharPosition (index, x, y, h);
    return { x, y };
}

std::unique_ptr<VMLTextEditor> makeBox (int w, int h, const juce::String& text, bool multiLine = false)
{
    auto box = std::make_unique<VMLTextEditor>();
    box->setMultiLine (multiLine, true);
    box->setSize (w, h);
    box->setText (text, false);
    box->setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box->setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    box->setColour (juce::TextEditor::textColourId, juce::Colours::white);
    return box;
}

// The colour drawn in the middle of character `index`, inside the text holder.
juce::Colour pixelAtChar (VMLTextEditor& box, int index)
{
    auto& holder = box.getTextHolder();
    juce::Image image (juce::Image::ARGB, holder.getWidth(), holder.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        box.drawContent (g);
    }
    const auto x = (charPosition (box, index).x + charPosition (box, index + 1).x) / 2.0f;
    return image.getPixelAt (juce::roundToInt (x) + VMLTextEditor::leftIndent, VMLTextEditor::topIndent + 7);
}
} // namespace

//==============================================================================
TEST (VMLTextEditorLayout, TheCaretAndTheTextHolderFollowTheGlyphs)
{
    auto box = makeBox (300, 24, "Hello");
    const auto lefts = glyphLefts ("Hello");
    for (int i = 0; i <= 5; ++i)
    {
        box->setCaretPosition (i);
        EXPECT_EQ (box->getCaretRectangle(), juce::Rectangle<int> (juce::roundToInt (lefts[i]), 0, 2, 14)) << i;
    }
    // The indents (4 left, 4 top) and the caret's room around the text.
    EXPECT_EQ (box->getTextHolder().getWidth(), 4 + juce::roundToInt (defaultFont.getStringWidthFloat ("Hello")) + 2);
    EXPECT_EQ (box->getTextHolder().getHeight(), 4 + 14 + 1);
    EXPECT_EQ (makeBox (300, 200, "one\ntwo\n", true)->getTextHolder().getHeight(), 4 + 3 * 14 + 1) << "and the empty last line";
}

TEST (VMLTextEditorLayout, WordsWrapAtTheBoxWidthAndLongWordsBetweenGlyphs)
{
    auto box = makeBox (60, 200, "aaaa bbbb cccc", true);
    const auto wrap = box->getWordWrapWidth();
    ASSERT_EQ (wrap, 60.0f - 4.0f - 4.0f - 3.0f);
    EXPECT_FLOAT_EQ (charPosition (*box, 4).y, 0.0f) << "the space stays on the first line";
    EXPECT_EQ (charPosition (*box, 5), juce::Point<float> (0.0f, lineHeight));
    EXPECT_EQ (charPosition (*box, 10), juce::Point<float> (0.0f, 2.0f * lineHeight));
    EXPECT_EQ (box->indexAtPosition (1.0f, lineHeight + 2.0f), 5);
    EXPECT_EQ (box->indexAtPosition (wrap - 1.0f, 2.0f), 4) << "right of a line's end: its last character";

    box->setText ("abcdefghijklmnop", false);
    const auto lefts = glyphLefts ("abcdefghijklmnop");
    int firstOnSecondLine = 0;
    while (lefts[firstOnSecondLine + 1] - 0.0001f < wrap)
        ++firstOnSecondLine;
    EXPECT_FLOAT_EQ (charPosition (*box, firstOnSecondLine - 1).y, 0.0f);
    EXPECT_EQ (charPosition (*box, firstOnSecondLine), juce::Point<float> (0.0f, lineHeight));
}

TEST (VMLTextEditorLayout, AGlyphWiderThanTheLineStandsAlone)
{
    auto box = makeBox (13, 400, "WWW", true);
    box->setBorder ({ 0, 0, 0, 0 });
    ASSERT_LT (box->getWordWrapWidth(), defaultFont.getStringWidthFloat ("W"));
    ASSERT_GT (box->getWordWrapWidth(), 0.0f);
    box->setText ("WWW", false);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (charPosition (*box, i), juce::Point<float> (0.0f, (float) i * lineHeight)) << i;
    box->setText ("iW", false);
    EXPECT_EQ (charPosition (*box, 1), juce::Point<float> (0.0f, lineHeight)) << "not cut to nothing after a narrow glyph";
}

TEST (VMLTextEditorLayout, ABoxNarrowerThanItsIndentPlacesEverythingAtTheOriginAndDrawsNothing)
{
    auto box = makeBox (8, 100, "some text", true);
    ASSERT_LE (box->getWordWrapWidth(), 0.0f);
    for (int i = 0; i <= 9; ++i)
        EXPECT_EQ (charPosition (*box, i), juce::Point<float>()) << i;
    EXPECT_EQ (zotext::countPixels (zotext::paintBox (*box), [] (auto p) { return p.getBrightness() >= 0.3f; }), 0);
}

TEST (VMLTextEditorLayout, TextLongerThanASixteenBitCountKeepsItsIndices)
{
    auto box = makeBox (200, 24, juce::String::repeatedString ("a", 70000));
    EXPECT_EQ (box->getCaretPosition(), 70000);
    box->setHighlightedRegion ({ 69000, 69000 });
    box->insertTextAtCaret ("X");
    EXPECT_EQ (box->getCaretPosition(), 69001);
    EXPECT_EQ (box->getText().indexOfChar ('X'), 69000);
    EXPECT_GT (charPosition (*box, 69001).x, charPosition (*box, 69000).x);
    EXPECT_GT (charPosition (*box, 69000).x, 69000.0f * 5.0f);
}

TEST (VMLTextEditorLayout, ASingleLineIsCentredAndScrollsToShowTheCaret)
{
    // The holder is 4 + 14 + 1 = 19 high and sits at -((height - 19 - 4) / 2).
    for (auto [height, expectedY] : { std::pair { 30, 3 }, std::pair { 20, -1 } })
    {
        auto box = makeBox (60, height, "Track 1");
        box->setBorder ({ 0, 2, 0, 2 });
        EXPECT_EQ (box->getLocalPoint (&box->getTextHolder(), juce::Point<int>()).y, expectedY) << height;
    }

    auto box = makeBox (60, 24, "a rather long track name that does not fit");
    const auto caret = box->getCaretRectangleForCharIndex (box->getCaretPosition());
    EXPECT_GE (caret.getX(), 0);
    EXPECT_LE (caret.getRight(), box->getWidth());
    box->setCaretPosition (0);
    EXPECT_EQ (box->getViewport().getViewPositionX(), 0);
}

//==============================================================================
TEST (VMLTextEditorDrawing, TheSelectionIsFullStrengthOnlyWithFocus)
{
    if (! zotext::haveDisplay())
        GTEST_SKIP() << "focus needs a display (run under xvfb-run)";

    juce::Component window;
    window.setSize (240, 60);
    VMLTextEditor box;
    box.setBounds (10, 10, 200, 24);
    window.addAndMakeVisible (box);
    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::transparentBlack);
    box.setText ("HHHH", false);
    box.setHighlightedRegion ({ 1, 3 });
    EXPECT_NEAR (pixelAtChar (box, 1).getAlpha(), 128, 2);
    EXPECT_GT (pixelAtChar (box, 1).getRed(), 250);
    EXPECT_EQ (pixelAtChar (box, 3).getAlpha(), 0);

    zotext::addToDesktopForTest (window);
    zotest::pumpUntil ([&] { return window.isShowing(); }, 3000);
    box.grabKeyboardFocus();
    ASSERT_TRUE (zotest::pumpUntil ([&] { return box.hasKeyboardFocus (true); }, 3000));
    EXPECT_EQ (pixelAtChar (box, 1), juce::Colours::red);

    std::vector<juce::String> log;
    zotext::RecordingListener listener (log, "L");
    box.addListener (&listener);
    window.setWantsKeyboardFocus (true);
    window.grabKeyboardFocus();
    ASSERT_TRUE (zotest::pumpUntil ([&] { return ! log.empty(); }, 3000));
    EXPECT_EQ (log.front(), "L:focus");
    EXPECT_NEAR (pixelAtChar (box, 1).getAlpha(), 128, 2);
    window.removeFromDesktop();
}

TEST (VMLTextEditorDrawing, TheCompositionUnderlineIsDotted)
{
    auto box = makeBox (200, 24, "HHHH");
    box->setTemporaryUnderlining ({ juce::Range<int> (0, 4) });
    auto& holder = box->getTextHolder();
    juce::Image image (juce::Image::ARGB, holder.getWidth(), holder.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        box->drawContent (g);
    }
    const auto y = VMLTextEditor::topIndent + juce::roundToInt (defaultFont.getAscent() + 0.5f);
    const auto endX = juce::roundToInt (charPosition (*box, 4).x);
    ASSERT_GT (endX, 12);
    for (int k = 0; k < endX - 1; ++k)
        EXPECT_EQ (image.getPixelAt (VMLTextEditor::leftIndent + k, y).getAlpha() > 0, (k / 3) % 2 == 0) << "column " << k;
}

TEST (VMLTextEditorDrawing, APasswordCharacterOrThePlaceholderIsDrawnInstead)
{
    VMLTextEditor secret ({}, '*');
    auto plain = makeBox (120, 24, "***");
    secret.setSize (120, 24);
    for (auto id : { juce::TextEditor::backgroundColourId, juce::TextEditor::outlineColourId, juce::TextEditor::textColourId })
        secret.setColour (id, plain->findColour (id));
    secret.setText ("a b", false);
    EXPECT_TRUE (zotext::samePixels (zotext::paintBox (secret), zotext::paintBox (*plain)));

    const auto lime = [] (juce::Colour p) { return p.getGreen() > 100 && p.getRed() < 60 && p.getBlue() < 60; };
    plain->setText ("", false);
    plain->setTextToShowWhenEmpty ("none", juce::Colours::lime);
    EXPECT_GT (zotext::countPixels (zotext::paintBox (*plain), lime, 0, VMLTextEditor::leftIndent + 20), 0);
    EXPECT_EQ (zotext::countPixels (zotext::paintBox (*plain), lime, 0, VMLTextEditor::leftIndent), 0);
    plain->setText ("x", false);
    EXPECT_EQ (zotext::countPixels (zotext::paintBox (*plain), lime), 0);
}

// A name mixing Latin and Chinese in a box whose font has no Chinese glyphs.
TEST (VMLTextEditorDrawing, AMixedNameDrawsEveryGlyphWhereTheCaretPositionsSayItIs)
{
    const auto name = zotext::mixedName();
    ASSERT_FALSE (VFontFallback::hasAllGlyphs (defaultFont, name)) << "the test needs a Latin-only default font";
    auto box = makeBox (120, 24, name);
    box->setBorder ({ 0, 2, 0, 2 });
    box->setCaretPosition (0);

    const auto lefts = glyphLefts (name);
    for (int i = 0; i < name.length(); ++i)
    {
        EXPECT_NEAR (charPosition (*box, i).x, lefts[i], 0.01f) << i;
        EXPECT_EQ (box->indexAtPosition ((lefts[i] + lefts[i + 1]) / 2.0f - 0.5f, 5.0f), i) << i;
    }

    // Each Chinese character has ink of its own between its neighbours' edges.
    const auto image = zotext::paintBox (*box);
    const auto origin = box->getLocalPoint (&box->getTextHolder(), juce::Point<int> (VMLTextEditor::leftIndent, VMLTextEditor::topIndent));
    const auto column = [&] (int index) { return origin.x + (int) std::floor (lefts[index]); };
    for (int i : { 6, 7 })
        EXPECT_GT (zotext::countPixels (image, [] (auto p) { return p.getBrightness() > 0.5f; }, column (i) + 1, column (i + 1)), 10) << i;

    // The selection of the two Chinese characters covers exactly their glyphs.
    box->setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box->setHighlightedRegion ({ 6, 8 });
    const auto selected = zotext::paintBox (*box);
    const auto reddish = [&] (float x)
    {
        const auto p = selected.getPixelAt (origin.x + (int) x, origin.y + 1);
        return p.getRed() > 120 && p.getGreen() < 90;
    };
    EXPECT_FALSE (reddish (std::floor (lefts[6]) - 1));
    EXPECT_TRUE (reddish (std::ceil (lefts[6]) + 1));
    EXPECT_TRUE (reddish (std::floor (lefts[8]) - 1));
    EXPECT_FALSE (reddish (std::ceil (lefts[8]) + 1));
}
