#pragma once

#include <juce_core/juce_core.h>

// Implemented, beside juce::TopLevelWindow, by a window that offers items for
// the touch bar of macOS keyboards. Debian's toolkit cannot be given a new
// virtual call on its top-level window, so a window opts in through this; a
// top-level window that does not implement it names no item, as the default
// below does.
class VTouchBarItemSource
{
public:
    virtual ~VTouchBarItemSource() = default;

    // The items as names of classes, in the order the bar shows them. Each
    // name ends in "TouchBarItem" and its class hands out the item as its
    // shared instance. No window of Zo Tarvel names an item, so none of ours
    // ever gets a touch bar.
    virtual juce::StringArray touchBarItemIdentifiers() const { return {}; }
};
