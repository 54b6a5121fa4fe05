#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/ControlsTestSupport.h"

namespace
{
// What the host hears of one parameter: B gesture begin, E end, V value.
struct HostLog : juce::AudioProcessorParameter::Listener
{
    explicit HostLog (juce::AudioProcessorParameter& p) : param (p) { param.addListener (this); }
    ~HostLog() override { param.removeListener (this); }
    void parameterValueChanged (int, float) override { events += "V"; }
    void parameterGestureChanged (int, bool starting) override { events += starting ? "B" : "E"; }

    juce::AudioProcessorParameter& param;
    juce::String events;
};

const juce::Point<float> centre (24.0f, 24.0f);
} // namespace

TEST (VParamSlider, FollowsAChangeFromAnotherThreadOnceOnTheMessageThread)
{
    Brindle processor;
    auto knob = zocontrols::knobFor (processor, 0);
    std::vector<bool> calls;  // each: on the message thread
    knob->onValueChange = [&calls, forward = knob->onValueChange]
    {
        calls.push_back (juce::MessageManager::existsAndIsCurrentThread());
        forward();
    };

    std::thread ([&] { for (float n : { 0.25f, 0.6f, 0.75f }) processor.getKtParameter (0)->setValue (n); }).join();
    EXPECT_EQ (knob->getValue(), 0.0);
    ASSERT_TRUE (zotest::pumpUntil ([&] { return ! calls.empty(); }));
    zotest::pumpMessages (50);
    EXPECT_DOUBLE_EQ (knob->getValue(), 6.0);
    EXPECT_EQ (calls, std::vector<bool> { true });
}

TEST (VParamSlider, UserChangesReachTheHostInsideGesturesUnlessDisabled)
{
    Brindle processor;
    auto& param = *processor.getKtParameter (2);
    auto knob = zocontrols::knobFor (processor, 2);
    HostLog host (param);

    zocontrols::drag (*knob, centre, { 10, 20, 30 });
    EXPECT_TRUE (host.events.matchesWildcard ("BV*VE", false)) << host.events;
    EXPECT_EQ (host.events.removeCharacters ("V"), "BE");

    const auto dragged = param.value.load();
    host.events.clear();
    knob->setEnabled (false);
    zocontrols::doubleClick (*knob, centre);
    zocontrols::drag (*knob, centre, { -40 });
    knob->mouseWheelMove (zocontrols::mouseEvent (*knob, centre, centre, false), { 0.0f, 0.5f, false, false, false });
    zotest::pumpMessages (50);
    EXPECT_EQ (param.value.load(), dragged) << "a disabled knob leaves its parameter alone";
    EXPECT_EQ (host.events, "");

    knob->setEnabled (true);
    zocontrols::doubleClick (*knob, centre);
    EXPECT_EQ (host.events, "BEBEBVE") << "the reset, at once and not after the message loop";
    EXPECT_EQ (param.value.load(), 20000.0f);

    host.events.clear();
    knob->mouseDown (zocontrols::mouseEvent (*knob, centre, centre, false));
    knob.reset();
    EXPECT_EQ (host.events, "BE") << "a knob destroyed mid-press ends its gesture";
}

TEST (VParamSlider, DestroyedWhileAnotherThreadTriggersRefreshes)
{
    Brindle processor;
    auto* param = processor.getKtParameter (0);
    std::atomic<bool> stop { false };
    std::thread host ([&] {
        for (float n = 0.0f; ! stop; n = n > 0.99f ? 0.0f : n + 0.01f)
            param->setValue (n);
    });
    for (int i = 0; i < 300; ++i)
    {
        auto knob = zocontrols::knobFor (processor, 0);
        zotest::pumpMessages (i % 3 == 0 ? 1 : 0);
    }
    stop = true;
    host.join();
    zotest::pumpMessages (50);
    EXPECT_EQ (param->pairedControl.load(), nullptr);
}
