#pragma once

#include "widgets/VLookAndFeel.h"

// The number box: only text, the value with as many decimals as the slider's
// interval has and the suffix in grey at the right. No track, no thumb, and
// the toolkit's value box is never shown: it only tells the box when its text
// (value, suffix or decimals) has changed, so that the box draws it again.
class VNumberSliderLookAndFeel : public VLookAndFeel
{
public:
    VNumberSliderLookAndFeel() = default;
    ~VNumberSliderLookAndFeel() override;

    static VNumberSliderLookAndFeel* sharedInstance();

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;
    juce::Slider::SliderLayout getSliderLayout (juce::Slider&) override;
    juce::Label* createSliderTextBox (juce::Slider&) override;

    // The number of decimals that the interval's text shows ("0.01" -> 2, "10" -> 0).
    static int decimalsOf (double interval);

private:
    JUCE_DECLARE_NON_COPYABLE (VNumberSliderLookAndFeel)
};
