#include <gtest/gtest.h>

#include "widgets/VMLTextAtom.h"

TEST (VMLTextAtom, TextIsCutIntoWordsSpacesAndLineBreaks)
{
    const juce::StringArray expected { "ab", "  ", "cd", "\n", "ef", "\r", "g", "\n", "\t ", "x" };
    EXPECT_EQ (juce::StringArray (VMLTextAtom::splitIntoAtomTexts ("ab  cd\r\nef\rg\n\t x")), expected);
    EXPECT_TRUE (VMLTextAtom::splitIntoAtomTexts ("").isEmpty());

    // Only space and codes 9 to 13 split words; an ideographic space belongs to the word.
    EXPECT_EQ (VMLTextAtom::splitIntoAtomTexts (juce::String::charToString (0x3000) + "a").size(), 1);
}
