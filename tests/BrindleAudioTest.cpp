#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <tuple>

#include "tests/EngineTestSupport.h"

using namespace zoengine;

namespace
{
// Output level of a sine through the processor, once the filters have settled,
// relative to the input level.
float gainAt (Brindle& b, double frequency)
{
    juce::AudioBuffer<float> buffer (2, 8820);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, (float) std::sin (juce::MathConstants<double>::twoPi * frequency * i / 44100.0));
    process (b, buffer);
    return buffer.getRMSLevel (0, 4410, 4410) * std::sqrt (2.0f);
}
} // namespace

// A hard-left pan silences the right channel from the first sample after the
// tick, which shows at the output exactly when the tick came.
TEST (BrindleAudio, AHostChangeIsAppliedAfterTheWholeSamplesInTenMilliseconds)
{
    // any rate a host may pass: 10 ms cut down to whole samples
    const std::pair<double, int> rates[] = { { 44100.0, 441 }, { 48000.0, 480 }, { 22050.0, 220 },
                                             { 88200.0, 882 }, { 11025.0, 110 }, { 23456.0, 234 } };
    for (auto [rate, tick] : rates)
        for (int blockSize : { 1, 7, 64, 1000 })
        {
            Brindle b;
            b.prepareToPlay (rate, blockSize);
            runSilence (b, 300, 2, blockSize);
            b.prepareToPlay (rate, blockSize); // starts the count again
            b.getParameters()[1]->setValue (0.0f);

            auto out = noise (2, 2 * tick, 3);
            processInBlocks (b, out, blockSize);
            int firstSilent = -1;
            for (int i = out.getNumSamples(); --i >= 0 && out.getSample (1, i) == 0.0f;)
                firstSilent = i;
            EXPECT_EQ (firstSilent, tick) << rate << " Hz in blocks of " << blockSize;
        }
}

TEST (BrindleAudio, PrepareToPlayAppliesTheHostsValuesAtOnce)
{
    Brindle b;
    b.getParameters()[1]->setValue (0.0f);
    b.prepareToPlay (44100.0, 64);
    auto out = noise (2, 64, 1);
    process (b, out);
    EXPECT_EQ (out.getMagnitude (1, 0, 64), 0.0f);
}

TEST (BrindleAudio, CutoffsChangeWhatPassesAtTheOutput)
{
    // A 1 kHz low-pass passes 200 Hz and stops 5 kHz; a 1 kHz high-pass does the reverse.
    for (int p : { 2, 3 })
    {
        Brindle b;
        b.prepareToPlay (44100.0, 512);
        EXPECT_GT (gainAt (b, 200.0), 0.95f) << p;
        EXPECT_GT (gainAt (b, 5000.0), 0.95f) << p;

        b.getParameters()[p]->setValue ((1000.0f - 20.0f) / 19980.0f);
        runSilence (b, 441);
        EXPECT_NEAR (gainAt (b, 200.0), p == 2 ? 1.0f : 0.04f, 0.02f) << p;
        EXPECT_NEAR (gainAt (b, 5000.0), p == 2 ? 0.04f : 1.0f, 0.02f) << p;
    }
}

TEST (BrindleAudio, StereoPanLawAgainstACentredInstance)
{
    // pan, then the left and right gain relative to the centre
    const std::tuple<float, float, float> cases[] = { { -1.0f, 1.18850f, 0.0f }, { 0.5f, 0.5f, 1.09018f }, { 0.0f, 1.0f, 1.0f } };
    for (auto [panValue, left, right] : cases)
    {
        Brindle centre, panned;
        panned.getParameters()[1]->setValue ((panValue + 1.0f) * 0.5f);
        centre.prepareToPlay (44100.0, 512);
        panned.prepareToPlay (44100.0, 512);

        auto a = noise (2, 256, 3), b = a;
        process (centre, a);
        process (panned, b);
        EXPECT_NEAR (b.getSample (0, 100) / a.getSample (0, 100), left, 1e-5f) << panValue;
        EXPECT_NEAR (b.getSample (1, 100) / a.getSample (1, 100), right, 1e-5f) << panValue;
    }
}

TEST (BrindleAudio, MonoIsScaledButNeverPanned)
{
    Brindle b, reference;
    for (auto* p : { &b, &reference })
        p->setPlayConfigDetails (1, 1, 44100.0, 512);
    b.getParameters()[1]->setValue (0.0f);  // hard left
    b.getParameters()[0]->setValue (0.25f); // -6 dB
    b.prepareToPlay (44100.0, 512);
    reference.prepareToPlay (44100.0, 512);

    auto x = noise (1, 300, 11), y = x;
    process (b, x);
    process (reference, y);
    EXPECT_NEAR (x.getSample (0, 200) / y.getSample (0, 200), std::pow (10.0f, -0.3f), 1e-5f);
}

TEST (BrindleAudio, ALayoutChangeGivesFreshFiltersAndExtraChannelsAreOnlyScaled)
{
    Brindle b, fresh;
    b.prepareToPlay (44100.0, 512);
    fresh.prepareToPlay (44100.0, 512);
    auto warm = noise (2, 512, 5);
    process (b, warm);

    b.setPlayConfigDetails (2, 2, 44100.0, 512);
    auto x = noise (2, 64, 9), y = x;
    process (b, x);
    process (fresh, y);
    EXPECT_EQ (x.getSample (1, 63), y.getSample (1, 63));

    auto wide = noise (6, 128, 13);
    const float lastIn = wide.getSample (5, 127);
    process (b, wide);
    EXPECT_EQ (wide.getSample (5, 127), lastIn);
}

TEST (BrindleAudio, AFilterRecoversFromNonFiniteInput)
{
    Brindle b;
    b.prepareToPlay (44100.0, 441);
    auto bad = noise (2, 441, 4);
    bad.setSample (0, 100, std::numeric_limits<float>::quiet_NaN());
    bad.setSample (1, 200, std::numeric_limits<float>::infinity());
    process (b, bad);

    runSilence (b, 441);
    auto after = noise (2, 441, 5);
    process (b, after);
    EXPECT_TRUE (allFinite (after));
}

// A chain of rules can leave an infinite pan and a +20 dB volume in a
// follower's row: what reaches the audio stays finite and in range.
TEST (BrindleAudio, ValuesNoParameterCouldHoldNeverReachTheAudio)
{
    auto a = std::make_unique<Brindle>(), b = std::make_unique<Brindle>();
    Brindle c;
    c.getParameters()[1]->setValue (0.75f);
    c.prepareToPlay (44100.0, 441);
    table().addMaster (rowOf (c), rowOf (*a), 0, "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
    table().addMaster (rowOf (*b), rowOf (*a), 1, "Reciprocal (1/x)", 1.0f, 0, 0, 0.0f, 0);
    table().addMaster (rowOf (c), rowOf (*b), 1, "Scale (*x)", 0.0f, 0, 0, 0.0f, 0); // 0 x infinity
    b->updateControlParams();
    EXPECT_EQ (b->pan.load(), 0.0f) << "an infinite pan keeps the pan in force";
    auto out = noise (2, 4410, 2);
    process (c, out);
    EXPECT_TRUE (allFinite (out));
    EXPECT_NEAR (c.gain.load(), 3.98107f, 1e-5f) << "never above +12 dB";
    EXPECT_EQ (c.pan.load(), 0.5f);
    table().removeMaster (rowOf (c), -1, 0);
    table().removeMaster (rowOf (c), -1, 1);
    zotest::pumpMessages (10);
}
