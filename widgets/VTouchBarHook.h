#pragma once

#include <optional>

#include <juce_gui_basics/juce_gui_basics.h>

#include "widgets/VClassRuntime.h"
#include "widgets/VTouchBarLayout.h"

// What the toolkit's native macOS windows answer when AppKit asks them for a
// touch bar (makeTouchBar) and for its items (touchBar:makeItemForIdentifier:).
// The Objective-C bridge adds those two methods to the window class and hands
// every decision to this class, so the rules build and run without AppKit.
// Message thread only: AppKit asks on the main thread.
class VTouchBarHook
{
public:
    explicit VTouchBarHook (VClassRuntime& runtimeToUse);

    //==============================================================================
    // The bar. owner is the peer of the asking native window.

    // Nothing without an owner, when the owner's component is not a
    // juce::TopLevelWindow (popup menus and tooltips are not), or when the
    // window names no item. Otherwise the window is the delegate and the
    // items it names are the defaults, in its order.
    static std::optional<VTouchBarLayout> makeTouchBar (juce::ComponentPeer* owner);

    //==============================================================================
    // The items.

    // The shared instance of the class that the identifier names. nullptr
    // without an owner, for an identifier that does not end in "TouchBarItem",
    // and for a name that no class carries.
    void* makeItemForIdentifier (juce::ComponentPeer* owner, const juce::String& identifier) const;

private:
    VClassRuntime& runtime;
};
