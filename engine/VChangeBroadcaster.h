#pragma once

#include <juce_events/juce_events.h>

#include "engine/VChangeListener.h"

// Sends text messages to its listeners. Every send posts one message per
// listener to the message thread; nothing is merged, and a delivery is dropped
// when the broadcaster has gone or the listener has left the set meanwhile.
class VChangeBroadcaster
{
public:
    VChangeBroadcaster() = default;
    virtual ~VChangeBroadcaster();

    void addChangeListener (VChangeListener* listener);
    void removeChangeListener (VChangeListener* listener);

    // Posts and returns at once; it never calls a listener itself. Any thread.
    void sendChangeMessage (const juce::String& message) const;

    class VChangeMessage : public juce::MessageManager::MessageBase
    {
    public:
        VChangeMessage (VChangeBroadcaster* source, const juce::String& text, VChangeListener* target);
        ~VChangeMessage() override = default;

        void messageCallback() override;

    private:
        juce::WeakReference<VChangeBroadcaster, juce::ReferenceCountedObject> broadcaster;
        juce::String message;
        VChangeListener* listener;
    };

private:
    friend class juce::WeakReference<VChangeBroadcaster, juce::ReferenceCountedObject>;

    bool hasListener (VChangeListener* listener) const;

    juce::WeakReference<VChangeBroadcaster, juce::ReferenceCountedObject>::Master masterReference;
    juce::SortedSet<VChangeListener*> changeListeners;
    juce::CriticalSection listenerLock;

    JUCE_DECLARE_NON_COPYABLE (VChangeBroadcaster)
};
