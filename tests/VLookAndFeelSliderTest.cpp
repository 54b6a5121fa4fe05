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

const juce::Colour teal (25, 147, 169), outerDisc (54, 55, 58), middleDisc (32, 34, 37), innerDisc (37, 39, 42),
    trackRing (62, 67, 84), grey (151, 151, 151), unfilled (30, 32, 34);
const float startAngle = 3.9898229f, endAngle = 8.5765486f;
constexpr float left = 1.5f * juce::MathConstants<float>::pi, right = 0.5f * juce::MathConstants<float>::pi,
                down = juce::MathConstants<float>::pi;

// A 48 x 48 knob box at the origin: centre (24, 24), r 24, ring band 20.3..24,
// middle disc down to 16.6, pointer 10.8..17.04 from the centre.
juce::Image knob (juce::Slider& slider, float proportion, VLookAndFeel& lf = look())
{
    return paintImage (48, 48, [&] (juce::Graphics& g) { lf.drawRotarySlider (g, 0, 0, 48, 48, proportion, startAngle, endAngle, slider); });
}

// The pixel at a distance from the knob centre, at an angle clockwise from twelve o'clock.
juce::Colour at (const juce::Image& image, float clockwise, float distance)
{
    return rgbAt (image, (int) std::floor (24.0f + distance * std::sin (clockwise)), (int) std::floor (24.0f - distance * std::cos (clockwise)));
}

// The columns (or rows) of one line of the image that hold a colour at full alpha.
std::set<int> where (const juce::Image& image, bool alongRow, int line, juce::Colour colour)
{
    std::set<int> found;
    for (int i = 0; i < (alongRow ? image.getWidth() : image.getHeight()); ++i)
        if (image.getPixelAt (alongRow ? i : line, alongRow ? line : i) == colour)
            found.insert (i);
    return found;
}

std::set<int> steps (int from, int to, int step)
{
    std::set<int> values;
    for (int v = from; v <= to; v += step)
        values.insert (v);
    return values;
}
} // namespace

TEST (VLookAndFeelSlider, AKnobDrawsItsDiscsTheValueRingAndThePointer)
{
    VSlider slider;
    const auto half = knob (slider, 0.5f);
    EXPECT_EQ (at (half, left, 22.0f), teal);         // value ring from the start angle to the top
    EXPECT_EQ (at (half, right, 22.0f), outerDisc);   // not reached yet
    EXPECT_EQ (at (half, down, 22.0f), trackRing);    // the gap below the knob
    EXPECT_EQ (at (half, right, 18.5f), middleDisc);
    EXPECT_EQ (at (half, left, 18.5f), middleDisc);   // inside the ring's band
    EXPECT_EQ (at (half, down, 8.0f), innerDisc);
    EXPECT_EQ (rgbAt (half, 23, 10), teal);           // the pointer, straight up
    EXPECT_EQ (rgbAt (half, 24, 4), middleDisc);      // stopping short of the ring
    EXPECT_EQ (at (knob (slider, 0.0f), startAngle, 14.0f), teal);
    EXPECT_EQ (at (knob (slider, 1.2f), down, 14.0f), innerDisc) << "no pointer overshooting into the gap";

    // The fill colour comes from the slider only, never from the look.
    VLookAndFeel ownLook;
    ownLook.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
    EXPECT_EQ (at (knob (slider, 0.5f, ownLook), left, 22.0f), teal);
    slider.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
    EXPECT_EQ (rgbAt (knob (slider, 0.5f), 23, 10), juce::Colours::red);

    slider.removeColour (juce::Slider::rotarySliderFillColourId);
    slider.setEnabled (false);
    const auto disabled = knob (slider, 0.5f);
    EXPECT_EQ (at (disabled, right, 22.0f), outerDisc.darker (0.4f));
    EXPECT_EQ (at (disabled, left, 22.0f), teal.darker (0.6f));
    EXPECT_EQ (at (disabled, down, 8.0f), innerDisc.darker (0.2f));
}

TEST (VLookAndFeelSlider, AKnobOf48By71HasItsValueBoxBelow)
{
    VSlider slider;
    slider.setLookAndFeel (&look());
    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setSize (48, (int) VLookAndFeel::getKnobAdjacentSideLength (48));
    ASSERT_EQ (slider.getHeight(), 71);
    EXPECT_EQ (look().getSliderLayout (slider).sliderBounds, juce::Rectangle<int> (0, 0, 48, 48));
    EXPECT_EQ (look().getSliderLayout (slider).textBoxBounds, juce::Rectangle<int> (0, 58, 48, 13));
    slider.setLookAndFeel (nullptr);
}

TEST (VLookAndFeelSlider, ALinearTrackFillsToTheValueUnderATickScale)
{
    VSlider slider;
    slider.setRange (0.0, 1.0);
    const auto track = [&] (juce::Slider& s, juce::Slider::SliderStyle style, int width, int height)
    {
        return paintImage (width + 10, height + 10, [&] (juce::Graphics& g) { look().drawLinearSliderBackground (g, 0, 0, width, height, 0, 0, 0, style, s); });
    };

    // Rows 4 and 5 cross all 51 ticks (minor ones run from y 4 to 15), row 1 only the 11 full-height ones.
    slider.setValue (0.5);
    auto image = track (slider, juce::Slider::LinearHorizontal, 100, 20);
    EXPECT_EQ (where (image, true, 5, teal), steps (0, 50, 2));
    EXPECT_EQ (where (image, true, 5, grey), steps (52, 100, 2));
    EXPECT_EQ (where (image, true, 4, grey), steps (52, 100, 2));
    EXPECT_EQ (where (image, true, 1, grey), steps (60, 100, 10));
    EXPECT_EQ (rgbAt (image, 25, 10), teal);
    EXPECT_EQ (rgbAt (image, 75, 10), unfilled);

    slider.setValue (0.3);
    image = track (slider, juce::Slider::LinearVertical, 20, 100);
    EXPECT_EQ (where (image, false, 5, grey), steps (0, 68, 2));
    EXPECT_EQ (rgbAt (image, 10, 85), teal);
    EXPECT_EQ (rgbAt (image, 10, 30), unfilled);

    slider.showScale = false;
    EXPECT_TRUE (where (track (slider, juce::Slider::LinearHorizontal, 100, 20), true, 5, grey).empty());
    juce::Slider plain;
    EXPECT_TRUE (where (track (plain, juce::Slider::LinearHorizontal, 100, 20), true, 5, grey).empty()) << "nor on a plain slider";
}

TEST (VLookAndFeelSlider, ALinearThumbFollowsTheValueAndLayoutsKeepItInside)
{
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setRange (0.0, 1.0);
    slider.setValue (0.5);
    slider.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);
    const auto image = paintImage (100, 20, [&] (juce::Graphics& g) // the position argument is ignored
    {
        look().drawLinearSlider (g, 0, 0, 100, 20, 5.0f, 0.0f, 100.0f, juce::Slider::LinearHorizontal, slider);
    });
    EXPECT_EQ (rgbAt (image, 53, 10), juce::Colours::white);
    EXPECT_EQ (rgbAt (image, 46, 10), juce::Colours::white);
    EXPECT_NE (rgbAt (image, 58, 10), juce::Colours::white);

    slider.setSize (200, 40);
    EXPECT_EQ (look().getSliderLayout (slider).sliderBounds, juce::Rectangle<int> (20, 0, 160, 40));
    slider.setSliderStyle (juce::Slider::LinearVertical);
    slider.setSize (20, 200);
    EXPECT_EQ (look().getSliderLayout (slider).sliderBounds, juce::Rectangle<int> (0, 10, 20, 180));
}
