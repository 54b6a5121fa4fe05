#include <cmath>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VLookAndFeel.h"

namespace
{
constexpr juce::juce_wchar drum = 0x9f13; // 鼓
} // namespace

TEST (VFontFallback, FindsAFontWithTheGlyph)
{
    const juce::Font latin (17.0f);
    ASSERT_GT (VLookAndFeel::fontMB.getSize(), 0u) << "the bundle's CJK font must be beside the test program";

    EXPECT_TRUE (VFontFallback::hasAllGlyphs (latin, "Track 2\n"));
    EXPECT_FALSE (VFontFallback::hasAllGlyphs (latin, zotext::mixedName()));
    EXPECT_TRUE (VFontFallback::hasAllGlyphs (VLookAndFeel::sharedInstance()->cjkFont, zotext::mixedName()));

    EXPECT_EQ (VFontFallback::fontForCharacter (latin, 'a'), latin);
    const auto forChinese = VFontFallback::fontForCharacter (latin, drum);
    EXPECT_TRUE (VFontFallback::hasGlyph (forChinese, drum));
    EXPECT_FLOAT_EQ (forChinese.getHeight(), 17.0f);
}

TEST (VFontFallback, LaysOutEachGlyphInItsOwnFontAndWidth)
{
    const juce::Font latin (14.0f);
    const auto name = zotext::mixedName();

    juce::GlyphArrangement glyphs;
    VFontFallback::addLineOfText (glyphs, latin, name, 10.0f, 20.0f);
    ASSERT_EQ (glyphs.getNumGlyphs(), name.length());

    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
    {
        const auto& g = glyphs.getGlyph (i);
        EXPECT_EQ (g.getCharacter(), name[i]);
        EXPECT_FLOAT_EQ (g.getBaselineY(), 20.0f);
        EXPECT_NEAR (g.getLeft(), i == 0 ? 10.0f : glyphs.getGlyph (i - 1).getRight(), 0.001f) << i;

        // A glyph's top tells its font: the fallback font has another ascent.
        const bool inLatinFont = std::abs (g.getTop() - (20.0f - latin.getAscent())) < 0.001f;
        EXPECT_EQ (inLatinFont, name[i] < 0x2e80) << i;
    }

    EXPECT_NEAR (glyphs.getGlyph (name.length() - 1).getRight() - 10.0f,
                 VFontFallback::getStringWidth (latin, name), 0.001f);

    // A Chinese glyph is as wide as its own font makes it, not the missing-glyph box.
    EXPECT_NEAR (glyphs.getGlyph (6).getRight() - glyphs.getGlyph (6).getLeft(),
                 VFontFallback::fontForCharacter (latin, drum).getStringWidthFloat (juce::String::charToString (drum)), 0.01f);
    EXPECT_NEAR (VFontFallback::getStringWidth (latin, "Track 2"), latin.getStringWidthFloat ("Track 2"), 0.01f);
}
