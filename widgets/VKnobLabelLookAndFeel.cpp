#include "widgets/VKnobLabelLookAndFeel.h"

#include <cmath>

namespace
{
// The fit stops here; the text is then drawn at this height even if it overflows.
constexpr float minimumFontHeight = 6.0f;
} // namespace

VKnobLabelLookAndFeel::~VKnobLabelLookAndFeel() = default;

VKnobLabelLookAndFeel* VKnobLabelLookAndFeel::sharedInstance()
{
    static VKnobLabelLookAndFeel instance;
    return &instance;
}

void VKnobLabelLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    g.fillAll (label.findColour (juce::Label::backgroundColourId));

    if (label.isBeingEdited())
    {
        if (label.isEnabled())
            g.setColour (label.findColour (juce::Label::outlineColourId));
    }
    else
    {
        const float alpha = label.isEnabled() ? 1.0f : 0.5f;
        const auto text = label.getText();
        const auto width = (float) label.getWidth();
        const int height = label.getHeight();

        auto font = getLabelFont (label);

        // Rounded half to even, a little right of centre.
        const auto leftEdge = [&] { return (int) std::lrint (width * 0.5f - font.getStringWidthFloat (text) * 0.5f + width * 0.03125f); };

        // Fitted with the shift: a text that only just fits the width would
        // otherwise lose its last column under the outline.
        while ((float) leftEdge() + font.getStringWidthFloat (text) > width - 1.0f && font.getHeight() - 1.0f >= minimumFontHeight)
            font.setHeight (font.getHeight() - 1.0f);

        g.setFont (font);
        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));

        int x = leftEdge();

        if (x >= label.getWidth())
            x = label.getWidth() - 1;

        juce::StringArray tokens;
        tokens.addTokens (text, " ", "");

        if (tokens.size() > 0)
        {
            const auto value = tokens[0].trim();
            g.drawText (value, juce::Rectangle<float> ((float) x, 0.0f, font.getStringWidthFloat (value), (float) height),
                        juce::Justification::centredLeft, false);

            g.setColour (juce::Colour (154, 156, 161).withMultipliedAlpha (alpha));

            if (tokens.size() > 1)
            {
                const auto unit = tokens[1].trim();
                const float unitX = (float) x + font.getStringWidthFloat (value + " ");
                g.drawText (unit, juce::Rectangle<float> (unitX, 0.0f, font.getStringWidthFloat (unit), (float) height),
                            juce::Justification::centredLeft, false);
            }
        }

        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }

    g.drawRect (label.getLocalBounds(), 1);
}
