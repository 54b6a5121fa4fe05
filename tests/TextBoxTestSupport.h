#pragma once

#include <dlfcn.h>
#include <functional>
#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/TestSupport.h"
#include "widgets/VMLTextEditor.h"

namespace zotext
{
// "Track 鼓组 2": Latin, two Chinese characters, Latin.
inline juce::String mixedName()
{
    return juce::String (juce::CharPointer_UTF8 ("Track \xe9\xbc\x93\xe7\xbb\x84 2"));
}

// A clock that the test moves by hand.
struct ManualClock
{
    juce::uint32 ms = 100000;

    std::function<juce::uint32()> function()
    {
        return [this] { return ms; };
    }
};

inline void type (VMLTextEditor& box, juce::juce_wchar c)
{
    box.keyPressed (juce::KeyPress ((int) c, juce::ModifierKeys(), c));
}

inline void type (VMLTextEditor& box, const juce::String& text)
{
    for (auto p = text.getCharPointer(); ! p.isEmpty();)
        type (box, p.getAndAdvance());
}

inline bool command (VMLTextEditor& box, int key, int extraModifiers = 0)
{
    return box.keyPressed (juce::KeyPress (key, juce::ModifierKeys (juce::ModifierKeys::commandModifier | extraModifiers), 0));
}

// What the text holder's timer does when typing has paused for `ms`: it only
// fires when no keystroke restarted it within its interval.
inline void pause (VMLTextEditor& box, ManualClock& clock, juce::uint32 ms)
{
    clock.ms += ms;

    if (ms >= (juce::uint32) VMLTextEditor::TextHolderComponent::timerIntervalMs
        && box.getTextHolder().isTimerRunning())
        box.getTextHolder().timerCallback();
}

// Records the order in which listeners are called.
struct RecordingListener : public VMLTextEditor::Listener
{
    RecordingListener (std::vector<juce::String>& logToUse, juce::String nameToUse)
        : log (logToUse), name (std::move (nameToUse)) {}

    void textEditorTextChanged (VMLTextEditor&) override        { log.push_back (name + ":text"); if (onCall) onCall(); }
    void textEditorReturnKeyPressed (VMLTextEditor&) override   { log.push_back (name + ":return"); if (onCall) onCall(); }
    void textEditorEscapeKeyPressed (VMLTextEditor&) override   { log.push_back (name + ":escape"); if (onCall) onCall(); }
    void textEditorFocusLost (VMLTextEditor&) override          { log.push_back (name + ":focus"); if (onCall) onCall(); }

    std::vector<juce::String>& log;
    juce::String name;
    std::function<void()> onCall;
};

inline bool haveDisplay()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()
        && juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

// Puts a component on the screen as a window. Without a window manager (a
// bare Xvfb) the toolkit sets window properties whose atoms do not exist yet;
// only a standalone toolkit application installs a handler for the errors
// that follow, and Xlib's default handler ends the process. A test program
// ignores them, as the toolkit itself would.
inline void addToDesktopForTest (juce::Component& window)
{
    static const bool handlerInstalled = []
    {
        using Handler = int (*) (void*, void*);
        using SetHandler = Handler (*) (Handler);

        if (auto* x11 = dlopen ("libX11.so.6", RTLD_NOW | RTLD_GLOBAL))
            if (auto* set = reinterpret_cast<SetHandler> (dlsym (x11, "XSetErrorHandler")))
            {
                set ([] (void*, void*) { return 0; });
                return true;
            }

        return false;
    }();

    juce::ignoreUnused (handlerInstalled);
    window.addToDesktop (0);
    window.setVisible (true);
}

// A synthetic mouse event on the box, in the box's coordinates.
inline juce::MouseEvent mouseAt (VMLTextEditor& box, juce::Point<float> p, int clicks = 1,
                                 juce::ModifierKeys mods = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier))
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), p, mods,
                             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                             &box, &box, now, p, now, clicks, false);
}

// Text colour of the box drawn into an image of the box's size.
inline juce::Image paintBox (VMLTextEditor& box)
{
    juce::Image image (juce::Image::ARGB, box.getWidth(), box.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    box.paintEntireComponent (g, false);
    return image;
}

inline void savePng (const juce::Image& image, const juce::String& fileName)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("text-render");
    folder.createDirectory();
    const auto file = folder.getChildFile (fileName);
    file.deleteFile();

    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}
} // namespace zotext
