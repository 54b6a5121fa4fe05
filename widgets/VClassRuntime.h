#pragma once

#include <juce_core/juce_core.h>

// The little of a class runtime that the touch-bar hook needs: classes by
// name and their shared instances, the class and the "owner" variable of a
// native window, and a class given the two touch-bar methods. Classes,
// instances and windows are opaque handles so that the hook's rules stay
// plain C++; on macOS they are the Objective-C runtime's Class and id, in the
// tests a fake.
class VClassRuntime
{
public:
    virtual ~VClassRuntime() = default;

    // The class registered under that name, or nullptr when there is none.
    virtual void* findClass (const juce::String& name) = 0;

    // The shared instance of a class that findClass returned (never nullptr),
    // or nullptr when that class keeps none.
    virtual void* sharedInstanceOf (void* itemClass) = 0;

    // What a native window's instance variable "owner" holds, where a toolkit
    // window keeps its peer; nullptr when its class has no such variable.
    virtual void* ownerVariableOf (void* window) = 0;

    // The class the window was made as (not a subclass that key-value
    // observing may have put in its place).
    virtual void* classOf (void* window) = 0;

    // Gives the class the touch-bar protocols and the methods makeTouchBar and
    // touchBar:makeItemForIdentifier:, leaving alone what it has already.
    virtual void addTouchBarMethods (void* windowClass) = 0;
};
