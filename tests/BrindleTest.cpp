#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

#include "engine/Brindle.h"
#include "engine/KtHostParamControl.h"
#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace
{
VSharedData& table() { return *VSharedData::sharedInstance(); }

int rowOf (const Brindle& b) { return table().getDataIndex (b.trackId); }

// A play head that reports whatever the test sets.
struct FixedPlayHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! available)
            return {};

        PositionInfo info;
        info.setBpm (tempo);
        info.setIsPlaying (playing);
        return info;
    }

    bool available = true;
    double tempo = 120.0;
    bool playing = false;
};

struct CountingControl : KtHostParamControl
{
    using KtHostParamControl::KtHostParamControl;
    ~CountingControl() override { cancelPendingUpdate(); }
    void handleAsyncUpdate() override { ++updates; }
    int updates = 0;
};

struct HostListener : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged (int index, float value) override { lastIndex = index; lastValue = value; ++calls; }
    void parameterGestureChanged (int, bool) override {}
    int calls = 0, lastIndex = -1;
    float lastValue = -1.0f;
};

void process (Brindle& b, juce::AudioBuffer<float>& buffer)
{
    juce::MidiBuffer midi;
    b.processBlock (buffer, midi);
}

// Runs `samples` samples of silence through the processor in blocks of `blockSize`.
void runSilence (Brindle& b, int samples, int channels = 2, int blockSize = 64)
{
    while (samples > 0)
    {
        const int n = juce::jmin (samples, blockSize);
        juce::AudioBuffer<float> buffer (channels, n);
        buffer.clear();
        process (b, buffer);
        samples -= n;
    }
}

juce::AudioBuffer<float> noise (int channels, int n, int seed)
{
    juce::Random r (seed);
    juce::AudioBuffer<float> buffer (channels, n);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < n; ++i)
            buffer.setSample (c, i, r.nextFloat() * 2.0f - 1.0f);
    return buffer;
}
// Sample by sample: a buffer's magnitude hides NaN.
bool allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (c, i)))
                return false;
    return true;
}
} // namespace

TEST (Brindle, IdentityAndNewTrackRow)
{
    Brindle b;
    EXPECT_EQ (b.getName(), "Zo Tarvel");
    EXPECT_FALSE (b.acceptsMidi());
    EXPECT_FALSE (b.producesMidi());
    EXPECT_EQ (b.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (b.getNumPrograms(), 1);
    EXPECT_EQ (b.getLatencySamples(), 0);
    EXPECT_EQ (b.getBpm(), 120.0) << "tempo before the first block";

    const int row = rowOf (b);
    ASSERT_GE (row, 0);
    EXPECT_EQ (table().getData (b.trackId, 0), 1.0f);
    EXPECT_EQ (table().getData (b.trackId, 1), 0.0f);
    EXPECT_EQ (table().getData (b.trackId, 2), 20000.0f);
    EXPECT_EQ (table().getData (b.trackId, 3), 20.0f);

    const auto& params = b.getParameters();
    ASSERT_EQ (params.size(), 4);
    const char* names[] = { "Volume", "Pan", "LPFCutoff", "HPFCutoff" };
    const float defaults[] = { 0.5f, 0.5f, 1.0f, 0.0f };
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (params[i]->getName (100), names[i]);
        EXPECT_EQ (params[i]->getValue(), defaults[i]);
        EXPECT_EQ (params[i]->getParameterIndex(), i);
    }
}

TEST (Brindle, TrackIdsAreNeverReusedAndRowsGoWithInstances)
{
    const int before = table().getNumTracks();
    int firstId;
    {
        Brindle a;
        firstId = a.trackId;
        EXPECT_EQ (table().getNumTracks(), before + 1);
    }
    EXPECT_EQ (table().getNumTracks(), before);
    EXPECT_EQ (table().getDataIndex (firstId), -1);

    Brindle b;
    EXPECT_GT (b.trackId, firstId);
}

TEST (Brindle, HostSetValueWritesTheTableAndAppliesAtTheNextTick)
{
    Brindle b;
    b.prepareToPlay (44100.0, 512);

    // The call the JUCE 7 wrappers make for automation.
    b.getParameters()[0]->setValue (0.75f); // +6 dB
    EXPECT_NEAR (table().getData (b.trackId, 0), std::pow (10.0f, 0.3f), 1e-6f);
    EXPECT_EQ (b.gain.load(), 1.0f) << "the audio path follows only at the next tick";

    // The tick comes after sample 441 whatever the block sizes.
    runSilence (b, 400, 2, 100);
    runSilence (b, 40, 2, 7);
    EXPECT_EQ (b.gain.load(), 1.0f);
    runSilence (b, 1);
    EXPECT_NEAR (b.gain.load(), 1.99526f, 1e-5f);

    b.getParameters()[1]->setValue (0.25f);
    EXPECT_EQ (table().getData (b.trackId, 1), -0.5f);
    runSilence (b, 440, 2, 441);
    EXPECT_EQ (b.pan.load(), 0.0f);
    runSilence (b, 1, 2, 1);
    EXPECT_EQ (b.pan.load(), -0.5f);
}

TEST (Brindle, TickPeriodFollowsTheSampleRate)
{
    Brindle b;
    b.prepareToPlay (48000.0, 256);
    b.getParameters()[1]->setValue (1.0f);
    runSilence (b, 479, 1, 256);
    EXPECT_EQ (b.pan.load(), 0.0f);
    runSilence (b, 1, 1, 256);
    EXPECT_EQ (b.pan.load(), 1.0f);

    // prepareToPlay resets the counter and runs one tick at once.
    runSilence (b, 300, 1, 256);
    b.getParameters()[1]->setValue (0.5f);
    b.prepareToPlay (48000.0, 256);
    EXPECT_EQ (b.pan.load(), 0.0f);
}

TEST (Brindle, CutoffsAreCappedAtTheSampleRate)
{
    Brindle b;
    b.getParameters()[2]->setValue (1.0f);
    EXPECT_EQ (table().getData (b.trackId, 2), 20000.0f) << "below 0.48 x 44100";

    // A lower rate caps what the audio path applies, also for a track that follows nobody.
    b.prepareToPlay (32000.0, 512);
    EXPECT_FLOAT_EQ (b.lpfCutoff.load(), 15360.0f);
    runSilence (b, 2000);
    EXPECT_FLOAT_EQ (b.lpfCutoff.load(), 15360.0f);

    b.getParameters()[3]->setValue (1.0f);
    EXPECT_FLOAT_EQ (table().getData (b.trackId, 3), 15360.0f) << "written capped";

    // The filters stay stable: loud noise in, bounded output.
    auto buffer = noise (2, 32000, 7);
    process (b, buffer);
    EXPECT_LT (buffer.getMagnitude (0, 32000), 10.0f);
}

TEST (Brindle, PanLawOnStereo)
{
    // The same audio through two instances that differ only by pan isolates the pan law.
    const auto ratioFor = [] (float panValue)
    {
        Brindle centre, panned;
        centre.prepareToPlay (44100.0, 512);
        panned.prepareToPlay (44100.0, 512);
        panned.getParameters()[1]->setValue ((panValue + 1.0f) * 0.5f);
        panned.prepareToPlay (44100.0, 512); // a tick takes the new pan

        auto a = noise (2, 256, 3), b = a;
        process (centre, a);
        process (panned, b);
        return std::make_pair (b.getSample (0, 100) / a.getSample (0, 100),
                               b.getSample (1, 100) / a.getSample (1, 100));
    };

    auto [l1, r1] = ratioFor (-1.0f);
    EXPECT_NEAR (l1, 1.18850f, 1e-5f);
    EXPECT_EQ (r1, 0.0f);

    auto [l2, r2] = ratioFor (0.5f);
    EXPECT_NEAR (l2, 0.5f, 1e-6f);
    EXPECT_NEAR (r2, 1.09018f, 1e-5f);

    auto [l3, r3] = ratioFor (0.0f);
    EXPECT_EQ (l3, 1.0f);
    EXPECT_EQ (r3, 1.0f);
}

TEST (Brindle, MonoIsScaledButNeverPanned)
{
    Brindle b;
    b.setPlayConfigDetails (1, 1, 44100.0, 512);
    EXPECT_EQ (b.numChannels.load(), 1);

    b.getParameters()[1]->setValue (0.0f);   // hard left
    b.getParameters()[0]->setValue (0.25f);  // -6 dB
    b.prepareToPlay (44100.0, 512);

    Brindle reference;
    reference.setPlayConfigDetails (1, 1, 44100.0, 512);
    reference.prepareToPlay (44100.0, 512);

    auto x = noise (1, 300, 11), y = x;
    process (b, x);
    process (reference, y);
    EXPECT_NEAR (x.getSample (0, 200) / y.getSample (0, 200), std::pow (10.0f, -0.3f), 1e-5f);
}

TEST (Brindle, LayoutChangeGivesFreshFiltersAndWideBuffersAreSafe)
{
    Brindle b;
    b.prepareToPlay (44100.0, 512);
    auto warm = noise (2, 512, 5);
    process (b, warm);

    // Back to stereo through a layout change: new filters start from rest.
    b.setPlayConfigDetails (2, 2, 44100.0, 512);
    Brindle fresh;
    fresh.prepareToPlay (44100.0, 512);
    auto x = noise (2, 64, 9), y = x;
    process (b, x);
    process (fresh, y);
    EXPECT_EQ (x.getSample (0, 0), y.getSample (0, 0));
    EXPECT_EQ (x.getSample (1, 63), y.getSample (1, 63));

    // More channels than filters: the extra channels are only scaled.
    auto wide = noise (6, 128, 13);
    const float lastIn = wide.getSample (5, 127);
    process (b, wide);
    EXPECT_EQ (wide.getSample (5, 127), lastIn);
}

TEST (Brindle, SuspendedProcessorLeavesAudioAndTickAlone)
{
    Brindle b;
    b.prepareToPlay (44100.0, 512);
    b.getParameters()[0]->setValue (0.0f);
    b.suspendProcessing (true);
    auto x = noise (2, 1000, 1), y = x;
    process (b, x);
    EXPECT_EQ (x.getSample (0, 999), y.getSample (0, 999));
    EXPECT_EQ (b.gain.load(), 1.0f);
}

TEST (Brindle, PlayHeadTempoAndTransport)
{
    Brindle b;
    FixedPlayHead head;
    b.setPlayHead (&head);

    // Tempi no delay in beats can use keep the last one: 120 before any.
    for (double bad : { 0.0, -90.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() })
    {
        head.tempo = bad;
        runSilence (b, 16);
        EXPECT_EQ (b.getBpm(), 120.0) << bad;
    }

    head.tempo = 93.5;
    head.playing = true;
    runSilence (b, 16);
    EXPECT_EQ (b.getBpm(), 93.5);
    EXPECT_TRUE (b.isPlaying.load());

    head.tempo = 0.0;
    runSilence (b, 16);
    EXPECT_EQ (b.getBpm(), 93.5);

    head.available = false;
    runSilence (b, 16);
    EXPECT_EQ (b.getBpm(), 120.0) << "no position at all: the play head's default";
    EXPECT_FALSE (b.isPlaying.load());
    b.setPlayHead (nullptr);
}

TEST (Brindle, FollowerVolumeIsClampedToTheParameterRange)
{
    Brindle leader, follower;
    leader.prepareToPlay (44100.0, 512);
    follower.prepareToPlay (44100.0, 512);

    table().addMaster (rowOf (follower), rowOf (leader), 0, "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
    follower.updateControlParams();
    EXPECT_NEAR (follower.gain.load(), 3.98107f, 1e-5f);
    EXPECT_EQ (follower.getParameters()[0]->getValue(), 1.0f);

    leader.getParameters()[0]->setValue (0.0f); // -12 dB leader
    table().addMaster (rowOf (follower), rowOf (leader), 0, "Scale (*x)", 0.0f, 0, 0, 0.0f, 0);
    follower.updateControlParams();
    EXPECT_NEAR (follower.gain.load(), 0.251189f, 1e-6f);
    EXPECT_EQ (follower.getParameters()[0]->getValue(), 0.0f);

    // A follower's parameter moves without the host being told.
    HostListener host;
    follower.getParameters()[0]->addListener (&host);
    table().addMaster (rowOf (follower), rowOf (leader), 0, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    follower.updateControlParams();
    EXPECT_EQ (follower.getParameters()[0]->getValue(), 0.0f);
    leader.getParameters()[0]->setValue (0.5f);
    follower.updateControlParams();
    EXPECT_EQ (follower.getParameters()[0]->getValue(), 0.5f);
    EXPECT_EQ (host.calls, 0);
    follower.getParameters()[0]->removeListener (&host);
    table().removeMaster (rowOf (follower), rowOf (leader), 0);
}

TEST (Brindle, ReverseCutoffIsCappedForTheFollower)
{
    Brindle leader, follower;
    leader.getParameters()[2]->setValue (0.0f); // leader's low-pass at 20 Hz
    table().addMaster (rowOf (follower), rowOf (leader), 2, "Reverse (-x)", 1.0f, 0, 0, 0.0f, 0);

    follower.prepareToPlay (44100.0, 512);
    EXPECT_EQ (follower.lpfCutoff.load(), 20000.0f);

    follower.prepareToPlay (32000.0, 512);
    follower.updateControlParams();
    EXPECT_FLOAT_EQ (follower.lpfCutoff.load(), 15360.0f);
    EXPECT_NEAR (follower.getParameters()[2]->getValue(), (15360.0f - 20.0f) / 19980.0f, 1e-6f);
    table().removeMaster (rowOf (follower), rowOf (leader), 2);
}

TEST (Brindle, AFollowerHearsItsLeaderAfterTheDelay)
{
    Brindle leader, follower;
    leader.prepareToPlay (44100.0, 441);
    follower.prepareToPlay (44100.0, 441);

    // Half (0.5x) with a ring of three ticks that starts filled with gain 1.
    table().addMaster (rowOf (follower), rowOf (leader), 0, "Half (0.5x)", 1.0f, 0, 3, 1.0f, 0);
    leader.getParameters()[0]->setValue (1.0f); // +12 dB: gain 3.98107

    std::vector<float> gains;
    for (int tick = 0; tick < 5; ++tick)
    {
        runSilence (leader, 441, 2, 441);
        runSilence (follower, 441, 2, 441);
        gains.push_back (follower.gain.load());
    }

    EXPECT_EQ (gains[0], 1.0f);
    EXPECT_EQ (gains[2], 1.0f);
    EXPECT_NEAR (gains[3], 0.5f * 3.98107f, 1e-5f);
    EXPECT_NEAR (gains[4], 0.5f * 3.98107f, 1e-5f);
    table().removeMaster (rowOf (follower), rowOf (leader), 0);
}

TEST (Brindle, KnobChangesAreNotEchoedToTheKnob)
{
    Brindle b;
    HostListener host;
    b.getParameters()[1]->addListener (&host);
    CountingControl knob (&b, 1);

    b.setParameterFromUi (1, -0.25f, false);
    zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 0) << "the knob that made the change is not refreshed";
    EXPECT_EQ (host.calls, 1) << "but the host is told";
    EXPECT_FLOAT_EQ (host.lastValue, 0.375f);
    EXPECT_EQ (table().getData (b.trackId, 1), -0.25f);
    EXPECT_FALSE (b.getKtParameter (1)->fromUi.load());

    b.getParameters()[1]->setValue (0.375f); // the same value by automation
    zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 1);
    b.getParameters()[1]->removeListener (&host);
}

TEST (Brindle, FollowFlagsTrackLinkMessages)
{
    Brindle leader, follower;
    zotest::pumpMessages();

    table().addMaster (rowOf (follower), rowOf (leader), 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    EXPECT_TRUE (follower.paramNotFollowing[3]) << "updated on delivery, not at the send";
    ASSERT_TRUE (zotest::pumpUntil ([&] { return ! follower.paramNotFollowing[3]; }));
    EXPECT_TRUE (follower.paramNotFollowing[0]);
    EXPECT_TRUE (leader.paramNotFollowing[3]);

    table().removeMaster (rowOf (follower), rowOf (leader), 3);
    ASSERT_TRUE (zotest::pumpUntil ([&] { return follower.paramNotFollowing[3]; }));

    // Other texts and other senders change nothing.
    table().addMaster (rowOf (follower), rowOf (leader), 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    follower.changeListenerCallback (&follower, "Add_Master");
    follower.changeListenerCallback (&table(), "Something_Else");
    EXPECT_TRUE (follower.paramNotFollowing[1]);
    table().removeMaster (rowOf (follower), rowOf (leader), 1);
    zotest::pumpMessages();
}

TEST (Brindle, PluginFactoryMakesAnInstance)
{
    std::unique_ptr<juce::AudioProcessor> p (createPluginFilter());
    ASSERT_NE (dynamic_cast<Brindle*> (p.get()), nullptr);
    EXPECT_TRUE (p->hasEditor());
}

TEST (Brindle, ValuesThatOutliveTheirLinkNeverReachTheAudioUnfit)
{
    // Each road leaves a value in a track's row that no parameter could hold:
    // whatever the table hands it, the audio stays finite and in range.
    const auto finiteAfterTicks = [] (Brindle& b)
    {
        bool finite = true;
        for (int block = 0; block < 6; ++block)
        {
            auto buffer = noise (2, 441, block);
            process (b, buffer);
            finite = finite && allFinite (buffer);
        }
        return finite;
    };

    {
        // A leads B's low-pass by "Scale (*x)" 10, B leads C's by "Reverse (-x)":
        // the rows hold 200000 Hz and -179980 Hz, then B's track goes.
        auto a = std::make_unique<Brindle>(), b = std::make_unique<Brindle>(), c = std::make_unique<Brindle>();
        for (auto* x : { a.get(), b.get(), c.get() })
            x->prepareToPlay (44100.0, 441);
        a->getParameters()[2]->setValue (1.0f);
        table().addMaster (rowOf (*b), rowOf (*a), 2, "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
        table().addMaster (rowOf (*c), rowOf (*b), 2, "Reverse (-x)", 1.0f, 0, 0, 0.0f, 0);
        b->updateControlParams();
        c->updateControlParams();
        ASSERT_EQ (table().getData (c->trackId, 2), -179980.0f);
        EXPECT_EQ (c->lpfCutoff.load(), 20.0f);

        b.reset();
        EXPECT_TRUE (finiteAfterTicks (*c));
        EXPECT_EQ (c->lpfCutoff.load(), 20.0f);

        // Back to 1 kHz from the host.
        c->getParameters()[2]->setValue ((1000.0f - 20.0f) / 19980.0f);
        EXPECT_TRUE (finiteAfterTicks (*c));
        EXPECT_FLOAT_EQ (c->lpfCutoff.load(), 1000.0f);
        zotest::pumpMessages (10);
    }
    {
        // A restored "Scale (*x)" -5 on the high-pass, then the leader's track goes.
        auto leader = std::make_unique<Brindle>();
        Brindle follower;
        follower.prepareToPlay (44100.0, 441);
        table().addMaster (rowOf (follower), rowOf (*leader), 3, "Scale (*x)", -5.0f, 0, 0, 0.0f, 0);
        follower.updateControlParams();
        leader.reset();
        ASSERT_EQ (table().getData (follower.trackId, 3), -100.0f);
        EXPECT_TRUE (finiteAfterTicks (follower));
        EXPECT_EQ (follower.hpfCutoff.load(), 20.0f);
        zotest::pumpMessages (10);
    }
    {
        // A +20 dB volume and an infinite, then NaN, pan left behind.
        auto a = std::make_unique<Brindle>(), b = std::make_unique<Brindle>();
        Brindle c;
        c.getParameters()[1]->setValue (0.75f);
        c.prepareToPlay (44100.0, 441);
        table().addMaster (rowOf (c), rowOf (*a), 0, "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
        table().addMaster (rowOf (*b), rowOf (*a), 1, "Reciprocal (1/x)", 1.0f, 0, 0, 0.0f, 0);
        table().addMaster (rowOf (c), rowOf (*b), 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
        b->updateControlParams();
        c.updateControlParams();
        EXPECT_EQ (b->pan.load(), 0.0f) << "an infinite pan keeps the pan in force";
        EXPECT_EQ (c.pan.load(), 0.5f);

        table().addMaster (rowOf (c), rowOf (*b), 1, "Scale (*x)", 0.0f, 0, 0, 0.0f, 0); // 0 x infinity
        a.reset();
        b.reset();
        EXPECT_TRUE (finiteAfterTicks (c));
        EXPECT_NEAR (c.gain.load(), 3.98107f, 1e-5f) << "never above +12 dB";
        EXPECT_EQ (c.getParameters()[0]->getValue(), 1.0f);
        EXPECT_EQ (c.pan.load(), 0.5f);
        zotest::pumpMessages (10);
    }
}

TEST (Brindle, AFollowerOutOfRangeSettlesInsteadOfRedesigningEveryTick)
{
    Brindle leader, follower;
    leader.prepareToPlay (44100.0, 441);
    follower.prepareToPlay (44100.0, 441);
    CountingControl knob (&follower, 2);

    table().addMaster (rowOf (follower), rowOf (leader), 2, "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
    runSilence (follower, 441 * 3, 2, 441);
    zotest::pumpMessages (10);
    const int afterFirst = knob.updates;
    const auto coefficients = std::make_tuple (follower.lpfCutoff.load(), follower.getParameters()[2]->getValue());

    runSilence (follower, 441 * 10, 2, 441);
    zotest::pumpMessages (10);
    EXPECT_EQ (knob.updates, afterFirst) << "an unchanged value refreshes nothing";
    EXPECT_EQ (coefficients, std::make_tuple (follower.lpfCutoff.load(), follower.getParameters()[2]->getValue()));
    table().removeMaster (rowOf (follower), rowOf (leader), 2);
    zotest::pumpMessages (10);
}

TEST (Brindle, AFilterRecoversFromNonFiniteInput)
{
    Brindle b;
    b.prepareToPlay (44100.0, 441);
    auto bad = noise (2, 441, 4);
    bad.setSample (0, 100, std::numeric_limits<float>::quiet_NaN());
    bad.setSample (1, 200, std::numeric_limits<float>::infinity());
    process (b, bad);

    runSilence (b, 441, 2, 441);
    auto after = noise (2, 441, 5);
    process (b, after);
    EXPECT_TRUE (allFinite (after));
}
