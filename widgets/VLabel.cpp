#include "widgets/VLabel.h"

#include "widgets/VLookAndFeel.h"
#include "widgets/VUserLanguage.h"

VLabel::VLabel (const juce::String& name, const juce::String& labelText)
    : juce::Label (name, labelText)
{
    juce::Font chosen (14.0f, juce::Font::plain);

    // Asked for every label: the user may switch language while the host runs.
    if (VUserLanguage::isChinese())
    {
        chosen = VLookAndFeel::sharedInstance()->cjkFont;
        chosen.setHeight (17.0f);
    }

    setFont (chosen);
}

VLabel::~VLabel() = default;
