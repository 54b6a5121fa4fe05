#include "widgets/VFontFallback.h"

#include <map>
#include <unordered_map>
#include <vector>

#include "widgets/VLookAndFeel.h"

namespace
{
// A code point that no font maps (plane 16, private use): a typeface answers
// it with the same outline that it draws for any character it lacks.
constexpr juce::juce_wchar unmappedCharacter = 0x10fffd;

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

class FallbackState
{
public:
    static FallbackState& get()
    {
        static FallbackState state;
        return state;
    }

    juce::CriticalSection lock;

    Coverage& coverageOf (juce::Typeface& typeface)
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

    static bool has (juce::Typeface& typeface, Coverage& coverage, juce::juce_wchar c)
    {
        if (isAlwaysPresent (c))
            return true;

        const auto known = coverage.known.find (c);

        if (known != coverage.known.end())
            return known->second;

        const auto outline = outlineOf (typeface, c);
        const bool present = ! outline.isEmpty() && ! (outline == coverage.missingGlyphOutline);
        coverage.known.emplace (c, present);
        return present;
    }

    // The first installed family that has the character, or an empty name.
    juce::String installedFamilyFor (juce::juce_wchar c, float height)
    {
        const auto known = familyForCharacter.find (c);

        if (known != familyForCharacter.end())
            return known->second;

        juce::String chosen;

        for (auto& family : candidateFamilies())
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

private:
    FallbackState() = default;

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

    std::map<juce::String, Coverage> coverages;
    std::unordered_map<juce::juce_wchar, juce::String> familyForCharacter;
    juce::StringArray families;
    bool familiesListed = false;
};

juce::Font sizedLike (juce::Font font, const juce::Font& model)
{
    return font.withHeight (model.getHeight()).withHorizontalScale (model.getHorizontalScale());
}

// Lock held by the caller.
juce::Font pickFont (FallbackState& state, const juce::Font& font, juce::juce_wchar c)
{
    if (state.has (font, c))
        return font;

    const auto& cjkFont = VLookAndFeel::sharedInstance()->cjkFont;

    if (state.has (cjkFont, c))
        return sizedLike (cjkFont, font);

    const auto family = state.installedFamilyFor (c, font.getHeight());

    if (family.isNotEmpty())
        return sizedLike (juce::Font (family, font.getHeight(), juce::Font::plain), font);

    return font;
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
        const auto wanted = FallbackState::has (*typeface, coverage, c) ? font : pickFont (state, font, c);

        if (here == runStart)
        {
            runFont = wanted;
        }
        else if (wanted != runFont)
        {
            callback (runFont, juce::String (runStart, here));
            runStart = here;
            runFont = wanted;
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
