#pragma once

#include <cstdlib>
#include <dlfcn.h>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "tests/TestSupport.h"

namespace zocontrols
{
// A synthesised left-button event on `c`, as the toolkit would deliver it.
inline juce::MouseEvent mouseEvent (juce::Component& c, juce::Point<float> at, juce::Point<float> downAt,
                                    bool dragged, int clicks = 1)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), at, juce::ModifierKeys::leftButtonModifier,
             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downAt, now, clicks, dragged };
}

// A press, movements by each vertical offset (negative is up), and the release.
inline void drag (juce::Component& c, juce::Point<float> from, std::vector<int> dys = {})
{
    c.mouseDown (mouseEvent (c, from, from, false));
    auto at = from;
    for (int dy : dys)
        c.mouseDrag (mouseEvent (c, at = from.translated (0.0f, (float) dy), from, true));
    c.mouseUp (mouseEvent (c, at, from, ! dys.empty()));
}

// The toolkit's order: the double click comes after the second release.
inline void doubleClick (juce::Component& c, juce::Point<float> at)
{
    for (int clicks : { 1, 2 })
    {
        c.mouseDown (mouseEvent (c, at, at, false, clicks));
        c.mouseUp (mouseEvent (c, at, at, false, clicks));
    }
    c.mouseDoubleClick (mouseEvent (c, at, at, false, 2));
}

// A top-level window, for keyboard focus. Without a window manager some atoms
// the toolkit sets do not exist; a plug-in build leaves X errors to the host,
// whose handler ignores them, while Xlib's default one ends the process.
struct ShownWindow
{
    ShownWindow (juce::Component& child, int width, int height)
    {
        using Handler = int (*) (void*, void*);
        if (auto* x11 = ::dlopen ("libX11.so.6", RTLD_NOW | RTLD_NOLOAD))
        {
            if (auto* set = reinterpret_cast<Handler (*) (Handler)> (::dlsym (x11, "XSetErrorHandler")))
                set ([] (void*, void*) { return 0; });
            ::dlclose (x11);
        }

        content.setSize (width, height);
        content.addAndMakeVisible (child);
        content.addToDesktop (0);
        content.setVisible (true);
        zotest::pumpUntil ([this] { return content.isShowing(); });
    }

    ~ShownWindow() { content.removeFromDesktop(); content.removeAllChildren(); }

    juce::Component content;
};

template <typename ComponentType>
ComponentType* findChild (juce::Component& parent)
{
    for (auto* child : parent.getChildren())
        if (auto* match = dynamic_cast<ComponentType*> (child))
            return match;
    return nullptr;
}
} // namespace zocontrols
