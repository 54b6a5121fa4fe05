#include <cmath>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/WidgetTestSupport.h"
#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VLabel.h"
#include "widgets/VNumberSliderLookAndFeel.h"
#include "widgets/VSlider.h"

using namespace zowidgets;

namespace
{
// The editor builds the base look before any knob or number box builds its own; so does every test
// process, for a user who is not Chinese unless a test says otherwise.
struct LooksEnvironment : ::testing::Environment
{
    void SetUp() override { useLocale ({ "LANG", "en_US.UTF-8" }); VLookAndFeel::sharedInstance(); }
};
[[maybe_unused]] auto* const looksEnvironment = ::testing::AddGlobalTestEnvironment (new LooksEnvironment);

VLookAndFeel& look() { return *VLookAndFeel::sharedInstance(); }
const juce::Colour teal (25, 147, 169), field (35, 37, 39), box (39, 42, 44), grey (154, 156, 161);

juce::Image paintWithLook (juce::Component& c)
{
    const juce::ScopeGuard withoutLook { [&c] { c.setLookAndFeel (nullptr); } };
    return (c.setLookAndFeel (&look()), paint (c));
}

std::function<bool (juce::Colour)> inkOf (juce::Colour colour, int minAlpha = 100)
{
    return [=] (juce::Colour c) { return c.getAlpha() > minAlpha && std::abs (c.getRed() - colour.getRed()) <= 40 && std::abs (c.getBlue() - colour.getBlue()) <= 40; };
}
} // namespace

TEST (VLookAndFeel, TextDropsCharactersFromTheEndUntilItFits)
{
    const auto drawn = [] (const char* text, float width)
    {
        return paint (160, 30, [&] (auto& g) { VLookAndFeel::drawText (g, text, juce::Colours::white, juce::Font (20.0f), { 0, 0, width, 30 }, juce::Justification::centredLeft); });
    };
    const float room = (juce::Font (20.0f).getStringWidthFloat ("ABC") + juce::Font (20.0f).getStringWidthFloat ("ABCD")) * 0.5f;
    EXPECT_TRUE (sameArea (drawn ("ABCDEF", room), drawn ("ABC", 160.0f), { 0, 0, 160, 30 }));
    EXPECT_TRUE (sameArea (drawn ("WW", 3.0f), drawn ("W", 160.0f), { 0, 0, 160, 30 })) << "never below one character";
    EXPECT_TRUE (inkColumns (drawn ("W", 3.0f)).empty()) << "which is not shortened";
}

TEST (VLookAndFeel, AButtonContrastsOnHoverAndPressExceptAWindowButton)
{
    juce::TextButton button ("plain");
    button.setSize (40, 20);
    const juce::Colour base (100, 100, 100);
    const auto fill = [&] (bool over, bool down) { return paint (40, 20, [&] (auto& g) { look().drawButtonBackground (g, button, base, over, down); }).getPixelAt (20, 10); };
    // toggled, over, down, then the contrast
    for (auto [on, over, down, amount] : { std::tuple { false, false, false, 0.0f }, { false, true, false, 0.1f }, { false, true, true, 0.2f },
                                           { true, true, false, 0.2f }, { true, false, true, 0.3f } })
    {
        button.setToggleState (on, juce::dontSendNotification);
        EXPECT_EQ (fill (over, down), base.contrasting (amount)) << on << over << down;
    }
    button.setName ("WindowButton");
    EXPECT_EQ (fill (true, true), base);
    button.setEnabled (false);
    EXPECT_NEAR (fill (false, false).getAlpha(), 128, 1);
}

TEST (VLookAndFeel, AnAlertsButtonReadsWhiteOnDark)
{
    // Linux has no native alerts: the toolkit draws its own, with a button of no colour of its own.
    tolerateMissingWindowManager();
    juce::AlertWindow alert ("Warning", "Cannot use an empty name.", juce::MessageBoxIconType::WarningIcon);
    alert.addButton ("OK", 1);
    auto& button = *childrenOf<juce::TextButton> (alert).at (0);
    const auto image = paintWithLook (button);

    // Text against its background, by the WCAG contrast ratio: 4.5 is the least for text this size.
    const auto luminance = [] (juce::Colour c)
    {
        const auto linear = [] (float v) { return v <= 0.03928f ? v / 12.92f : std::pow ((v + 0.055f) / 1.055f, 2.4f); };
        return 0.2126f * linear (c.getFloatRed()) + 0.7152f * linear (c.getFloatGreen()) + 0.0722f * linear (c.getFloatBlue());
    };
    float text = 0.0f;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            text = juce::jmax (text, luminance (rgbAt (image, x, y)));
    const float background = luminance (rgbAt (image, 2, 2));
    EXPECT_GT ((text + 0.05f) / (background + 0.05f), 4.5f);
}

// A 100 x 30 toggle button: its tick box is a 15.4 square at (4, 7.3), so the disc (0.8 of it) has its
// centre at (11.7, 15) and a radius of 6.16; a tick adds a dark ring to 2.77 and a teal dot to 2.46 from the centre.
TEST (VLookAndFeel, ATabTextColourSetOnTheBarOrInTheLookIsDrawnAsItIs)
{
    for (bool onTheBar : { true, false })
    {
        VLookAndFeel look;
        juce::TabbedButtonBar bar (juce::TabbedButtonBar::TabsAtTop);
        bar.setLookAndFeel (&look);
        bar.setBounds (0, 0, 240, 30);
        bar.addTab ("front", juce::Colours::white, 0);
        bar.addTab ("HHHH", juce::Colours::white, 1);
        if (onTheBar)
            bar.setColour (juce::TabbedButtonBar::tabTextColourId, juce::Colours::red);
        else
            look.setColour (juce::TabbedButtonBar::tabTextColourId, juce::Colours::red);
        auto& tab = *bar.getTabButton (1); // not the front tab: 0.8 of the computed colour's alpha
        const auto image = paint (tab.getWidth(), tab.getHeight(), [&] (auto& g) { look.drawTabButton (tab, g, false, false); });
        bar.setLookAndFeel (nullptr);

        // The stems of the H are the colour itself, not a blend with the tab's grey.
        EXPECT_FALSE (inkColumns (image, [] (juce::Colour c) { return c == juce::Colours::red; }).empty()) << onTheBar;
    }
}

TEST (VLookAndFeel, ATableHeaderWritesItsTextFromFourAsWideAsTheTextSpace)
{
    // Right edge = width - 8: the name is cut exactly where text drawn in (4, 0, width - 8, height) is.
    auto& look = *VLookAndFeel::sharedInstance();
    juce::TableHeaderComponent header;
    const juce::String name ("Follower column");
    for (int width = 40; width <= 140; width += 2)
    {
        const auto column = paint (width, 24, [&] (auto& g) { look.drawTableHeaderColumn (g, header, name, 1, width, 24, false, false, 0); });
        const auto expected = paint (width, 24, [&] (auto& g)
        { VLookAndFeel::drawText (g, name, juce::Colours::black, 12.0f, { 4.0f, 0.0f, (float) width - 8.0f, 24.0f }, juce::Justification::centredLeft, true); });
        bool same = true;
        for (int y = 0; y < 24 && same; ++y)
            for (int x = 0; x < width && same; ++x)
                same = column.getPixelAt (x, y) == expected.getPixelAt (x, y);
        EXPECT_TRUE (same) << width;
    }
}

TEST (VLookAndFeel, AToggleButtonDrawsARoundTickBoxAndItsTextBesideIt)
{
    juce::ToggleButton toggle ("Link");
    toggle.setSize (100, 30);
    toggle.setColour (juce::ToggleButton::textColourId, juce::Colours::white);
    // ticked, enabled, then the centre and a point 3.5 out
    for (auto [ticked, enabled, centre, disc] : { std::tuple { false, true, box, box }, { true, true, teal, box }, { true, false, teal, box.darker (0.2f) },
                                                  { false, false, box.darker (0.2f), box.darker (0.2f) } })
    {
        toggle.setToggleState (ticked, juce::dontSendNotification);
        toggle.setEnabled (enabled);
        const auto image = paintWithLook (toggle);
        EXPECT_TRUE (rgbAt (image, 11, 14) == centre && rgbAt (image, 11, 18) == disc && image.getPixelAt (4, 14).getAlpha() == 0) << ticked << enabled;
        const auto text = inkColumns (image, inkOf (enabled ? juce::Colours::white : juce::Colours::white.darker (0.4f), 254));
        EXPECT_TRUE (text.first >= 23 && text.first <= 25) << text.first;
    }
}

// gettext's order: LANGUAGE unless the locale is C or POSIX, then LC_ALL, LC_MESSAGES, LANG.
TEST (VLookAndFeel, ChineseUsersGetTheCjkFontAtEachTextsOwnHeight)
{
    juce::TextButton button ("b");
    juce::ComboBox combo;
    // locale variables, then whether the user is Chinese
    const std::pair<std::vector<const char*>, bool> cases[] = {
        { { "LC_ALL", "zh_CN.UTF-8", "LANG", "en_GB.UTF-8" }, true }, { { "LC_ALL", "ZH_tw" }, true }, { { "LANGUAGE", "zh_CN:en", "LANG", "en_GB.UTF-8" }, true },
        { { "LC_MESSAGES", "zh_CN.UTF-8", "LANG", "en_US.UTF-8" }, true }, { { "LANGUAGE", "zh_CN", "LC_ALL", "POSIX" }, false },
        { { "LC_ALL", "fr_FR.UTF-8", "LANG", "zh_CN.UTF-8" }, false }, { { "LC_ALL", "zhx_CN.UTF-8" }, false } };
    for (auto& [variables, chinese] : cases)
    {
        useLocale (variables);
        const auto typeface = chinese ? look().cjkFont.getTypefaceName() : juce::Font().getTypefaceName();
        // the font, then its height for a Chinese and for another user
        for (auto [font, zhHeight, height] : { std::tuple { look().getTextButtonFont (button, 30), 16.0f, 14.0f }, { look().getComboBoxFont (combo), 16.0f, 14.0f },
                                               { look().getPopupMenuFont(), 17.0f, 15.0f }, { VLabel ("", "").getFont(), 17.0f, 14.0f } })
            EXPECT_TRUE (font.getTypefaceName() == typeface && font.getHeight() == (chinese ? zhHeight : height)) << variables[1] << " " << font.toString();
    }
    useLocale ({ "LANG", "en_US.UTF-8" });
}

TEST (VLookAndFeel, AComboBoxPlacesItsTextAndDrawsItsArrow)
{
    juce::ComboBox combo;
    combo.setLookAndFeel (&look());
    for (auto [size, text] : { std::pair { juce::Point<int> (180, 24), juce::Rectangle<int> (10, 2, 152, 19) }, { { 90, 30 }, { 11, 8, 61, 15 } } })
        EXPECT_EQ ((combo.setSize (size.x, size.y), combo.getChildComponent (0)->getBounds()), text);
    const auto drawn = [&] { return paint (90, 30, [&] (auto& g) { look().drawComboBox (g, 90, 30, false, 0, 0, 0, 0, combo); }); };
    // point, then its colour: the outline, the field, inside the down arrow and below its tip
    for (auto [x, y, colour] : { std::tuple { 0, 10, juce::Colour (41, 43, 47) }, { 5, 10, field }, { 77, 13, juce::Colour (100, 104, 110) }, { 77, 20, field } })
        EXPECT_EQ (rgbAt (drawn(), x, y), colour) << x << " " << y;
    combo.setEnabled (false);
    EXPECT_EQ (rgbAt (drawn(), 77, 13), juce::Colour (46, 49, 54));
    combo.setLookAndFeel (nullptr);
}

// A track name in every text that the look draws itself, each in a font with Latin glyphs only.
TEST (VLookAndFeel, AChineseTrackNameShowsEveryGlyph)
{
    const auto name = mixedName();
    juce::ComboBox combo;
    combo.addItem (name, 2);
    combo.setSelectedId (2, juce::dontSendNotification);
    combo.setSize (180, 24);
    juce::PopupMenu::Item item (name);
    item.itemID = 2;
    juce::TextButton button (name);
    button.setColour (juce::TextButton::buttonColourId, field);
    button.setSize (160, 30);
    // what, the look's font height there, the painting and the text's area inside the outlines
    using Painter = std::function<void (juce::Graphics&)>;
    const std::tuple<const char*, float, Painter, juce::Rectangle<int>> roads[] {
        { "combo box", 14.0f, [&] (auto& g) { g.drawImageAt (paintWithLook (combo), 0, 0); }, { 10, 2, 152, 19 } },
        { "its popup item", 15.0f, [&] (auto& g) { look().drawPopupMenuItemWithOptions (g, { 0, 0, 200, 24 }, false, item, {}); }, { 2, 2, 196, 20 } },
        { "button", 14.0f, [&] (auto& g) { g.drawImageAt (paintWithLook (button), 0, 0); }, { 0, 0, 160, 30 } },
        { "tooltip", 13.0f, [&] (auto& g) { look().drawTooltip (g, name, 200, 30); }, { 0, 0, 200, 30 } },
        { "nothing but the toolkit (missing-glyph boxes)", -14.0f, [&] (auto& g) { g.setColour (juce::Colours::white), g.setFont (14.0f), g.drawText (name, 10, 0, 190, 30, juce::Justification::centredLeft, false); }, { 0, 0, 200, 30 } },
    };
    for (auto& [what, height, painter, area] : roads)
    {
        const auto& paintRoad = painter;
        const auto image = paint (200, 30, [&] (juce::Graphics& g) { g.fillAll (field); paintRoad (g); });
        EXPECT_EQ ((bool) showsEveryGlyph (image, area, std::abs (height), field), height > 0) << what;
    }
}

namespace
{
const juce::Colour outerDisc (54, 55, 58), middleDisc (32, 34, 37), innerDisc (37, 39, 42), trackRing (62, 67, 84), tickGrey (151, 151, 151), unfilled (30, 32, 34);
constexpr float startAngle = 3.9898229f, endAngle = 8.5765486f, left = 1.5f * juce::MathConstants<float>::pi, right = 0.5f * juce::MathConstants<float>::pi,
                down = juce::MathConstants<float>::pi;

// A 48 x 48 knob (ring band 20.3..24, middle disc down to 16.6, pointer 10.8..17.04): the colour at a distance from the centre (24, 24) at an angle clockwise from twelve o'clock.
juce::Colour knobAt (juce::Slider& slider, float proportion, float clockwise, float distance, VLookAndFeel& lf = look())
{
    const auto image = paint (48, 48, [&] (auto& g) { lf.drawRotarySlider (g, 0, 0, 48, 48, proportion, startAngle, endAngle, slider); });
    return rgbAt (image, (int) std::floor (24.0f + distance * std::sin (clockwise)), (int) std::floor (24.0f - distance * std::cos (clockwise)));
}
} // namespace

TEST (VLookAndFeelSlider, AKnobDrawsItsDiscsTheValueRingAndThePointer)
{
    VSlider slider, red, disabled;
    red.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
    disabled.setEnabled (false);
    VLookAndFeel redLook; // the fill colour comes from the slider only, never from the look
    redLook.setColour (juce::Slider::rotarySliderFillColourId, juce::Colours::red);
    // knob, value, angle, distance from the centre, then the colour there
    const std::tuple<juce::Slider*, float, float, float, juce::Colour> points[] = {
        { &slider, 0.5f, left, 22.0f, teal }, // the value ring from the start angle to the top
        { &slider, 0.5f, right, 22.0f, outerDisc }, { &slider, 0.5f, down, 22.0f, trackRing }, // not reached yet; the gap below
        { &slider, 0.5f, right, 18.5f, middleDisc }, { &slider, 0.5f, left, 18.5f, middleDisc }, { &slider, 0.5f, down, 8.0f, innerDisc },
        { &slider, 0.5f, 0.0f, 14.0f, teal }, { &slider, 0.5f, 0.0f, 20.0f, middleDisc }, // the pointer straight up, short of the ring
        { &slider, 0.0f, startAngle, 14.0f, teal }, { &slider, 1.2f, down, 14.0f, innerDisc }, // no pointer overshooting into the gap
        { &red, 0.5f, 0.0f, 14.0f, juce::Colours::red }, { &disabled, 0.5f, right, 22.0f, outerDisc.darker (0.4f) },
        { &disabled, 0.5f, left, 22.0f, teal.darker (0.6f) }, { &disabled, 0.5f, down, 8.0f, innerDisc.darker (0.2f) },
    };
    for (auto [knob, value, angle, distance, colour] : points)
        EXPECT_EQ (knobAt (*knob, value, angle, distance), colour) << value << " " << angle << " " << distance;
    EXPECT_EQ (knobAt (slider, 0.5f, left, 22.0f, redLook), teal);
}

TEST (VLookAndFeelSlider, ALinearTrackFillsToTheValueUnderATickScaleWithTheThumbThere)
{
    VSlider slider;
    slider.setRange (0.0, 1.0);
    // The columns (or rows) in a colour along one line of the track's picture, as the range from a to b in steps of c.
    const auto where = [&] (juce::Slider& s, bool horizontal, int line, juce::Colour colour)
    {
        const auto image = paint (110, 110, [&] (auto& g) { look().drawLinearSliderBackground (g, 0, 0, horizontal ? 100 : 20, horizontal ? 20 : 100, 0, 0, 0,
                                                                                              horizontal ? juce::Slider::LinearHorizontal : juce::Slider::LinearVertical, s); });
        std::set<int> found;
        for (int i = 0; i < 110; ++i)
            if (rgbAt (image, horizontal ? i : line, horizontal ? line : i) == colour)
                found.insert (i);
        return found;
    };
    const auto steps = [] (int from, int to, int step) { std::set<int> s; for (int v = from; v <= to; v += step) s.insert (v); return s; };
    // Rows 4 and 5 cross all 51 ticks (minor ones run from y 4 to 15), row 1 only the 11 full-height ones.
    slider.setValue (0.5);
    EXPECT_EQ (where (slider, true, 5, teal), steps (0, 50, 2));
    EXPECT_EQ (where (slider, true, 4, tickGrey), steps (52, 100, 2));
    EXPECT_EQ (where (slider, true, 1, tickGrey), steps (60, 100, 10));
    EXPECT_EQ (where (slider, true, 10, teal), steps (0, 49, 1));
    EXPECT_EQ (where (slider, true, 10, unfilled), steps (50, 99, 1));
    const auto thumb = paint (100, 20, [&] (auto& g) { look().drawLinearSlider (g, 0, 0, 100, 20, 0, 0, 0, juce::Slider::LinearHorizontal, slider); });
    EXPECT_TRUE (rgbAt (thumb, 46, 10) == juce::Colours::white && rgbAt (thumb, 53, 10) == juce::Colours::white && rgbAt (thumb, 56, 10) != juce::Colours::white);
    slider.setValue (0.3); // upwards from the bottom when vertical
    EXPECT_TRUE (where (slider, false, 5, tickGrey) == steps (0, 68, 2) && where (slider, false, 10, teal).count (85) == 1);
    slider.showScale = false;
    juce::Slider plain;
    EXPECT_TRUE (where (slider, true, 5, tickGrey).empty() && where (plain, true, 5, tickGrey).empty()) << "no scale";
}

// The block sits about centred, shifted right by a 32nd of the width, in the first font height down from 11 at
// which, so shifted, it ends inside the outline; the value in the label's colour and the unit after it in grey.
TEST (VDerivedLooks, AKnobValueIsDrawnInTheLabelColourThenItsUnitInGrey)
{
    const auto valueBox = [] (const juce::String& text, int width, bool enabled = true)
    {
        juce::Label label ("value", text);
        label.setSize (width, 13);
        label.setEnabled (enabled);
        for (auto [id, colour] : { std::pair { juce::Label::textColourId, teal }, { juce::Label::backgroundColourId, juce::Colours::transparentBlack }, { juce::Label::outlineColourId, juce::Colours::red } })
            label.setColour (id, colour);
        return paint (width, 13, [&] (auto& g) { VKnobLabelLookAndFeel::sharedInstance()->drawLabel (g, label); }).getClippedImage ({ 1, 1, width - 2, 11 });
    };
    const int tight = (int) std::ceil (juce::Font (11.0f).getStringWidthFloat ("-1234.56 dB")) - 1;
    for (auto [text, width, height] : { std::tuple { "12.5 dB", 60, 11.0f }, { "-12.00 dB", 48, 10.0f }, { "-1234.56 dB", tight, 9.0f } })
    {
        const auto textWidth = juce::Font (height).getStringWidthFloat (text);
        const auto x = (int) std::lrint ((float) width * 0.5f - textWidth * 0.5f + (float) width / 32.0f) - 1; // the image starts one pixel in
        const auto value = inkColumns (valueBox (text, width), inkOf (teal)), unit = inkColumns (valueBox (text, width), inkOf (grey));
        EXPECT_TRUE (value.last < unit.first && std::abs (value.first - x) <= 2 && std::abs ((float) unit.last - (float) x - textWidth) <= 3.0f)
            << text << ": value " << value.first << ".." << value.last << ", unit " << unit.first << ".." << unit.last << ", expected from " << x;
    }
    const auto inkWidth = [&] (const char* text) { const auto span = inkColumns (valueBox (text, 60)); return span.last - span.first; };
    EXPECT_EQ (inkWidth ("1 2 3"), inkWidth ("1 2")) << "only the first two tokens";
    EXPECT_TRUE (inkColumns (valueBox ("1", 60), inkOf (grey)).empty());
    EXPECT_TRUE (inkColumns (valueBox ("3.0 dB", 60, false), [] (juce::Colour c) { return c.getAlpha() > 129; }).empty()) << "disabled: all at half alpha";
    EXPECT_EQ (valueBox (juce::String::repeatedString ("8", 500) + " dB", 8).getWidth(), 6) << "a text that never fits ends the fitting";
}

TEST (VDerivedLooks, ANumberBoxShowsTheValueWithTheIntervalsDecimalsAndItsSuffixAtTheRight)
{
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::TextBoxBelow);
    slider.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);
    slider.setColour (juce::Label::textColourId, teal);
    const auto drawn = [&] (double interval, double value)
    {
        slider.setRange (0.0, 1000.0, interval);
        slider.setValue (value);
        return paint (80, 20, [&] (auto& g) { VNumberSliderLookAndFeel::sharedInstance()->drawLinearSlider (g, 0, 0, 80, 20, 0, 0, 0, juce::Slider::LinearVertical, slider); });
    };
    // interval, value, then the text shown: nothing but the text
    for (auto [interval, value, shown] : { std::tuple { 0.01, 1.5, "1.50" }, { 0.1, 12.5, "12.5" }, { 10.0, 250.0, "250" }, { 0.0, 3.0, "3" } })
    {
        const juce::String expected (shown);
        const auto text = paint (80, 20, [&] (auto& g) { g.setFont (13.0f), g.setColour (teal), g.drawFittedText (expected, 0, 0, 80, 20, juce::Justification::centred, 1, 0.0f); });
        EXPECT_TRUE (sameArea (drawn (interval, value), text, { 0, 0, 80, 20 })) << shown;
    }
    // The suffix ends one blank before the right edge; the value is centred in the room left of it.
    slider.setTextValueSuffix (" ms");
    const juce::Font font (13.0f);
    const auto suffix = inkColumns (drawn (1.0, 20.0), inkOf (grey)), value = inkColumns (drawn (1.0, 20.0), inkOf (teal));
    EXPECT_TRUE (suffix.last <= 80 - font.getStringWidth (" ") && suffix.last >= 80 - font.getStringWidth (" ") - 3) << suffix.last;
    EXPECT_NEAR ((double) (value.first + value.last + 1) * 0.5, (80.0 - (double) font.getStringWidth (" ms")) * 0.5, 2.0);
    slider.setEnabled (false);
    EXPECT_TRUE (inkColumns (drawn (1.0, 20.0), inkOf (teal, 129)).empty()) << "dimmed";
}
