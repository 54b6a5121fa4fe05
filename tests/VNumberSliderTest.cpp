#include <gtest/gtest.h>

#include "tests/ControlsTestSupport.h"
#include "widgets/VNumberSlider.h"

namespace
{
// 0 to 10 in steps of 0.1, 24 pixels high, and what its listener hears.
struct Box : juce::Slider::Listener
{
    Box() { box.setRange (0.0, 10.0, 0.1); box.setValue (2.0, juce::dontSendNotification); box.setSize (60, 24); }

    void sliderValueChanged (juce::Slider* s) override { ++changes; heard = s->getValue(); }
    void sliderDragStarted (juce::Slider*) override { events += "S"; }
    void sliderDragEnded (juce::Slider*) override { events += "E"; }

    double dragBy (std::vector<int> dys)  // from 2
    {
        box.setValue (2.0, juce::dontSendNotification);
        zocontrols::drag (box, { 30.0f, 12.0f }, dys);
        zotest::pumpMessages (10);
        return box.getValue();
    }

    int changes = 0;
    double heard = -1.0;
    juce::String events;
    VNumberSlider box { this };
    juce::TextEditor& editor = zocontrols::editorOf (box);
};
} // namespace

TEST (VNumberSlider, Dragging)
{
    Box b;
    b.box.addListener (&b);  // twice: still heard once
    b.box.setEnabled (false);
    EXPECT_DOUBLE_EQ (b.dragBy ({}), 2.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ -40 }), 2.0);
    EXPECT_EQ (b.events, "SE") << "a disabled box ends no drag it did not start";
    EXPECT_EQ (b.changes, 0);

    b.box.setEnabled (true);
    EXPECT_DOUBLE_EQ (b.dragBy ({ -50 }), 7.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ -200 }), 10.0);
    EXPECT_DOUBLE_EQ (b.heard, 10.0);
    EXPECT_DOUBLE_EQ (b.dragBy ({ 30 }), 0.0);
    b.events.clear();
    EXPECT_DOUBLE_EQ (b.dragBy ({ -10, -20, -30 }), 5.0) << "measured from the press";
    EXPECT_EQ (b.events, "SE");
    EXPECT_FALSE (b.editor.isVisible());
    EXPECT_DOUBLE_EQ (b.dragBy ({}), 2.0) << "a press does not jump to the pointer";
    EXPECT_TRUE (b.editor.isVisible());
}

// Needs keyboard focus, so a display (xvfb-run). One test, one process, so
// that tests running in parallel on that display never steal its focus.
TEST (VNumberSliderEditing, TypingAValue)
{
    ASSERT_TRUE (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()) << "run under xvfb-run -a";
    Box b;
    zocontrols::ShownWindow window (b.box);
    auto& editor = b.editor;
    const auto typeAndPress = [&] (const juce::String& text, int key)
    {
        zocontrols::drag (b.box, { 30.0f, 12.0f });
        ASSERT_TRUE (zotest::pumpUntil ([&] { return editor.hasKeyboardFocus (false); }, 2000));
        EXPECT_EQ (editor.getText(), juce::String (b.box.getValue()));
        EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, editor.getTotalNumChars()));
        for (auto c : text)
            editor.keyPressed (juce::KeyPress (c, {}, c));
        EXPECT_EQ (editor.getText(), text.retainCharacters ("-.0123456789")) << "letters are refused";
        editor.keyPressed (juce::KeyPress (key));
        EXPECT_TRUE (zotest::pumpUntil ([&] { return ! editor.isVisible(); }, 2000));
        zotest::pumpMessages (100);  // and the focus loss that follows
    };

    typeAndPress ("a7.5x", juce::KeyPress::returnKey);
    EXPECT_DOUBLE_EQ (b.box.getValue(), 7.5);
    EXPECT_DOUBLE_EQ (b.heard, 7.5);
    EXPECT_EQ (b.changes, 1);
    EXPECT_EQ (b.events, "");

    typeAndPress ("9", juce::KeyPress::escapeKey);
    EXPECT_DOUBLE_EQ (b.box.getValue(), 7.5) << "Escape keeps the value, also after the focus loss";
}

// A listener may delete the box when a drag starts or ends, also when the drag
// ends because the window loses the focus while the pointer drags on the box's
// rim beside its open text editor. The sanitizer builds catch any later touch.
TEST (VNumberSliderEditing, AListenerMayDeleteTheBoxWhenADragStartsOrEnds)
{
    ASSERT_TRUE (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()) << "run under xvfb-run -a";

    struct Deleter : juce::Slider::Listener
    {
        void sliderValueChanged (juce::Slider*) override {}
        void sliderDragStarted (juce::Slider*) override { ++started; if (deleteOnStart) box.reset(); }
        void sliderDragEnded (juce::Slider*) override { if (deleteOnEnd) box.reset(); }
        int started = 0;
        bool deleteOnStart = false, deleteOnEnd = false;
        std::unique_ptr<VNumberSlider> box;
    };

    juce::int64 time = juce::Time::currentTimeMillis();
    const auto mouse = [&time] (juce::ComponentPeer& peer, float x, float y, bool down)
    {
        time += 700;  // never a double click
        peer.handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, { x, y },
                               down ? juce::ModifierKeys::leftButtonModifier : juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, time);
    };

    for (bool atStart : { true, false })
    {
        Deleter listener;
        listener.box = std::make_unique<VNumberSlider> (&listener);
        listener.box->setRange (0.0, 10.0, 0.1);
        listener.box->setSize (60, 24);
        zocontrols::ShownWindow window (*listener.box);
        auto& editor = zocontrols::editorOf (*listener.box);
        auto& peer = *window.content.getPeer();

        if (atStart)
        {
            listener.deleteOnStart = true;
            mouse (peer, 30.0f, 12.0f, true);
            mouse (peer, 30.0f, 30.0f, true);
            EXPECT_EQ (listener.box, nullptr);
            mouse (peer, 30.0f, 30.0f, false);
            continue;
        }

        mouse (peer, 30.0f, 12.0f, true);
        mouse (peer, 30.0f, 12.0f, false);
        ASSERT_TRUE (zotest::pumpUntil ([&] { return editor.hasKeyboardFocus (false); }, 2000));

        mouse (peer, 30.0f, 0.0f, true);  // the rim, outside the text editor
        mouse (peer, 30.0f, 20.0f, true);
        ASSERT_EQ (listener.started, 1);
        ASSERT_TRUE (editor.isVisible());

        listener.deleteOnEnd = true;
        peer.handleFocusLoss();
        EXPECT_TRUE (zotest::pumpUntil ([&] { return listener.box == nullptr; }, 2000));
        mouse (peer, 30.0f, 20.0f, false);
    }
}
