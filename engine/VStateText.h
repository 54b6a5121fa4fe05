#pragma once

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

    // The element of a readable state, or null. Read here rather than by the
    // toolkit, whose reader copies the value read so far once per character
    // reference: a long name in Chinese, written as one reference per
    // character, took it time that grows with the square of its length
    // (a tenth of a second for 100,000 characters). References are
    // decoded as the toolkit decodes them (&amp; &quot; &apos; &lt; &gt;,
    // any case, and &#n; &#xn;); an ampersand that starts none of them is
    // kept as a character. A repeated attribute keeps its first value.
    static std::unique_ptr<juce::XmlElement> readElement (const void* data, int sizeInBytes);

    static bool isWellFormedUtf8 (const juce::uint8* text, size_t size);
    static bool hasSingleEmptyElement (const char* text, size_t size);

    // A number from a project's or a host's text, read as the toolkit reads it.
    // The toolkit keeps an exponent in an int, which ten digits overflow; such a
    // number is infinite or zero, and is read as one.
    static double readNumber (const juce::String& text);
};
