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

    static bool isWellFormedUtf8 (const juce::uint8* text, size_t size);
    static bool hasSingleEmptyElement (const char* text, size_t size);

    // A number from a project's or a host's text, read as the toolkit reads it.
    // The toolkit keeps an exponent in an int, which ten digits overflow; such a
    // number is infinite or zero, and is read as one.
    static double readNumber (const juce::String& text);
};
