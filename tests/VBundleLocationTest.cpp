#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
#include "widgets/VBundleLocation.h"
#include "widgets/VLookAndFeel.h"

TEST (VBundleLocation, FindsTheBundleAboveTheBinary)
{
    const auto bundleOf = [] (const char* path) { return VBundleLocation::bundleFolderFor (juce::File (path)).getFullPathName(); };
    const juce::String vst3 ("/opt/plugins/Zo Tarvel.vst3");
    EXPECT_EQ (bundleOf ("/opt/plugins/Zo Tarvel.vst3/Contents/x86_64-linux/Zo Tarvel.so"), vst3);
    EXPECT_EQ (VBundleLocation::materialsFolderOf (juce::File (vst3)).getFullPathName(), vst3 + "/Contents/Resources/materials");
    EXPECT_EQ (bundleOf ("/home/u/.lv2/Zo Tarvel.lv2/Zo_Tarvel.so"), "/home/u/.lv2/Zo Tarvel.lv2");
    EXPECT_EQ (bundleOf ("/usr/local/bin/Zo Tarvel"), "/usr/local/bin");
    EXPECT_EQ (bundleOf ("/srv/Contents/x86_64-linux/tool"), "/srv/Contents/x86_64-linux");  // no .vst3, no bundle

    // The look reads the materials beside the running program.
    const auto materials = VBundleLocation::materialsFolderOf (
        juce::File::getSpecialLocation (juce::File::currentApplicationFile).getParentDirectory());
    EXPECT_EQ (VLookAndFeel::sharedInstance()->resourcesFolder, materials.getFullPathName());
    EXPECT_EQ (VLookAndFeel::sharedInstance()->cjkFont.getTypefaceName(), "Noto Sans CJK SC");
}

#if defined (ZO_VST3_BINARY)
TEST (VBundleLocation, BuiltVst3BundleHoldsALoadableCjkFont)
{
    const auto bundle = VBundleLocation::bundleFolderFor (juce::File (ZO_VST3_BINARY));
    ASSERT_TRUE (bundle.hasFileExtension ("vst3")) << bundle.getFullPathName();

    juce::MemoryBlock bytes;
    ASSERT_TRUE (VBundleLocation::materialsFolderOf (bundle).getChildFile ("SourceHanSansCN-Regular.otf").loadFileAsData (bytes));
    auto typeface = juce::Typeface::createSystemTypefaceFor (bytes.getData(), bytes.getSize());
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getName(), "Noto Sans CJK SC");

    // The face has real Chinese glyphs, not empty boxes: two of them side by side.
    const auto image = zolooks::paintImage (80, 40, [&] (juce::Graphics& g)
    {
        g.setColour (juce::Colours::white);
        g.setFont (juce::Font (typeface).withHeight (30.0f));
        g.drawText (juce::CharPointer_UTF8 ("\xe4\xb8\xad\xe6\x96\x87"), 0, 0, 80, 40, juce::Justification::centredLeft, false);
    });
    const auto ink = zolooks::inkColumns (image, [] (juce::Colour c) { return c.getAlpha() > 128; });
    EXPECT_GT (ink.last - ink.first, 25);
}

TEST (VBundleLocation, EveryBuiltBundleHoldsTheLogoAndTheFont)
{
    for (const auto* binary : { ZO_VST3_BINARY, ZO_LV2_BINARY, ZO_STANDALONE_BINARY })
    {
        const auto materials = VBundleLocation::materialsFolderOf (VBundleLocation::bundleFolderFor (juce::File (binary)));
        EXPECT_TRUE (juce::ImageFileFormat::loadFrom (materials.getChildFile ("orlin_logo.png")).isValid()) << materials.getFullPathName();
        EXPECT_TRUE (materials.getChildFile ("SourceHanSansCN-Regular.otf").existsAsFile()) << materials.getFullPathName();
    }
}
#endif
