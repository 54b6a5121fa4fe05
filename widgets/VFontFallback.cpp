#include "widgets/VFontFallback.h"

#include <map>
#include <unordered_map>

#if JUCE_LINUX || JUCE_BSD
 #include <fontconfig/fontconfig.h>
#endif

#include "widgets/VLookAndFeel.h"

namespace
{
// A code point that no font maps (plane 16, private use): a typeface answers
// it with the same outline that it draws for any character it lacks.
constexpr juce::juce_wchar unmappedCharacter = 0x10fffd;

// Drawn styles, in font heights: the lean of an italic and how far a bold
// glyph is struck over itself.
constexpr float drawnItalicSlant = 0.2f;
constexpr float drawnBoldStrike = 0.04f;

constexpr int boldItalic = juce::Font::bold | juce::Font::italic;

bool isAlwaysPresent (juce::juce_wchar c)
{
    return c < 0x20 || juce::CharacterFunctions::isWhitespace (c);
}

// What one typeface is known to cover, filled in as characters are asked for.
struct Coverage
{
    juce::Path missingGlyphOutline;
    std::unordered_map<juce::juce_wchar, bool> known;
};

juce::Path outlineOf (juce::Typeface& typeface, juce::juce_wchar c)
{
    juce::Array<int> glyphNumbers;
    juce::Array<float> offsets;
    typeface.getGlyphPositions (juce::String::charToString (c), glyphNumbers, offsets);

    juce::Path outline;

    if (! glyphNumbers.isEmpty())
        typeface.getOutlineForGlyph (glyphNumbers.getFirst(), outline);

    return outline;
}

// For a family without a face of the wanted style, such as the bundle's CJK
// font (one regular face held in memory, which the toolkit cannot find again
// by name in another style): its regular glyphs slanted and struck twice,
// under the style's name, so that a fallback glyph keeps the text's style.
class DrawnStyleTypeface : public juce::Typeface
{
public:
    DrawnStyleTypeface (juce::Typeface::Ptr regularFace, int styleFlags)
        : juce::Typeface (regularFace->getName(), juce::Font().withStyle (styleFlags & boldItalic).getTypefaceStyle()),
          regular (std::move (regularFace)),
          bold ((styleFlags & juce::Font::bold) != 0),
          italic ((styleFlags & juce::Font::italic) != 0)
    {
    }

    float getAscent() const override                            { return regular->getAscent(); }
    float getDescent() const override                           { return regular->getDescent(); }
    float getHeightToPointsFactor() const override              { return regular->getHeightToPointsFactor(); }
    float getStringWidth (const juce::String& text) override    { return regular->getStringWidth (text); }
    bool isHinted() const override                              { return regular->isHinted(); }

    void getGlyphPositions (const juce::String& text, juce::Array<int>& glyphs, juce::Array<float>& xOffsets) override
    {
        regular->getGlyphPositions (text, glyphs, xOffsets);
    }

    bool getOutlineForGlyph (int glyphNumber, juce::Path& path) override
    {
        juce::Path outline;

        if (! regular->getOutlineForGlyph (glyphNumber, outline))
            return false;

        if (italic)
            outline.applyTransform (juce::AffineTransform::shear (-drawnItalicSlant, 0.0f));

        path = outline;

        // Filled with non-zero winding, the shifted copies make one thicker glyph.
        if (bold)
            for (auto dx : { drawnBoldStrike * 0.5f, drawnBoldStrike })
                path.addPath (outline, juce::AffineTransform::translation (dx, 0.0f));

        return true;
    }

private:
    const juce::Typeface::Ptr regular;
    const bool bold, italic;
};

#if JUCE_LINUX || JUCE_BSD
// The families that fontconfig lists as having the character. It answers from
// its cache of every font's character set, without opening a font.
juce::StringArray fontconfigFamiliesWith (juce::juce_wchar c)
{
    juce::StringArray families;
    auto* pattern = FcPatternCreate();
    auto* characters = FcCharSetCreate();
    auto* wanted = FcObjectSetBuild (FC_FAMILY, nullptr);

    if (pattern != nullptr && characters != nullptr && wanted != nullptr
        && FcCharSetAddChar (characters, (FcChar32) c)
        && FcPatternAddCharSet (pattern, FC_CHARSET, characters))
    {
        if (auto* fonts = FcFontList (nullptr, pattern, wanted))
        {
            for (int i = 0; i < fonts->nfont; ++i)
            {
                FcChar8* family = nullptr;

                for (int n = 0; FcPatternGetString (fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n)
                    families.addIfNotAlreadyThere (juce::String::fromUTF8 (reinterpret_cast<const char*> (family)));
            }

            FcFontSetDestroy (fonts);
        }
    }

    if (wanted != nullptr)      FcObjectSetDestroy (wanted);
    if (characters != nullptr)  FcCharSetDestroy (characters);
    if (pattern != nullptr)     FcPatternDestroy (pattern);

    return families;
}
#endif

class FallbackState
{
public:
    static FallbackState& get()
    {
        static FallbackState state;
        return state;
    }

    juce::CriticalSection lock;
    int glyphProbes = 0;

    Coverage& coverageOf (juce::Typeface& typeface)
    {
        // Asked for once per word of a text box: the last answer is held, with
        // its face, so that the face cannot be replaced by another at its address.
        if (&typeface == lastTypeface.get())
            return *lastCoverage;

        lastTypeface = &typeface;
        lastCoverage = &coverageFor (typeface);
        return *lastCoverage;
    }

    Coverage& coverageFor (juce::Typeface& typeface)
    {
        const auto key = typeface.getName() + "\n" + typeface.getStyle();
        auto found = coverages.find (key);

        if (found == coverages.end())
        {
            found = coverages.emplace (key, Coverage()).first;
            found->second.missingGlyphOutline = outlineOf (typeface, unmappedCharacter);
        }

        return found->second;
    }

    bool has (const juce::Font& font, juce::juce_wchar c)
    {
        if (isAlwaysPresent (c))
            return true;

        auto typeface = font.getTypefacePtr();

        if (typeface == nullptr)
            return false;

        auto& coverage = coverageOf (*typeface);
        return has (*typeface, coverage, c);
    }

    bool has (juce::Typeface& typeface, Coverage& coverage, juce::juce_wchar c)
    {
        if (isAlwaysPresent (c))
            return true;

        const auto known = coverage.known.find (c);

        if (known != coverage.known.end())
            return known->second;

        ++glyphProbes;
        const auto outline = outlineOf (typeface, c);
        const bool present = ! outline.isEmpty() && ! (outline == coverage.missingGlyphOutline);
        coverage.known.emplace (c, present);
        return present;
    }

    // The first installed family that has the character, or an empty name.
    // Both answers are kept, so asking again costs nothing.
    juce::String installedFamilyFor (juce::juce_wchar c, float height)
    {
        const auto known = familyForCharacter.find (c);

        if (known != familyForCharacter.end())
            return known->second;

        juce::String chosen;

        for (auto& family : familiesThatMayHave (c))
        {
            if (has (juce::Font (family, height, juce::Font::plain), c))
            {
                chosen = family;
                break;
            }
        }

        familyForCharacter.emplace (c, chosen);
        return chosen;
    }

    // The styles of the family's installed faces; none for a face made from
    // bytes in memory (the bundle's font).
    const juce::StringArray& faceStylesOf (const juce::String& family)
    {
        auto found = faceStyles.find (family);

        if (found == faceStyles.end())
            found = faceStyles.emplace (family, juce::Font::findAllTypefaceStyles (family)).first;

        return found->second;
    }

    // pickFont's answer, kept for the font asked about last: a long text
    // repeats its characters, and a text box asks once per word.
    const juce::Font& fallbackFor (const juce::Font& font, juce::juce_wchar c);

    // A face that draws the regular face's glyphs in the style; one per face and style.
    juce::Typeface::Ptr drawnStyleOf (const juce::Typeface::Ptr& regular, int styleFlags)
    {
        const auto key = regular->getName() + "\n" + regular->getStyle() + "\n" + juce::String (styleFlags & boldItalic);
        auto& face = drawnStyles[key];

        if (face == nullptr)
            face = new DrawnStyleTypeface (regular, styleFlags);

        return face;
    }

private:
    FallbackState() = default;

    // Installed families worth opening for the character, in the order to try them.
    juce::StringArray familiesThatMayHave (juce::juce_wchar c)
    {
       #if JUCE_LINUX || JUCE_BSD
        const auto listed = fontconfigFamiliesWith (c);
        juce::StringArray worthOpening;

        for (auto& family : candidateFamilies())
            if (listed.contains (family))
                worthOpening.add (family);

        return worthOpening;
       #else
        juce::ignoreUnused (c);
        return candidateFamilies();
       #endif
    }

    // Installed families, those made for CJK and wide coverage first.
    const juce::StringArray& candidateFamilies()
    {
        if (! familiesListed)
        {
            familiesListed = true;
            const char* preferred[] = { "CJK", "Han Sans", "Source Han", "Fallback", "WenQuanYi", "Hei", "Noto Sans" };
            auto all = juce::Font::findAllTypefaceNames();

            for (auto* word : preferred)
                for (auto& name : all)
                    if (name.containsIgnoreCase (word))
                        families.addIfNotAlreadyThere (name);

            for (auto& name : all)
                families.addIfNotAlreadyThere (name);
        }

        return families;
    }

    juce::Typeface::Ptr lastTypeface;
    Coverage* lastCoverage = nullptr;
    juce::Font fallbacksFont;
    std::unordered_map<juce::juce_wchar, juce::Font> fallbacks;
    std::map<juce::String, Coverage> coverages;
    std::unordered_map<juce::juce_wchar, juce::String> familyForCharacter;
    std::map<juce::String, juce::StringArray> faceStyles;
    std::map<juce::String, juce::Typeface::Ptr> drawnStyles;
    juce::StringArray families;
    bool familiesListed = false;
};

juce::Font sizedLike (juce::Font font, const juce::Font& model)
{
    font = font.withHeight (model.getHeight()).withHorizontalScale (model.getHorizontalScale());
    font.setUnderline (model.isUnderlined());
    return font;
}

// The fallback in the run's style: the family's own face of that style when
// it has one with the glyph ("Bold Oblique" counts as bold italic), else its
// regular face drawn in the style.
juce::Font styledLike (FallbackState& state, const juce::Font& fallback, const juce::Font& model, juce::juce_wchar c)
{
    const int style = model.getStyleFlags() & boldItalic;
    const auto regular = sizedLike (fallback, model);

    if (style == (regular.getStyleFlags() & boldItalic))
        return regular;

    for (auto& faceStyle : state.faceStylesOf (regular.getTypefaceName()))
    {
        const auto styled = regular.withTypefaceStyle (faceStyle);

        if ((styled.getStyleFlags() & boldItalic) == style && state.has (styled, c))
            return styled;
    }

    auto face = regular.getTypefacePtr();

    if (face == nullptr)
        return regular;

    return sizedLike (juce::Font (state.drawnStyleOf (face, style)), model);
}

// Lock held by the caller.
juce::Font pickFont (FallbackState& state, const juce::Font& font, juce::juce_wchar c)
{
    if (state.has (font, c))
        return font;

    const auto& cjkFont = VLookAndFeel::sharedInstance()->cjkFont;

    if (state.has (cjkFont, c))
        return styledLike (state, cjkFont, font, c);

    const auto family = state.installedFamilyFor (c, font.getHeight());

    if (family.isNotEmpty())
        return styledLike (state, juce::Font (family, font.getHeight(), juce::Font::plain), font, c);

    return font;
}

const juce::Font& FallbackState::fallbackFor (const juce::Font& font, juce::juce_wchar c)
{
    if (! (font == fallbacksFont))
    {
        fallbacks.clear();
        fallbacksFont = font;
    }

    auto found = fallbacks.find (c);

    if (found == fallbacks.end())
        found = fallbacks.emplace (c, pickFont (*this, font, c)).first;

    return found->second;
}

// Calls back once per run of consecutive characters that share a font.
template <typename Callback>
void forEachRun (const juce::Font& font, const juce::String& text, Callback&& callback)
{
    auto& state = FallbackState::get();
    const juce::ScopedLock sl (state.lock);

    auto typeface = font.getTypefacePtr();

    if (typeface == nullptr)
    {
        callback (font, text);
        return;
    }

    auto& coverage = state.coverageOf (*typeface);

    juce::Font runFont (font);
    auto runStart = text.getCharPointer();
    auto p = runStart;

    while (! p.isEmpty())
    {
        const auto here = p;
        const auto c = p.getAndAdvance();
        const juce::Font* wanted = &font;

        if (! state.has (*typeface, coverage, c))
            wanted = &state.fallbackFor (font, c);

        if (here == runStart)
        {
            runFont = *wanted;
        }
        else if (*wanted != runFont)
        {
            callback (runFont, juce::String (runStart, here));
            runStart = here;
            runFont = *wanted;
        }
    }

    if (p != runStart)
        callback (runFont, juce::String (runStart, p));
}
} // namespace

bool VFontFallback::hasGlyph (const juce::Font& font, juce::juce_wchar character)
{
    auto& state = FallbackState::get();
    const juce::ScopedLock sl (state.lock);
    return state.has (font, character);
}

bool VFontFallback::hasAllGlyphs (const juce::Font& font, const juce::String& text)
{
    auto& state = FallbackState::get();
    const juce::ScopedLock sl (state.lock);

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
        if (! state.has (font, p.getAndAdvance()))
            return false;

    return true;
}

juce::Font VFontFallback::fontForCharacter (const juce::Font& font, juce::juce_wchar character)
{
    auto& state = FallbackState::get();
    const juce::ScopedLock sl (state.lock);
    return pickFont (state, font, character);
}

void VFontFallback::addLineOfText (juce::GlyphArrangement& glyphs, const juce::Font& font,
                                   const juce::String& text, float x, float baselineY)
{
    forEachRun (font, text, [&] (const juce::Font& runFont, const juce::String& runText)
    {
        juce::Array<int> glyphNumbers;
        juce::Array<float> offsets;
        runFont.getGlyphPositions (runText, glyphNumbers, offsets);

        auto chars = runText.getCharPointer();

        for (int i = 0; i < glyphNumbers.size() && i + 1 < offsets.size() && ! chars.isEmpty(); ++i)
        {
            const auto c = chars.getAndAdvance();
            glyphs.addGlyph (juce::PositionedGlyph (runFont, c, glyphNumbers.getUnchecked (i),
                                                    x + offsets.getUnchecked (i), baselineY,
                                                    offsets.getUnchecked (i + 1) - offsets.getUnchecked (i),
                                                    juce::CharacterFunctions::isWhitespace (c)));
        }

        if (! offsets.isEmpty())
            x += offsets.getLast();
    });
}

float VFontFallback::getStringWidth (const juce::Font& font, const juce::String& text)
{
    float width = 0.0f;

    forEachRun (font, text, [&width] (const juce::Font& runFont, const juce::String& runText)
    {
        juce::Array<int> glyphNumbers;
        juce::Array<float> offsets;
        runFont.getGlyphPositions (runText, glyphNumbers, offsets);

        if (! offsets.isEmpty())
            width += offsets.getLast();
    });

    return width;
}

juce::AttributedString VFontFallback::withFallbackFonts (const juce::AttributedString& text)
{
    juce::AttributedString result;
    result.setJustification (text.getJustification());
    result.setWordWrap (text.getWordWrap());
    result.setReadingDirection (text.getReadingDirection());
    result.setLineSpacing (text.getLineSpacing());

    const auto& whole = text.getText();

    for (int i = 0; i < text.getNumAttributes(); ++i)
    {
        const auto& attribute = text.getAttribute (i);
        const auto part = whole.substring (attribute.range.getStart(), attribute.range.getEnd());

        forEachRun (attribute.font, part, [&] (const juce::Font& runFont, const juce::String& runText)
        {
            result.append (runText, runFont, attribute.colour);
        });
    }

    return result;
}

int VFontFallback::getNumGlyphProbes()
{
    auto& state = FallbackState::get();
    const juce::ScopedLock sl (state.lock);
    return state.glyphProbes;
}
