#include <gtest/gtest.h>

#include <array>

#include "tests/ControlsTestSupport.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VNumberSlider.h"

// Paints knobs and number boxes as the editor sets them up and writes
// controls.png (beside the test program, or into ZO_RENDER_DIR) to look at.
TEST (ControlsRender, KnobsAndNumberBoxes)
{
    juce::LookAndFeel::setDefaultLookAndFeel (VLookAndFeel::sharedInstance());
    Brindle processor;
    processor.getKtParameter (0)->setValue (0.25f);
    processor.getKtParameter (2)->setValue (0.3f);

    juce::Component sheet;
    sheet.setSize (400, 130);
    std::vector<std::unique_ptr<juce::Slider>> controls;
    for (int i = 0; i < 4; ++i)
        controls.push_back (zocontrols::knobFor (processor, i));
    for (auto box : { std::array { 0.0, 5000.0, 10.0, 250.0 }, { 0.1, 10.0, 0.1, 1.0 }, { -12.0, 12.0, 0.01, -3.5 }, { 0.0, 100.0, 0.1, 12.5 } })
    {
        controls.push_back (std::make_unique<VNumberSlider> (nullptr));
        controls.back()->setRange (box[0], box[1], box[2]);
        controls.back()->setValue (box[3], juce::dontSendNotification);
    }
    const char* units[] = { " dB", "", " Hz", " Hz", " ms", "", " dB", "" };
    for (size_t i = 0; i < 8; ++i)
    {
        const int x = (int) i % 4;
        controls[i]->setTextValueSuffix (units[i]);
        controls[i]->setBounds (i < 4 ? juce::Rectangle<int> (10 + 70 * x, 10, 48, 71) : juce::Rectangle<int> (10 + 95 * x, 95, 90, 24));
        sheet.addAndMakeVisible (*controls[i]);
    }
    controls[1]->setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffF5DF18));
    controls[3]->setEnabled (false);
    controls[6]->setEnabled (false);
    zocontrols::drag (*controls[7], { 45.0f, 12.0f });  // a click opens its text editor

    juce::Image image (juce::Image::ARGB, 400, 130, true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colour (39, 42, 44));
        sheet.paintEntireComponent (g, false);
    }
    sheet.removeAllChildren();
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    const auto tealPixels = [&] (juce::Rectangle<int> area)
    {
        int n = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (auto c = image.getPixelAt (x, y); c.getBlue() > 120 && c.getGreen() > 100 && c.getRed() < 80)
                    ++n;
        return n;
    };
    EXPECT_EQ (image.getPixelAt (12, 97), juce::Colour (35, 37, 39));
    EXPECT_GT (tealPixels ({ 10, 95, 90, 24 }), 5) << "number box digits";
    EXPECT_GT (tealPixels ({ 10, 68, 48, 13 }), 5) << "knob value box";
    EXPECT_EQ (tealPixels ({ 200, 95, 90, 24 }), 0) << "a disabled box is dimmed";

    const auto file = juce::File (juce::SystemStats::getEnvironmentVariable ("ZO_RENDER_DIR",
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("controls-render").getFullPathName()))
        .getChildFile ("controls.png");
    ASSERT_TRUE (file.getParentDirectory().createDirectory() && file.deleteFile());
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (image.rescaled (1200, 390), out));
}
