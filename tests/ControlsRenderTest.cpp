#include <gtest/gtest.h>

#include "engine/Brindle.h"
#include "tests/ControlsTestSupport.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VNumberSlider.h"
#include "widgets/VParamSlider.h"

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
    const auto add = [&] (juce::Slider* s, juce::Rectangle<int> area, const char* suffix) -> juce::Slider&
    {
        controls.emplace_back (s);
        s->setTextValueSuffix (suffix);
        s->setBounds (area);
        sheet.addAndMakeVisible (s);
        return *s;
    };

    const char* units[] = { " dB", "", " Hz", " Hz" };
    for (int i = 0; i < 4; ++i)
    {
        auto* param = processor.getKtParameter (i);
        auto& knob = add (new VParamSlider (&processor, i), { 10 + 70 * i, 10, 48, 71 }, units[i]);
        knob.setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knob.setRange (param->minValue, param->maxValue, i < 2 ? 0.01 : 1.0);
        knob.setValue (param->value.load(), juce::dontSendNotification);
    }
    controls[1]->setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffF5DF18));
    controls[3]->setEnabled (false);

    const double boxes[][4] = { { 0, 5000, 10, 250 }, { 0.1, 10, 0.1, 1 }, { -12, 12, 0.01, -3.5 }, { 0, 100, 0.1, 12.5 } };
    const char* boxUnits[] = { " ms", "", " dB", "" };
    for (int i = 0; i < 4; ++i)
    {
        auto& box = add (new VNumberSlider (nullptr), { 10 + 95 * i, 95, 90, 24 }, boxUnits[i]);
        box.setRange (boxes[i][0], boxes[i][1], boxes[i][2]);
        box.setValue (boxes[i][3], juce::dontSendNotification);
    }
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
    EXPECT_TRUE (zocontrols::findChild<juce::TextEditor> (*controls[7])->isVisible());

    const juce::File folder (juce::SystemStats::getEnvironmentVariable ("ZO_RENDER_DIR",
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("controls-render").getFullPathName()));
    folder.createDirectory();
    auto file = folder.getChildFile ("controls.png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (image.rescaled (1200, 390), out));
}
