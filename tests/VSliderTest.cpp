#include <gtest/gtest.h>

#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VSlider.h"

TEST (VSlider, Presets)
{
    VSlider s;
    EXPECT_TRUE (s.showScale);
    EXPECT_EQ (&s.getLookAndFeel(), VKnobLabelLookAndFeel::sharedInstance());
    EXPECT_EQ (s.getRotaryParameters().startAngleRadians, 3.9898229f);
    EXPECT_EQ (s.getRotaryParameters().endAngleRadians, 8.5765486f);
    EXPECT_TRUE (s.getRotaryParameters().stopAtEnd);
    EXPECT_EQ (s.getTextBoxPosition(), juce::Slider::TextBoxBelow);
    EXPECT_TRUE (s.isTextBoxEditable());
    EXPECT_EQ (s.findColour (juce::Slider::textBoxBackgroundColourId), juce::Colour (39, 42, 44));
    EXPECT_EQ (s.findColour (juce::Slider::textBoxOutlineColourId), juce::Colour (39, 42, 44));
    EXPECT_EQ (s.findColour (juce::Slider::textBoxTextColourId), juce::Colour (25, 147, 169));
    EXPECT_EQ (s.findColour (juce::Slider::textBoxHighlightColourId), juce::Colour (154, 156, 161));
}
