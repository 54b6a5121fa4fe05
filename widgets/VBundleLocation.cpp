#include "widgets/VBundleLocation.h"

juce::File VBundleLocation::bundleFolderFor (const juce::File& codeFile)
{
    if (codeFile.isDirectory())
        return codeFile;

    const auto folder = codeFile.getParentDirectory();
    const auto contents = folder.getParentDirectory();
    const auto vst3Bundle = contents.getParentDirectory();

    if (contents.getFileName() == "Contents" && vst3Bundle.hasFileExtension ("vst3"))
        return vst3Bundle;

    // An LV2 bundle and a standalone program's folder both hold the code directly.
    return folder;
}

juce::File VBundleLocation::getBundleFolder()
{
    return bundleFolderFor (juce::File::getSpecialLocation (juce::File::currentApplicationFile));
}

juce::File VBundleLocation::materialsFolderOf (const juce::File& bundleFolder)
{
    return bundleFolder.getChildFile ("Contents/Resources/materials");
}
