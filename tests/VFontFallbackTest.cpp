#include <dlfcn.h>

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include "tests/WidgetTestSupport.h"
#include "widgets/VFontFallback.h"

namespace
{
constexpr juce::juce_wchar drum = 0x9f13, smallCapitalOu = 0x1d15, apl = 0x2336; // 鼓, ᴕ, ⌶
int fontconfigLists = 0;

// fontconfig holds its configuration until FcFini, which the sanitizer builds' leak checker would take for lost memory.
struct FontconfigRelease : ::testing::Environment { void TearDown() override { FcFini(); } };
[[maybe_unused]] auto* const fontconfigRelease = ::testing::AddGlobalTestEnvironment (new FontconfigRelease);
} // namespace

// Counts the font fallback's questions to fontconfig, then passes them on.
extern "C" FcFontSet* FcFontList (FcConfig* config, FcPattern* pattern, FcObjectSet* objects)
{
    ++fontconfigLists;
    static const auto real = reinterpret_cast<FcFontSet* (*) (FcConfig*, FcPattern*, FcObjectSet*)> (::dlsym (RTLD_NEXT, "FcFontList"));
    return real (config, pattern, objects);
}

// A glyph's top tells its font (the CJK font has another ascent), and its advance is its own font's.
TEST (VFontFallback, EachGlyphIsLaidOutInAFontThatHasItAtItsOwnWidth)
{
    const juce::Font latin (14.0f), cjk (VLookAndFeel::sharedInstance()->cjkFont.withHeight (14.0f));
    const auto name = zowidgets::mixedName();
    ASSERT_GT (VLookAndFeel::fontMB.getSize(), 0u) << "the bundle's CJK font must be beside the test program";
    EXPECT_TRUE (VFontFallback::fontForCharacter (latin, 'a') == latin && VFontFallback::fontForCharacter (latin, drum) == cjk);
    juce::GlyphArrangement glyphs;
    VFontFallback::addLineOfText (glyphs, latin, name, 10.0f, 20.0f);
    ASSERT_EQ (glyphs.getNumGlyphs(), name.length());
    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
    {
        const auto& g = glyphs.getGlyph (i);
        const auto& font = name[i] < 0x2e80 ? latin : cjk;
        EXPECT_TRUE (g.getCharacter() == name[i] && std::abs (g.getLeft() - (i == 0 ? 10.0f : glyphs.getGlyph (i - 1).getRight())) < 0.001f
                     && std::abs (g.getTop() - (20.0f - font.getAscent())) < 0.001f) << i;
    }
    EXPECT_NEAR (glyphs.getGlyph (6).getRight() - glyphs.getGlyph (6).getLeft(), cjk.getStringWidthFloat (name.substring (6, 7)), 0.01f) << "not a missing-glyph box";
    EXPECT_NEAR (glyphs.getBoundingBox (0, -1, false).getRight() - 10.0f, VFontFallback::getStringWidth (latin, name), 0.001f);
}

// 鼓 comes from the bundle's font, which has no bold or italic face, and ᴕ from an installed family (DejaVu
// Serif has it, with faces for both): in bold and italic text either is drawn bold and leaning.
TEST (VFontFallback, AFallbackGlyphKeepsBoldAndItalic)
{
    // A character drawn at 40 points: its ink, and how far right the ink of its top half lies from its bottom half's.
    const auto ink = [] (juce::juce_wchar c, int style)
    {
        const auto image = zowidgets::paint (80, 60, [&] (juce::Graphics& g)
        {
            juce::GlyphArrangement glyphs;
            VFontFallback::addLineOfText (glyphs, juce::Font (40.0f, style), juce::String::charToString (c), 10.0f, 45.0f);
            g.setColour (juce::Colours::white);
            glyphs.draw (g);
        });
        double amount[2] {}, x[2] {};
        for (int y = 0; y < 60; ++y)
            for (int i = 0; i < 80; ++i)
                amount[y >= 30] += image.getPixelAt (i, y).getFloatAlpha(), x[y >= 30] += image.getPixelAt (i, y).getFloatAlpha() * i;
        return std::pair { amount[0] + amount[1], x[0] / juce::jmax (amount[0], 1.0) - x[1] / juce::jmax (amount[1], 1.0) };
    };
    for (auto c : { drum, smallCapitalOu })
    {
        const auto plain = ink (c, juce::Font::plain);
        for (int style : { (int) juce::Font::bold, (int) juce::Font::italic, juce::Font::bold | juce::Font::italic })
        {
            const auto styled = ink (c, style);
            EXPECT_TRUE ((styled.first > plain.first * 1.1) == ((style & juce::Font::bold) != 0) && (styled.second > plain.second + 1.0) == ((style & juce::Font::italic) != 0))
                << (int) c << " in style " << style << ": ink " << styled.first << " and lean " << styled.second << " against " << plain.first << " and " << plain.second;
        }
    }
}

// Neither the run's font nor the bundle's has ⌶ or ᴕ; DejaVu Sans Mono and DejaVu Serif do.
TEST (VFontFallback, InstalledFamiliesServeWhatTheBundledFontLacksAndACharacterIsLookedForOnce)
{
    const juce::Font latin (15.0f);
    for (auto c : { apl, smallCapitalOu })
        EXPECT_TRUE (! VFontFallback::hasGlyph (VLookAndFeel::sharedInstance()->cjkFont, c) && VFontFallback::fontForCharacter (latin, c).getTypefaceName() != latin.getTypefaceName()
                     && VFontFallback::hasGlyph (VFontFallback::fontForCharacter (latin, c), c)) << (int) c;
    // No font has plane 15's private characters: each costs a look into the run's font, one into the
    // bundle's and a question to fontconfig, the first time only.
    const auto lookups = [&]
    {
        const auto probes = VFontFallback::getNumGlyphProbes(), lists = fontconfigLists;
        for (juce::juce_wchar c = 0xf0000; c < 0xf0020; ++c)
            EXPECT_EQ (VFontFallback::fontForCharacter (latin, c), latin) << (int) c;
        return std::pair { VFontFallback::getNumGlyphProbes() - probes, fontconfigLists - lists };
    };
    EXPECT_EQ (lookups(), (std::pair { 2 * 32, 32 }));
    EXPECT_EQ (lookups(), (std::pair { 0, 0 }));
}
