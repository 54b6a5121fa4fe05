#pragma once

#include <unordered_set>

#include <juce_core/juce_core.h>

// Decides whether a saved-state blob may be handed to the toolkit's XML reader.
// That reader trusts every UTF-8 lead byte (a damaged blob makes it read past
// its end) and never returns on some malformed documents (a processing
// instruction among an element's content, for one), so a damaged project could
// crash or hang the host. A state of ours is the toolkit's binary XML header
// around one element that has attributes only; anything else is refused.
class VStateText
{
public:
    static bool isReadable (const void* data, int sizeInBytes);

    // The element of a readable state with the attributes named in `keep`, or
    // null. Read here rather than by the toolkit, whose reader copies the value
    // read so far once per character reference (a long name in Chinese, written
    // as one reference per character, took it time that grows with the square
    // of its length), and looks each attribute up among those before it, as
    // the toolkit's element does when one is added: a damaged state with tens of
    // thousands of attributes took a minute. Other attributes are skipped, so
    // a state costs time in proportion to its length whatever its shape.
    // References are decoded as the toolkit decodes them (&amp; &quot; &apos;
    // &lt; &gt;, any case, and &#n; &#xn;); an ampersand that starts none of them
    // is kept as a character. A reference to a surrogate or to no character
    // (beyond U+10FFFF) makes the state unreadable, as such bytes do. A repeated
    // attribute keeps its first value.
    static std::unique_ptr<juce::XmlElement> readElement (const void* data, int sizeInBytes,
                                                          const std::unordered_set<juce::String>& keep);

    // Shortest forms of characters only: the toolkit decodes an overlong form
    // of NUL as the end of a text, so that "Q" + C0 80 + "x" compares equal to
    // "Q" and two tracks could carry one name. No surrogates, nothing beyond U+10FFFF.
    static bool isWellFormedUtf8 (const juce::uint8* text, size_t size);
    static bool hasSingleEmptyElement (const char* text, size_t size);

    // A number from a project's or a host's text, in the toolkit's grammar
    // (blanks, a sign, digits with at most one point, an exponent; "nan" and
    // "inf"; whatever follows is ignored; no number reads as 0), read as the
    // value it writes, correctly rounded. The toolkit's own reader keeps an
    // exponent in an int, writes one of more than three digits wrongly and takes
    // zero times a huge power of ten as infinite.
    static double readNumber (const juce::String& text);
};
