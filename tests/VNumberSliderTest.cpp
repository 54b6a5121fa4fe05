#include <gtest/gtest.h>

#include "tests/ControlsTestSupport.h"
#include "widgets/VNumberSlider.h"

namespace
{
struct Recorder : juce::Slider::Listener
{
    void sliderValueChanged (juce::Slider* s) override { ++changes; heard = s->getValue(); }
    void sliderDragStarted (juce::Slider*) override { events += "S"; }
    void sliderDragEnded (juce::Slider*) override { events += "E"; }

    int changes = 0;
    double heard = -1.0;
    juce::String events;
};

// The box of the oracles: 0 to 10 in steps of 0.1, at 2, 24 pixels high.
struct Box
{
    Box()
    {
        box.setRange (0.0, 10.0, 0.1);
        box.setValue (2.0, juce::dontSendNotification);
        box.setSize (60, 24);
    }

    double dragBy (std::vector<int> dys, double from = 2.0)
    {
        box.setValue (from, juce::dontSendNotification);
        zocontrols::drag (box, { 30.0f, 12.0f }, dys);
        zotest::pumpMessages (10);
        return box.getValue();
    }

    juce::TextEditor& editor() { return *zocontrols::findChild<juce::TextEditor> (box); }

    Recorder listener;
    VNumberSlider box { &listener };
};

void type (juce::TextEditor& editor, const juce::String& text)
{
    for (auto c : text)
        editor.keyPressed (juce::KeyPress (c, {}, c));
}
} // namespace

TEST (VNumberSlider, DragIsMeasuredFromThePress)
{
    Box b;
    EXPECT_DOUBLE_EQ (b.dragBy ({ -50 }), 7.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ -200 }), 10.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ 30 }), 0.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ -10, -20, -30 }), 5.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ -1, 0 }), 2.1) << "a movement at the press height changes nothing";
    EXPECT_DOUBLE_EQ (b.dragBy ({}), 2.0) << "a press near the top does not jump to the pointer";
}

TEST (VNumberSlider, ListenersHearWhereTheDragEnds)
{
    // 200 up: the toolkit's own drag lands on 10 too, unheard by the listener.
    Box b;
    b.dragBy ({ -200 });
    EXPECT_DOUBLE_EQ (b.listener.heard, 10.0);

    // Whole steps: 6 and 7 pixels up both give 3, the second before the loop ran.
    b.box.setRange (0.0, 10.0, 1.0);
    b.dragBy ({ -6, -7 });
    EXPECT_DOUBLE_EQ (b.listener.heard, 3.0);
}

TEST (VNumberSlider, OwnDragStartAndEndOncePerDrag)
{
    Box b;
    b.box.addListener (&b.listener);  // twice: still heard once
    b.dragBy ({ -5, -9 });
    EXPECT_EQ (b.listener.events, "SE");
    EXPECT_EQ (b.listener.changes, 2);
    EXPECT_FALSE (b.editor().isVisible()) << "a drag opens no editor";

    b.box.setDoubleClickReturnValue (true, 5.0);
    zocontrols::doubleClick (b.box, { 30.0f, 12.0f });
    EXPECT_DOUBLE_EQ (b.box.getValue(), 2.9) << "no double-click value";
    EXPECT_EQ (b.listener.events, "SE");
}

TEST (VNumberSlider, DisabledBoxEndsNoDragItDidNotStart)
{
    Box b;
    b.box.setEnabled (false);
    b.dragBy ({});
    EXPECT_EQ (b.listener.events, "");
    EXPECT_FALSE (b.editor().isVisible());

    EXPECT_DOUBLE_EQ (b.dragBy ({ -40 }), 2.0);
    EXPECT_EQ (b.listener.events, "SE");
    EXPECT_EQ (b.listener.changes, 0);
}

TEST (VNumberSlider, TypedTextIsRestricted)
{
    Box b;
    type (b.editor(), "ab1.5x");
    EXPECT_EQ (b.editor().getText(), "1.5");
    b.editor().setText ({}, false);
    type (b.editor(), "-123456789012");
    EXPECT_EQ (b.editor().getText(), "-123456789");
}

// Needs keyboard focus, so a display (xvfb-run). One test, one process, so
// that tests running in parallel on that display never steal its focus.
TEST (VNumberSliderEditing, TypingAValue)
{
    ASSERT_TRUE (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty())
        << "needs an X display: run the tests under xvfb-run -a";

    Box b;
    zocontrols::ShownWindow window (b.box, 100, 40);
    auto& editor = b.editor();

    const auto openByClick = [&]
    {
        b.dragBy ({}, b.box.getValue());
        return zotest::pumpUntil ([&] { return editor.hasKeyboardFocus (false); }, 2000);
    };
    const auto press = [&] (int key)
    {
        editor.keyPressed (juce::KeyPress (key));
        return zotest::pumpUntil ([&] { return ! editor.isVisible(); }, 2000);
    };

    ASSERT_TRUE (openByClick());
    EXPECT_EQ (editor.getText(), "2");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 1));
    EXPECT_EQ (b.listener.events, "");

    type (editor, "7.5");
    EXPECT_TRUE (press (juce::KeyPress::returnKey));
    zotest::pumpMessages (100);  // and the focus loss that follows
    EXPECT_DOUBLE_EQ (b.box.getValue(), 7.5);
    EXPECT_DOUBLE_EQ (b.listener.heard, 7.5);
    EXPECT_EQ (b.listener.changes, 1);

    ASSERT_TRUE (openByClick());
    type (editor, "9");
    EXPECT_TRUE (press (juce::KeyPress::escapeKey));
    zotest::pumpMessages (100);
    EXPECT_DOUBLE_EQ (b.box.getValue(), 7.5) << "Escape keeps the value, also after the focus loss";

    ASSERT_TRUE (openByClick());
    type (editor, "3.04");
    window.content.setWantsKeyboardFocus (true);
    window.content.grabKeyboardFocus();
    EXPECT_TRUE (zotest::pumpUntil ([&] { return b.listener.heard == 3.0; }, 2000)) << "leaving the field takes the text";
    EXPECT_FALSE (editor.isVisible());

    ASSERT_TRUE (openByClick());
    editor.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
    EXPECT_TRUE (press (juce::KeyPress::returnKey));
    zotest::pumpMessages (50);
    EXPECT_DOUBLE_EQ (b.box.getValue(), 0.0) << "an empty text is 0";
}
