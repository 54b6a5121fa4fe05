#include "engine/VStateText.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

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

// Appends the value text[0, size) with its references decoded; false when one
// names a surrogate or no character at all.
bool appendDecoded (juce::MemoryOutputStream& out, const char* text, size_t size)
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
                const auto character = (juce::uint32) code;

                if ((character >= 0xd800 && character <= 0xdfff) || character > 0x10ffff)
                    return false;

                used = k + 1;
                decoded = juce::String::charToString ((juce::juce_wchar) character);
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
    return true;
}
} // namespace

bool VStateText::isReadable (const void* data, int sizeInBytes)
{
    const auto [text, size] = documentOf (data, sizeInBytes);

    return text != nullptr && isWellFormedUtf8 (reinterpret_cast<const juce::uint8*> (text), size)
           && hasSingleEmptyElement (text, size);
}

std::unique_ptr<juce::XmlElement> VStateText::readElement (const void* data, int sizeInBytes,
                                                         const std::unordered_set<juce::String>& keep)
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

        // The element holds no more than `keep` names, so the look-up stays short.
        if (keep.count (name) != 0 && ! element->hasAttribute (name))
        {
            juce::MemoryOutputStream value;

            if (! appendDecoded (value, text + start, in.pos - start))
                return {};

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

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        // The lead byte gives the length and bounds the byte after it, which rules out
        // overlong forms (E0 below A0, F0 below 90), surrogates (ED from A0) and
        // code points beyond U+10FFFF (F4 from 90, leads from F5).
        size_t extra = 0;
        juce::uint8 lowest = 0x80, highest = 0xbf;

        if (lead >= 0xc2 && lead <= 0xdf)
            extra = 1;
        else if (lead >= 0xe0 && lead <= 0xef)
            extra = 2, lowest = lead == 0xe0 ? 0xa0 : 0x80, highest = lead == 0xed ? 0x9f : 0xbf;
        else if (lead >= 0xf0 && lead <= 0xf4)
            extra = 3, lowest = lead == 0xf0 ? 0x90 : 0x80, highest = lead == 0xf4 ? 0x8f : 0xbf;
        else
            return false;

        if (size - i <= extra || text[i + 1] < lowest || text[i + 1] > highest)
            return false;

        for (size_t k = 2; k <= extra; ++k)
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
    auto t = text.getCharPointer().findEndOfWhitespace();
    const bool negative = *t == '-';

    if (*t == '-' || *t == '+')
        ++t;

    const auto lower = [] (juce::juce_wchar c) { return juce::CharacterFunctions::toLowerCase (c); };

    if (lower (*t) == 'n')
        return lower (t[1]) == 'a' && lower (t[2]) == 'n' ? std::numeric_limits<double>::quiet_NaN() : 0.0;

    if (lower (*t) == 'i')
        return lower (t[1]) == 'n' && lower (t[2]) == 'f' ? (negative ? -1.0 : 1.0) * std::numeric_limits<double>::infinity() : 0.0;

    // The value is digits x 10^shift. Past 800 significant digits (more than any
    // double needs to be rounded correctly) only whether a dropped one was not 0
    // counts, as one more digit.
    constexpr size_t mostDigits = 800;
    constexpr juce::int64 mostExponent = 1000000000000;
    std::string digits;
    juce::int64 shift = 0;
    bool point = false, anyDigit = false, droppedNonZero = false;

    for (;; ++t)
    {
        const auto c = *t;

        if (c == '.' && ! point)
        {
            point = true;
            continue;
        }

        if (c < '0' || c > '9')
            break;

        anyDigit = true;

        if (digits.empty() && c == '0')
        {
            shift -= point ? 1 : 0;
        }
        else if (digits.size() < mostDigits)
        {
            digits += (char) c;
            shift -= point ? 1 : 0;
        }
        else
        {
            droppedNonZero = droppedNonZero || c != '0';
            shift += point ? 0 : 1;
        }
    }

    if (! anyDigit)
        return 0.0;

    if (lower (*t) == 'e')
    {
        auto e = t + 1;
        const bool down = *e == '-';

        if (*e == '-' || *e == '+')
            ++e;

        juce::int64 exponent = 0;

        for (; *e >= '0' && *e <= '9'; ++e)
            exponent = juce::jmin (mostExponent, exponent * 10 + (*e - '0'));

        shift += down ? -exponent : exponent;
    }

    const double sign = negative ? -1.0 : 1.0;

    if (digits.empty())
        return sign * 0.0;

    if (droppedNonZero)
    {
        digits += '1';
        --shift;
    }

    // Far beyond a double's range either way: the C library need not see it.
    const auto magnitude = (juce::int64) digits.size() + shift;

    if (magnitude > 400)
        return sign * std::numeric_limits<double>::infinity();

    if (magnitude < -400)
        return sign * 0.0;

    digits += 'e' + std::to_string (shift);
    return sign * std::strtod (digits.c_str(), nullptr);
}
