#include <gtest/gtest.h>

#include "engine/VChangeBroadcaster.h"
#include "tests/TestSupport.h"

namespace
{
// Logs each delivery as "name:text" and answers "ping" with "pong" through the sender.
struct Recorder : VChangeListener
{
    Recorder (juce::StringArray& logIn, const char* nameIn) : log (logIn), name (nameIn) {}

    void changeListenerCallback (VChangeBroadcaster* source, const juce::String& text) override
    {
        log.add (name + ":" + text);
        if (text == "ping")
            source->sendChangeMessage ("pong");
    }

    juce::StringArray& log;
    juce::String name;
};

juce::String delivered (juce::StringArray& log)
{
    zotest::pumpMessages();
    const auto texts = log.joinIntoString (" ");
    log.clear();
    return texts;
}
} // namespace

TEST (VChangeBroadcaster, EverySendReachesEveryListenerOnceLaterAndUnmergedEvenFromACallback)
{
    juce::StringArray log;
    Recorder listeners[] = { { log, "a" }, { log, "b" } }; // in one array: their addresses, the set's order, are known
    VChangeBroadcaster b;
    b.addChangeListener (nullptr);
    for (auto& l : listeners)
    {
        b.addChangeListener (&l);
        b.addChangeListener (&l);
    }
    b.sendChangeMessage ("Add_Master");
    b.sendChangeMessage ("ping");
    EXPECT_TRUE (log.isEmpty()) << "a send only posts";
    EXPECT_EQ (delivered (log), "b:Add_Master a:Add_Master b:ping a:ping b:pong a:pong b:pong a:pong");
}

TEST (VChangeBroadcaster, ADeliveryNeedsTheBroadcasterAndTheListenerStillThere)
{
    juce::StringArray log;
    Recorder early (log, "early"), late (log, "late");
    auto b = std::make_unique<VChangeBroadcaster>();
    b->addChangeListener (&early);
    b->sendChangeMessage ("Set_TrackName");
    b->removeChangeListener (&early);
    b->removeChangeListener (&early); // not in the set: nothing happens
    b->addChangeListener (&late);     // added after the send
    EXPECT_EQ (delivered (log), "");
    b->sendChangeMessage ("Add_Track");
    EXPECT_EQ (delivered (log), "late:Add_Track");
    b->sendChangeMessage ("Remove_Track");
    b.reset();
    EXPECT_EQ (delivered (log), "");
}
