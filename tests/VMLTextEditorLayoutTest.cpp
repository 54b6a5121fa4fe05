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
    return box;
}

juce::Image paintText (VMLTextEditor& box)
{
    auto& holder = box.getTextHolder();
    juce::Image image (juce::Image::ARGB, holder.getWidth(), holder.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    box.drawContent (g);
    return image;
}

// The colour drawn in the middle of character `index`.
juce::Colour pixelAtChar (VMLTextEditor& box, int index)
{
    const auto x = (charPosition (box, index).x + charPosition (box, index + 1).x) / 2.0f;
    return paintText (box).getPixelAt (juce::roundToInt (x) + VMLTextEditor::leftIndent, VMLTextEditor::topIndent + 7);
}

void blackAndWhite (VMLTextEditor& box)
{
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
}
} // namespace

//==============================================================================
TEST (VMLTextEditorLayout, CaretRectangleAndHolderSizeFollowTheText)
{
    auto box = makeBox (300, 24, "Hello");
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    defaultFont.getGlyphPositions ("Hello", glyphs, offsets);

    for (int i = 0; i <= 5; ++i)
    {
        box->setCaretPosition (i);
        EXPECT_EQ (box->getCaretRectangle(), juce::Rectangle<int> (juce::roundToInt (offsets[i]), 0, 2, juce::roundToInt (lineHeight))) << i;
    }

    box->setText ("Hello world", false);
    EXPECT_EQ (box->getTextHolder().getWidth(), 4 + juce::roundToInt (defaultFont.getStringWidthFloat ("Hello world")) + 2);
    EXPECT_EQ (box->getTextHolder().getHeight(), 4 + juce::roundToInt (lineHeight) + 1);

    // Two lines of text and the empty line after the last line break.
    auto lines = makeBox (300, 200, "one\ntwo\n", true);
    EXPECT_EQ (lines->getTextHolder().getHeight(), 4 + juce::roundToInt (3.0f * lineHeight) + 1);
}

TEST (VMLTextEditorLayout, WordsWrapAtTheBoxWidth)
{
    auto box = makeBox (60, 200, "aaaa bbbb cccc", true);
    const auto wrap = box->getWordWrapWidth();
    ASSERT_EQ (wrap, 60.0f - 4.0f - 4.0f - 3.0f);
    ASSERT_GT (defaultFont.getStringWidthFloat ("aaaa bbbb"), wrap);
    ASSERT_LT (defaultFont.getStringWidthFloat ("bbbb "), wrap);

    EXPECT_FLOAT_EQ (charPosition (*box, 4).y, 0.0f) << "the space stays on the first line";
    EXPECT_EQ (charPosition (*box, 5), juce::Point<float> (0.0f, lineHeight));
    EXPECT_EQ (charPosition (*box, 10), juce::Point<float> (0.0f, 2.0f * lineHeight));

    EXPECT_EQ (box->indexAtPosition (1.0f, lineHeight + 2.0f), 5);
    EXPECT_EQ (box->indexAtPosition (wrap - 1.0f, 2.0f), 4) << "right of a line's end: its last character";
    EXPECT_EQ (box->indexAtPosition (1.0f, 10.0f * lineHeight), 14);

    // A word wider than the line is broken between glyphs.
    box->setText ("abcdefghijklmnop", false);
    const auto lefts = glyphLefts ("abcdefghijklmnop");
    int firstOnSecondLine = 0;

    while (lefts[firstOnSecondLine + 1] - 0.0001f < wrap)
        ++firstOnSecondLine;

    ASSERT_GT (firstOnSecondLine, 1);
    EXPECT_FLOAT_EQ (charPosition (*box, firstOnSecondLine - 1).y, 0.0f);
    EXPECT_EQ (charPosition (*box, firstOnSecondLine), juce::Point<float> (0.0f, lineHeight));
}

TEST (VMLTextEditorLayout, AGlyphWiderThanTheLineStandsAloneAndTheLayoutAdvances)
{
    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setBorder ({ 0, 0, 0, 0 });
    box.setSize (13, 400);
    ASSERT_LT (box.getWordWrapWidth(), defaultFont.getStringWidthFloat ("W"));
    ASSERT_GT (box.getWordWrapWidth(), 0.0f);

    box.setText ("WWW", false);

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (charPosition (box, i), juce::Point<float> (0.0f, (float) i * lineHeight)) << i;

    EXPECT_EQ (box.getTextHolder().getHeight(), 4 + juce::roundToInt (3.0f * lineHeight) + 1);

    // After a narrow glyph, the wide one starts its own line rather than being cut to nothing.
    box.setText ("iW", false);
    EXPECT_EQ (charPosition (box, 1), juce::Point<float> (0.0f, lineHeight));
}

TEST (VMLTextEditorLayout, ABoxNarrowerThanItsIndentLaysOutAndDrawsNothing)
{
    auto box = makeBox (8, 100, "some text", true);
    ASSERT_LE (box->getWordWrapWidth(), 0.0f);

    for (int i = 0; i <= 9; ++i)
        EXPECT_EQ (charPosition (*box, i), juce::Point<float>()) << i;

    EXPECT_EQ (box->indexAtPosition (3.0f, 3.0f), 9);

    blackAndWhite (*box);
    box->setText ("other text", false);
    EXPECT_EQ (zotext::countPixels (zotext::paintBox (*box), [] (auto p) { return p.getBrightness() >= 0.3f; }), 0);
}

TEST (VMLTextEditorLayout, TextLongerThanASixteenBitCountKeepsItsIndices)
{
    auto box = makeBox (200, 24, juce::String::repeatedString ("a", 70000));
    EXPECT_EQ (box->getTotalNumChars(), 70000);
    EXPECT_EQ (box->getCaretPosition(), 70000);
    EXPECT_EQ (box->getTextInRange ({ 69995, 70005 }), "aaaaa");

    box->setHighlightedRegion ({ 69000, 69000 });
    box->insertTextAtCaret ("X");
    EXPECT_EQ (box->getTotalNumChars(), 70001);
    EXPECT_EQ (box->getCaretPosition(), 69001);
    EXPECT_EQ (box->getTextInRange ({ 68999, 69002 }), "aXa");
    EXPECT_EQ (box->getText().indexOfChar ('X'), 69000);
    EXPECT_GT (charPosition (*box, 69001).x, charPosition (*box, 69000).x);
    EXPECT_GT (charPosition (*box, 69000).x, 69000.0f * 5.0f);

    EXPECT_TRUE (box->undo());
    EXPECT_EQ (box->getTotalNumChars(), 70000);
}

TEST (VMLTextEditorLayout, ASingleLineIsCentredAndScrollsToShowTheCaret)
{
    // The holder is 4 + 14 + 1 = 19 high and sits at -((height - 19 - 4) / 2).
    for (auto [height, expectedY] : { std::pair { 30, 3 }, std::pair { 20, -1 } })
    {
        auto box = makeBox (60, height, "Track 1");
        box->setBorder ({ 0, 2, 0, 2 });
        ASSERT_EQ (box->getTextHolder().getHeight(), 19);
        EXPECT_EQ (box->getLocalPoint (&box->getTextHolder(), juce::Point<int>()).y, expectedY) << height;
    }

    auto box = makeBox (60, 24, "a rather long track name that does not fit");
    const auto caret = box->getCaretRectangleForCharIndex (box->getCaretPosition());
    EXPECT_GE (caret.getX(), 0);
    EXPECT_LE (caret.getRight(), box->getWidth());
    EXPECT_GT (box->getViewport().getViewPositionX(), 0);

    box->setCaretPosition (0);
    EXPECT_EQ (box->getViewport().getViewPositionX(), 0);
}

//==============================================================================
TEST (VMLTextEditorDrawing, SelectionIsFullStrengthOnlyWithFocus)
{
    juce::Component window;
    window.setSize (240, 60);
    VMLTextEditor box;
    box.setBounds (10, 10, 200, 24);
    window.addAndMakeVisible (box);
    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::transparentBlack);
    box.setText ("HHHH", false);
    box.setHighlightedRegion ({ 1, 3 });

    ASSERT_FALSE (box.hasKeyboardFocus (true));
    EXPECT_NEAR (pixelAtChar (box, 1).getAlpha(), 128, 2);
    EXPECT_GT (pixelAtChar (box, 1).getRed(), 250);
    EXPECT_LT (pixelAtChar (box, 1).getGreen(), 5);
    EXPECT_EQ (pixelAtChar (box, 3).getAlpha(), 0);

    if (! zotext::haveDisplay())
        GTEST_SKIP() << "focus needs a display (run under xvfb-run)";

    zotext::addToDesktopForTest (window);
    zotest::pumpUntil ([&] { return window.isShowing(); }, 3000);
    box.grabKeyboardFocus();
    ASSERT_TRUE (zotest::pumpUntil ([&] { return box.hasKeyboardFocus (true); }, 3000));
    EXPECT_EQ (pixelAtChar (box, 1), juce::Colours::red);

    // Focus moves away: half strength again, and the loss reaches the listeners.
    std::vector<juce::String> log;
    zotext::RecordingListener listener (log, "L");
    box.addListener (&listener);
    window.setWantsKeyboardFocus (true);
    window.grabKeyboardFocus();
    ASSERT_TRUE (zotest::pumpUntil ([&] { return ! log.empty(); }, 3000));
    EXPECT_EQ (log.front(), "L:focus");
    EXPECT_FALSE (box.hasBeenFocused());
    EXPECT_FALSE (box.getTextHolder().isTimerRunning());
    EXPECT_NEAR (pixelAtChar (box, 1).getAlpha(), 128, 2);

    window.removeFromDesktop();
}

TEST (VMLTextEditorDrawing, CompositionUnderlineIsDotted)
{
    auto box = makeBox (200, 24, "HHHH");
    box->setColour (juce::TextEditor::textColourId, juce::Colours::blue);
    box->setTemporaryUnderlining ({ juce::Range<int> (0, 4) });

    const auto image = paintText (*box);
    const auto y = VMLTextEditor::topIndent + juce::roundToInt (defaultFont.getAscent() + 0.5f);
    const auto endX = juce::roundToInt (charPosition (*box, 4).x);
    ASSERT_GT (endX, 12);

    for (int k = 0; k < endX - 1; ++k)
        EXPECT_EQ (image.getPixelAt (VMLTextEditor::leftIndent + k, y).getAlpha() > 0, (k / 3) % 2 == 0) << "column " << k;
}

TEST (VMLTextEditorDrawing, PasswordCharacterAndPlaceholderAreDrawnInstead)
{
    VMLTextEditor secret ({}, '*'), plain;

    for (auto* b : { &secret, &plain })
    {
        b->setBorder ({ 0, 2, 0, 2 });
        b->setSize (120, 24);
        blackAndWhite (*b);
    }

    secret.setText ("a b", false);
    plain.setText ("***", false);
    EXPECT_TRUE (zotext::samePixels (zotext::paintBox (secret), zotext::paintBox (plain)));
    EXPECT_EQ (secret.getText(), "a b");

    const auto lime = [] (juce::Colour p) { return p.getGreen() > 100 && p.getRed() < 60 && p.getBlue() < 60; };
    plain.setText ("", false);
    plain.setTextToShowWhenEmpty ("none", juce::Colours::lime);
    EXPECT_GT (zotext::countPixels (zotext::paintBox (plain), lime, 0, VMLTextEditor::leftIndent + 20), 0);
    EXPECT_EQ (zotext::countPixels (zotext::paintBox (plain), lime, 0, VMLTextEditor::leftIndent), 0);
    plain.setText ("x", false);
    EXPECT_EQ (zotext::countPixels (zotext::paintBox (plain), lime), 0);
}

//==============================================================================
// A name mixing Latin and Chinese in a box whose font has no Chinese glyphs.
TEST (VMLTextEditorDrawing, MixedNameDrawsEveryGlyph)
{
    const auto name = zotext::mixedName();
    ASSERT_FALSE (VFontFallback::hasAllGlyphs (defaultFont, name)) << "the test needs a Latin-only default font";

    const juce::Colour background (35, 37, 39);
    auto box = makeBox (120, 24, name);
    box->setBorder ({ 0, 2, 0, 2 });
    box->setColour (juce::TextEditor::backgroundColourId, background);
    box->setColour (juce::TextEditor::outlineColourId, background);
    box->setColour (juce::TextEditor::textColourId, juce::Colours::white);
    box->setCaretPosition (0);

    // Caret positions and hit-testing follow the glyphs as drawn, fallback glyphs included.
    const auto lefts = glyphLefts (name);

    for (int i = 0; i <= name.length(); ++i)
        EXPECT_NEAR (charPosition (*box, i).x, lefts[i], 0.01f) << i;

    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR (lefts[i], glyphLefts ("Track")[i], 0.01f);

    for (int i = 0; i < name.length(); ++i)
        EXPECT_EQ (box->indexAtPosition ((lefts[i] + lefts[i + 1]) / 2.0f - 0.5f, 5.0f), i) << i;

    const auto image = zotext::paintBox (*box);
    zotext::savePng (image, "mixed-name.png");

    // The same line drawn in the box's font alone shows its missing-glyph boxes.
    juce::Image plain (juce::Image::ARGB, box->getWidth(), box->getHeight(), true, juce::SoftwareImageType());
    const auto origin = box->getLocalPoint (&box->getTextHolder(), juce::Point<int> (VMLTextEditor::leftIndent, VMLTextEditor::topIndent));
    {
        juce::Graphics g (plain);
        g.fillAll (background);
        g.setColour (juce::Colours::white);
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (defaultFont, name, (float) origin.x,
                              (float) origin.y + (float) juce::roundToInt (lineHeight - defaultFont.getDescent()));
        glyphs.draw (g);
    }

    const auto column = [&] (int index) { return origin.x + (int) std::floor (lefts[index]); };
    // Each Chinese character has ink of its own, unlike the box drawn without fallback.
    for (int i : { 6, 7 })
        EXPECT_GT (zotext::countPixels (image, [] (auto p) { return p.getBrightness() > 0.5f; }, column (i) + 1, column (i + 1)), 10) << i;

    EXPECT_FALSE (zotext::samePixels (image, plain, column (6), column (8)));
    EXPECT_TRUE (zotext::samePixels (image, plain, origin.x, column (5))) << "the Latin part draws as before";

    // The selection of the two Chinese characters covers exactly their glyphs.
    box->setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box->setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::yellow);
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
