#pragma once

#include <optional>

#include <juce_gui_basics/juce_gui_basics.h>

#include "widgets/VClassRuntime.h"
#include "widgets/VTouchBarLayout.h"

// What the toolkit's native macOS windows answer when AppKit asks them for a
// touch bar (makeTouchBar) and for its items (touchBar:makeItemForIdentifier:),
// and which window classes carry those two methods. The Objective-C bridge
// hands every decision to this class, so the rules build and run without
// AppKit. Message thread only: AppKit asks on the main thread.
class VTouchBarHook
{
public:
    explicit VTouchBarHook (VClassRuntime& runtimeToUse);

    //==============================================================================
    // The windows.

    // The peer of this copy of the toolkit that made the native window: the
    // peer its "owner" variable holds, when that is one of our live peers.
    // nullptr for a host's window (even one that holds our editor's view), for
    // a window of another toolkit copy, and while our toolkit is not running.
    juce::ComponentPeer* ownerOf (void* window) const;

    // A window became key. The first window of ours of each class gives that
    // class, our toolkit's own window class, the two methods; any other window
    // adds nothing. Our toolkit disposes of its class when the plug-in is
    // unloaded, so no class that outlives the plug-in points into it.
    void windowBecameKey (void* window);

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
    juce::Array<void*> extendedClasses;
};
