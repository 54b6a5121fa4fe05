#include <gtest/gtest.h>

#include <dlfcn.h>

#include <juce_events/juce_events.h>

#if defined(__has_feature)
 #if __has_feature(address_sanitizer)
  #define ZO_LEAK_CHECKED 1
 #endif
#endif

// The tests run on the JUCE message thread of this console process, so they can
// post messages and pump the loop themselves.
int main (int argc, char** argv)
{
   #if ZO_LEAK_CHECKED
    // The OpenGL driver keeps allocations to the end, and unloads itself before
    // the leak check, which could then not tell them from ours. Kept loaded,
    // they are named, and the suppressions leave them out.
    ::dlopen ("swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    ::dlopen ("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
   #endif

    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juceRuntime;
    return RUN_ALL_TESTS();
}
