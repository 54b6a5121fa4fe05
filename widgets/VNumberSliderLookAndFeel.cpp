#include "widgets/VNumberSliderLookAndFeel.h"

namespace
{
// The toolkit keeps a slider's text box in step with its value, suffix and
// decimals, but repaints the slider only when the value moves. The number box
// draws that text itself, so its unseen text box has it drawn again whenever
// the text changes: a new unit or step with the value left as it was included.
class NumberBoxText : public juce::Label
{
    void textWasChanged() override
    {
        if (auto* box = getParentComponent())
            box->repaint();
    }

    // Never on screen: the slider speaks for its value.
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override
    {
        return createIgnoredAccessibilityHandler (*this);
    }
};
} // namespace

VNumberSliderLookAndFeel::~VNumberSliderLookAndFeel() = default;

VNumberSliderLookAndFeel* VNumberSliderLookAndFeel::sharedInstance()
{
    static VNumberSliderLookAndFeel instance;
    return &instance;
}

int VNumberSliderLookAndFeel::decimalsOf (double interval)
{
    const juce::String text (interval);

    if (! text.containsChar ('.'))
        return 0;

    return text.fromLastOccurrenceOf (".", false, false).length();
}

void VNumberSliderLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                                 float, float, float,
                                                 juce::Slider::SliderStyle, juce::Slider& slider)
{
    g.fillAll (slider.findColour (juce::Slider::backgroundColourId));

    const float alpha = slider.isEnabled() ? 1.0f : 0.5f;
    const auto format = "%." + juce::String (decimalsOf (slider.getInterval())) + "f";
    const auto text = juce::String::formatted (format, slider.getValue());
    const auto suffix = slider.getTextValueSuffix();

    const juce::Font font (13.0f, juce::Font::plain);
    g.setFont (font);

    g.setColour (slider.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
    g.drawFittedText (text, x, y, width - font.getStringWidth (suffix), height,
                      juce::Justification::centred, 1, 0.0f);

    // The suffix ends one blank's width before the right edge.
    g.setColour (juce::Colour (154, 156, 161));
    g.drawFittedText (suffix, x + width - font.getStringWidth (suffix + " "), y, font.getStringWidth (suffix), height,
                      juce::Justification::centredRight, 1, 0.0f);
}

juce::Label* VNumberSliderLookAndFeel::createSliderTextBox (juce::Slider&)
{
    return new NumberBoxText();
}

void VNumberSliderLookAndFeel::drawLinearSliderBackground (juce::Graphics&, int, int, int, int, float, float, float,
                                                           juce::Slider::SliderStyle, juce::Slider&)
{
}

void VNumberSliderLookAndFeel::drawLinearSliderThumb (juce::Graphics&, int, int, int, int, float, float, float,
                                                      juce::Slider::SliderStyle, juce::Slider&)
{
}

juce::Slider::SliderLayout VNumberSliderLookAndFeel::getSliderLayout (juce::Slider& slider)
{
    juce::Slider::SliderLayout layout;

    if (slider.getSliderStyle() == juce::Slider::LinearVertical)
        layout.sliderBounds = slider.getLocalBounds();

    return layout;
}
