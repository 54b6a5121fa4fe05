#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/EditorTestSupport.h"
#include "tests/WidgetTestSupport.h"
#include "widgets/VNumberSlider.h"

using namespace zowidgets;

namespace
{
// A number box from 0 to 10 in steps of 0.1 on screen, and what its listeners hear: S drag start, E end.
struct NumberBox : ::testing::Test, juce::Slider::Listener
{
    NumberBox() { box.setRange (0.0, 10.0, 0.1); box.setSize (60, 24); window = std::make_unique<Window> (box); }
    void sliderValueChanged (juce::Slider* s) override { ++changes; heard = s->getValue(); }
    void sliderDragStarted (juce::Slider*) override { events += "S"; }
    void sliderDragEnded (juce::Slider*) override { events += "E"; }
    double dragBy (std::vector<int> dys) // from 2
    {
        box.setValue (2.0, juce::dontSendNotification);
        User::drag (box, { 30, 12 }, dys);
        return box.getValue();
    }
    juce::Component& editor() { return *box.getChildComponent (0); }

    int changes = 0;
    double heard = -1.0;
    juce::String events;
    VNumberSlider box { this };
    std::unique_ptr<Window> window;
};
} // namespace

TEST_F (NumberBox, DraggingAHundredPixelsUpSpansTheRangeFromThePress)
{
    box.addListener (this); // again: still heard once
    box.setEnabled (false);
    EXPECT_TRUE (dragBy ({}) == 2.0 && dragBy ({ -40 }) == 2.0 && changes == 0);
    EXPECT_EQ (events, "SE") << "a disabled box ends no drag it did not start";
    box.setEnabled (true);
    // the movements from the press, then the value
    for (auto& [dys, value] : { std::pair { std::vector { -50 }, 7.0 }, { { -200 }, 10.0 }, { { 30 }, 0.0 }, { { -10, -20, -30 }, 5.0 } })
    {
        events.clear();
        EXPECT_TRUE (dragBy (dys) == value && heard == value && events == "SE") << dys.back() << ": " << box.getValue() << " " << heard << " " << events;
    }
    EXPECT_FALSE (editor().isVisible());
    EXPECT_DOUBLE_EQ (dragBy ({}), 2.0) << "a press does not jump to the pointer";
    EXPECT_TRUE (editor().isVisible());
}

TEST_F (NumberBox, AClickOpensTheValueForTypingReturnTakesItAndEscapeKeepsTheOld)
{
    for (auto [typed, keyCode] : { std::pair { "a7.5x", juce::KeyPress::returnKey }, { "9", juce::KeyPress::escapeKey } })
    {
        auto& text = dynamic_cast<juce::TextEditor&> (editor());
        const auto before = box.getValue();
        User::click (box, { 30, 12 });
        ASSERT_TRUE (pumpUntil ([&] { return text.hasKeyboardFocus (false); }, 2000));
        EXPECT_TRUE (text.getText() == juce::String (before) && text.getHighlightedRegion() == juce::Range<int> (0, text.getTotalNumChars()));
        User::type (*window, typed);
        EXPECT_EQ (text.getText(), juce::String (typed).retainCharacters ("-.0123456789")) << "letters are refused";
        key (box, keyCode);
        EXPECT_TRUE (pumpUntil ([&] { return ! text.isVisible(); }, 2000));
        pumpMessages (100); // and the focus loss that follows
        EXPECT_TRUE (box.getValue() == 7.5 && heard == 7.5 && changes == 1 && events.isEmpty()) << typed << ": " << box.getValue();
    }
}

TEST_F (NumberBox, ATypedMinusGivesANegativeValueOnlyWhereTheRangeReachesBelowZero)
{
    auto& text = dynamic_cast<juce::TextEditor&> (editor());
    // the range's start, then what "-3" and Return leave in a box at 5
    for (auto [start, value] : { std::pair { -10.0, -3.0 }, { 0.0, 0.0 } })
    {
        box.setRange (start, 10.0, 0.1);
        box.setValue (5.0, juce::dontSendNotification);
        User::click (box, { 30, 12 });
        ASSERT_TRUE (pumpUntil ([&] { return text.hasKeyboardFocus (false); }, 2000));
        User::type (*window, "-3");
        EXPECT_EQ (text.getText(), "-3");
        key (box, juce::KeyPress::returnKey);
        EXPECT_TRUE (pumpUntil ([&] { return ! text.isVisible(); }, 2000));
        pumpMessages (100); // and the focus loss that follows
        EXPECT_TRUE (box.getValue() == value && heard == value) << start << ": " << box.getValue() << " " << heard;
    }
}

// Also when the drag ends as the window loses the focus while the pointer drags on the box's rim beside its
// open text editor. No other listener hears of it after; the sanitizer builds catch any later touch.
TEST (VNumberSlider, AListenerMayDeleteTheBoxWhenADragStartsOrEnds)
{
    struct Deleter : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider*) override {}
        void sliderDragStarted (juce::Slider*) override { heard += "S"; if (deleteOn == 'S') box.reset(); }
        void sliderDragEnded (juce::Slider*) override { heard += "E"; if (deleteOn == 'E') box.reset(); }
        juce::String heard;
        char deleteOn = 0;
        std::unique_ptr<VNumberSlider> box;
    };
    for (char deleteOn : { 'S', 'E' })
    {
        Deleter deleter, other;
        deleter.box = std::make_unique<VNumberSlider> (&deleter);
        deleter.box->addListener (&other);
        deleter.box->setSize (60, 24);
        deleter.deleteOn = deleteOn;
        Window window (*deleter.box);
        if (deleteOn == 'E')
        {
            User::click (window, { 30, 12 }); // opens the text editor
            ASSERT_TRUE (pumpUntil ([&] { return deleter.box->getChildComponent (0)->hasKeyboardFocus (false); }, 2000));
        }
        User::mouse (window, { 30, 0 }, juce::ModifierKeys::leftButtonModifier); // the rim, outside the text editor
        User::mouse (window, { 30, 20 }, juce::ModifierKeys::leftButtonModifier);
        window.getPeer()->handleFocusLoss();
        EXPECT_TRUE (pumpUntil ([&] { return deleter.box == nullptr; }, 2000));
        User::mouse (window, { 30, 20 }, {});
        EXPECT_EQ (other.heard, deleteOn == 'S' ? "E" : "SE") << deleteOn; // the toolkit's slider ends its own drag as it goes
    }
}

// The editor's own knobs: volume at (76, 90), low-pass at (76, 171).
TEST (VParamSlider, FollowsAChangeFromAnotherThreadOnceOnTheMessageThread)
{
    zoeditor::Track track;
    auto& knob = *componentAt<VParamSlider> (track.openWindow(), { 76, 90 });
    std::vector<bool> calls; // each: on the message thread
    knob.onValueChange = [&calls] { calls.push_back (juce::MessageManager::existsAndIsCurrentThread()); };
    std::thread ([&] { for (float n : { 0.25f, 0.6f, 0.75f }) track.processor->getKtParameter (0)->setValue (n); }).join();
    EXPECT_EQ (knob.getValue(), 0.0);
    ASSERT_TRUE (pumpUntil ([&] { return ! calls.empty(); }));
    pumpMessages (50);
    EXPECT_TRUE (knob.getValue() == 6.0 && calls == std::vector<bool> { true }) << knob.getValue() << " after " << calls.size();
}

TEST (VParamSlider, UserChangesReachTheHostInsideGesturesUnlessDisabled)
{
    zoeditor::Track track;
    auto& param = *track.processor->getKtParameter (2);
    auto& knob = *componentAt<VParamSlider> (track.openWindow(), { 76, 171 });
    struct HostLog : juce::AudioProcessorParameter::Listener // B gesture begin, E end, V value
    {
        void parameterValueChanged (int, float) override { events += "V"; }
        void parameterGestureChanged (int, bool starting) override { events += starting ? "B" : "E"; }
        juce::String events;
    } host;
    param.addListener (&host);
    const juce::Point<int> centre (24, 24);

    User::drag (knob, centre, { 10, 20, 30 });
    EXPECT_TRUE (host.events.matchesWildcard ("BV*VE", false) && host.events.removeCharacters ("V") == "BE") << host.events;
    const auto dragged = param.value.load();
    host.events.clear();
    knob.setEnabled (false);
    pumpMessages (600); // no double click with the drag
    User::doubleClick (knob, centre);
    User::drag (knob, centre, { -40 });
    pumpMessages (600);
    EXPECT_TRUE (param.value.load() == dragged && host.events.isEmpty()) << "a disabled knob leaves its parameter alone: " << host.events;
    knob.setEnabled (true);
    User::doubleClick (knob, centre);
    EXPECT_TRUE (host.events == "BEBEBVE" && param.value.load() == 20000.0f) << "each press, then the reset in a gesture of its own, at once: " << host.events;
    host.events.clear();
    pumpMessages (600);
    User::mouse (knob, centre, juce::ModifierKeys::leftButtonModifier);
    track.closeWindow();
    EXPECT_EQ (host.events, "BE") << "a window closed mid-press ends its knob's gesture";
    param.removeListener (&host);
}
