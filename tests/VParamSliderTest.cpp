#include <gtest/gtest.h>

#include <atomic>
#include <initializer_list>
#include <utility>
#include <thread>

#include "engine/Brindle.h"
#include "tests/ControlsTestSupport.h"
#include "widgets/VParamSlider.h"

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

// Stands in for the editor, which passes knob changes on to the processor.
struct Editor : juce::Slider::Listener
{
    Editor (Brindle* p, int i) : processor (p), index (i) {}

    void sliderValueChanged (juce::Slider* s) override
    {
        ++calls;
        onMessageThread = onMessageThread && juce::MessageManager::getInstance()->isThisTheMessageThread();
        if (processor != nullptr)
            processor->setParameterFromUi (index, (float) s->getValue(), false);
    }

    Brindle* processor;
    int index, calls = 0;
    bool onMessageThread = true;
};

// A knob set up as the editor sets its knobs up.
std::unique_ptr<VParamSlider> knobFor (Brindle& processor, int index, juce::Slider::Listener* listener = nullptr)
{
    auto* param = processor.getKtParameter (index);
    auto knob = std::make_unique<VParamSlider> (&processor, index);
    if (listener != nullptr)
        knob->addListener (listener);
    knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob->setRange (param->minValue, param->maxValue, index < 2 ? 0.01 : 1.0);
    knob->setValue (param->value.load(), juce::dontSendNotification);
    knob->setSize (48, 71);
    return knob;
}

const juce::Point<float> centre (24.0f, 24.0f);
} // namespace

TEST (VParamSlider, FollowsAChangeFromAnotherThreadOnceOnTheMessageThread)
{
    Brindle processor;
    Editor editor (&processor, 0);
    auto knob = knobFor (processor, 0, &editor);

    std::thread host ([&] { for (float n : { 0.25f, 0.6f, 0.75f }) processor.getKtParameter (0)->setValue (n); });
    host.join();
    EXPECT_EQ (knob->getValue(), 0.0);

    ASSERT_TRUE (zotest::pumpUntil ([&] { return editor.calls > 0; }));
    zotest::pumpMessages (50);
    EXPECT_DOUBLE_EQ (knob->getValue(), 6.0);
    EXPECT_EQ (editor.calls, 1);
    EXPECT_TRUE (editor.onMessageThread);
}

TEST (VParamSlider, SteppedParameterPutsTheKnobOnItsStep)
{
    Brindle processor;
    auto& stepped = *new KtParameter ("Steps", 0.0f, 3.0f, 0.0f, nullptr, false, 3, true, false, 1.0f);
    processor.addParameter (&stepped);
    VParamSlider knob (&processor, 4);
    knob.setRange (0.0, 3.0, 1.0);

    for (auto [n, step] : std::initializer_list<std::pair<float, double>> { { 0.5f, 1.0 }, { 1.0f, 3.0 }, { 0.25f, 0.0 } })
    {
        stepped.setValue (n);
        knob.handleAsyncUpdate();
        EXPECT_DOUBLE_EQ (knob.getValue(), step) << n;
    }

    // A proportion of the parameter's steps, laid onto the knob's own range.
    knob.setRange (0.0, 6.0, 1.0);
    stepped.setValue (0.5f);
    knob.handleAsyncUpdate();
    EXPECT_DOUBLE_EQ (knob.getValue(), 2.0);
}

TEST (VParamSlider, DragIsOneHostGesture)
{
    Brindle processor;
    Editor editor (&processor, 0);
    auto knob = knobFor (processor, 0, &editor);
    HostLog host (*processor.getKtParameter (0));

    zocontrols::drag (*knob, centre, { -10, -20, -30 });
    EXPECT_TRUE (host.events.matchesWildcard ("BV*VE", false)) << host.events;
    EXPECT_EQ (host.events.removeCharacters ("V"), "BE");
}

TEST (VParamSlider, DoubleClickResetReachesTheHostInsideAGesture)
{
    Brindle processor;
    Editor editor (&processor, 2);
    auto knob = knobFor (processor, 2, &editor);
    knob->setValue (1000.0, juce::sendNotificationSync);
    HostLog host (*processor.getKtParameter (2));

    zocontrols::doubleClick (*knob, centre);
    EXPECT_EQ (host.events, "BEBEBVE") << "at once, not after the message loop";
    EXPECT_FLOAT_EQ (processor.getKtParameter (2)->value.load(), 20000.0f);
    zotest::pumpMessages (50);
    EXPECT_EQ (host.events, "BEBEBVE");

    auto volume = knobFor (processor, 0, &editor);
    volume->setValue (-7.0, juce::dontSendNotification);
    zocontrols::doubleClick (*volume, centre);
    EXPECT_EQ (volume->getValue(), 0.0);
}

TEST (VParamSlider, DisabledKnobIgnoresEveryMouseRoad)
{
    Brindle processor;
    Editor editor (&processor, 1);
    auto knob = knobFor (processor, 1, &editor);
    knob->setValue (0.5, juce::sendNotificationSync);
    HostLog host (*processor.getKtParameter (1));
    const juce::MouseWheelDetails wheel { 0.0f, 0.5f, false, false, false };

    knob->setEnabled (false);
    zocontrols::doubleClick (*knob, centre);
    zocontrols::drag (*knob, centre, { -40 });
    knob->mouseWheelMove (zocontrols::mouseEvent (*knob, centre, centre, false), wheel);
    zotest::pumpMessages (50);
    EXPECT_EQ (knob->getValue(), 0.5);
    EXPECT_EQ (host.events, "");

    processor.getKtParameter (1)->setValue (1.0f);
    EXPECT_TRUE (zotest::pumpUntil ([&] { return knob->getValue() == 1.0; })) << "but it follows its parameter";
}

TEST (VParamSlider, DestroyedKnobEndsItsGestureAndGetsNoUpdate)
{
    Brindle processor;
    Editor editor (nullptr, 0);
    HostLog host (*processor.getKtParameter (0));
    {
        auto knob = knobFor (processor, 0, &editor);
        processor.getKtParameter (0)->setValue (0.75f);
        knob->mouseDown (zocontrols::mouseEvent (*knob, centre, centre, false));
    }
    EXPECT_EQ (host.events, "BE");
    zotest::pumpMessages (50);
    EXPECT_EQ (editor.calls, 0);
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

    Editor editor (nullptr, 0);
    for (int i = 0; i < 300; ++i)
    {
        auto knob = knobFor (processor, 0, &editor);
        zotest::pumpMessages (i % 3 == 0 ? 1 : 0);
    }

    stop = true;
    host.join();
    zotest::pumpMessages (50);
    EXPECT_EQ (param->pairedControl.load(), nullptr);
}
