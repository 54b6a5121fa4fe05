#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The common base of the system's sliders: the knob-label look, the knob's
// arc open at the bottom, an editable value box below and its colours.
class VSlider : public juce::Slider
{
public:
    VSlider();
    ~VSlider() override;

    // Lets the system's linear-slider look draw its tick scale.
    bool showScale;

private:
    JUCE_DECLARE_NON_COPYABLE (VSlider)
};
