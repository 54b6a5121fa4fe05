#pragma once

#include <juce_core/juce_core.h>

class VChangeBroadcaster;

// Receives the text messages of a VChangeBroadcaster, always on the message thread.
class VChangeListener
{
public:
    virtual ~VChangeListener() = default;

    virtual void changeListenerCallback (VChangeBroadcaster* source, const juce::String& message) = 0;
};
