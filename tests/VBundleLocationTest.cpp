#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
#include "widgets/VBundleLocation.h"
#include "widgets/VLookAndFeel.h"

TEST (VBundleLocation, FindsTheVst3BundleAboveTheArchitectureFolder)
{
    const juce::File so ("/opt/plugins/Zo Tarvel.vst3/Contents/x86_64-linux/Zo Tarvel.so");
    EXPECT_EQ (VBundleLocation::bundleFolderFor (so).getFullPathName(), "/opt/plugins/Zo Tarvel.vst3");
    EXPECT_EQ (VBundleLocation::materialsFolderOf (VBundleLocation::bundleFolderFor (so)).getFullPathName(),
               "/opt/plugins/Zo Tarvel.vst3/Contents/Resources/materials");
}

TEST (VBundleLocation, FindsTheLv2BundleAndAProgramsFolder)
{
    EXPECT_EQ (VBundleLocation::bundleFolderFor (juce::File ("/home/u/.lv2/Zo Tarvel.lv2/Zo_Tarvel.so")).getFullPathName(),
               "/home/u/.lv2/Zo Tarvel.lv2");
    EXPECT_EQ (VBundleLocation::bundleFolderFor (juce::File ("/usr/local/bin/Zo Tarvel")).getFullPathName(),
               "/usr/local/bin");

    // A "Contents" folder outside a .vst3 bundle is no bundle.
    EXPECT_EQ (VBundleLocation::bundleFolderFor (juce::File ("/srv/Contents/x86_64-linux/tool")).getFullPathName(),
               "/srv/Contents/x86_64-linux");
}

TEST (VBundleLocation, TheLookReadsTheMaterialsBesideTheRunningProgram)
{
    const auto expected = VBundleLocation::materialsFolderOf (
        juce::File::getSpecialLocation (juce::File::currentApplicationFile).getParentDirectory());

    EXPECT_EQ (VLookAndFeel::sharedInstance()->resourcesFolder, expected.getFullPathName());
    EXPECT_TRUE (expected.getChildFile ("SourceHanSansCN-Regular.otf").existsAsFile());
}

#if defined (ZO_VST3_BINARY)
TEST (VBundleLocation, BuiltVst3BundleHoldsALoadableCjkFont)
{
    const auto bundle = VBundleLocation::bundleFolderFor (juce::File (ZO_VST3_BINARY));
    ASSERT_TRUE (bundle.hasFileExtension ("vst3")) << bundle.getFullPathName();

    juce::MemoryBlock bytes;
    ASSERT_TRUE (VBundleLocation::materialsFolderOf (bundle).getChildFile ("SourceHanSansCN-Regular.otf").loadFileAsData (bytes));
    ASSERT_GT (bytes.getSize(), 1000000u);

    auto typeface = juce::Typeface::createSystemTypefaceFor (bytes.getData(), bytes.getSize());
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getName(), "Noto Sans CJK SC");

    // The face has real Chinese glyphs, not empty boxes.
    const juce::Font font (typeface);
    const auto image = zolooks::paintImage (80, 40, [&] (juce::Graphics& g)
    {
        g.setColour (juce::Colours::white);
        g.setFont (font.withHeight (30.0f));
        g.drawText (juce::CharPointer_UTF8 ("\xe4\xb8\xad\xe6\x96\x87"), 0, 0, 80, 40, juce::Justification::centredLeft, false);
    });
    const auto ink = zolooks::inkColumns (image, [] (juce::Colour c) { return c.getAlpha() > 128; });
    ASSERT_FALSE (ink.empty());
    EXPECT_GT (ink.last - ink.first, 25);  // two glyphs side by side
}

TEST (VBundleLocation, EveryBuiltBundleHoldsTheLogo)
{
    for (const auto* binary : { ZO_VST3_BINARY, ZO_LV2_BINARY, ZO_STANDALONE_BINARY })
    {
        const auto materials = VBundleLocation::materialsFolderOf (VBundleLocation::bundleFolderFor (juce::File (binary)));
        const auto logo = juce::ImageFileFormat::loadFrom (materials.getChildFile ("orlin_logo.png"));
        EXPECT_TRUE (logo.isValid()) << materials.getFullPathName();
        EXPECT_TRUE (materials.getChildFile ("SourceHanSansCN-Regular.otf").existsAsFile()) << materials.getFullPathName();
    }
}
#endif
