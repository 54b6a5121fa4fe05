#include <gtest/gtest.h>

#include <cmath>

#include "tests/LooksTestSupport.h"
#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VNumberSliderLookAndFeel.h"

using zolooks::paintImage;
using zolooks::sameImage;

namespace
{
const juce::Colour teal (25, 147, 169);
const juce::Colour grey (154, 156, 161);

bool isTealInk (juce::Colour c) { return c.getAlpha() > 100 && zolooks::near (c.withAlpha ((juce::uint8) 255), teal, 40); }
bool isGreyInk (juce::Colour c) { return c.getAlpha() > 100 && zolooks::near (c.withAlpha ((juce::uint8) 255), grey, 40); }

struct ValueBox
{
    ValueBox (const juce::String& text, int width, int height = 13)
        : label ("value", text)
    {
        label.setSize (width, height);
        label.setColour (juce::Label::textColourId, teal);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    }

    juce::Image paint()
    {
        return paintImage (label.getWidth(), label.getHeight(), [this] (juce::Graphics& g)
        {
            VKnobLabelLookAndFeel::sharedInstance()->drawLabel (g, label);
        });
    }

    juce::Label label;
};
} // namespace

//==============================================================================
TEST (VKnobLabelLookAndFeel, ValueInTheLabelColourThenTheUnitInGrey)
{
    ValueBox box ("12.5 dB", 60);
    const auto image = box.paint();

    const auto value = zolooks::inkColumns (image, isTealInk);
    const auto unit = zolooks::inkColumns (image, isGreyInk);
    ASSERT_FALSE (value.empty());
    ASSERT_FALSE (unit.empty());
    EXPECT_LT (value.last, unit.first);

    // The block sits about centred, shifted right by a 32nd of the width.
    const auto width = juce::Font (11.0f).getStringWidthFloat ("12.5 dB");
    const auto x = (int) std::lrint (30.0f - width * 0.5f + 60.0f / 32.0f);
    EXPECT_NEAR (value.first, x, 2);
    EXPECT_NEAR (unit.last, x + width, 3);
}

TEST (VKnobLabelLookAndFeel, FitsTheTextByLoweringTheFont)
{
    const juce::String text ("-1234.56 dB");
    const auto at11 = juce::Font (11.0f).getStringWidthFloat (text);
    const auto at10 = juce::Font (10.0f).getStringWidthFloat (text);
    const int width = (int) std::ceil (at11) - 1;
    ASSERT_LE (at10, (float) width);

    ValueBox box (text, width);
    const auto image = box.paint();
    const auto value = zolooks::inkColumns (image, isTealInk);
    const auto unit = zolooks::inkColumns (image, isGreyInk);
    ASSERT_FALSE (value.empty());
    ASSERT_FALSE (unit.empty());

    // Both parts drawn whole at height 10, placed by the width at 10.
    const auto x = (int) std::lrint ((float) width * 0.5f - at10 * 0.5f + (float) width / 32.0f);
    EXPECT_NEAR (value.first, x, 2);
    EXPECT_NEAR (unit.last - value.first, at10, 3);
    EXPECT_LT (unit.last, width);
}

TEST (VKnobLabelLookAndFeel, DrawsOnlyTheFirstTwoTokens)
{
    ValueBox three ("1 2 3", 60);
    ValueBox two ("1 2", 60);
    ValueBox one ("1", 60);

    // The whole text decides where the block starts, so compare the widths of the ink.
    EXPECT_TRUE (zolooks::inkColumns (one.paint(), isGreyInk).empty());
    EXPECT_FALSE (zolooks::inkColumns (two.paint(), isGreyInk).empty());

    const auto threeInk = zolooks::inkColumns (three.paint(), [] (juce::Colour c) { return c.getAlpha() > 0; });
    const auto twoInk = zolooks::inkColumns (two.paint(), [] (juce::Colour c) { return c.getAlpha() > 0; });
    EXPECT_EQ (threeInk.last - threeInk.first, twoInk.last - twoInk.first);
}

TEST (VKnobLabelLookAndFeel, DisabledBoxIsHalfTransparent)
{
    ValueBox box ("3.0 dB", 60);
    box.label.setColour (juce::Label::outlineColourId, juce::Colours::red);
    box.label.setEnabled (false);
    const auto image = box.paint();

    int most = 0;
    for (int y = 1; y < image.getHeight() - 1; ++y)
        for (int x = 1; x < image.getWidth() - 1; ++x)
            most = juce::jmax (most, (int) image.getPixelAt (x, y).getAlpha());

    EXPECT_LE (most, 129);
    EXPECT_GT (most, 0);
    EXPECT_NEAR (image.getPixelAt (0, 6).getAlpha(), 128, 2);
}

TEST (VKnobLabelLookAndFeel, EndsTheFitForATextThatNeverFits)
{
    ValueBox box (juce::String::repeatedString ("8", 500) + " dB", 8);
    const auto image = box.paint();
    EXPECT_EQ (image.getWidth(), 8);
}

//==============================================================================
TEST (VNumberSliderLookAndFeel, DecimalsFollowTheInterval)
{
    EXPECT_EQ (VNumberSliderLookAndFeel::decimalsOf (0.01), 2);
    EXPECT_EQ (VNumberSliderLookAndFeel::decimalsOf (0.1), 1);
    EXPECT_EQ (VNumberSliderLookAndFeel::decimalsOf (0.25), 2);
    EXPECT_EQ (VNumberSliderLookAndFeel::decimalsOf (10.0), 0);
    EXPECT_EQ (VNumberSliderLookAndFeel::decimalsOf (0.0), 0);
}

namespace
{
struct NumberBox
{
    NumberBox (double interval, double value, const juce::String& suffix = {})
    {
        slider.setSliderStyle (juce::Slider::LinearVertical);
        slider.setRange (0.0, 1000.0, interval);
        slider.setValue (value);
        slider.setTextValueSuffix (suffix);
        slider.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);
        slider.setColour (juce::Label::textColourId, teal);
    }

    juce::Image paint()
    {
        return paintImage (80, 20, [this] (juce::Graphics& g)
        {
            VNumberSliderLookAndFeel::sharedInstance()->drawLinearSlider (g, 0, 0, 80, 20, 0.0f, 0.0f, 0.0f,
                                                                        juce::Slider::LinearVertical, slider);
        });
    }

    juce::Slider slider;
};

juce::Image centredText (const juce::String& text)
{
    return paintImage (80, 20, [&] (juce::Graphics& g)
    {
        g.setFont (juce::Font (13.0f));
        g.setColour (teal);
        g.drawFittedText (text, 0, 0, 80, 20, juce::Justification::centred, 1, 0.0f);
    });
}
} // namespace

TEST (VNumberSliderLookAndFeel, ShowsTheValueWithTheIntervalsDecimals)
{
    EXPECT_TRUE (sameImage (NumberBox (0.01, 1.5).paint(), centredText ("1.50")));
    EXPECT_FALSE (sameImage (NumberBox (0.01, 1.5).paint(), centredText ("1.5")));
    EXPECT_TRUE (sameImage (NumberBox (0.1, 12.5).paint(), centredText ("12.5")));
    EXPECT_TRUE (sameImage (NumberBox (10.0, 250.0).paint(), centredText ("250")));
    EXPECT_TRUE (sameImage (NumberBox (0.0, 3.0).paint(), centredText ("3")));
}

TEST (VNumberSliderLookAndFeel, SuffixEndsOneBlankBeforeTheRightEdge)
{
    NumberBox box (1.0, 20.0, " ms");
    const auto image = box.paint();
    const juce::Font font (13.0f);

    const auto suffix = zolooks::inkColumns (image, isGreyInk);
    const auto value = zolooks::inkColumns (image, isTealInk);
    ASSERT_FALSE (suffix.empty());
    ASSERT_FALSE (value.empty());

    EXPECT_LE (suffix.last, 80 - font.getStringWidth (" "));
    EXPECT_GE (suffix.last, 80 - font.getStringWidth (" ") - 3);

    // The value is centred in the room left of the suffix.
    const float room = 80.0f - (float) font.getStringWidth (" ms");
    EXPECT_NEAR ((value.first + value.last + 1) * 0.5f, room * 0.5f, 2.0f);
}

TEST (VNumberSliderLookAndFeel, OnlyTheTextIsDrawn)
{
    NumberBox box (1.0, 20.0);
    auto& lf = *VNumberSliderLookAndFeel::sharedInstance();

    const auto image = paintImage (80, 20, [&] (juce::Graphics& g)
    {
        lf.drawLinearSliderBackground (g, 0, 0, 80, 20, 10.0f, 0.0f, 80.0f, juce::Slider::LinearVertical, box.slider);
        lf.drawLinearSliderThumb (g, 0, 0, 80, 20, 10.0f, 0.0f, 80.0f, juce::Slider::LinearVertical, box.slider);
    });
    EXPECT_TRUE (zolooks::inkColumns (image, [] (juce::Colour c) { return c.getAlpha() > 0; }).empty());

    box.slider.setSize (80, 20);
    auto layout = lf.getSliderLayout (box.slider);
    EXPECT_EQ (layout.sliderBounds, juce::Rectangle<int> (0, 0, 80, 20));
    EXPECT_TRUE (layout.textBoxBounds.isEmpty());

    box.slider.setSliderStyle (juce::Slider::LinearHorizontal);
    layout = lf.getSliderLayout (box.slider);
    EXPECT_TRUE (layout.sliderBounds.isEmpty());
    EXPECT_TRUE (layout.textBoxBounds.isEmpty());
}
