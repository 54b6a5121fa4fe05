#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/KtHostParamControl.h"
#include "engine/KtParameter.h"
#include "tests/TestSupport.h"

namespace
{
// A processor that records what reaches it through the parameter hook and,
// like the real processor, stores the value without recursing.
struct HookedProcessor : juce::AudioProcessor, KtParameter::Owner
{
    HookedProcessor()
    {
        addParameter (new KtParameter ("Volume", -12.0f, 12.0f, 0.0f, this, false, 0, true, false, 1.0f, "0"));
        addParameter (new KtParameter ("LPFCutoff", 20.0f, 20000.0f, 20000.0f, this, false, 0, true, false, 1.0f, "1"));
    }

    KtParameter& param (int i) { return *static_cast<KtParameter*> (getParameters()[i]); }

    void setParameter (int index, float newValue) override
    {
        ++hookCalls;
        lastIndex = index;
        param (index).storeValue (newValue);
    }

    const juce::String getName() const override { return "test"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    using juce::AudioProcessor::processBlock;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

    std::atomic<int> hookCalls { 0 };
    std::atomic<int> lastIndex { -1 };
};

struct CountingControl : KtHostParamControl
{
    using KtHostParamControl::KtHostParamControl;
    ~CountingControl() override { cancelPendingUpdate(); }
    void handleAsyncUpdate() override { ++updates; }
    int updates = 0;
};

KtParameter stepped (float lo, float hi, float def, bool boolean = false)
{
    return KtParameter ("s", lo, hi, def, nullptr, boolean, 1, true, false, 1.0f, "s");
}
} // namespace

TEST (KtParameter, ContinuousMapping)
{
    KtParameter vol ("Volume", -12.0f, 12.0f, 0.0f, nullptr, false, 0, true, false, 1.0f, "p");
    EXPECT_EQ (vol.getValue(), 0.5f);
    EXPECT_EQ (vol.value.load(), 0.0f);

    vol.setValue (0.75f);
    EXPECT_EQ (vol.value.load(), 6.0f);
    vol.setValue (1.5f);
    EXPECT_EQ (vol.getValue(), 1.0f);
    EXPECT_EQ (vol.value.load(), 12.0f);
    vol.setValue (-0.2f);
    EXPECT_EQ (vol.getValue(), 0.0f);
    EXPECT_EQ (vol.value.load(), -12.0f);

    KtParameter lp ("LPFCutoff", 20.0f, 20000.0f, 20000.0f, nullptr, false, 0, true, false, 1.0f, "p");
    KtParameter hp ("HPFCutoff", 20.0f, 20000.0f, 20.0f, nullptr, false, 0, true, false, 1.0f, "p");
    EXPECT_EQ (lp.getValue(), 1.0f);
    EXPECT_EQ (lp.value.load(), 20000.0f);
    EXPECT_EQ (hp.getValue(), 0.0f);
    EXPECT_EQ (hp.value.load(), 20.0f);

    // No clamping on the real-to-normalised side.
    EXPECT_FLOAT_EQ (vol.convertToNormalised (24.0f), 1.5f);
}

TEST (KtParameter, SteppedMappingUsesTheDivisor)
{
    auto p = stepped (0.0f, 3.0f, 0.0f);
    EXPECT_EQ (p.getDefaultValue(), 0.25f);
    EXPECT_EQ (p.value.load(), 0.0f);

    const std::pair<float, float> cases[] = { { 0.25f, 0.0f }, { 0.2503f, 1.0f }, { 0.5f, 1.0f },
                                              { 0.75f, 2.0f }, { 1.0f, 3.0f }, { 0.0f, 0.0f } };
    for (auto [n, step] : cases)
    {
        p.setValue (n);
        EXPECT_EQ (p.value.load(), step) << "normalised " << n;
    }

    // From a range of 1000 on, the top stops short of the maximum.
    auto wide = stepped (0.0f, 1000.0f, 0.0f);
    wide.setValue (1.0f);
    EXPECT_LT (wide.value.load(), 1000.0f);
    auto narrow = stepped (0.0f, 998.0f, 0.0f);
    narrow.setValue (1.0f);
    EXPECT_EQ (narrow.value.load(), 998.0f);
}

TEST (KtParameter, BooleanFlagCountsOnlyWhenStepped)
{
    EXPECT_EQ (stepped (0.0f, 1.0f, 0.5f, true).getDefaultValue(), 1.0f);
    EXPECT_EQ (stepped (0.0f, 1.0f, 0.49f, true).getDefaultValue(), 0.0f);

    KtParameter continuous ("b", 0.0f, 1.0f, 0.25f, nullptr, true, 0, true, false, 1.0f, "p");
    EXPECT_EQ (continuous.getDefaultValue(), 0.25f);
}

TEST (KtParameter, TextNameAndFlags)
{
    KtParameter p ("LPFCutoff", 20.0f, 20000.0f, 20000.0f, nullptr, false, 0, true, true, 0.3f, "p");
    EXPECT_EQ (p.getName (3), "LPFCutoff");
    EXPECT_EQ (p.getValueForText ("6.5"), 6.5f);
    EXPECT_EQ (p.getValueForText ("abc"), 0.0f);
    EXPECT_TRUE (p.getLabel().isEmpty());
    EXPECT_EQ (p.getNumSteps(), 0);
    EXPECT_TRUE (p.isAutomatable());
    EXPECT_TRUE (p.isMetaParameter());
    EXPECT_FALSE (p.fromUi.load());
}

TEST (KtParameter, HostSetValueReachesTheOwnerOnce)
{
    HookedProcessor proc;
    EXPECT_EQ (proc.hookCalls.load(), 0) << "construction must not call the owner";

    // What the JUCE 7 wrappers do for a host automation change.
    proc.getParameters()[1]->setValue (0.5f);
    EXPECT_EQ (proc.hookCalls.load(), 1);
    EXPECT_EQ (proc.lastIndex.load(), 1);
    EXPECT_FLOAT_EQ (proc.param (1).value.load(), 10010.0f);

    // The toolkit's notifying road lands there too.
    proc.param (0).setValueNotifyingHost (0.75f);
    EXPECT_EQ (proc.hookCalls.load(), 2);
    EXPECT_EQ (proc.lastIndex.load(), 0);
    EXPECT_EQ (proc.param (0).value.load(), 6.0f);
}

TEST (KtHostParamControl, PairsRefreshesOnceAndUnpairs)
{
    HookedProcessor proc;
    auto& p = proc.param (0);

    {
        CountingControl control (&proc, 0);
        EXPECT_EQ (p.pairedControl.load(), &control);

        std::thread other ([&] { for (int i = 0; i < 10; ++i) p.refreshPairedControl(); });
        other.join();
        zotest::pumpMessages();
        EXPECT_EQ (control.updates, 1) << "triggers before delivery collapse into one update";

        control.changePairedParam (1);
        EXPECT_EQ (p.pairedControl.load(), nullptr);
        EXPECT_EQ (proc.param (1).pairedControl.load(), &control);
    }

    EXPECT_EQ (proc.param (1).pairedControl.load(), nullptr);
    EXPECT_FALSE (proc.param (1).refreshPairedControl());
}

TEST (KtHostParamControl, DestroyedWhileAnotherThreadRefreshes)
{
    HookedProcessor proc;
    auto& p = proc.param (0);
    std::atomic<bool> running { true };
    std::atomic<int> refreshed { 0 };

    std::thread audio ([&]
    {
        while (running.load())
            if (p.refreshPairedControl())
                ++refreshed;
    });

    for (int round = 0; round < 300; ++round)
    {
        auto control = std::make_unique<CountingControl> (&proc, 0);
        if (round % 3 == 0)
            zotest::pumpMessages (1);
        control.reset();
    }

    running = false;
    audio.join();
    zotest::pumpMessages();
    EXPECT_EQ (p.pairedControl.load(), nullptr);
    EXPECT_GT (refreshed.load(), 0);
}
