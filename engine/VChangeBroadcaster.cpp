#include "engine/VChangeBroadcaster.h"

VChangeBroadcaster::~VChangeBroadcaster()
{
    // Queued messages read their broadcaster as null from here on and are dropped.
    masterReference.clear();
}

void VChangeBroadcaster::addChangeListener (VChangeListener* listener)
{
    if (listener == nullptr)
        return;

    const juce::ScopedLock sl (listenerLock);
    changeListeners.add (listener);
}

void VChangeBroadcaster::removeChangeListener (VChangeListener* listener)
{
    const juce::ScopedLock dl (deliveryLock);
    const juce::ScopedLock sl (listenerLock);
    changeListeners.removeValue (listener);
}

void VChangeBroadcaster::sendChangeMessage (const juce::String& message) const
{
    const juce::ScopedLock sl (listenerLock);

    // The weak reference's shared pointer is made lazily; the lock keeps that to one thread.
    auto* self = const_cast<VChangeBroadcaster*> (this);

    for (int i = changeListeners.size(); --i >= 0;)
        (new VChangeMessage (self, message, changeListeners.getUnchecked (i)))->post();
}

bool VChangeBroadcaster::hasListener (VChangeListener* listener) const
{
    const juce::ScopedLock sl (listenerLock);
    return changeListeners.contains (listener);
}

VChangeBroadcaster::VChangeMessage::VChangeMessage (VChangeBroadcaster* source,
                                                    const juce::String& text,
                                                    VChangeListener* target)
    : broadcaster (source), message (text), listener (target)
{
}

void VChangeBroadcaster::VChangeMessage::messageCallback()
{
    auto* source = broadcaster.get();

    if (source == nullptr)
        return;

    const juce::ScopedLock dl (source->deliveryLock);

    if (! source->hasListener (listener))
        return;

    // listenerLock is not held here, so the listener may call back into its sender.
    listener->changeListenerCallback (source, message);
}
