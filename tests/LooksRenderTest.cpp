#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VNumberSliderLookAndFeel.h"
#include "widgets/VSlider.h"

// Paints a sheet of real controls through the looks and writes it as
// looks.png (beside the test program, or into ZO_RENDER_DIR) for a person
// to look at after a change.
TEST (LooksRender, ControlSheet)
{
    const auto defaultFolder = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                                   .getSiblingFile ("looks-render").getFullPathName();
    const auto folderName = juce::SystemStats::getEnvironmentVariable ("ZO_RENDER_DIR", defaultFolder);

    auto& look = *VLookAndFeel::sharedInstance();
    juce::LookAndFeel::setDefaultLookAndFeel (&look);

    juce::Image sheet (juce::Image::ARGB, 480, 400, true, juce::SoftwareImageType());
    {
        juce::Graphics g (sheet);
        g.fillAll (juce::Colour (39, 42, 44));

        const auto paintAt = [&g] (juce::Component& c, int x, int y)
        {
            juce::Graphics::ScopedSaveState state (g);
            g.setOrigin (x, y);
            g.reduceClipRegion (c.getLocalBounds());
            c.paintEntireComponent (g, false);
        };

        VSlider knobs[3];
        const double values[] = { 0.0, 0.6, 1.0 };
        for (int i = 0; i < 3; ++i)
        {
            knobs[i].setSliderStyle (juce::Slider::RotaryVerticalDrag);
            knobs[i].setRange (-12.0, 12.0, 0.1);
            knobs[i].setTextValueSuffix (" dB");
            knobs[i].setValue (-12.0 + 24.0 * values[i]);
            knobs[i].setSize (48, (int) VLookAndFeel::getKnobAdjacentSideLength (48));
            paintAt (knobs[i], 10 + 60 * i, 10);
        }
        knobs[1].setColour (juce::Slider::rotarySliderFillColourId, juce::Colour (0xffF5DF18));
        knobs[2].setEnabled (false);
        paintAt (knobs[1], 10 + 60 * 1, 10);
        paintAt (knobs[2], 10 + 60 * 2, 10);

        VSlider scale;
        scale.setSliderStyle (juce::Slider::LinearHorizontal);
        scale.setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
        scale.setRange (0.0, 1.0);
        scale.setValue (0.37);
        scale.setSize (220, 30);
        scale.setLookAndFeel (&look);
        paintAt (scale, 200, 20);

        juce::ComboBox combo;
        combo.addItem ("Reciprocal (1/x)", 1);
        combo.setSelectedId (1);
        combo.setSize (180, 24);
        paintAt (combo, 10, 100);

        juce::ComboBox narrow;
        narrow.addItem ("Beat", 1);
        narrow.setSelectedId (1);
        narrow.setSize (90, 30);
        paintAt (narrow, 200, 97);

        juce::TextButton add ("Add Link");
        add.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff1993A9));
        add.setSize (100, 28);
        paintAt (add, 310, 98);

        juce::ToggleButton toggle ("Follow");
        toggle.setToggleState (true, juce::dontSendNotification);
        toggle.setSize (100, 24);
        paintAt (toggle, 10, 140);

        juce::Label label ("l", "Track 1 / " + juce::String (juce::CharPointer_UTF8 ("\xe9\x9f\xb3\xe8\xbd\xa8")));
        label.setFont (look.cjkFont.withHeight (17.0f));
        label.setColour (juce::Label::textColourId, juce::Colour (154, 156, 161));
        label.setSize (170, 26);
        paintAt (label, 120, 139);

        juce::Slider number (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
        number.setLookAndFeel (VNumberSliderLookAndFeel::sharedInstance());
        number.setRange (0.0, 5000.0, 0.01);
        number.setValue (1.5);
        number.setTextValueSuffix (" ms");
        number.setColour (juce::Label::textColourId, juce::Colour (25, 147, 169));
        number.setColour (juce::Slider::backgroundColourId, juce::Colour (35, 37, 39));
        number.setSize (90, 24);
        paintAt (number, 310, 140);

        const char* items[] = { "Same (=x)", "Reciprocal (1/x)", "", "Half (0.5x)", "Scale (*x)" };
        juce::Graphics::ScopedSaveState state (g);
        g.setOrigin (10, 190);
        g.reduceClipRegion (0, 0, 200, 5 * 24);
        look.drawPopupMenuBackgroundWithOptions (g, 200, 5 * 24, juce::PopupMenu::Options());
        for (int i = 0; i < 5; ++i)
        {
            juce::PopupMenu::Item item (items[i]);
            item.itemID = i + 1;
            item.isSeparator = i == 2;
            item.isTicked = i == 1;
            item.isEnabled = i != 4;
            if (i == 3)
                item.shortcutKeyDescription = "ctrl + H";
            const int h = item.isSeparator ? 9 : 24;
            look.drawPopupMenuItemWithOptions (g, { 0, 0, 200, h }, i == 3, item, juce::PopupMenu::Options());
            g.setOrigin (0, h);
        }

        scale.setLookAndFeel (nullptr);
        number.setLookAndFeel (nullptr);
    }

    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);

    // The second knob, at (70, 10), shows its own value colour on the left of its ring.
    EXPECT_EQ (sheet.getPixelAt (72, 34), juce::Colour (0xffF5DF18));

    const juce::File folder (folderName);
    folder.createDirectory();
    auto file = folder.getChildFile ("looks.png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    juce::PNGImageFormat png;
    ASSERT_TRUE (png.writeImageToStream (sheet.rescaled (960, 800, juce::Graphics::lowResamplingQuality), out));
}
