#pragma once

#include "widgets/VLookAndFeel.h"

// The value box under a knob: the value in the label's text colour and its
// unit in grey right after it, the pair a little right of centre.
class VKnobLabelLookAndFeel : public VLookAndFeel
{
public:
    VKnobLabelLookAndFeel() = default;
    ~VKnobLabelLookAndFeel() override;

    static VKnobLabelLookAndFeel* sharedInstance();

    void drawLabel (juce::Graphics&, juce::Label&) override;

private:
    JUCE_DECLARE_NON_COPYABLE (VKnobLabelLookAndFeel)
};
