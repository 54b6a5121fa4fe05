#pragma once

#include <functional>

#include "tests/LooksTestSupport.h"
#include "tests/TestSupport.h"
#include "widgets/VMLTextEditor.h"

namespace zotext
{
using zolooks::addToDesktopForTest;
using zolooks::haveDisplay;

// "Track 鼓组 2": Latin, two Chinese characters, Latin.
inline juce::String mixedName()
{
    return juce::String (juce::CharPointer_UTF8 ("Track \xe9\xbc\x93\xe7\xbb\x84 2"));
}

// A clock that the test moves by hand.
struct ManualClock
{
    juce::uint32 ms = 100000;
    std::function<juce::uint32()> function() { return [this] { return ms; }; }
};

inline void type (VMLTextEditor& box, const juce::String& text)
{
    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        box.keyPressed (juce::KeyPress ((int) c, juce::ModifierKeys(), c));
    }
}

inline bool press (VMLTextEditor& box, int key, int modifiers = 0)
{
    return box.keyPressed (juce::KeyPress (key, juce::ModifierKeys (modifiers), 0));
}

inline bool command (VMLTextEditor& box, int key, int extraModifiers = 0)
{
    return press (box, key, juce::ModifierKeys::commandModifier | extraModifiers);
}

// What the text holder's timer does when typing has paused for `ms`: it only
// fires when no keystroke restarted it within its interval.
inline void pause (VMLTextEditor& box, ManualClock& clock, juce::uint32 ms)
{
    clock.ms += ms;
    if (ms >= (juce::uint32) VMLTextEditor::TextHolderComponent::timerIntervalMs && box.getTextHolder().isTimerRunning())
        box.getTextHolder().timerCallback();
}

// Records the order in which listeners are called.
struct RecordingListener : public VMLTextEditor::Listener
{
    RecordingListener (std::vector<juce::String>& logToUse, juce::String nameToUse)
        : log (logToUse), name (std::move (nameToUse)) {}

    void record (const char* what) { log.push_back (name + ":" + what); if (onCall) onCall(); }
    void textEditorTextChanged (VMLTextEditor&) override        { record ("text"); }
    void textEditorReturnKeyPressed (VMLTextEditor&) override   { record ("return"); }
    void textEditorEscapeKeyPressed (VMLTextEditor&) override   { record ("escape"); }
    void textEditorFocusLost (VMLTextEditor&) override          { record ("focus"); }

    std::vector<juce::String>& log;
    juce::String name;
    std::function<void()> onCall;
};

// A left-button event on the box, in the box's coordinates.
inline juce::MouseEvent mouseAt (VMLTextEditor& box, juce::Point<float> p, int clicks = 1,
                                 int modifiers = juce::ModifierKeys::leftButtonModifier)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), p, juce::ModifierKeys (modifiers),
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                             &box, &box, now, p, now, clicks, false);
}

inline juce::Image paintBox (VMLTextEditor& box)
{
    return zolooks::paintImage (box.getWidth(), box.getHeight(), [&] (juce::Graphics& g) { box.paintEntireComponent (g, false); });
}

// Pixels of `image` in columns [x1, x2) that pass `test`.
inline int countPixels (const juce::Image& image, std::function<bool (juce::Colour)> test, int x1 = 0, int x2 = 1 << 30)
{
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = juce::jmax (0, x1); x < juce::jmin (image.getWidth(), x2); ++x)
            count += test (image.getPixelAt (x, y)) ? 1 : 0;
    return count;
}

inline bool samePixels (const juce::Image& a, const juce::Image& b)
{
    return zolooks::sameImage (a, b);
}
} // namespace zotext
