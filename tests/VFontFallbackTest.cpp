#include <cmath>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VLookAndFeel.h"

namespace
{
constexpr juce::juce_wchar drum = 0x9f13;   // 鼓
constexpr juce::juce_wchar group = 0x7ec4;  // 组
} // namespace

TEST (VFontFallback, TellsWhichGlyphsAFontHas)
{
    const juce::Font latin (14.0f);
    const auto& cjk = VLookAndFeel::sharedInstance()->cjkFont;
    ASSERT_GT (VLookAndFeel::fontMB.getSize(), 0u) << "the bundle's CJK font must be beside the test program";

    EXPECT_TRUE (VFontFallback::hasGlyph (latin, 'T'));
    EXPECT_FALSE (VFontFallback::hasGlyph (latin, drum));
    EXPECT_TRUE (VFontFallback::hasGlyph (cjk, drum));
    EXPECT_TRUE (VFontFallback::hasGlyph (cjk, group));
    EXPECT_TRUE (VFontFallback::hasGlyph (latin, ' '));
    EXPECT_TRUE (VFontFallback::hasGlyph (latin, '\n'));

    EXPECT_TRUE (VFontFallback::hasAllGlyphs (latin, "Track 2"));
    EXPECT_FALSE (VFontFallback::hasAllGlyphs (latin, zotext::mixedName()));
    EXPECT_TRUE (VFontFallback::hasAllGlyphs (cjk, zotext::mixedName()));
}

TEST (VFontFallback, PicksAFontThatHasTheCharacter)
{
    const juce::Font latin (17.0f);

    const auto forLatin = VFontFallback::fontForCharacter (latin, 'a');
    EXPECT_EQ (forLatin, latin);

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

        if (i > 0)
        {
            EXPECT_NEAR (g.getLeft(), glyphs.getGlyph (i - 1).getRight(), 0.001f) << i;
        }

        // A glyph's top tells its font: the fallback font has another ascent.
        const bool chinese = name[i] > 0x2e80;
        const bool inLatinFont = std::abs (g.getTop() - (20.0f - latin.getAscent())) < 0.001f;
        EXPECT_EQ (inLatinFont, ! chinese) << i;
    }

    EXPECT_FLOAT_EQ (glyphs.getGlyph (0).getLeft(), 10.0f);
    EXPECT_NEAR (glyphs.getGlyph (name.length() - 1).getRight() - 10.0f,
                 VFontFallback::getStringWidth (latin, name), 0.001f);

    // A Chinese glyph is as wide as its own font makes it, not the missing-glyph box.
    const auto cjkFont = VFontFallback::fontForCharacter (latin, drum);
    EXPECT_NEAR (glyphs.getGlyph (6).getRight() - glyphs.getGlyph (6).getLeft(),
                 cjkFont.getStringWidthFloat (juce::String::charToString (drum)), 0.01f);

    // Latin-only text measures as the font itself does.
    EXPECT_NEAR (VFontFallback::getStringWidth (latin, "Track 2"), latin.getStringWidthFloat ("Track 2"), 0.01f);
    EXPECT_FLOAT_EQ (VFontFallback::getStringWidth (latin, ""), 0.0f);
}

TEST (VFontFallback, ChineseGlyphsDrawInkNotBoxes)
{
    const juce::Font latin (28.0f);
    const auto text = juce::String::charToString (drum);

    const auto draw = [&] (bool withFallback)
    {
        juce::Image image (juce::Image::ARGB, 40, 40, true, juce::SoftwareImageType());
        juce::Graphics g (image);
        g.setColour (juce::Colours::black);
        juce::GlyphArrangement glyphs;

        if (withFallback)
            VFontFallback::addLineOfText (glyphs, latin, text, 4.0f, 30.0f);
        else
            glyphs.addLineOfText (latin, text, 4.0f, 30.0f);

        glyphs.draw (g);
        return image;
    };

    const auto withFallback = draw (true);
    const auto without = draw (false);

    int ink = 0, different = 0;

    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
        {
            ink += withFallback.getPixelAt (x, y).getAlpha() > 128 ? 1 : 0;
            different += withFallback.getPixelAt (x, y) != without.getPixelAt (x, y) ? 1 : 0;
        }

    EXPECT_GT (ink, 40);
    EXPECT_GT (different, 40);
}
