#include <cmath>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VMLTextEditor.h"
#include "widgets/VMLTextEditorViewport.h"

namespace
{
juce::Array<float> glyphLefts (const juce::Font& font, const juce::String& text)
{
    juce::GlyphArrangement glyphs;
    VFontFallback::addLineOfText (glyphs, font, text, 0.0f, 0.0f);

    juce::Array<float> lefts;

    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
        lefts.add (glyphs.getGlyph (i).getLeft());

    if (glyphs.getNumGlyphs() > 0)
        lefts.add (glyphs.getGlyph (glyphs.getNumGlyphs() - 1).getRight());

    return lefts;
}

juce::Image paintText (VMLTextEditor& box)
{
    auto& holder = box.getTextHolder();
    juce::Image image (juce::Image::ARGB, holder.getWidth(), holder.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    box.drawContent (g);
    return image;
}

juce::Point<float> charPosition (const VMLTextEditor& box, int index)
{
    float x, y, h;
    box.getCharPosition (index, x, y, h);
    return { x, y };
}
} // namespace

//==============================================================================
TEST (VMLTextEditorLayout, CaretRectangleFollowsTheGlyphs)
{
    VMLTextEditor box;
    box.setSize (200, 24);
    box.setText ("Hello", false);

    const juce::Font font (14.0f);
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    font.getGlyphPositions ("Hello", glyphs, offsets);

    for (int i = 0; i <= 5; ++i)
    {
        box.setCaretPosition (i);
        EXPECT_EQ (box.getCaretRectangle(),
                   juce::Rectangle<int> (juce::roundToInt (offsets[i]), 0, 2, juce::roundToInt (font.getHeight())))
            << "caret at " << i;
    }
}

TEST (VMLTextEditorLayout, TextHolderSizeFollowsTheText)
{
    VMLTextEditor box;
    box.setSize (300, 24);
    box.setText ("Hello world", false);

    const juce::Font font (14.0f);
    const auto width = font.getStringWidthFloat ("Hello world");
    EXPECT_EQ (box.getTextHolder().getWidth(), 4 + juce::roundToInt (width) + 2);
    EXPECT_EQ (box.getTextHolder().getHeight(), 4 + juce::roundToInt (font.getHeight()) + 1);

    VMLTextEditor lines;
    lines.setMultiLine (true, true);
    lines.setSize (300, 200);
    lines.setText ("one\ntwo\n", false);
    // Two lines of text and the empty line after the last line break.
    EXPECT_EQ (lines.getTextHolder().getHeight(), 4 + juce::roundToInt (3.0f * font.getHeight()) + 1);
}

TEST (VMLTextEditorLayout, WordsWrapAtTheBoxWidth)
{
    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setSize (60, 200);
    box.setText ("aaaa bbbb cccc", false);

    const juce::Font font (14.0f);
    const auto lineHeight = font.getHeight();
    const auto wrap = box.getWordWrapWidth();
    ASSERT_EQ (wrap, 60.0f - 4.0f - 4.0f - 3.0f);
    ASSERT_GT (font.getStringWidthFloat ("aaaa bbbb"), wrap);
    ASSERT_GT (font.getStringWidthFloat ("bbbb cccc"), wrap);
    ASSERT_LT (font.getStringWidthFloat ("bbbb "), wrap);

    EXPECT_EQ (charPosition (box, 0), juce::Point<float> (0.0f, 0.0f));
    EXPECT_EQ (charPosition (box, 5), juce::Point<float> (0.0f, lineHeight));
    EXPECT_EQ (charPosition (box, 10), juce::Point<float> (0.0f, 2.0f * lineHeight));
    EXPECT_FLOAT_EQ (charPosition (box, 4).y, 0.0f) << "the space stays on the first line";

    // A click on the second line's start finds the word there.
    EXPECT_EQ (box.indexAtPosition (1.0f, lineHeight + 2.0f), 5);
    // Right of the first line's end: the last character before the next line.
    EXPECT_EQ (box.indexAtPosition (wrap - 1.0f, 2.0f), 4);
    // Below everything: the end.
    EXPECT_EQ (box.indexAtPosition (1.0f, 10.0f * lineHeight), 14);
}

TEST (VMLTextEditorLayout, AGlyphWiderThanTheLineStandsAloneAndTheLayoutAdvances)
{
    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setBorder ({ 0, 0, 0, 0 });
    // Wrap width: 13 - left indent 4 - 3 = 6 pixels, less than one W.
    box.setSize (13, 400);

    const juce::Font font (14.0f);
    ASSERT_LT (box.getWordWrapWidth(), font.getStringWidthFloat ("W"));
    ASSERT_GT (box.getWordWrapWidth(), 0.0f);

    box.setText ("WWW", false);
    const auto lineHeight = font.getHeight();

    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (charPosition (box, i), juce::Point<float> (0.0f, (float) i * lineHeight)) << i;

    EXPECT_FLOAT_EQ (charPosition (box, 3).y, 2.0f * lineHeight);
    EXPECT_EQ (box.getTextHolder().getHeight(), 4 + juce::roundToInt (3.0f * lineHeight) + 1);

    // After a narrow glyph, the wide one starts its own line rather than being cut to nothing.
    box.setText ("iW", false);
    EXPECT_EQ (charPosition (box, 1), juce::Point<float> (0.0f, lineHeight));
}

TEST (VMLTextEditorLayout, AWordWiderThanTheLineIsBrokenBetweenGlyphs)
{
    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setSize (60, 300);
    box.setText ("abcdefghijklmnop", false);

    const auto wrap = box.getWordWrapWidth();
    const auto lefts = glyphLefts (juce::Font (14.0f), "abcdefghijklmnop");

    int firstOnSecondLine = 0;

    while (lefts[firstOnSecondLine + 1] - 0.0001f < wrap)
        ++firstOnSecondLine;

    ASSERT_GT (firstOnSecondLine, 1);
    EXPECT_FLOAT_EQ (charPosition (box, firstOnSecondLine - 1).y, 0.0f);
    EXPECT_EQ (charPosition (box, firstOnSecondLine), juce::Point<float> (0.0f, juce::Font (14.0f).getHeight()));
    EXPECT_EQ (box.getText(), "abcdefghijklmnop");
}

TEST (VMLTextEditorLayout, ABoxNarrowerThanItsIndentLaysOutNothing)
{
    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setSize (8, 100);
    box.setText ("some text", false);

    ASSERT_LE (box.getWordWrapWidth(), 0.0f);

    for (int i = 0; i <= 9; ++i)
    {
        float x, y, h;
        box.getCharPosition (i, x, y, h);
        EXPECT_EQ (x, 0.0f);
        EXPECT_EQ (y, 0.0f);
        EXPECT_EQ (h, 14.0f);
    }

    EXPECT_EQ (box.indexAtPosition (3.0f, 3.0f), 9);

    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    box.setText ("other text", false);

    const auto image = zotext::paintBox (box);

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            ASSERT_LT (image.getPixelAt (x, y).getBrightness(), 0.3f) << x << ", " << y;
}

TEST (VMLTextEditorLayout, TextLongerThanASixteenBitCountKeepsItsIndices)
{
    VMLTextEditor box;
    box.setSize (200, 24);

    const auto longWord = juce::String::repeatedString ("a", 70000);
    box.setText (longWord, false);

    EXPECT_EQ (box.getTotalNumChars(), 70000);
    EXPECT_EQ (box.getCaretPosition(), 70000);
    EXPECT_EQ (box.getTextInRange ({ 69995, 70005 }), "aaaaa");

    box.setHighlightedRegion ({ 69000, 69000 });
    box.insertTextAtCaret ("X");
    EXPECT_EQ (box.getTotalNumChars(), 70001);
    EXPECT_EQ (box.getCaretPosition(), 69001);
    EXPECT_EQ (box.getTextInRange ({ 68999, 69002 }), "aXa");
    EXPECT_EQ (box.getText().indexOfChar ('X'), 69000);

    float x1, x2, y, h;
    box.getCharPosition (69000, x1, y, h);
    box.getCharPosition (69001, x2, y, h);
    EXPECT_GT (x2, x1);
    EXPECT_GT (x1, 69000.0f * 5.0f);

    EXPECT_TRUE (box.undo());
    EXPECT_EQ (box.getTotalNumChars(), 70000);
}

//==============================================================================
TEST (VMLTextEditorLayout, ASingleLineBoxCentresItsLine)
{
    VMLTextEditor tall;
    tall.setMultiLine (false, true);
    tall.setBorder ({ 0, 2, 0, 2 });
    tall.setSize (60, 30);
    tall.setText ("Track 1", false);

    // Holder 4 + 14 + 1 = 19 high: -((30 - 19 - 4) / 2) = -3 puts it 3 pixels down.
    ASSERT_EQ (tall.getTextHolder().getHeight(), 19);
    EXPECT_EQ (tall.getLocalPoint (&tall.getTextHolder(), juce::Point<int>()).y, 3);

    VMLTextEditor shortBox;
    shortBox.setMultiLine (false, true);
    shortBox.setBorder ({ 0, 2, 0, 2 });
    shortBox.setSize (60, 20);
    shortBox.setText ("Track 1", false);

    // -((20 - 19 - 4) / 2) = 1: one pixel up, so the text sits 3 pixels from either edge.
    EXPECT_EQ (shortBox.getLocalPoint (&shortBox.getTextHolder(), juce::Point<int>()).y, -1);
}

TEST (VMLTextEditorLayout, ALongSingleLineScrollsToShowTheCaret)
{
    VMLTextEditor box;
    box.setSize (60, 24);
    box.setText ("a rather long track name that does not fit", false);

    const auto caretInBox = box.getCaretRectangleForCharIndex (box.getCaretPosition());
    EXPECT_GE (caretInBox.getX(), 0);
    EXPECT_LE (caretInBox.getRight(), box.getWidth());
    EXPECT_GT (box.getViewport().getViewPositionX(), 0);

    box.setCaretPosition (0);
    EXPECT_EQ (box.getViewport().getViewPositionX(), 0);
}

//==============================================================================
TEST (VMLTextEditorDrawing, SelectionIsHalfStrengthWithoutFocus)
{
    VMLTextEditor box;
    box.setSize (200, 24);
    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::transparentBlack);
    box.setText ("HHHH", false);
    box.setHighlightedRegion ({ 1, 3 });

    ASSERT_FALSE (box.hasKeyboardFocus (true));
    const auto image = paintText (box);
    const auto middle = juce::roundToInt (charPosition (box, 2).x) + VMLTextEditor::leftIndent;
    const auto pixel = image.getPixelAt (middle, VMLTextEditor::topIndent + 7);

    EXPECT_NEAR (pixel.getAlpha(), 128, 2);
    EXPECT_GT (pixel.getRed(), 250);
    EXPECT_LT (pixel.getGreen(), 5);

    const auto afterText = juce::roundToInt (charPosition (box, 4).x) + VMLTextEditor::leftIndent + 3;
    EXPECT_EQ (image.getPixelAt (afterText, VMLTextEditor::topIndent + 7).getAlpha(), 0);
}

TEST (VMLTextEditorDrawing, SelectionIsFullStrengthWithFocus)
{
    if (! zotext::haveDisplay())
        GTEST_SKIP() << "needs a display (run under xvfb-run)";

    juce::Component window;
    window.setSize (240, 60);
    VMLTextEditor box;
    box.setBounds (10, 10, 200, 24);
    window.addAndMakeVisible (box);
    zotext::addToDesktopForTest (window);

    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::transparentBlack);
    box.setText ("HHHH", false);
    box.setHighlightedRegion ({ 1, 3 });

    zotest::pumpUntil ([&] { return window.isShowing(); }, 3000);
    box.grabKeyboardFocus();
    ASSERT_TRUE (zotest::pumpUntil ([&] { return box.hasKeyboardFocus (true); }, 3000));

    const auto image = paintText (box);
    const auto middle = juce::roundToInt (charPosition (box, 2).x) + VMLTextEditor::leftIndent;
    EXPECT_EQ (image.getPixelAt (middle, VMLTextEditor::topIndent + 7), juce::Colours::red);

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

    const auto after = paintText (box);
    EXPECT_NEAR (after.getPixelAt (middle, VMLTextEditor::topIndent + 7).getAlpha(), 128, 2);

    window.removeFromDesktop();
}

TEST (VMLTextEditorDrawing, CompositionUnderlineIsDotted)
{
    VMLTextEditor box;
    box.setSize (200, 24);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::blue);
    box.setText ("HHHH", false);
    box.setTemporaryUnderlining ({ juce::Range<int> (0, 4) });

    const juce::Font font (14.0f);
    const auto image = paintText (box);
    const auto y = VMLTextEditor::topIndent + juce::roundToInt (font.getAscent() + 0.5f);
    const auto endX = juce::roundToInt (charPosition (box, 4).x);

    ASSERT_GT (endX, 12);

    for (int k = 0; k < endX - 1; ++k)
    {
        const bool inked = image.getPixelAt (VMLTextEditor::leftIndent + k, y).getAlpha() > 0;
        EXPECT_EQ (inked, (k / 3) % 2 == 0) << "column " << k;
    }
}

TEST (VMLTextEditorDrawing, PasswordBoxDrawsItsCharacterInstead)
{
    VMLTextEditor secret ({}, '*');
    VMLTextEditor plain;

    for (auto* b : { &secret, &plain })
    {
        b->setSize (120, 24);
        b->setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
        b->setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
        b->setColour (juce::TextEditor::textColourId, juce::Colours::white);
    }

    secret.setText ("a b", false);
    plain.setText ("***", false);

    const auto a = zotext::paintBox (secret);
    const auto b = zotext::paintBox (plain);
    bool same = true;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            same = same && a.getPixelAt (x, y) == b.getPixelAt (x, y);

    EXPECT_TRUE (same);
    EXPECT_EQ (secret.getText(), "a b");
}

TEST (VMLTextEditorDrawing, PlaceholderShowsOnlyWhileEmpty)
{
    VMLTextEditor box;
    box.setBorder ({ 0, 2, 0, 2 });
    box.setSize (80, 24);
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    box.setTextToShowWhenEmpty ("none", juce::Colours::lime);

    const auto countLime = [&box]
    {
        const auto image = zotext::paintBox (box);
        int count = 0, firstX = 1 << 30;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const auto p = image.getPixelAt (x, y);

                if (p.getGreen() > 100 && p.getRed() < 60 && p.getBlue() < 60)
                {
                    ++count;
                    firstX = juce::jmin (firstX, x);
                }
            }

        return std::make_pair (count, firstX);
    };

    const auto [count, firstX] = countLime();
    EXPECT_GT (count, 0);
    EXPECT_GE (firstX, VMLTextEditor::leftIndent);

    box.setText ("x", false);
    EXPECT_EQ (countLime().first, 0);
}

//==============================================================================
// A name mixing Latin and Chinese in a box whose font has no Chinese glyphs.
TEST (VMLTextEditorDrawing, MixedNameDrawsEveryGlyph)
{
    const juce::Font font (14.0f);
    const auto name = zotext::mixedName();
    ASSERT_FALSE (VFontFallback::hasAllGlyphs (font, name)) << "the test needs a Latin-only default font";

    VMLTextEditor box;
    box.setBorder ({ 0, 2, 0, 2 });
    box.setSize (120, 24);
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colour (35, 37, 39));
    box.setColour (juce::TextEditor::outlineColourId, juce::Colour (35, 37, 39));
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    box.setText (name, false);
    box.setCaretPosition (0);

    // Caret positions are those of the glyphs as drawn, fallback glyphs included.
    const auto lefts = glyphLefts (font, "Track");
    const auto cjkLefts = glyphLefts (font, name);

    for (int i = 0; i <= name.length(); ++i)
        EXPECT_NEAR (charPosition (box, i).x, cjkLefts[i], 0.01f) << i;

    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR (cjkLefts[i], lefts[i], 0.01f);

    // Hit-testing lands on the same characters.
    for (int i = 0; i < name.length(); ++i)
    {
        const auto centre = (cjkLefts[i] + cjkLefts[i + 1]) / 2.0f;
        EXPECT_EQ (box.indexAtPosition (centre - 0.5f, 5.0f), i) << i;
    }

    const auto image = zotext::paintBox (box);
    zotext::savePng (image.rescaled (image.getWidth() * 4, image.getHeight() * 4,
                                     juce::Graphics::lowResamplingQuality),
                     "mixed-name.png");

    // The same line drawn in the box's font alone shows its missing-glyph boxes.
    juce::Image plain (juce::Image::ARGB, box.getWidth(), box.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (plain);
        g.fillAll (juce::Colour (35, 37, 39));
        g.setColour (juce::Colours::white);
        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (font, name, 0.0f, 0.0f);

        const auto origin = box.getLocalPoint (&box.getTextHolder(), juce::Point<int> (VMLTextEditor::leftIndent, VMLTextEditor::topIndent));
        glyphs.moveRangeOfGlyphs (0, -1, (float) origin.x,
                                  (float) origin.y + (float) juce::roundToInt (font.getHeight() - font.getDescent()));
        glyphs.draw (g);
    }
    zotext::savePng (plain.rescaled (plain.getWidth() * 4, plain.getHeight() * 4,
                                     juce::Graphics::lowResamplingQuality),
                     "mixed-name-without-fallback.png");

    const auto origin = box.getLocalPoint (&box.getTextHolder(), juce::Point<int> (VMLTextEditor::leftIndent, 0));
    const auto column = [&] (int index) { return origin.x + (int) std::floor (cjkLefts[index]); };

    const auto inkIn = [] (const juce::Image& im, int x1, int x2)
    {
        int ink = 0;

        for (int y = 0; y < im.getHeight(); ++y)
            for (int x = juce::jmax (0, x1); x < juce::jmin (im.getWidth(), x2); ++x)
                if (im.getPixelAt (x, y).getBrightness() > 0.5f)
                    ++ink;

        return ink;
    };

    const auto differs = [&] (int x1, int x2)
    {
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = x1; x < x2; ++x)
                if (image.getPixelAt (x, y) != plain.getPixelAt (x, y))
                    return true;

        return false;
    };

    // Each Chinese character has ink of its own, unlike the box drawn without fallback.
    for (int i : { 6, 7 })
    {
        EXPECT_GT (inkIn (image, column (i) + 1, column (i + 1)), 10) << i;
    }

    EXPECT_TRUE (differs (column (6), column (8)));
    EXPECT_FALSE (differs (origin.x, column (5))) << "the Latin part draws as before";

    // The selection of the two Chinese characters covers exactly their glyphs.
    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::yellow);
    box.setHighlightedRegion ({ 6, 8 });
    const auto selected = zotext::paintBox (box);
    zotext::savePng (selected.rescaled (selected.getWidth() * 4, selected.getHeight() * 4,
                                        juce::Graphics::lowResamplingQuality),
                     "mixed-name-selected.png");

    const auto y = origin.y + VMLTextEditor::topIndent + 1;
    const auto reddish = [&] (int x) { const auto p = selected.getPixelAt (x, y); return p.getRed() > 120 && p.getGreen() < 90; };
    EXPECT_FALSE (reddish (origin.x + (int) std::floor (cjkLefts[6]) - 1));
    EXPECT_TRUE (reddish (origin.x + (int) std::ceil (cjkLefts[6]) + 1));
    EXPECT_TRUE (reddish (origin.x + (int) std::floor (cjkLefts[8]) - 1));
    EXPECT_FALSE (reddish (origin.x + (int) std::ceil (cjkLefts[8]) + 1));
}
