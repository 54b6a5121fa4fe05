#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class VMLTextEditor;

// The scrolling child of a VMLTextEditor that shows its text holder. A change
// of the box's word-wrap width re-sizes the text holder; the guard keeps that
// re-size from entering itself again through this viewport.
class VMLTextEditorViewport : public juce::Viewport
{
public:
    explicit VMLTextEditorViewport (VMLTextEditor& ownerBox);

    void visibleAreaChanged (const juce::Rectangle<int>&) override;

private:
    VMLTextEditor& owner;
    float lastWordWrapWidth = 0.0f;
    bool reentrant = false;

    JUCE_DECLARE_NON_COPYABLE (VMLTextEditorViewport)
};
