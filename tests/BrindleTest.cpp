#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/EngineTestSupport.h"

using namespace zoengine;

TEST (Brindle, AnInstanceHasARowWithTheDefaultsForItsLifetime)
{
    const int before = table().getNumTracks();
    int id = -1;
    {
        Brindle b;
        id = b.trackId;
        EXPECT_EQ (table().getNumTracks(), before + 1);
        const float defaults[] = { 1.0f, 0.0f, 20000.0f, 20.0f }; // linear gain, pan, cutoffs
        for (int p = 0; p < 4; ++p)
            EXPECT_EQ (table().getData (id, p), defaults[p]) << p;
    }
    EXPECT_EQ (table().getNumTracks(), before);
    EXPECT_EQ (table().getDataIndex (id), -1);
}

TEST (Brindle, AHostChangeWritesTheTableInTheTablesUnits)
{
    Brindle b;
    b.prepareToPlay (32000.0, 512);
    b.getParameters()[0]->setValue (0.75f); // +6 dB
    b.getParameters()[1]->setValue (0.25f);
    b.getParameters()[3]->setValue (1.0f);
    EXPECT_NEAR (table().getData (b.trackId, 0), std::pow (10.0f, 0.3f), 1e-6f);
    EXPECT_EQ (table().getData (b.trackId, 1), -0.5f);
    EXPECT_FLOAT_EQ (table().getData (b.trackId, 3), 15360.0f) << "capped at 0.48 x the rate";
    EXPECT_EQ (b.gain.load(), 1.0f) << "the audio path follows only at the next tick";
}

TEST (Brindle, ANewSampleRateCapsTheCutoffsInForce)
{
    Brindle b;
    b.prepareToPlay (32000.0, 512);
    EXPECT_FLOAT_EQ (b.lpfCutoff.load(), 15360.0f);
    runSilence (b, 2000);
    EXPECT_FLOAT_EQ (b.lpfCutoff.load(), 15360.0f) << "also for a track that follows nobody";
}

TEST (Brindle, AFollowersVolumeIsClampedAndItsHostIsNotTold)
{
    Brindle leader, follower;
    leader.prepareToPlay (44100.0, 512);
    follower.prepareToPlay (44100.0, 512);
    HostListener host;
    follower.getParameters()[0]->addListener (&host);

    // leader's normalised volume, scale, then the follower's gain and normalised volume
    const std::tuple<float, float, float, float> cases[] = { { 0.5f, 10.0f, 3.98107f, 1.0f },
                                                             { 0.0f, 0.0f, 0.251189f, 0.0f },
                                                             { 0.5f, 1.0f, 1.0f, 0.5f } };
    for (auto [leaderValue, scale, gain, shown] : cases)
    {
        leader.getParameters()[0]->setValue (leaderValue);
        table().addMaster (rowOf (follower), rowOf (leader), 0, "Scale (*x)", scale, 0, 0, 0.0f, 0);
        follower.updateControlParams();
        EXPECT_NEAR (follower.gain.load(), gain, 1e-5f) << scale;
        EXPECT_EQ (follower.getParameters()[0]->getValue(), shown) << scale;
    }
    EXPECT_TRUE (host.indices.empty());
    follower.getParameters()[0]->removeListener (&host);
    table().removeMaster (rowOf (follower), rowOf (leader), 0);
}

TEST (Brindle, AFollowersCutoffIsCappedAtItsOwnRate)
{
    Brindle leader, follower;
    leader.getParameters()[2]->setValue (0.0f); // 20 Hz, reversed to 20 kHz
    table().addMaster (rowOf (follower), rowOf (leader), 2, "Reverse (-x)", 1.0f, 0, 0, 0.0f, 0);
    follower.prepareToPlay (32000.0, 512);
    EXPECT_FLOAT_EQ (follower.lpfCutoff.load(), 15360.0f);
    EXPECT_NEAR (follower.getParameters()[2]->getValue(), (15360.0f - 20.0f) / 19980.0f, 1e-6f);
    table().removeMaster (rowOf (follower), rowOf (leader), 2);
}

TEST (Brindle, AKnobsChangeReachesTheHostButNotTheKnob)
{
    Brindle b;
    HostListener host;
    b.getParameters()[1]->addListener (&host);
    CountingControl knob (&b, 1);

    b.setParameterFromUi (1, -0.25f, false);
    zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 0);
    EXPECT_EQ (host.indices.size(), 1u);
    EXPECT_FLOAT_EQ (host.lastValue, 0.375f);
    EXPECT_EQ (table().getData (b.trackId, 1), -0.25f);

    b.getParameters()[1]->setValue (0.375f); // the same value by automation
    zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 1);
    b.getParameters()[1]->removeListener (&host);
}

TEST (Brindle, FollowFlagsChangeWhenTheLinkMessageArrives)
{
    Brindle leader, follower;
    zotest::pumpMessages();

    table().addMaster (rowOf (follower), rowOf (leader), 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    EXPECT_TRUE (follower.paramNotFollowing[3]) << "not at the send";
    ASSERT_TRUE (zotest::pumpUntil ([&] { return ! follower.paramNotFollowing[3]; }));
    EXPECT_TRUE (follower.paramNotFollowing[0]);
    EXPECT_TRUE (leader.paramNotFollowing[3]);

    table().removeMaster (rowOf (follower), rowOf (leader), 3);
    EXPECT_TRUE (zotest::pumpUntil ([&] { return follower.paramNotFollowing[3]; }));
}

TEST (Brindle, TheTempoIsTheHostsLastUsableOne)
{
    struct FixedPlayHead : juce::AudioPlayHead
    {
        juce::Optional<PositionInfo> getPosition() const override
        {
            PositionInfo info;
            info.setBpm (tempo);
            info.setIsPlaying (true);
            return available ? juce::Optional<PositionInfo> (info) : juce::nullopt;
        }
        bool available = true;
        double tempo = 120.0;
    } head;

    Brindle b;
    b.setPlayHead (&head);
    // reported tempo, then the tempo in force; 120 before the first block
    const std::pair<double, double> reports[] = { { 0.0, 120.0 }, { -90.0, 120.0 }, { 93.5, 93.5 },
                                                  { std::numeric_limits<double>::quiet_NaN(), 93.5 },
                                                  { std::numeric_limits<double>::infinity(), 93.5 } };
    for (auto [reported, inForce] : reports)
    {
        head.tempo = reported;
        runSilence (b, 16);
        EXPECT_EQ (b.getBpm(), inForce) << reported;
        EXPECT_TRUE (b.isPlaying.load());
    }
    head.available = false;
    runSilence (b, 16);
    EXPECT_EQ (b.getBpm(), 120.0) << "no position at all: the play head's default";
    EXPECT_FALSE (b.isPlaying.load());
    b.setPlayHead (nullptr);
}
