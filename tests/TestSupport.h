#pragma once

#include <functional>

#include <juce_events/juce_events.h>

namespace zotest
{
// Runs the message loop for a while so that posted messages are delivered.
inline void pumpMessages (int milliseconds = 50)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

// Pumps until the condition holds or the time runs out; returns the condition.
inline bool pumpUntil (const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        pumpMessages (5);
    }

    return true;
}
} // namespace zotest
