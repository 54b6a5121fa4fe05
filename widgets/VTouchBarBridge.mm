// Gives the toolkit's native macOS windows the two touch-bar methods that
// Debian's JUCE does not have, through the Objective-C runtime, and answers
// them with VTouchBarHook. Built on Apple only. Nothing is decided here: this
// file only carries names, strings and objects across.

#import <AppKit/AppKit.h>
#include <objc/message.h>
#include <objc/runtime.h>

#include "widgets/VTouchBarHook.h"

namespace
{
//==============================================================================
// Classes by name and their +sharedInstance, from the Objective-C runtime.
class ObjCClassRuntime : public VClassRuntime
{
public:
    void* findClass (const juce::String& name) override
    {
        return (__bridge void*) NSClassFromString ([NSString stringWithUTF8String: name.toRawUTF8()]);
    }

    void* sharedInstanceOf (void* itemClass) override
    {
        Class cls = (__bridge Class) itemClass;
        const SEL sharedInstance = sel_registerName ("sharedInstance");

        // A class without one gives no item rather than an unrecognised-selector exception.
        if (! [cls respondsToSelector: sharedInstance])
            return nullptr;

        return (__bridge void*) reinterpret_cast<id (*) (id, SEL)> (objc_msgSend) (cls, sharedInstance);
    }
};

// The peer of ours that this native window shows. The window's "owner"
// variable holds the same peer, but typed as the toolkit's private peer class;
// the public peer list needs no knowledge of that class's layout.
juce::ComponentPeer* ownerOf (NSWindow* window)
{
    for (int i = 0; i < juce::ComponentPeer::getNumPeers(); ++i)
    {
        auto* peer = juce::ComponentPeer::getPeer (i);
        id handle = (__bridge id) peer->getNativeHandle();

        if (handle == window || ([handle isKindOfClass: [NSView class]] && [(NSView*) handle window] == window))
            return peer;
    }

    return nullptr;
}

//==============================================================================
// -makeTouchBar
API_AVAILABLE (macos (10.12.2))
id windowMakeTouchBar (id self, SEL)
{
    const auto layout = VTouchBarHook::makeTouchBar (ownerOf (self));

    if (! layout.has_value())
        return nil;

    auto* identifiers = [NSMutableArray arrayWithCapacity: (NSUInteger) layout->defaultItemIdentifiers.size()];

    for (const auto& identifier : layout->defaultItemIdentifiers)
        [identifiers addObject: [NSString stringWithUTF8String: identifier.toRawUTF8()]];

    // The layout's delegate is the window whose peer lives in self, so self makes the items.
    auto* bar = [[NSTouchBar alloc] init];
    bar.delegate = (id<NSTouchBarDelegate>) self;
    bar.defaultItemIdentifiers = identifiers;

   #if ! __has_feature (objc_arc)
    [bar autorelease]; // "make..." is no alloc/new/copy name: the caller does not own the bar
   #endif
    return bar;
}

// -touchBar:makeItemForIdentifier:
API_AVAILABLE (macos (10.12.2))
id windowMakeItemForIdentifier (id self, SEL, NSTouchBar*, NSString* identifier)
{
    ObjCClassRuntime runtime;

    // A shared instance belongs to its class; it goes back unretained.
    return (__bridge id) VTouchBarHook (runtime).makeItemForIdentifier (ownerOf (self),
                                                                        juce::String::fromUTF8 ([identifier UTF8String]));
}

// After the toolkit's own methods and its window-delegate protocol. Both
// calls leave alone what the class already has, so repeating them is harmless
// and a toolkit that one day brings its own methods keeps them.
void addTouchBarMethods (Class windowClass)
{
    if (@available (macOS 10.12.2, *))
    {
        class_addProtocol (windowClass, @protocol (NSTouchBarProvider));
        class_addProtocol (windowClass, @protocol (NSTouchBarDelegate));
        class_addMethod (windowClass, @selector (makeTouchBar),
                         reinterpret_cast<IMP> (windowMakeTouchBar), "@@:");
        class_addMethod (windowClass, @selector (touchBar:makeItemForIdentifier:),
                         reinterpret_cast<IMP> (windowMakeItemForIdentifier), "@@:@@");
    }
}

//==============================================================================
// The toolkit registers its window classes under randomised names, so there
// is no name to look up: the class is taken from each of our windows that
// becomes key. AppKit asks only the key window's responders for a touch bar,
// and before that NSResponder's own makeTouchBar gives none, as ours would.
class VTouchBarBridge
{
public:
    VTouchBarBridge()
    {
        @autoreleasepool
        {
            // The centre keeps the observer until it is removed.
            observer = [[NSNotificationCenter defaultCenter] addObserverForName: NSWindowDidBecomeKeyNotification
                                                                         object: nil
                                                                          queue: nil
                                                                     usingBlock: ^(NSNotification* note) { windowBecameKey (note.object); }];
        }
    }

    ~VTouchBarBridge()
    {
        // The block's code goes when this binary is unloaded.
        [[NSNotificationCenter defaultCenter] removeObserver: observer];
    }

private:
    static void windowBecameKey (NSWindow* window)
    {
        // Without our toolkit running there are no windows of ours; the host's and
        // other plug-ins' windows (their own toolkit copies included) are left alone.
        if (juce::MessageManager::getInstanceWithoutCreating() == nullptr || ownerOf (window) == nullptr)
            return;

        // [window class], not object_getClass: key-value observing may have swapped the isa.
        addTouchBarMethods ([window class]);
    }

    id observer = nil;

    JUCE_DECLARE_NON_COPYABLE (VTouchBarBridge)
};

const VTouchBarBridge bridge;
} // namespace
