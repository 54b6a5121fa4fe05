#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "tests/LooksTestSupport.h"
#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VNumberSliderLookAndFeel.h"

using zolooks::inkColumns;
using zolooks::paintImage;
using zolooks::sameImage;

namespace
{
const juce::Colour teal (25, 147, 169), grey (154, 156, 161);

bool isInkOf (juce::Colour c, juce::Colour colour)
{
    return c.getAlpha() > 100 && std::abs (c.getRed() - colour.getRed()) <= 40
        && std::abs (c.getGreen() - colour.getGreen()) <= 40 && std::abs (c.getBlue() - colour.getBlue()) <= 40;
}
bool isTeal (juce::Colour c) { return isInkOf (c, teal); }
bool isGrey (juce::Colour c) { return isInkOf (c, grey); }

juce::Image valueBox (const juce::String& text, int width, bool enabled = true)
{
    juce::Label label ("value", text);
    label.setSize (width, 13);
    label.setEnabled (enabled);
    label.setColour (juce::Label::textColourId, teal);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    label.setColour (juce::Label::outlineColourId, juce::Colours::red);
    return paintImage (width, 13, [&] (juce::Graphics& g) { VKnobLabelLookAndFeel::sharedInstance()->drawLabel (g, label); })
        .getClippedImage ({ 1, 1, width - 2, 11 });  // inside the outline
}
} // namespace

TEST (VDerivedLooks, KnobLabelValueInTheLabelColourThenTheUnitInGrey)
{
    // The block sits about centred, shifted right by a 32nd of the width; the box's
    // image starts one pixel in.
    const auto width = juce::Font (11.0f).getStringWidthFloat ("12.5 dB");
    const auto x = (int) std::lrint (30.0f - width * 0.5f + 60.0f / 32.0f) - 1;
    const auto value = inkColumns (valueBox ("12.5 dB", 60), isTeal);
    const auto unit = inkColumns (valueBox ("12.5 dB", 60), isGrey);
    ASSERT_FALSE (value.empty() || unit.empty());
    EXPECT_LT (value.last, unit.first);
    EXPECT_NEAR (value.first, x, 2);
    EXPECT_NEAR ((double) unit.last, (double) x + (double) width, 3.0);

    const auto inkWidth = [] (const char* text) { const auto span = inkColumns (valueBox (text, 60)); return span.last - span.first; };
    EXPECT_EQ (inkWidth ("1 2 3"), inkWidth ("1 2")) << "only the first two tokens";
    EXPECT_TRUE (inkColumns (valueBox ("1", 60), isGrey).empty());

    // Disabled, all of it is half transparent.
    EXPECT_TRUE (inkColumns (valueBox ("3.0 dB", 60, false), [] (juce::Colour c) { return c.getAlpha() > 129; }).empty());
    EXPECT_FALSE (inkColumns (valueBox ("3.0 dB", 60, false)).empty());
}

TEST (VDerivedLooks, KnobLabelFitsTheTextByLoweringTheFont)
{
    const juce::String text ("-1234.56 dB");
    const auto at10 = juce::Font (10.0f).getStringWidthFloat (text);
    const int width = (int) std::ceil (juce::Font (11.0f).getStringWidthFloat (text)) - 1;
    ASSERT_LE (at10, (float) width);

    // Both parts drawn whole at height 10, placed by the width at 10.
    const auto value = inkColumns (valueBox (text, width), isTeal);
    const auto unit = inkColumns (valueBox (text, width), isGrey);
    ASSERT_FALSE (value.empty() || unit.empty());
    EXPECT_NEAR ((double) (value.first + 1), (double) std::lrint ((float) width * 0.5f - at10 * 0.5f + (float) width / 32.0f), 2.0);
    EXPECT_NEAR (unit.last - value.first, at10, 3);

    // A text that never fits still ends the fitting.
    EXPECT_EQ (valueBox (juce::String::repeatedString ("8", 500) + " dB", 8).getWidth(), 6);
}

TEST (VDerivedLooks, NumberBoxShowsTheValueWithTheIntervalsDecimalsAndNothingElse)
{
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
    slider.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);
    slider.setColour (juce::Label::textColourId, teal);
    auto& lf = *VNumberSliderLookAndFeel::sharedInstance();
    const auto box = [&] (double interval, double value)
    {
        slider.setRange (0.0, 1000.0, interval);
        slider.setValue (value);
        return paintImage (80, 20, [&] (juce::Graphics& g) { lf.drawLinearSlider (g, 0, 0, 80, 20, 0, 0, 0, juce::Slider::LinearVertical, slider); });
    };
    const auto text = [] (const char* expected)
    {
        return paintImage (80, 20, [&] (juce::Graphics& g)
        {
            g.setFont (13.0f);
            g.setColour (teal);
            g.drawFittedText (expected, 0, 0, 80, 20, juce::Justification::centred, 1, 0.0f);
        });
    };

    // interval, value, then the text shown
    const std::tuple<double, double, const char*> cases[] = { { 0.01, 1.5, "1.50" }, { 0.1, 12.5, "12.5" }, { 10.0, 250.0, "250" }, { 0.0, 3.0, "3" } };
    for (auto [interval, value, shown] : cases)
        EXPECT_TRUE (sameImage (box (interval, value), text (shown))) << shown;

    // The suffix ends one blank before the right edge; the value is centred in the room left of it.
    slider.setTextValueSuffix (" ms");
    const juce::Font font (13.0f);
    const auto suffix = inkColumns (box (1.0, 20.0), isGrey);
    const auto value = inkColumns (box (1.0, 20.0), isTeal);
    ASSERT_FALSE (suffix.empty() || value.empty());
    EXPECT_LE (suffix.last, 80 - font.getStringWidth (" "));
    EXPECT_GE (suffix.last, 80 - font.getStringWidth (" ") - 3);
    EXPECT_NEAR ((double) (value.first + value.last + 1) * 0.5, (80.0 - (double) font.getStringWidth (" ms")) * 0.5, 2.0);

    slider.setEnabled (false);
    EXPECT_TRUE (inkColumns (box (1.0, 20.0), [] (juce::Colour c) { return isTeal (c) && c.getAlpha() > 129; }).empty()) << "dimmed";

    // No track nor thumb, and all the room to the text.
    EXPECT_TRUE (inkColumns (paintImage (80, 20, [&] (juce::Graphics& g)
    {
        lf.drawLinearSliderBackground (g, 0, 0, 80, 20, 10, 0, 80, juce::Slider::LinearVertical, slider);
        lf.drawLinearSliderThumb (g, 0, 0, 80, 20, 10, 0, 80, juce::Slider::LinearVertical, slider);
    })).empty());
    slider.setSize (80, 20);
    EXPECT_EQ (lf.getSliderLayout (slider).sliderBounds, juce::Rectangle<int> (0, 0, 80, 20));
    EXPECT_TRUE (lf.getSliderLayout (slider).textBoxBounds.isEmpty());
}
