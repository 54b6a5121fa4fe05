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

namespace
{
// The document inside a binary XML blob, up to its first zero byte; empty when
// the blob is not one.
std::pair<const char*, size_t> documentOf (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != binaryXmlMagic)
        return {};

    const auto length = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));

    if (length <= 0)
        return {};

    const auto* text = static_cast<const char*> (data) + 8;
    auto size = (size_t) juce::jmin (sizeInBytes - 8, length);

    // The reader stops at a terminating zero, as this check does.
    for (size_t i = 0; i < size; ++i)
        if (text[i] == 0)
            size = i;

    return { text, size };
}

bool startsWithIgnoringCase (const char* text, size_t size, const char* literal)
{
    const auto n = std::strlen (literal);

    if (size < n)
        return false;

    for (size_t i = 0; i < n; ++i)
        if (juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) (unsigned char) text[i]) != (juce::juce_wchar) literal[i])
            return false;

    return true;
}

// Appends the value text[0, size) with its references decoded.
void appendDecoded (juce::MemoryOutputStream& out, const char* text, size_t size)
{
    static constexpr const char* named[][2] = { { "amp;", "&" }, { "quot;", "\"" }, { "apos;", "'" }, { "lt;", "<" }, { "gt;", ">" } };
    size_t run = 0;

    for (size_t i = 0; i < size;)
    {
        if (text[i] != '&')
        {
            ++i;
            continue;
        }

        out.write (text + run, i - run);
        const auto* rest = text + i + 1;
        const auto left = size - i - 1;
        size_t used = 0;
        juce::String decoded;

        for (auto& entity : named)
        {
            if (startsWithIgnoringCase (rest, left, entity[0]))
            {
                used = std::strlen (entity[0]);
                decoded = entity[1];
                break;
            }
        }

        if (used == 0 && left > 1 && rest[0] == '#')
        {
            // As the toolkit reads them: up to 8 hex or 12 decimal digits, the code cut to 32 bits.
            const bool hex = rest[1] == 'x' || rest[1] == 'X';
            const size_t first = hex ? 2 : 1, most = hex ? 8 : 12;
            juce::int64 code = 0;
            size_t k = first;

            while (k < left && k - first < most
                   && (hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) rest[k]) >= 0 : (rest[k] >= '0' && rest[k] <= '9')))
                code = hex ? (code << 4) | juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) rest[k++])
                           : code * 10 + (rest[k++] - '0');

            if (k < left && rest[k] == ';' && (hex || k > first))
            {
                used = k + 1;
                decoded = juce::String::charToString ((juce::juce_wchar) code);
            }
        }

        if (used == 0)
        {
            // Not a reference: the ampersand stands for itself.
            run = i;
            ++i;
            continue;
        }

        out << decoded;
        i += 1 + used;
        run = i;
    }

    out.write (text + run, size - run);
}
} // namespace

bool VStateText::isReadable (const void* data, int sizeInBytes)
{
    const auto [text, size] = documentOf (data, sizeInBytes);

    return text != nullptr && isWellFormedUtf8 (reinterpret_cast<const juce::uint8*> (text), size)
           && hasSingleEmptyElement (text, size);
}

std::unique_ptr<juce::XmlElement> VStateText::readElement (const void* data, int sizeInBytes)
{
    if (! isReadable (data, sizeInBytes))
        return {};

    // The shape is known now: an optional header, then one element with attributes only.
    const auto [text, size] = documentOf (data, sizeInBytes);
    Cursor in { text, size };
    in.skipSpace();

    if (in.take ("<?xml"))
    {
        while (! in.take ("?>"))
            ++in.pos;

        in.skipSpace();
    }

    in.take ("<");
    auto start = in.pos;
    in.takeName();
    auto element = std::make_unique<juce::XmlElement> (juce::String (text + start, in.pos - start));

    for (;;)
    {
        in.skipSpace();

        if (in.take ("/>"))
            return element;

        start = in.pos;
        in.takeName();
        const juce::String name (text + start, in.pos - start);
        in.skipSpace();
        in.take ("=");
        in.skipSpace();
        const char quote = in.peek();
        start = ++in.pos;

        while (in.peek() != quote)
            ++in.pos;

        if (! element->hasAttribute (name))
        {
            juce::MemoryOutputStream value;
            appendDecoded (value, text + start, in.pos - start);
            element->setAttribute (name, value.toUTF8());
        }

        ++in.pos;
    }
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
    const auto characters = text.toUTF32(); // indexed in constant time, however long the text
    const auto at = [&characters] (int index) { return characters[index]; };
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
