#pragma once

#include <juce_core/juce_core.h>

// The little of a class runtime that the touch-bar hook needs: a class by its
// name, and a class's shared instance. Classes and instances are opaque
// handles so that the hook's rules stay plain C++; on macOS they are the
// Objective-C runtime's Class and id, in the tests a fake.
class VClassRuntime
{
public:
    virtual ~VClassRuntime() = default;

    // The class registered under that name, or nullptr when there is none.
    virtual void* findClass (const juce::String& name) = 0;

    // The shared instance of a class that findClass returned (never nullptr),
    // or nullptr when that class keeps none.
    virtual void* sharedInstanceOf (void* itemClass) = 0;
};
