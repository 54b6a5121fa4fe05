#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The editor's caption label: a plain font, or the bundle's CJK font for a
// Chinese user, so that translated captions show their glyphs.
class VLabel : public juce::Label
{
public:
    VLabel (const juce::String& name, const juce::String& labelText);
    ~VLabel() override;

private:
    JUCE_DECLARE_NON_COPYABLE (VLabel)
};
