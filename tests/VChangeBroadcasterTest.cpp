#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/VChangeBroadcaster.h"
#include "tests/TestSupport.h"

namespace
{
// Each delivery as "listener:text", checked to come on the message thread.
struct RecordingListener : VChangeListener
{
    RecordingListener (juce::StringArray& logIn, juce::String nameIn) : log (logIn), name (nameIn) {}

    void changeListenerCallback (VChangeBroadcaster* source, const juce::String& text) override
    {
        EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
        log.add (name + ":" + text);
        lastSource = source;
    }

    juce::StringArray& log;
    juce::String name;
    VChangeBroadcaster* lastSource = nullptr;
};

struct Broadcaster : VChangeBroadcaster {};
} // namespace

TEST (VChangeBroadcaster, EverySendReachesEveryListenerOnceLaterAndUnmerged)
{
    juce::StringArray log;
    // In one array, so that their addresses (the set's order) are known.
    RecordingListener listeners[] = { { log, "a" }, { log, "b" } };
    Broadcaster b;
    b.addChangeListener (nullptr);
    for (auto& l : listeners)
    {
        b.addChangeListener (&l);
        b.addChangeListener (&l);
    }

    b.sendChangeMessage ("Add_Master");
    b.sendChangeMessage ("Add_Master");
    EXPECT_TRUE (log.isEmpty()) << "a send only posts";
    zotest::pumpMessages();
    EXPECT_EQ (log.joinIntoString (" "), "b:Add_Master a:Add_Master b:Add_Master a:Add_Master");
    EXPECT_EQ (listeners[0].lastSource, &b);
}

TEST (VChangeBroadcaster, MembershipIsCheckedAtDeliveryNotAtSend)
{
    juce::StringArray log;
    RecordingListener early (log, "early"), late (log, "late");
    Broadcaster b;
    b.addChangeListener (&early);

    b.sendChangeMessage ("Set_TrackName");
    b.removeChangeListener (&early);
    b.removeChangeListener (&early); // not in the set: nothing happens
    b.addChangeListener (&late);     // added after the send
    zotest::pumpMessages();
    EXPECT_TRUE (log.isEmpty());

    b.sendChangeMessage ("Add_Track");
    zotest::pumpMessages();
    EXPECT_EQ (log.joinIntoString (" "), "late:Add_Track");
}

TEST (VChangeBroadcaster, ADestroyedBroadcasterDeliversNothing)
{
    juce::StringArray log;
    RecordingListener l (log, "l");
    {
        Broadcaster b;
        b.addChangeListener (&l);
        b.sendChangeMessage ("Remove_Track");
    }
    zotest::pumpMessages();
    EXPECT_TRUE (log.isEmpty());
}

TEST (VChangeBroadcaster, ACallbackMaySendAgain)
{
    struct Echo : VChangeListener
    {
        void changeListenerCallback (VChangeBroadcaster* source, const juce::String& text) override
        {
            texts.add (text);
            if (text == "ping")
                source->sendChangeMessage ("pong");
        }
        juce::StringArray texts;
    } echo;

    Broadcaster b;
    b.addChangeListener (&echo);
    b.sendChangeMessage ("ping");
    ASSERT_TRUE (zotest::pumpUntil ([&] { return echo.texts.size() == 2; }));
    EXPECT_EQ (echo.texts.joinIntoString (","), "ping,pong");
}

TEST (VChangeBroadcaster, SendsFromOtherThreadsAllArriveOnTheMessageThread)
{
    juce::StringArray log;
    RecordingListener l (log, "l");
    Broadcaster b;
    b.addChangeListener (&l);

    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
        senders.emplace_back ([&b, t] { for (int i = 0; i < 250; ++i) b.sendChangeMessage (juce::String (t)); });
    for (auto& s : senders)
        s.join();

    ASSERT_TRUE (zotest::pumpUntil ([&] { return log.size() == 1000; }));
    int perThread[4] = {};
    for (auto& entry : log)
        ++perThread[entry.getLastCharacter() - '0'];
    for (int count : perThread)
        EXPECT_EQ (count, 250);
}
