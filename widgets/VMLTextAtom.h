#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// One unit of a text box's layout: a word, a run of spaces, or one line break.
class VMLTextAtom
{
public:
    juce::String atomText;
    float width = 0.0f;  // as shown, in the font of the section that holds it
    int numChars = 0;    // a full int: atoms of more than 65535 characters keep their count

    // Space, or a character with code 9 to 13.
    static bool isWhitespaceCharacter (juce::juce_wchar c) noexcept;
    static bool isLineBreakCharacter (juce::juce_wchar c) noexcept;

    bool isWhitespace() const noexcept;
    bool isNewLine() const noexcept;

    // The text, or the password character repeated once per character.
    juce::String getText (juce::juce_wchar passwordCharacter) const;

    // What is drawn: the text without trailing whitespace, or the password
    // characters (none for a line break).
    juce::String getTrimmedText (juce::juce_wchar passwordCharacter) const;

    // Cuts text into atoms in order. A carriage return followed by a line feed
    // becomes one atom holding only the line feed.
    static juce::Array<juce::String> splitIntoAtomTexts (const juce::String& text);
};
