#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VNumberSliderLookAndFeel.h"
#include "widgets/VSlider.h"

// Paints a sheet of real controls through the looks and writes it as
// looks.png (into looks-render beside the test program, or into ZO_RENDER_DIR)
// for a person to look at after a change.
TEST (LooksRender, ControlSheet)
{
    auto& look = *VLookAndFeel::sharedInstance();
    juce::LookAndFeel::setDefaultLookAndFeel (&look);

    VSlider knobs[3], scale;
    juce::ComboBox combo;
    juce::Label label ("l", "Track 1 / " + juce::String (juce::CharPointer_UTF8 ("\xe9\x9f\xb3\xe8\xbd\xa8")));
    juce::Slider number (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
    juce::Image sheet (juce::Image::ARGB, 440, 180, true, juce::SoftwareImageType());
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (39, 42, 44));
    const auto paintAt = [&g] (juce::Component& c, int x, int y, int w, int h)
    {
        c.setSize (w, h);
        juce::Graphics::ScopedSaveState state (g);
        g.setOrigin (x, y);
        g.reduceClipRegion (c.getLocalBounds());
        c.paintEntireComponent (g, false);
    };

    for (int i = 0; i < 3; ++i)
    {
        knobs[i].setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knobs[i].setRange (-12.0, 12.0, 0.1);
        knobs[i].setTextValueSuffix (" dB");
        knobs[i].setValue (-12.0 + 12.0 * i);
        knobs[i].setEnabled (i < 2);
        if (i == 1)
            knobs[i].setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffF5DF18));
        paintAt (knobs[i], 10 + 60 * i, 10, 48, (int) VLookAndFeel::getKnobAdjacentSideLength (48));
    }
    scale.setSliderStyle (juce::Slider::LinearHorizontal);
    scale.setLookAndFeel (&look);
    scale.setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    scale.setValue (3.7);
    paintAt (scale, 200, 20, 220, 30);
    combo.addItem ("Reciprocal (1/x)", 1);
    combo.setSelectedId (1);
    paintAt (combo, 10, 100, 180, 24);
    label.setFont (look.cjkFont.withHeight (17.0f));
    label.setColour (juce::Label::textColourId, juce::Colour (154, 156, 161));
    paintAt (label, 10, 139, 170, 26);
    number.setLookAndFeel (VNumberSliderLookAndFeel::sharedInstance());
    number.setRange (0.0, 5000.0, 0.01);
    number.setValue (1.5);
    number.setTextValueSuffix (" ms");
    paintAt (number, 200, 140, 90, 24);

    scale.setLookAndFeel (nullptr);
    number.setLookAndFeel (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    // The second knob, at (70, 10), shows its own value colour on the left of its ring.
    EXPECT_EQ (sheet.getPixelAt (72, 34), juce::Colour (0xffF5DF18));

    const juce::File folder (juce::SystemStats::getEnvironmentVariable ("ZO_RENDER_DIR",
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("looks-render").getFullPathName()));
    folder.createDirectory();
    auto file = folder.getChildFile ("looks.png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (sheet.rescaled (880, 360, juce::Graphics::lowResamplingQuality), out));
}
