#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/VChangeBroadcaster.h"
#include "tests/TestSupport.h"

namespace
{
struct Received
{
    VChangeBroadcaster* source;
    juce::String text;
    int listenerId;
};

struct RecordingListener : VChangeListener
{
    RecordingListener (std::vector<Received>& logIn, int idIn) : log (logIn), id (idIn) {}

    void changeListenerCallback (VChangeBroadcaster* source, const juce::String& text) override
    {
        EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
        log.push_back ({ source, text, id });
    }

    std::vector<Received>& log;
    int id;
};

struct Broadcaster : VChangeBroadcaster {};
} // namespace

TEST (VChangeBroadcaster, OneDeliveryPerListenerLastInSetFirst)
{
    std::vector<Received> log;
    // Listeners live in one array so that their addresses (the set's order) are known.
    RecordingListener listeners[] = { { log, 0 }, { log, 1 }, { log, 2 } };
    Broadcaster b;

    for (auto& l : listeners)
        b.addChangeListener (&l);

    b.sendChangeMessage ("Add_Track");
    EXPECT_TRUE (log.empty()) << "a send must only post";

    zotest::pumpMessages();
    ASSERT_EQ (log.size(), 3u);

    for (size_t i = 0; i < log.size(); ++i)
    {
        EXPECT_EQ (log[i].source, &b);
        EXPECT_EQ (log[i].text, "Add_Track");
        EXPECT_EQ (log[i].listenerId, 2 - (int) i);
    }
}

TEST (VChangeBroadcaster, EqualSendsAreNotMerged)
{
    std::vector<Received> log;
    RecordingListener a (log, 0), c (log, 1);
    Broadcaster b;
    b.addChangeListener (&a);
    b.addChangeListener (&c);

    b.sendChangeMessage ("Add_Master");
    b.sendChangeMessage ("Add_Master");
    b.sendChangeMessage ("Remove_Master");
    zotest::pumpMessages();

    ASSERT_EQ (log.size(), 6u);
    EXPECT_EQ (log[4].text, "Remove_Master");
    EXPECT_EQ (log[5].text, "Remove_Master");
}

TEST (VChangeBroadcaster, MembershipIsCheckedAtDeliveryNotAtSend)
{
    std::vector<Received> log;
    RecordingListener early (log, 0), late (log, 1);
    Broadcaster b;
    b.addChangeListener (&early);

    b.sendChangeMessage ("Set_TrackName");
    b.removeChangeListener (&early);
    b.addChangeListener (&late); // added after the send: nothing of it arrives
    zotest::pumpMessages();

    EXPECT_TRUE (log.empty());

    b.sendChangeMessage ("Add_Track");
    zotest::pumpMessages();
    ASSERT_EQ (log.size(), 1u);
    EXPECT_EQ (log[0].listenerId, 1);
}

TEST (VChangeBroadcaster, DestroyedBroadcasterDeliversNothing)
{
    std::vector<Received> log;
    RecordingListener l (log, 0);

    {
        Broadcaster b;
        b.addChangeListener (&l);
        b.sendChangeMessage ("Remove_Track");
        b.sendChangeMessage ("Remove_Track");
    }

    zotest::pumpMessages();
    EXPECT_TRUE (log.empty());
}

TEST (VChangeBroadcaster, DuplicateAndNullListeners)
{
    std::vector<Received> log;
    RecordingListener l (log, 0);
    Broadcaster b;

    b.addChangeListener (nullptr);
    b.addChangeListener (&l);
    b.addChangeListener (&l);
    b.sendChangeMessage ("Add_Master");
    zotest::pumpMessages();
    EXPECT_EQ (log.size(), 1u);

    b.removeChangeListener (&l);
    b.removeChangeListener (&l); // not in the set: nothing happens
    b.sendChangeMessage ("Add_Master");
    zotest::pumpMessages();
    EXPECT_EQ (log.size(), 1u);
}

TEST (VChangeBroadcaster, CallbackMaySendAgain)
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
    };

    Echo echo;
    Broadcaster b;
    b.addChangeListener (&echo);
    b.sendChangeMessage ("ping");

    ASSERT_TRUE (zotest::pumpUntil ([&] { return echo.texts.size() == 2; }));
    EXPECT_EQ (echo.texts.joinIntoString (","), "ping,pong");
}

TEST (VChangeBroadcaster, SendsFromOtherThreadsArriveOnTheMessageThread)
{
    std::vector<Received> log;
    RecordingListener l (log, 0);
    Broadcaster b;
    b.addChangeListener (&l);

    constexpr int threads = 4, sendsPerThread = 250;
    std::vector<std::thread> senders;

    for (int t = 0; t < threads; ++t)
        senders.emplace_back ([&b, t]
        {
            for (int i = 0; i < sendsPerThread; ++i)
                b.sendChangeMessage ("t" + juce::String (t));
        });

    for (auto& s : senders)
        s.join();

    ASSERT_TRUE (zotest::pumpUntil ([&] { return log.size() == (size_t) (threads * sendsPerThread); }));

    int perThread[threads] = {};
    for (auto& r : log)
        ++perThread[r.text.substring (1).getIntValue()];

    for (int count : perThread)
        EXPECT_EQ (count, sendsPerThread);
}
