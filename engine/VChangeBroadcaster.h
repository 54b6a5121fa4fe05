#pragma once

#include <juce_events/juce_events.h>

#include "engine/VChangeListener.h"

// Sends text messages to its listeners. Every send posts one message per
// listener to the message thread; nothing is merged, and a delivery is dropped
// when the broadcaster has gone or the listener has left the set meanwhile.
//
// A delivery holds deliveryLock, and removeChangeListener takes it first: a
// listener that leaves on another thread (a host deleting an LV2 instance while
// the plug-in's own message thread delivers) waits for the delivery in hand and
// gets no other. The listener's callback may take any other lock; nothing takes
// deliveryLock while holding one.
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
    juce::CriticalSection deliveryLock;

    JUCE_DECLARE_NON_COPYABLE (VChangeBroadcaster)
};
