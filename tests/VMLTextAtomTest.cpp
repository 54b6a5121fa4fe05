#include <gtest/gtest.h>

#include "widgets/VMLTextAtom.h"

TEST (VMLTextAtom, TextIsCutIntoWordsSpacesAndLineBreaks)
{
    const auto pieces = VMLTextAtom::splitIntoAtomTexts ("ab  cd\r\nef\rg\n\t x");
    const juce::StringArray expected { "ab", "  ", "cd", "\n", "ef", "\r", "g", "\n", "\t ", "x" };
    EXPECT_EQ (juce::StringArray (pieces), expected);

    EXPECT_TRUE (VMLTextAtom::splitIntoAtomTexts ("").isEmpty());
}

TEST (VMLTextAtom, WhitespaceAndLineBreaks)
{
    VMLTextAtom word, spaces, lineBreak;
    word.atomText = "word";
    spaces.atomText = "  ";
    lineBreak.atomText = "\n";

    EXPECT_FALSE (word.isWhitespace());
    EXPECT_TRUE (spaces.isWhitespace());
    EXPECT_FALSE (spaces.isNewLine());
    EXPECT_TRUE (lineBreak.isWhitespace());
    EXPECT_TRUE (lineBreak.isNewLine());

    // Only space and codes 9 to 13 split words; other spaces belong to them.
    EXPECT_FALSE (VMLTextAtom::isWhitespaceCharacter (0x3000));
    EXPECT_EQ (VMLTextAtom::splitIntoAtomTexts (juce::String::charToString (0x3000) + "a").size(), 1);
}

TEST (VMLTextAtom, ShownTextWithAndWithoutAPasswordCharacter)
{
    VMLTextAtom word, lineBreak;
    word.atomText = "abc";
    word.numChars = 3;
    lineBreak.atomText = "\n";
    lineBreak.numChars = 1;

    EXPECT_EQ (word.getText (0), "abc");
    EXPECT_EQ (word.getText ('*'), "***");
    EXPECT_EQ (word.getTrimmedText (0), "abc");
    EXPECT_EQ (lineBreak.getTrimmedText (0), "");
    EXPECT_EQ (lineBreak.getTrimmedText ('*'), "");
    EXPECT_EQ (lineBreak.getText ('*'), "*");

    VMLTextAtom huge;
    huge.atomText = juce::String::repeatedString ("z", 70000);
    huge.numChars = 70000;
    EXPECT_EQ (huge.getTrimmedText ('#').length(), 70000);
}
