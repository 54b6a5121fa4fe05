#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tests/LooksTestSupport.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VSlider.h"

using zolooks::paintImage;
using zolooks::rgbAt;

namespace
{
VLookAndFeel& look() { return *VLookAndFeel::sharedInstance(); }

const juce::Colour teal (25, 147, 169);
const juce::Colour outerDisc (54, 55, 58);
const juce::Colour middleDisc (32, 34, 37);
const juce::Colour innerDisc (37, 39, 42);
const juce::Colour trackRing (62, 67, 84);
const float startAngle = 3.9898229f;
const float endAngle = 8.5765486f;

// A 48 x 48 knob box at the origin: centre (24, 24), r 24, ring band 20.3..24,
// middle disc down to 16.6, pointer 10.8..17.04 from the centre.
juce::Image knob (juce::Slider& slider, float proportion, VLookAndFeel& lf = look())
{
    return paintImage (48, 48, [&] (juce::Graphics& g)
    {
        lf.drawRotarySlider (g, 0, 0, 48, 48, proportion, startAngle, endAngle, slider);
    });
}

// The pixel at a distance from the knob centre, at an angle clockwise from twelve o'clock.
juce::Colour knobPixel (const juce::Image& image, float clockwiseRadians, float distance)
{
    const auto x = 24.0f + distance * std::sin (clockwiseRadians);
    const auto y = 24.0f - distance * std::cos (clockwiseRadians);
    return rgbAt (image, (int) std::floor (x), (int) std::floor (y));
}

constexpr float left = 1.5f * juce::MathConstants<float>::pi;
constexpr float right = 0.5f * juce::MathConstants<float>::pi;
constexpr float down = juce::MathConstants<float>::pi;
} // namespace

//==============================================================================
TEST (VLookAndFeelKnob, DiscsRingsAndPointerAtHalfWay)
{
    VSlider slider;
    const auto image = knob (slider, 0.5f);

    EXPECT_EQ (knobPixel (image, left, 22.0f), teal);          // value ring from the start angle to the top
    EXPECT_EQ (knobPixel (image, right, 22.0f), outerDisc);    // not reached yet
    EXPECT_EQ (knobPixel (image, down, 22.0f), trackRing);     // the gap below the knob
    EXPECT_EQ (knobPixel (image, right, 18.5f), middleDisc);
    EXPECT_EQ (knobPixel (image, down, 8.0f), innerDisc);
    EXPECT_EQ (rgbAt (image, 23, 10), teal);                   // the pointer, straight up
    EXPECT_EQ (rgbAt (image, 24, 10), teal);
    EXPECT_EQ (rgbAt (image, 24, 4), middleDisc);              // the pointer stops short of the ring
}

TEST (VLookAndFeelKnob, PointerAtTheStartAndStopsAtTheEnd)
{
    VSlider slider;

    const auto atStart = knob (slider, 0.0f);
    EXPECT_EQ (knobPixel (atStart, startAngle, 14.0f), teal);
    EXPECT_EQ (knobPixel (atStart, left, 22.0f), outerDisc);

    const auto beyond = knob (slider, 1.2f);
    EXPECT_EQ (knobPixel (beyond, endAngle, 14.0f), teal);
    EXPECT_EQ (knobPixel (beyond, right, 22.0f), teal);
    EXPECT_EQ (knobPixel (beyond, down, 22.0f), trackRing);
    EXPECT_EQ (knobPixel (beyond, down, 14.0f), innerDisc);  // no pointer overshooting into the gap
}

TEST (VLookAndFeelKnob, FillColourOnlyFromTheSliderItself)
{
    VSlider slider;
    VLookAndFeel ownLook;
    ownLook.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
    EXPECT_EQ (knobPixel (knob (slider, 0.5f, ownLook), left, 22.0f), teal);

    slider.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
    const auto image = knob (slider, 0.5f);
    EXPECT_EQ (knobPixel (image, left, 22.0f), juce::Colours::red);
    EXPECT_EQ (rgbAt (image, 23, 10), juce::Colours::red);
}

TEST (VLookAndFeelKnob, DisabledKnobDarkens)
{
    VSlider slider;
    slider.setEnabled (false);
    const auto image = knob (slider, 0.5f);

    EXPECT_EQ (knobPixel (image, right, 22.0f), outerDisc.darker (0.4f));
    EXPECT_EQ (knobPixel (image, left, 22.0f), teal.darker (0.6f));
    EXPECT_EQ (knobPixel (image, right, 18.5f), middleDisc);
    EXPECT_EQ (knobPixel (image, down, 8.0f), innerDisc.darker (0.2f));
    EXPECT_EQ (knobPixel (image, down, 22.0f), trackRing);
}

TEST (VLookAndFeelKnob, KnobComponentOf48By71)
{
    VSlider slider;
    slider.setLookAndFeel (&look());
    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.5);
    slider.setSize (48, 71);

    const auto layout = look().getSliderLayout (slider);
    EXPECT_EQ (layout.sliderBounds, juce::Rectangle<int> (0, 0, 48, 48));
    EXPECT_EQ (layout.textBoxBounds, juce::Rectangle<int> (0, 58, 48, 13));

    const auto image = zolooks::paintComponent (slider);
    EXPECT_EQ (knobPixel (image, left, 22.0f), teal);
    EXPECT_EQ (knobPixel (image, down, 22.0f), trackRing);
    EXPECT_EQ (rgbAt (image, 1, 60), juce::Colour (39, 42, 44));  // the value box below

    slider.setLookAndFeel (nullptr);
}

//==============================================================================
namespace
{
// Columns of one image row that hold the tick colours.
std::set<int> columnsOf (const juce::Image& image, int row, juce::Colour colour)
{
    std::set<int> columns;
    for (int x = 0; x < image.getWidth(); ++x)
        if (rgbAt (image, x, row) == colour && image.getPixelAt (x, row).getAlpha() == 255)
            columns.insert (x);
    return columns;
}

std::set<int> rowsOf (const juce::Image& image, int column, juce::Colour colour)
{
    std::set<int> rows;
    for (int y = 0; y < image.getHeight(); ++y)
        if (rgbAt (image, column, y) == colour && image.getPixelAt (column, y).getAlpha() == 255)
            rows.insert (y);
    return rows;
}

std::set<int> steps (int from, int to, int step)
{
    std::set<int> values;
    for (int v = from; v <= to; v += step)
        values.insert (v);
    return values;
}

const juce::Colour grey (151, 151, 151);
const juce::Colour unfilled (30, 32, 34);

juce::Image linearBackground (juce::Slider& slider, juce::Slider::SliderStyle style, int width, int height)
{
    return paintImage (width + 10, height + 10, [&] (juce::Graphics& g)
    {
        look().drawLinearSliderBackground (g, 0, 0, width, height, 0.0f, 0.0f, 0.0f, style, slider);
    });
}
} // namespace

TEST (VLookAndFeelLinear, HorizontalTickScaleAndTrack)
{
    VSlider slider;
    slider.setSliderStyle (juce::Slider::LinearHorizontal);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.5);

    const auto image = linearBackground (slider, juce::Slider::LinearHorizontal, 100, 20);

    // Row 5 crosses every tick (minor ones run from y 4 to 15): 26 at or below the value, 25 above.
    EXPECT_EQ (columnsOf (image, 5, teal), steps (0, 50, 2));
    EXPECT_EQ (columnsOf (image, 5, grey), steps (52, 100, 2));

    // Row 1 holds only the 11 full-height ticks.
    EXPECT_EQ (columnsOf (image, 1, teal), steps (0, 50, 10));
    EXPECT_EQ (columnsOf (image, 1, grey), steps (60, 100, 10));

    // The track, 3.4 pixels thick across the middle, filled up to the value.
    EXPECT_EQ (rgbAt (image, 25, 10), teal);
    EXPECT_EQ (rgbAt (image, 75, 10), unfilled);
    EXPECT_EQ (rgbAt (image, 76, 5), grey);
}

TEST (VLookAndFeelLinear, VerticalScaleFillsFromTheBottom)
{
    VSlider slider;
    slider.setSliderStyle (juce::Slider::LinearVertical);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.3);

    const auto image = linearBackground (slider, juce::Slider::LinearVertical, 20, 100);

    EXPECT_EQ (rowsOf (image, 5, teal), steps (70, 100, 2));
    EXPECT_EQ (rowsOf (image, 5, grey), steps (0, 68, 2));
    EXPECT_EQ (rgbAt (image, 10, 85), teal);
    EXPECT_EQ (rgbAt (image, 10, 30), unfilled);
}

TEST (VLookAndFeelLinear, NoScaleWithoutAScaledVSlider)
{
    juce::Slider plain (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    plain.setRange (0.0, 1.0);
    plain.setValue (0.5);

    auto image = linearBackground (plain, juce::Slider::LinearHorizontal, 100, 20);
    EXPECT_TRUE (columnsOf (image, 5, teal).empty());
    EXPECT_TRUE (columnsOf (image, 5, grey).empty());
    EXPECT_EQ (rgbAt (image, 25, 10), teal);

    VSlider unscaled;
    unscaled.showScale = false;
    unscaled.setRange (0.0, 1.0);
    image = linearBackground (unscaled, juce::Slider::LinearHorizontal, 100, 20);
    EXPECT_TRUE (columnsOf (image, 5, grey).empty());
}

TEST (VLookAndFeelLinear, ThumbAtTheValueAndOtherStylesOnlyFill)
{
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.5);
    slider.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);

    auto image = paintImage (100, 20, [&] (juce::Graphics& g)
    {
        // The position argument is ignored: the thumb follows the slider's value.
        look().drawLinearSlider (g, 0, 0, 100, 20, 5.0f, 0.0f, 100.0f, juce::Slider::LinearHorizontal, slider);
    });
    EXPECT_EQ (rgbAt (image, 53, 10), juce::Colours::white);
    EXPECT_EQ (rgbAt (image, 46, 10), juce::Colours::white);
    EXPECT_NE (rgbAt (image, 58, 10), juce::Colours::white);

    slider.setColour (juce::Slider::backgroundColourId, juce::Colours::red);
    image = paintImage (100, 20, [&] (juce::Graphics& g)
    {
        look().drawLinearSlider (g, 0, 0, 100, 20, 50.0f, 0.0f, 100.0f, juce::Slider::TwoValueHorizontal, slider);
    });
    EXPECT_TRUE (zolooks::inkColumns (image, [] (juce::Colour c) { return c != juce::Colours::red; }).empty());
}

TEST (VLookAndFeelLinear, LayoutsKeepTheThumbInside)
{
    juce::Slider horizontal (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    horizontal.setSize (200, 40);
    EXPECT_EQ (look().getSliderLayout (horizontal).sliderBounds, juce::Rectangle<int> (20, 0, 160, 40));

    juce::Slider vertical (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    vertical.setSize (20, 200);
    EXPECT_EQ (look().getSliderLayout (vertical).sliderBounds, juce::Rectangle<int> (0, 10, 20, 180));

    // Anything else is the V3 layout as it is.
    juce::Slider rotary (juce::Slider::Rotary, juce::Slider::TextBoxAbove);
    rotary.setSize (60, 80);
    juce::LookAndFeel_V3 v3;
    EXPECT_EQ (look().getSliderLayout (rotary).sliderBounds, v3.getSliderLayout (rotary).sliderBounds);
    EXPECT_EQ (look().getSliderLayout (rotary).textBoxBounds, v3.getSliderLayout (rotary).textBoxBounds);
}
