#include "widgets/VTextShortener.h"

#include <limits>
#include <vector>

#include "widgets/VFontFallback.h"

namespace
{
// Layout widths are summed in another order than the toolkit sums them; a
// prefix is skipped only when it is wider than the area by more than this.
constexpr float roundingAllowance = 1.0f;

// Windows of the text, in characters: a long text is read only as far as
// it has to be.
constexpr int firstWindow = 64;

int grown (int window)
{
    return window > std::numeric_limits<int>::max() / 4 ? std::numeric_limits<int>::max() : window * 4;
}

// A word, a run of blanks or a line break as the toolkit's layout cuts the
// text: never across two attributes, a "\r\n" pair kept together.
struct Token
{
    int start = 0, end = 0; // characters [start, end) of the text
    juce::String text;
    juce::Font font;
    int type = 1;           // 0 line break, 1 word, 2 blanks
    bool whitespace = false, newLine = false;
    bool complete = false;  // the window holds all of it
};

int characterType (juce::juce_wchar c)
{
    if (c == '\r' || c == '\n')
        return 0;

    return juce::CharacterFunctions::isWhitespace (c) ? 2 : 1;
}

std::vector<Token> tokensOf (const juce::AttributedString& window, int windowLength, bool wholeText)
{
    std::vector<Token> tokens;
    auto p = window.getText().getCharPointer();
    int position = 0;

    for (int a = 0; a < window.getNumAttributes(); ++a)
    {
        const auto& attribute = window.getAttribute (a);
        const int attributeEnd = attribute.range.getEnd();
        int lastType = 0;
        auto tokenStart = p;
        int tokenPosition = position;

        const auto flush = [&] (bool isWhitespace)
        {
            if (position == tokenPosition)
                return;

            Token t;
            t.start = tokenPosition;
            t.end = position;
            t.text = juce::String (tokenStart, p);
            t.font = attribute.font;
            t.type = lastType;
            t.whitespace = isWhitespace;
            t.newLine = t.text.containsChar ('\n') || t.text.containsChar ('\r');
            t.complete = wholeText || position < windowLength;
            tokens.push_back (std::move (t));
        };

        while (position < attributeEnd && ! p.isEmpty())
        {
            const auto c = *p;
            const int type = characterType (c);

            if (type == 0 || type != lastType)
            {
                flush (lastType == 2 || lastType == 0);
                tokenStart = p;
                tokenPosition = position;
                ++p;
                ++position;

                if (c == '\r' && position < attributeEnd && *p == '\n')
                {
                    ++p;
                    ++position;
                }
            }
            else
            {
                ++p;
                ++position;
            }

            lastType = type;
        }

        flush (lastType == 2);
    }

    return tokens;
}

// What the layout draws of a token: a word, or blanks that begin a line.
juce::String drawnText (const juce::String& s)
{
    auto trimmed = s.trimEnd();

    if (trimmed.isEmpty() && s.isNotEmpty())
        trimmed = s.replaceCharacters ("\r\n\t", "   ");

    return trimmed;
}

juce::Array<float> glyphOffsets (const Token& t)
{
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    t.font.getGlyphPositions (drawnText (t.text), glyphs, offsets);
    return offsets;
}

// The fewest characters from which on every prefix of the window's text lays
// out wider than the width, or 0 when the window does not show it. A prefix
// is too wide when a line that it holds whole is, or when the glyphs of its
// last, cut word already are. Words before the last are placed in every
// prefix as in the whole text, so their lines only grow with the prefix.
int firstTooWidePrefix (const juce::AttributedString& window, int windowLength, bool wholeText, float width)
{
    const auto tokens = tokensOf (window, windowLength, wholeText);
    const bool wraps = window.getWordWrap() != juce::AttributedString::none;
    const float limit = width + roundingAllowance;

    float x = 0.0f;
    bool lineStart = true, placed = true;
    float lineLow = 0.0f, lineHigh = 0.0f;
    bool lineHasGlyphs = false;

    for (size_t i = 0; i < tokens.size(); ++i)
    {
        const auto& t = tokens[i];

        // Blanks and line breaks show only at the start of a line.
        if (t.type == 1 || (placed && lineStart))
        {
            const auto offsets = glyphOffsets (t);

            // The glyphs of a cut word: all but the last sit as in the whole word.
            const int known = t.complete ? offsets.size() - 2 : offsets.size() - 1;
            float low = offsets.isEmpty() ? 0.0f : offsets[0], high = low;

            for (int length = 1; length <= known; ++length)
            {
                low = juce::jmin (low, offsets[length - 1]);
                high = juce::jmax (high, offsets[length - 1]);

                if (high - low > limit)
                    return t.start + length;
            }

            if (t.complete)
            {
                for (auto offset : offsets)
                {
                    lineLow = lineHasGlyphs ? juce::jmin (lineLow, x + offset) : x + offset;
                    lineHigh = lineHasGlyphs ? juce::jmax (lineHigh, x + offset) : x + offset;
                    lineHasGlyphs = true;
                }

                if (lineHigh - lineLow > limit)
                    return t.end;
            }
        }

        // Only the window's last token can be cut, and only it can follow an
        // unknown line break.
        if (! t.complete || i + 1 == tokens.size())
            return 0;

        // The toolkit's line breaking: after a line break, or before a word
        // that would end past the widest line.
        const auto& next = tokens[i + 1];
        x += t.font.getStringWidthFloat (t.text);
        lineStart = t.newLine;

        if (! lineStart && ! next.whitespace && wraps)
        {
            placed = next.complete;

            if (placed)
                lineStart = x + next.font.getStringWidthFloat (next.text) > VTextShortener::maximumLineWidth;
        }

        if (lineStart)
        {
            x = 0.0f;
            lineHasGlyphs = false;
        }
    }

    return 0;
}

juce::AttributedString firstCharacters (const juce::AttributedString& text, int count)
{
    auto prefix = text;
    prefix.setText (text.getText().substring (0, count));
    return prefix;
}

juce::TextLayout layoutOf (const juce::AttributedString& text, float height)
{
    juce::TextLayout layout;
    layout.createLayout (text, VTextShortener::maximumLineWidth, height);
    return layout;
}

// The rule's result: the whole text when it fits, else the longest prefix of
// at least two characters that fits, else one character (none of a text of
// one). Prefixes from `tooWideFrom` characters on are known to be too wide
// and are not laid out.
juce::TextLayout shortened (const juce::AttributedString& fallback, int length, int tooWideFrom,
                            juce::Rectangle<float> area, int& kept)
{
    kept = length;

    if (kept >= tooWideFrom)
    {
        kept = tooWideFrom - 1;

        if (kept < 2)
        {
            kept = length >= 2 ? 1 : 0;
            return layoutOf (firstCharacters (fallback, kept), area.getHeight());
        }
    }

    auto layout = layoutOf (firstCharacters (fallback, kept), area.getHeight());

    while (layout.getWidth() > area.getWidth())
    {
        layout = layoutOf (firstCharacters (fallback, --kept), area.getHeight());

        if (kept < 2)
            break;
    }

    kept = juce::jmax (0, kept);
    return layout;
}

// `windowOf (n)` gives the text's first n characters with their attributes.
template <typename WindowOf>
juce::TextLayout fit (const juce::String& text, WindowOf&& windowOf, juce::Rectangle<float> area, int& kept)
{
    for (int window = firstWindow;; window = grown (window))
    {
        // The window: the text's first characters, or all of it.
        auto p = text.getCharPointer();
        int length = 0;

        while (length < window && ! p.isEmpty())
        {
            ++p;
            ++length;
        }

        const bool whole = p.isEmpty();
        const auto fallback = VFontFallback::withFallbackFonts (windowOf (length));
        const int tooWideFrom = firstTooWidePrefix (fallback, length, whole, area.getWidth());

        // Beyond a window, the text has at least one character more.
        if (tooWideFrom > 0)
            return shortened (fallback, whole ? length : juce::jmax (tooWideFrom, 2), tooWideFrom, area, kept);

        if (whole)
            return shortened (fallback, length, length + 1, area, kept);
    }
}
} // namespace

juce::TextLayout VTextShortener::layOut (const juce::AttributedString& text, juce::Rectangle<float> area)
{
    int kept = 0;
    return fit (text.getText(), [&text] (int n) { return firstCharacters (text, n); }, area, kept);
}

juce::TextLayout VTextShortener::layOut (const juce::String& text, const juce::Font& font, juce::Colour colour,
                                         juce::Justification justification, juce::Rectangle<float> area,
                                         bool wrapsAtWords)
{
    // Attributed one window at a time: a long text is not even counted whole.
    const auto windowOf = [&] (int n)
    {
        juce::AttributedString window (text.substring (0, n));
        window.setColour (colour);
        window.setFont (font);
        window.setJustification (justification);
        window.setWordWrap (wrapsAtWords ? juce::AttributedString::byWord : juce::AttributedString::none);
        return window;
    };

    int kept = 0;
    return fit (text, windowOf, area, kept);
}

bool VTextShortener::isWiderThan (const juce::Font& font, const juce::String& text, float width)
{
    for (int window = firstWindow;; window = grown (window))
    {
        auto end = text.getCharPointer();

        for (int n = 0; n < window && ! end.isEmpty(); ++n)
            ++end;

        if (end.isEmpty())
            return VFontFallback::getStringWidth (font, text) > width;

        // No advance is negative, so the whole text reaches at least as far
        // as the window's last character begins.
        auto last = end;
        --last;
        const auto head = juce::String (text.getCharPointer(), end);

        if (VFontFallback::getStringWidth (font, head) - VFontFallback::getStringWidth (font, juce::String::charToString (*last))
            > width + roundingAllowance)
            return true;
    }
}

int VTextShortener::fittingLength (const juce::AttributedString& text, float width)
{
    int kept = 0;
    fit (text.getText(), [&text] (int n) { return firstCharacters (text, n); }, { width, 0.0f }, kept);
    return kept;
}
