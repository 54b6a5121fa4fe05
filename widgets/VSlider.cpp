#include "widgets/VSlider.h"

#include "widgets/VKnobLabelLookAndFeel.h"

VSlider::VSlider()
{
    showScale = true;
    setLookAndFeel (VKnobLabelLookAndFeel::sharedInstance());
    setRotaryParameters (3.9898229f, 8.5765486f, true);
    setTextBoxStyle (juce::Slider::TextBoxBelow, false, 1, 1);
    setColour (juce::Slider::textBoxBackgroundColourId, juce::Colour (39, 42, 44));
    setColour (juce::Slider::textBoxOutlineColourId, juce::Colour (39, 42, 44));
    setColour (juce::Slider::textBoxTextColourId, juce::Colour (25, 147, 169));
    setColour (juce::Slider::textBoxHighlightColourId, juce::Colour (154, 156, 161));
    setTextBoxIsEditable (true);
}

VSlider::~VSlider() = default;
