#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The look's one text path: a text in its fallback fonts, laid out at most
// 600 wide (wrapping at words), with characters dropped from its end until
// the layout is no wider than the area. It is never cut below one character,
// except that a one-character text that does not fit goes to nothing. No
// ellipsis is added.
//
// Track names have no length limit, so the texts can be very long. Dropping
// one character at a time would lay a long text out once per character. This
// gets the same text by laying out only what could show: it walks the text's
// words from the start as the layout places them, and every prefix that
// already holds a line (or a word) wider than the area is known to be too
// wide without a layout of its own.
//
// Message thread only, like all painting.
class VTextShortener
{
public:
    // The widest a layout line may be before the layout wraps at a word.
    static constexpr float maximumLineWidth = 600.0f;

    // The layout of the text, shortened to fit the area's width.
    static juce::TextLayout layOut (const juce::AttributedString& text, juce::Rectangle<float> area);

    // The same for a text in one font and colour; without wrapping at words
    // the text is one line (but for its own line breaks).
    static juce::TextLayout layOut (const juce::String& text, const juce::Font& font, juce::Colour colour,
                                    juce::Justification justification, juce::Rectangle<float> area,
                                    bool wrapsAtWords = true);

    // How many characters of the text the layout keeps.
    static int fittingLength (const juce::AttributedString& text, float width);

    // True when the text, in the font and its fallbacks, is wider than the
    // width. A long text is measured only as far as it takes to tell.
    static bool isWiderThan (const juce::Font& font, const juce::String& text, float width);

private:
    VTextShortener() = delete;
};
