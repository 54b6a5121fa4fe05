#pragma once

#include <juce_core/juce_core.h>

// Finds the plug-in bundle around the running code. On macOS the toolkit's
// currentApplicationFile is the bundle itself; on Linux it is the shared
// object or executable inside it, so the bundle is worked out from the path.
class VBundleLocation
{
public:
    // Name.vst3/Contents/<arch>-linux/Name.so -> Name.vst3
    // Name.lv2/Name.so                        -> Name.lv2
    // a bundle folder (macOS)                 -> itself
    // any other file (a standalone program)   -> the folder that holds it
    static juce::File bundleFolderFor (const juce::File& codeFile);

    // The bundle of the code that is running now.
    static juce::File getBundleFolder();

    // "<bundle>/Contents/Resources/materials" for the given bundle.
    static juce::File materialsFolderOf (const juce::File& bundleFolder);

private:
    VBundleLocation() = delete;
};
