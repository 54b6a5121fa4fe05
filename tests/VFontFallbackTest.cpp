#include <cmath>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VLookAndFeel.h"

#if JUCE_LINUX || JUCE_BSD
 #include <fontconfig/fontconfig.h>
#endif

namespace
{
constexpr juce::juce_wchar drum = 0x9f13; // 鼓

#if JUCE_LINUX || JUCE_BSD
// fontconfig holds its configuration until FcFini, in a way that the leak
// checker of the sanitizer builds takes for lost memory. The font fallback
// keeps no fontconfig object and nothing else in this program uses it, so
// the configuration is released at the end and what the checker sees is ours.
class FontconfigRelease : public ::testing::Environment
{
public:
    void TearDown() override { FcFini(); }
};

[[maybe_unused]] auto* const fontconfigRelease = ::testing::AddGlobalTestEnvironment (new FontconfigRelease);
#endif
} // namespace

TEST (VFontFallback, EachGlyphIsLaidOutInAFontThatHasItAtItsOwnWidth)
{
    const juce::Font latin (14.0f);
    const auto name = zotext::mixedName();
    ASSERT_GT (VLookAndFeel::fontMB.getSize(), 0u) << "the bundle's CJK font must be beside the test program";
    EXPECT_TRUE (VFontFallback::hasAllGlyphs (latin, "Track 2\n"));
    EXPECT_FALSE (VFontFallback::hasAllGlyphs (latin, name));
    EXPECT_EQ (VFontFallback::fontForCharacter (latin, 'a'), latin);
    const auto forChinese = VFontFallback::fontForCharacter (latin, drum);
    EXPECT_TRUE (VFontFallback::hasGlyph (forChinese, drum));
    EXPECT_FLOAT_EQ (forChinese.getHeight(), 14.0f);

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
        EXPECT_EQ (std::abs (g.getTop() - (20.0f - latin.getAscent())) < 0.001f, name[i] < 0x2e80) << i;
    }
    EXPECT_NEAR (glyphs.getGlyph (name.length() - 1).getRight() - 10.0f, VFontFallback::getStringWidth (latin, name), 0.001f);
    EXPECT_NEAR (glyphs.getGlyph (6).getRight() - glyphs.getGlyph (6).getLeft(),
                 forChinese.getStringWidthFloat (juce::String::charToString (drum)), 0.01f) << "not the missing-glyph box";
}

namespace
{
// One character drawn through the fallback at 40 points, white on transparent.
juce::Image drawnGlyph (const juce::Font& runFont, juce::juce_wchar c)
{
    juce::Image image (juce::Image::ARGB, 80, 60, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.setColour (juce::Colours::white);
    juce::GlyphArrangement glyphs;
    VFontFallback::addLineOfText (glyphs, runFont, juce::String::charToString (c), 10.0f, 45.0f);
    glyphs.draw (g);
    return image;
}

// Total ink, and its slant: how far right it moves per pixel upwards (a
// weighted fit of x against y).
struct Ink
{
    explicit Ink (const juce::Image& image)
    {
        double sx = 0.0, sy = 0.0, sxy = 0.0, syy = 0.0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
            {
                const double a = image.getPixelAt (x, y).getFloatAlpha();
                amount += a;
                sx += a * x;
                sy += a * y;
                sxy += a * x * y;
                syy += a * y * y;
            }
        const auto n = juce::jmax (amount, 1.0);
        slant = -(sxy / n - sx / n * sy / n) / juce::jmax (syy / n - sy / n * sy / n, 1.0);
    }

    double amount = 0.0, slant = 0.0;
};
} // namespace

// 鼓 comes from the bundle's font, which has no bold or italic face, and ᴕ
// from an installed family (DejaVu Serif has it, with faces for both): in
// bold and italic text either is drawn bold and leaning.
TEST (VFontFallback, AFallbackGlyphKeepsBoldAndItalic)
{
    constexpr juce::juce_wchar smallCapitalOu = 0x1d15;

    for (auto c : { drum, smallCapitalOu })
    {
        const Ink plain (drawnGlyph (juce::Font (40.0f), c));

        for (int style : { (int) juce::Font::bold, (int) juce::Font::italic, juce::Font::bold | juce::Font::italic })
        {
            const juce::Font run (40.0f, style);
            const auto fallback = VFontFallback::fontForCharacter (run, c);
            EXPECT_EQ (fallback.getStyleFlags(), style) << (int) c;
            EXPECT_TRUE (VFontFallback::hasGlyph (fallback, c)) << (int) c << " " << style;

            const Ink styled (drawnGlyph (run, c));
            const bool bold = (style & juce::Font::bold) != 0, italic = (style & juce::Font::italic) != 0;
            EXPECT_EQ (styled.amount > plain.amount * 1.1, bold) << (int) c << " " << style;
            EXPECT_EQ (styled.slant > plain.slant + 0.1, italic) << (int) c << " " << style;
        }
    }
}

TEST (VFontFallback, InstalledFamiliesServeWhatTheBundledFontLacks)
{
    const juce::Font latin (15.0f);

    // Neither the run's font nor cjkFont has ⌶ or ᴕ; of the fonts that the
    // tests install (fonts-dejavu-core) DejaVu Sans Mono and DejaVu Serif do.
    for (juce::juce_wchar c : { 0x2336, 0x1d15 })
    {
        ASSERT_FALSE (VFontFallback::hasGlyph (VLookAndFeel::sharedInstance()->cjkFont, c));
        const auto fallback = VFontFallback::fontForCharacter (latin, c);
        EXPECT_NE (fallback.getTypefaceName(), latin.getTypefaceName()) << (int) c;
        EXPECT_TRUE (VFontFallback::hasGlyph (fallback, c)) << (int) c;
    }

    // No font has plane 15's private characters: each costs one look into the
    // run's font and one into cjkFont, the first time only.
    const auto probesFor32 = []
    {
        const auto before = VFontFallback::getNumGlyphProbes();
        for (juce::juce_wchar c = 0xf0000; c < 0xf0020; ++c)
            EXPECT_EQ (VFontFallback::fontForCharacter (juce::Font (15.0f), c), juce::Font (15.0f)) << (int) c;
        return VFontFallback::getNumGlyphProbes() - before;
    };
    EXPECT_LE (probesFor32(), 2 * 32);
    EXPECT_EQ (probesFor32(), 0);
}
