#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The touch bar that a window asks for: the native window of delegate is the
// bar's delegate (it makes the items), and the identifiers are the bar's
// default items, in order.
struct VTouchBarLayout
{
    juce::TopLevelWindow* delegate = nullptr;
    juce::StringArray defaultItemIdentifiers;
};
