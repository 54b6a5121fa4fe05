// Gives this plug-in's own toolkit window class the two touch-bar methods that
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
// -makeTouchBar
API_AVAILABLE (macos (10.12.2))
id windowMakeTouchBar (id self, SEL);

// -touchBar:makeItemForIdentifier:
API_AVAILABLE (macos (10.12.2))
id windowMakeItemForIdentifier (id self, SEL, NSTouchBar*, NSString* identifier);

//==============================================================================
// The Objective-C runtime behind the hook's questions.
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

    void* ownerVariableOf (void* window) override
    {
        Ivar owner = class_getInstanceVariable (object_getClass ((__bridge id) window), "owner");

        if (owner == nullptr)
            return nullptr;

        return *reinterpret_cast<void**> (static_cast<char*> (window) + ivar_getOffset (owner));
    }

    void* classOf (void* window) override
    {
        // -class, not object_getClass: key-value observing may have swapped the isa.
        return (__bridge void*) [(__bridge id) window class];
    }

    void addTouchBarMethods (void* windowClass) override
    {
        // Both calls leave alone what the class already has, so a toolkit that
        // one day brings its own methods keeps them.
        if (@available (macOS 10.12.2, *))
        {
            Class cls = (__bridge Class) windowClass;
            class_addProtocol (cls, @protocol (NSTouchBarProvider));
            class_addProtocol (cls, @protocol (NSTouchBarDelegate));
            class_addMethod (cls, @selector (makeTouchBar),
                             reinterpret_cast<IMP> (windowMakeTouchBar), "@@:");
            class_addMethod (cls, @selector (touchBar:makeItemForIdentifier:),
                             reinterpret_cast<IMP> (windowMakeItemForIdentifier), "@@:@@");
        }
    }
};

ObjCClassRuntime runtime;
VTouchBarHook hook (runtime);

API_AVAILABLE (macos (10.12.2))
id windowMakeTouchBar (id self, SEL)
{
    const auto layout = VTouchBarHook::makeTouchBar (hook.ownerOf ((__bridge void*) self));

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

API_AVAILABLE (macos (10.12.2))
id windowMakeItemForIdentifier (id self, SEL, NSTouchBar*, NSString* identifier)
{
    // A shared instance belongs to its class; it goes back unretained.
    return (__bridge id) hook.makeItemForIdentifier (hook.ownerOf ((__bridge void*) self),
                                                     juce::String::fromUTF8 ([identifier UTF8String]));
}

//==============================================================================
// The toolkit registers its window class under a randomised name, so there is
// no name to look up: each window that becomes key is handed to the hook,
// which extends the class of the first of ours. AppKit asks only the key
// window's responders for a touch bar, and before that NSResponder's own
// makeTouchBar gives none, as ours would.
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
                                                                     usingBlock: ^(NSNotification* note) { hook.windowBecameKey ((__bridge void*) note.object); }];
        }
    }

    ~VTouchBarBridge()
    {
        // The block's code goes when this binary is unloaded.
        [[NSNotificationCenter defaultCenter] removeObserver: observer];
    }

private:
    id observer = nil;

    JUCE_DECLARE_NON_COPYABLE (VTouchBarBridge)
};

const VTouchBarBridge bridge;
} // namespace
