#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/EditorTestSupport.h"
#include "tests/EngineTestSupport.h"

using namespace zoeditor;

namespace
{
bool alertShows (const juce::String& text)
{
    const bool shown = zotest::pumpUntil ([&] { return alertsShowing().contains ("Warning. " + text); }, 2000);
    dismissAlerts();
    return shown;
}
} // namespace

TEST (BrindleViewLinkForm, RefusesASelfLinkAndAReverseVolumeLink)
{
    auto tracks = makeTracks (3);
    auto& window = tracks[0]->openWindow();
    Form form (window);

    // Leader and follower on one track: the next tick disables the button,
    // and a click before it is refused.
    ASSERT_TRUE (User::choose (form.leader(), "Track 2"));
    form.tick();
    EXPECT_TRUE (form.add().isEnabled());
    ASSERT_TRUE (User::choose (form.leader(), "Track 1"));
    User::click (form.add());
    EXPECT_TRUE (alertShows ("Please link different tracks."));
    form.tick();
    EXPECT_FALSE (form.add().isEnabled());

    // Track 2 follows track 1's volume; the reverse is refused for the volume only.
    table().addMaster (1, 0, 0, "Same (=x)", 1.0f, 0, 0, 1.0f, 0);
    form.link ("Volume", "Track 1", "Track 2", "Same (=x)");
    ASSERT_TRUE (User::choose (form.follower(), "Track 1"));
    ASSERT_TRUE (User::choose (form.leader(), "Track 2"));
    form.tick();
    User::click (form.add());
    EXPECT_TRUE (alertShows ("Cannot add reverse link."));
    EXPECT_EQ (table().linkInfos[0][0].masterIndexInVector, -1);

    ASSERT_TRUE (User::choose (form.parameter(), "Pan"));
    form.tick();
    User::click (form.add());
    zotest::pumpMessages (20);
    EXPECT_TRUE (alertsShowing().isEmpty());
    EXPECT_EQ (table().linkInfos[0][1].masterIndexInVector, 1);

    // "Remove Link" unlinks the follower's parameter whichever leader is chosen,
    // here a third track, so that leader and follower cannot stand for each other.
    ASSERT_TRUE (User::choose (form.leader(), "Track 3"));
    User::click (*componentAt<juce::TextButton> (window, { 195, 514 }));
    zotest::pumpMessages (20);
    EXPECT_EQ (table().linkInfos[0][1].masterIndexInVector, -1);
}

TEST (BrindleViewLinkForm, UpdateLinkPulsesWhileTheFormDiffersFromTheLink)
{
    auto tracks = makeTracks (2);
    auto& window = tracks[0]->openWindow();
    Form form (window);
    form.link ("Volume", "Track 1", "Track 2", "Same (=x)");
    User::click (form.add());
    form.tick();
    EXPECT_FALSE (form.add().isEnabled()) << "the form matches the link it made";

    // Each difference pulses "Update Link"; the pulse steps 0.1 per tick and turns at 0.2 and 0.8.
    ASSERT_TRUE (User::choose (form.rule(), "Half (0.5x)"));
    for (float alpha : { 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.7f, 0.6f, 0.5f })
    {
        form.tick();
        EXPECT_NEAR (form.add().findColour (juce::TextButton::buttonColourId).getFloatAlpha(), alpha, 0.005f);
    }
    EXPECT_EQ (form.add().getButtonText(), "Update Link");
    EXPECT_TRUE (form.add().isEnabled());
    EXPECT_EQ (form.add().findColour (juce::TextButton::buttonColourId).withAlpha (1.0f), juce::Colours::violet);

    User::click (form.add());
    form.tick();
    EXPECT_EQ (table().linkInfos[1][0].rule, "Half (0.5x)");
    EXPECT_FALSE (form.add().isEnabled());
    EXPECT_EQ (form.add().getButtonText(), "Add Link");
    EXPECT_EQ (form.add().findColour (juce::TextButton::buttonColourId), juce::Colour (0xff1993a9));

    // The scale counts under "Scale (*x)" only; the init value only for a delayed link.
    const auto differs = [&form] { form.tick(); return form.add().isEnabled(); };
    form.enter (form.init(), "3");
    EXPECT_FALSE (differs());
    form.enter (form.delay(), "30");
    EXPECT_TRUE (differs());
    User::click (form.add());
    EXPECT_FALSE (differs());
    form.enter (form.init(), "6");
    EXPECT_TRUE (differs());
    ASSERT_TRUE (User::choose (form.rule(), "Scale (*x)"));
    User::click (form.add());
    EXPECT_FALSE (differs());
    form.enter (form.scale(), "2.5");
    EXPECT_TRUE (differs());

    // Choosing the follower as leader stops the pulse at once, before any tick.
    ASSERT_TRUE (User::choose (form.leader(), "Track 2"));
    EXPECT_EQ (form.add().getButtonText(), "Add Link");
    EXPECT_EQ (form.add().findColour (juce::TextButton::buttonColourId), juce::Colour (0xff1993a9));
}

TEST (BrindleViewLinkForm, DelaysInBeatsBecomeTicksAtTheHostTempo)
{
    auto tracks = makeTracks (2);
    auto& window = tracks[0]->openWindow();
    Form form (window);

    zoengine::TempoHead head;
    head.bpm = 100.0;
    auto& own = *tracks[0]->processor;
    own.setPlayHead (&head);
    juce::AudioBuffer<float> block (2, 64);
    juce::MidiBuffer midi;
    own.processBlock (block, midi);

    // A change of unit starts the delay again from 0, in the unit's range and steps.
    const auto delayShows = [&form] (double maximum, double step, const char* text)
    {
        auto& box = form.delay();
        EXPECT_EQ (box.getRange(), juce::Range<double> (0.0, maximum));
        EXPECT_EQ (box.getInterval(), step);
        EXPECT_EQ (box.getTextFromValue (box.getValue()), text);
    };
    form.link ("Pan", "Track 1", "Track 2", "Reverse (-x)");
    form.enter (form.delay(), "40");
    ASSERT_TRUE (User::choose (form.unit(), "Beat"));
    delayShows (100.0, 1.0, "0");
    form.enter (form.delay(), "3");
    User::click (form.add());
    EXPECT_EQ (table().linkInfos[1][1].delayBufferLength, 180) << "3 beats at 100 bpm";
    EXPECT_EQ (table().linkInfos[1][1].delayTimeInBeats, 3);

    // The host's tempo moves: the link is now too short or too long, and says so.
    form.tick();
    EXPECT_FALSE (form.add().isEnabled());
    head.bpm = 120.0;
    own.processBlock (block, midi);
    form.tick();
    EXPECT_EQ (form.add().getButtonText(), "Update Link");

    form.enter (form.delay(), "1");
    User::click (form.add());
    EXPECT_EQ (table().linkInfos[1][1].delayBufferLength, 50) << "1 beat at 120 bpm";
    own.setPlayHead (nullptr);

    form.enter (form.delay(), "7");
    ASSERT_TRUE (User::choose (form.unit(), "Time"));
    delayShows (5000.0, 10.0, "0 ms");
}

TEST (BrindleViewLinkForm, AChosenParameterGivesTheInitBoxItsRangeStepAndDefault)
{
    auto tracks = makeTracks (1);
    Form form (tracks[0]->openWindow());

    const struct { const char* name; double minimum, maximum, step; const char* shown; const char* secondRule; } parameters[] = {
        { "LPF", 20.0, 20000.0, 1.0, "20000 Hz", "Reverse (-x)" },
        { "HPF", 20.0, 20000.0, 1.0, "20 Hz", "Reverse (-x)" },
        { "Volume", -12.0, 12.0, 0.01, "0.00 dB", "Reciprocal (1/x)" },
        { "Pan", -1.0, 1.0, 0.01, "0.00", "Reverse (-x)" },
    };
    for (const auto& p : parameters)
    {
        ASSERT_TRUE (User::choose (form.parameter(), p.name));
        auto& init = form.init();
        EXPECT_EQ (init.getRange(), juce::Range<double> (p.minimum, p.maximum)) << p.name;
        EXPECT_EQ (init.getInterval(), p.step) << p.name;
        EXPECT_EQ (init.getTextFromValue (init.getValue()), p.shown) << p.name;
        EXPECT_EQ (form.rule().getItemText (1), p.secondRule) << p.name;
    }
}

TEST (BrindleViewLinkForm, OnlyTheUsersOwnTurnOfAKnobTellsTheHost)
{
    // Row 2 follows row 0's pan reversed, and row 1 follows row 2 at half.
    auto tracks = makeTracks (3);
    table().addMaster (2, 0, 1, "Reverse (-x)", 1.0f, 0, 0, 0.0f, 0);
    table().addMaster (1, 2, 1, "Half (0.5x)", 1.0f, 0, 0, 0.0f, 0);
    auto& leaderWindow = tracks[0]->openWindow ({ 0, 0 });
    tracks[2]->openWindow ({ 580, 470 });
    auto& leaderPan = *tracks[0]->processor->getKtParameter (1);
    auto& followerPan = *tracks[2]->processor->getKtParameter (1);
    zoengine::HostListener leaderHost, followerHost;
    leaderPan.addListener (&leaderHost);
    followerPan.addListener (&followerHost);

    // The user turns the leader's pan knob up while the transport is stopped:
    // the chain moves at once, without a word to the followers' hosts.
    User::drag (leaderWindow, { 176, 85 }, { -20, -40 });
    zotest::pumpMessages (50);
    EXPECT_GT ((int) leaderHost.indices.size(), 0);
    EXPECT_GT (leaderPan.getValue(), 0.5f);
    EXPECT_FLOAT_EQ (tracks[2]->processor->pan.load(), -leaderPan.value.load());
    EXPECT_FLOAT_EQ (tracks[1]->processor->pan.load(), 0.5f * -leaderPan.value.load());
    EXPECT_EQ ((int) followerHost.indices.size(), 0);

    // Hosts go on processing while stopped: the windows' direct ticks meet each
    // instance's own ticks on its audio thread, as other controls move and the
    // follower's window closes and opens again.
    std::atomic<bool> running { true };
    std::vector<std::thread> audio;
    for (auto& track : tracks)
        audio.emplace_back ([&running, &b = *track->processor]
        {
            juce::AudioBuffer<float> buffer (2, 100);
            juce::MidiBuffer midi;
            while (running)
                b.processBlock (buffer, midi);
        });
    for (juce::Point<int> at : { juce::Point<int> (76, 85), { 176, 85 }, { 215, 432 }, { 130, 464 } })
        User::drag (leaderWindow, at, { -15 });
    tracks[2]->closeWindow();
    auto& followerWindow = tracks[2]->openWindow ({ 580, 470 });
    running = false;
    for (auto& thread : audio)
        thread.join();
    EXPECT_FALSE (componentAt<VParamSlider> (followerWindow, { 176, 90 })->isEnabled());
    EXPECT_EQ ((int) followerHost.indices.size(), 0);

    // Host automation moves the leader's knob, which says nothing back either.
    const int heard = (int) leaderHost.indices.size();
    leaderPan.setValue (0.25f);
    zotest::pumpMessages (50);
    EXPECT_NEAR (componentAt<VParamSlider> (leaderWindow, { 176, 90 })->getValue(), -0.5, 0.01);
    EXPECT_EQ ((int) leaderHost.indices.size(), heard);
    EXPECT_EQ ((int) followerHost.indices.size(), 0);
    leaderPan.removeListener (&leaderHost);
    followerPan.removeListener (&followerHost);
}

TEST (BrindleViewLinkForm, AKnobTurnedWhileTheHostPlaysLeavesTheOtherTicksToTheirAudio)
{
    // A host that reports recording apart from playing.
    struct Transport : zoengine::TempoHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            auto info = TempoHead::getPosition();
            info->setIsRecording (recording);
            return info;
        }
        bool recording = false;
    } heads[2];

    auto tracks = makeTracks (2);
    table().addMaster (1, 0, 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    auto& window = tracks[0]->openWindow();
    auto& follower = *tracks[1]->processor;
    juce::AudioBuffer<float> oneSample (2, 1); // far too short for a tick of the audio's own
    juce::MidiBuffer midi;

    // Each instance reads its own report; the last two rows are a host's two
    // instances caught between blocks as the transport starts.
    const struct { bool leaderPlays, followerPlays, recording; } reports[] = {
        { false, false, false }, { true, true, false }, { true, true, true },
        { false, false, true },  { true, false, false }, { false, true, false },
    };
    for (const auto& report : reports)
    {
        for (size_t i = 0; i < 2; ++i)
        {
            heads[i].playing = i == 0 ? report.leaderPlays : report.followerPlays;
            heads[i].recording = report.recording;
            tracks[i]->processor->setPlayHead (&heads[i]);
            tracks[i]->processor->processBlock (oneSample, midi);
        }

        // Both stopped, the follower takes the leader's new pan at once; else at its next audio tick.
        const float before = follower.pan.load();
        User::drag (window, { 176, 85 }, { -10 });
        const float leader = tracks[0]->processor->getKtParameter (1)->value.load();
        ASSERT_NE (leader, before);
        EXPECT_FLOAT_EQ (follower.pan.load(), report.leaderPlays || report.followerPlays ? before : leader)
            << "leader plays " << report.leaderPlays << ", follower plays " << report.followerPlays
            << ", recording " << report.recording;
        zoengine::runSilence (follower, 441);
        EXPECT_FLOAT_EQ (follower.pan.load(), leader) << "the follower's own tick";
    }
    for (auto& track : tracks)
        track->processor->setPlayHead (nullptr);
}
