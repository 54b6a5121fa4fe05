#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Per-glyph font fallback for the text box and for the look's text helpers.
// The toolkit's own text layout substitutes no fonts on Linux, so a font
// without Chinese glyphs would draw boxes for a name such as "Track 鼓组 2".
// Here every character that a run's font lacks is taken from a font that has
// it: the look's cjkFont (made from the bundle's font file), else an installed
// family that covers it (on Linux fontconfig names the families to try). Such
// a glyph is measured and drawn in its own font, so widths, caret positions,
// hit-testing and drawing all agree. The fallback keeps the run's height,
// horizontal scale and style; a face without a bold or italic of its own
// (the bundle's font) has that style drawn.
//
// Called while painting and laying out, on the message thread; one lock
// guards the cached answers.
class VFontFallback
{
public:
    // True when the font has a glyph of its own for the character rather than
    // its missing-glyph box. Whitespace and control characters count as present.
    static bool hasGlyph (const juce::Font& font, juce::juce_wchar character);

    // True when the font has every character of the text.
    static bool hasAllGlyphs (const juce::Font& font, const juce::String& text);

    // The font that draws the character: the given font when it has it,
    // otherwise the look's cjkFont, otherwise an installed family that has it,
    // each at the given font's height and in its style; the given font when
    // none has it. A character that no font has is looked for once.
    static juce::Font fontForCharacter (const juce::Font& font, juce::juce_wchar character);

    // Appends the text as one line starting at x on the given baseline, each
    // glyph in the font that fontForCharacter picks and advanced by its own width.
    static void addLineOfText (juce::GlyphArrangement& glyphs, const juce::Font& font,
                               const juce::String& text, float x, float baselineY);

    // The advance of the whole text as addLineOfText lays it out.
    static float getStringWidth (const juce::Font& font, const juce::String& text);

    // The attributed string with each character that its attribute's font
    // lacks moved into the font that fontForCharacter picks. Colours,
    // justification, wrapping and line spacing stay.
    static juce::AttributedString withFallbackFonts (const juce::AttributedString& text);

    // How many times a typeface has been asked for a character's glyph
    // (answers already known not counted): shows what a lookup costs.
    static int getNumGlyphProbes();

private:
    VFontFallback() = delete;
};
