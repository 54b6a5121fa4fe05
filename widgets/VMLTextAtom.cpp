#include "widgets/VMLTextAtom.h"

bool VMLTextAtom::isWhitespaceCharacter (juce::juce_wchar c) noexcept
{
    return c == ' ' || (c >= 9 && c <= 13);
}

bool VMLTextAtom::isLineBreakCharacter (juce::juce_wchar c) noexcept
{
    return c == '\r' || c == '\n';
}

bool VMLTextAtom::isWhitespace() const noexcept
{
    return isWhitespaceCharacter (atomText[0]);
}

bool VMLTextAtom::isNewLine() const noexcept
{
    return isLineBreakCharacter (atomText[0]);
}

juce::String VMLTextAtom::getText (juce::juce_wchar passwordCharacter) const
{
    if (passwordCharacter == 0)
        return atomText;

    return juce::String::repeatedString (juce::String::charToString (passwordCharacter), numChars);
}

juce::String VMLTextAtom::getTrimmedText (juce::juce_wchar passwordCharacter) const
{
    if (passwordCharacter == 0)
        return atomText.substring (0, numChars).trimEnd();

    if (isNewLine())
        return {};

    return juce::String::repeatedString (juce::String::charToString (passwordCharacter), numChars);
}

juce::Array<juce::String> VMLTextAtom::splitIntoAtomTexts (const juce::String& text)
{
    juce::Array<juce::String> pieces;
    auto p = text.getCharPointer();

    while (! p.isEmpty())
    {
        const auto start = p;
        const auto c = p.getAndAdvance();

        if (isLineBreakCharacter (c))
        {
            if (c == '\r' && *p == '\n')
            {
                p.getAndAdvance();
                pieces.add ("\n");
            }
            else
            {
                pieces.add (juce::String::charToString (c));
            }

            continue;
        }

        const bool space = isWhitespaceCharacter (c);

        while (! p.isEmpty())
        {
            const auto next = *p;

            if (isLineBreakCharacter (next) || isWhitespaceCharacter (next) != space)
                break;

            ++p;
        }

        pieces.add (juce::String (start, p));
    }

    return pieces;
}
