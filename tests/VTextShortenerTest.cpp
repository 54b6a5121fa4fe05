#include <gtest/gtest.h>

#include "tests/WidgetTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VTextShortener.h"

using namespace zowidgets;

namespace
{
juce::AttributedString attributed (const juce::String& text, bool wraps = true)
{
    juce::AttributedString a (text);
    a.setFont (juce::Font (14.0f));
    a.setColour (juce::Colours::white);
    a.setJustification (juce::Justification::centredLeft);
    a.setWordWrap (wraps ? juce::AttributedString::byWord : juce::AttributedString::none);
    return a;
}

// The rule as the look states it: the text in its fallback fonts, laid out at most 600 wide, one character
// dropped from its end and laid out again until it fits, down to one character.
juce::TextLayout literally (const juce::AttributedString& text, float width, int& kept)
{
    auto shown = VFontFallback::withFallbackFonts (text);
    auto working = shown.getText();
    juce::TextLayout layout;
    layout.createLayout (shown, 600.0f, 20.0f);

    while (layout.getWidth() > width)
    {
        working = working.dropLastCharacters (1);
        shown.setText (working);
        layout.createLayout (shown, 600.0f, 20.0f);

        if (working.length() < 2)
            break;
    }

    kept = working.length();
    return layout;
}

int literalLength (const juce::AttributedString& text, float width)
{
    int kept = 0;
    literally (text, width, kept);
    return kept;
}

juce::String repeated (const char* utf8, int length)
{
    const juce::String word = juce::CharPointer_UTF8 (utf8);
    return juce::String::repeatedString (word, length / word.length() + 1).substring (0, length);
}
} // namespace

TEST (VTextShortener, KeepsWhatTheOneCharacterAtATimeRuleKeeps)
{
    const juce::String texts[] = {
        "Track 1", mixedName(), "W", "WW",
        repeated ("\xe9\xbc\x93\xe6\x89\x8b \xe8\xb4\x9d\xe6\x96\xaf Kick ", 300),   // Chinese and Latin words
        repeated ("\xe9\xbc\x93\xe6\x89\x8b\xe8\xb4\x9d\xe6\x96\xaf", 200),          // one Chinese word
        "Kick " + repeated ("W", 120),                                               // a word wider than a line
        repeated ("Snare ", 400),                                                    // lines wrap at 600
        "   " + repeated (" ", 150) + "Kick",                                         // blanks that begin the line
        repeated ("Hat\n", 60), "Kick\r\nSnare\n\n\xe9\xbc\x93",                      // line breaks
    };
    for (const auto& text : texts)
        for (float width : { 3.0f, 40.0f, 80.0f, 150.0f, 450.0f, 700.0f })
            for (bool wraps : { true, false })
                EXPECT_EQ (VTextShortener::fittingLength (attributed (text, wraps), width), literalLength (attributed (text, wraps), width))
                    << text.substring (0, 30) << " in " << width << (wraps ? "" : ", one line");
}

// Past its first 600 characters, every prefix of these names holds a line or a word wider than the box,
// so the rule keeps of the whole name what it keeps of those 600.
TEST (VTextShortener, AHundredThousandCharacterNameKeepsWhatItsStartKeepsAndIsDrawnSo)
{
    for (auto* pattern : { "\xe9\xbc\x93\xe6\x89\x8b Kick ", "\xe9\xbc\x93\xe6\x89\x8b" "Kick", "Kick Snare Hat " })
    {
        const auto name = repeated (pattern, 100000);
        for (float width : { 56.0f, 80.0f })
            EXPECT_EQ (VTextShortener::fittingLength (attributed (name), width), literalLength (attributed (name.substring (0, 600)), width))
                << pattern << " in " << width;

        // What the look draws is that layout.
        int kept = 0;
        const auto expected = literally (attributed (name.substring (0, 600)), 80.0f, kept);
        const juce::Rectangle<float> area (10.0f, 5.0f, 80.0f, 20.0f);
        const auto drawn = paint (100, 30, [&] (auto& g) { VLookAndFeel::drawText (g, name, juce::Colours::white, juce::Font (14.0f), area, juce::Justification::centredLeft); });
        EXPECT_TRUE (sameArea (drawn, paint (100, 30, [&] (auto& g) { expected.draw (g, area); }), { 0, 0, 100, 30 })) << pattern;
    }
}

// A menu item's text is one line cut at its right; a name wider than the text path's widest line makes the
// menu no wider than that line.
TEST (VTextShortener, AMenuShowsALongNameOnOneLineAndNoWiderThanALine)
{
    auto& look = *VLookAndFeel::sharedInstance();
    const auto name = repeated ("Kick Snare ", 2000);
    int width = 0, height = 0;
    look.getIdealPopupMenuItemSize (name, false, 24, width, height);
    auto font = look.getPopupMenuFont();
    font.setHeight (juce::jmin (font.getHeight(), 24.0f / 1.4f));
    EXPECT_EQ (width, 600 + 2 * 24 + font.getStringWidth ("ctrl + F10"));

    const auto item = paint (width, 120, [&] (auto& g) { look.drawPopupMenuItem (g, { 0, 48, width, 24 }, false, true, false, false, false, name, {}, nullptr, nullptr); });
    const auto rows = [&] { Span s; for (int y = 0; y < 120; ++y) for (int x = 0; x < width; ++x) if (item.getPixelAt (x, y).getAlpha() > 0) s = { juce::jmin (s.first, y), juce::jmax (s.last, y) }; return s; }();
    EXPECT_TRUE (rows.first >= 48 && rows.last < 72) << "ink from row " << rows.first << " to " << rows.last;
}
