#include "engine/VStateText.h"

#include <cstring>

namespace
{
constexpr juce::uint32 binaryXmlMagic = 0x21324356;

bool isSpace (char c)     { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isNameChar (char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || c == '_' || c == '-' || c == '.' || c == ':';
}

struct Cursor
{
    const char* text;
    size_t size;
    size_t pos = 0;

    bool atEnd() const               { return pos >= size; }
    char peek() const                { return atEnd() ? '\0' : text[pos]; }
    void skipSpace()                 { while (! atEnd() && isSpace (text[pos])) ++pos; }

    bool take (const char* literal)
    {
        const auto n = std::strlen (literal);

        if (size - pos < n || std::memcmp (text + pos, literal, n) != 0)
            return false;

        pos += n;
        return true;
    }

    bool takeName()
    {
        const auto start = pos;
        while (! atEnd() && isNameChar (text[pos]))
            ++pos;
        return pos > start;
    }
};
} // namespace

bool VStateText::isReadable (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != binaryXmlMagic)
        return false;

    const auto length = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));

    if (length <= 0)
        return false;

    const auto* text = static_cast<const juce::uint8*> (data) + 8;
    auto size = (size_t) juce::jmin (sizeInBytes - 8, length);

    // The reader stops at a terminating zero, as this check does.
    for (size_t i = 0; i < size; ++i)
        if (text[i] == 0)
            size = i;

    return isWellFormedUtf8 (text, size) && hasSingleEmptyElement (reinterpret_cast<const char*> (text), size);
}

bool VStateText::isWellFormedUtf8 (const juce::uint8* text, size_t size)
{
    for (size_t i = 0; i < size;)
    {
        const auto lead = text[i];
        const size_t extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xe ? 2 : (lead >> 3) == 0x1e ? 3 : 4;

        if (extra == 4 || size - i <= extra)
            return false;

        for (size_t k = 1; k <= extra; ++k)
            if ((text[i + k] & 0xc0) != 0x80)
                return false;

        i += extra + 1;
    }

    return true;
}

bool VStateText::hasSingleEmptyElement (const char* text, size_t size)
{
    Cursor in { text, size };
    in.skipSpace();

    if (in.take ("<?xml"))
    {
        while (! in.atEnd() && ! in.take ("?>"))
            ++in.pos;

        in.skipSpace();
    }

    if (! in.take ("<") || ! in.takeName())
        return false;

    for (;;)
    {
        const bool spaced = isSpace (in.peek());
        in.skipSpace();

        if (in.take ("/>"))
            break;

        if (! spaced || ! in.takeName())
            return false;

        in.skipSpace();

        if (! in.take ("="))
            return false;

        in.skipSpace();
        const char quote = in.peek();

        if (quote != '"' && quote != '\'')
            return false;

        ++in.pos;

        while (! in.atEnd() && in.peek() != quote)
        {
            if (in.peek() == '<')
                return false;

            ++in.pos;
        }

        if (! in.take (quote == '"' ? "\"" : "'"))
            return false;
    }

    in.skipSpace();
    return in.atEnd();
}

double VStateText::readNumber (const juce::String& text)
{
    // Where the toolkit's reader takes the exponent's digits: after blanks, a
    // sign, digits with at most one point, an 'e' and the exponent's sign.
    int i = 0;
    const auto at = [&text] (int index) { return text[index]; };
    while (juce::CharacterFunctions::isWhitespace (at (i)))
        ++i;
    if (at (i) == '-' || at (i) == '+')
        ++i;
    for (bool point = false; juce::CharacterFunctions::isDigit (at (i)) || (at (i) == '.' && ! point); ++i)
        point = point || at (i) == '.';
    if (at (i) != 'e' && at (i) != 'E')
        return text.getDoubleValue();
    if (at (++i) == '-' || at (i) == '+')
        ++i;

    int end = i;
    while (at (end) == '0')
        ++end;
    const int first = end;
    while (juce::CharacterFunctions::isDigit (at (end)))
        ++end;

    // Six digits are beyond any double's exponent, either way.
    if (end - first <= 6)
        return text.getDoubleValue();
    return text.replaceSection (i, end - i, "999999").getDoubleValue();
}
