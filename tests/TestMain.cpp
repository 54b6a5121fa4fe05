#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

// The tests run on the JUCE message thread of this console process, so they can
// post messages and pump the loop themselves.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    return RUN_ALL_TESTS();
}
