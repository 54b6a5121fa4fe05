#include "widgets/VMLTextEditorViewport.h"

#include "widgets/VMLTextEditor.h"

VMLTextEditorViewport::VMLTextEditorViewport (VMLTextEditor& ownerBox)
    : juce::Viewport (juce::String()), owner (ownerBox)
{
}

void VMLTextEditorViewport::visibleAreaChanged (const juce::Rectangle<int>&)
{
    if (reentrant)
        return;

    const auto wordWrapWidth = owner.getWordWrapWidth();

    if (wordWrapWidth == lastWordWrapWidth)
        return;

    lastWordWrapWidth = wordWrapWidth;
    reentrant = true;
    owner.updateTextHolderSize();
    reentrant = false;
}
