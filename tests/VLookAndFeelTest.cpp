#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tests/LooksTestSupport.h"
#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VNumberSliderLookAndFeel.h"

using zolooks::inkColumns;
using zolooks::paintImage;
using zolooks::rgbAt;
using zolooks::sameImage;

namespace
{
// The editor builds the base look before any knob or number box builds its
// own; every test process does the same, whatever test it runs first.
class LooksEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { VLookAndFeel::sharedInstance(); }
};

[[maybe_unused]] auto* const looksEnvironment = ::testing::AddGlobalTestEnvironment (new LooksEnvironment);

VLookAndFeel& look() { return *VLookAndFeel::sharedInstance(); }

const juce::Colour teal (25, 147, 169), field (35, 37, 39), box (39, 42, 44), darkRing (36, 13, 0);

juce::Image paintComponent (juce::Component& c)
{
    c.setLookAndFeel (&look());
    const auto image = paintImage (c.getWidth(), c.getHeight(), [&] (juce::Graphics& g) { c.paintEntireComponent (g, false); });
    c.setLookAndFeel (nullptr);
    return image;
}
} // namespace

TEST (VLookAndFeel, TextDropsCharactersFromTheEndUntilItFits)
{
    const juce::Font font (20.0f);
    const auto drawn = [&] (const char* text, float width)
    {
        return paintImage (160, 30, [&] (juce::Graphics& g)
        {
            VLookAndFeel::drawText (g, text, juce::Colours::white, font, { 0, 0, width, 30 }, juce::Justification::centredLeft);
        });
    };
    const float area = (font.getStringWidthFloat ("ABC") + font.getStringWidthFloat ("ABCD")) * 0.5f;
    EXPECT_TRUE (sameImage (drawn ("ABCDEF", area), drawn ("ABC", 160.0f)));
    EXPECT_TRUE (sameImage (drawn ("WW", 3.0f), drawn ("W", 160.0f))) << "never below one character";
    EXPECT_TRUE (inkColumns (drawn ("W", 3.0f)).empty()) << "which is not shortened";
}

TEST (VLookAndFeel, ALabelShrinksItsFontToFitAndADisabledOneFades)
{
    juce::Label label ("label", "Shrinking text");
    label.setFont (juce::Font (20.0f));
    label.setSize (80, 30);
    label.setColour (juce::Label::textColourId, juce::Colours::white);
    label.setColour (juce::Label::outlineColourId, juce::Colours::red);

    // The first height down from 20 in steps of one at which the text fits.
    float expected = 20.0f;
    while (juce::Font (expected).getStringWidthFloat (label.getText()) > 80.0f)
        expected -= 1.0f;
    const auto text = paintImage (80, 30, [&] (juce::Graphics& g)
    {
        VLookAndFeel::drawText (g, label.getText(), juce::Colours::white, juce::Font (expected), { 0, 0, 80, 30 }, label.getJustificationType());
    });
    EXPECT_TRUE (sameImage (paintComponent (label).getClippedImage ({ 1, 1, 78, 28 }), text.getClippedImage ({ 1, 1, 78, 28 })));
    EXPECT_EQ (paintComponent (label).getPixelAt (0, 10), juce::Colours::red);

    label.setEnabled (false);
    EXPECT_NEAR (paintComponent (label).getPixelAt (0, 10).getAlpha(), 128, 2);
    label.setText (juce::String::repeatedString ("W", 300), juce::dontSendNotification);
    EXPECT_FALSE (inkColumns (paintComponent (label)).empty()) << "a text that never fits still draws";
}

TEST (VLookAndFeel, AButtonContrastsOnHoverAndPressExceptAWindowButton)
{
    juce::TextButton button ("plain");
    button.setSize (40, 20);
    const juce::Colour base (100, 100, 100);
    const auto fill = [&] (bool over, bool down)
    {
        return paintImage (40, 20, [&] (juce::Graphics& g) { look().drawButtonBackground (g, button, base, over, down); }).getPixelAt (20, 10);
    };

    // toggled, over, down, then the contrast
    const std::tuple<bool, bool, bool, float> cases[] = { { false, false, false, 0.0f }, { false, true, false, 0.1f },
                                                          { false, true, true, 0.2f },   { true, true, false, 0.2f },
                                                          { true, false, true, 0.3f } };
    for (auto [on, over, down, amount] : cases)
    {
        button.setToggleState (on, juce::dontSendNotification);
        EXPECT_EQ (fill (over, down), base.contrasting (amount)) << on << over << down;
    }
    button.setName ("WindowButton");
    EXPECT_EQ (fill (true, true), base);
    button.setEnabled (false);
    EXPECT_NEAR (fill (false, false).getAlpha(), 128, 1);
}

// A 100 x 30 toggle button: its tick box is a 15.4 square at (4, 7.3), so the
// disc (0.8 of it) has its centre at (11.7, 15) and a radius of 6.16; a tick
// adds a dark ring to 2.77 and a teal dot to 2.46 from the centre.
TEST (VLookAndFeel, AToggleButtonDrawsARoundTickBoxAndItsTextBesideIt)
{
    zolooks::ScopedLocale english ({ "LANG", "en_US.UTF-8" });
    juce::ToggleButton toggle ("Link");
    toggle.setSize (100, 30);
    toggle.setColour (juce::ToggleButton::textColourId, juce::Colours::white);

    // ticked, enabled, then the centre, a point 3.5 out and one just outside the disc
    const std::tuple<bool, bool, juce::Colour, juce::Colour> cases[] = { { false, true, box, box }, { true, true, teal, box },
                                                                         { true, false, teal, box.darker (0.2f) },
                                                                         { false, false, box.darker (0.2f), box.darker (0.2f) } };
    for (auto [ticked, enabled, centre, disc] : cases)
    {
        toggle.setToggleState (ticked, juce::dontSendNotification);
        toggle.setEnabled (enabled);
        const auto image = paintComponent (toggle);
        EXPECT_EQ (rgbAt (image, 11, 14), centre) << ticked << enabled;
        EXPECT_EQ (rgbAt (image, 11, 18), disc) << ticked << enabled;
        EXPECT_EQ (image.getPixelAt (4, 14).getAlpha(), 0) << ticked << enabled;

        const auto text = inkColumns (image, [&] (juce::Colour c) { return c.getAlpha() > 200 && c.getRed() > 100; });
        EXPECT_GE (text.first, 23);
        EXPECT_LE (text.first, 25);
        int brightest = 0;
        for (int x = 20; x < 100; ++x)
            for (int y = 0; y < 30; ++y)
                if (image.getPixelAt (x, y).getAlpha() == 255)
                    brightest = juce::jmax (brightest, (int) image.getPixelAt (x, y).getRed());
        EXPECT_NEAR (brightest, (enabled ? juce::Colours::white : juce::Colours::white.darker (0.4f)).getRed(), 2) << enabled;
    }
}

TEST (VLookAndFeel, AProgressBarFillsItsShareInsideAOnePixelMargin)
{
    double progress = 0.0;
    juce::ProgressBar bar (progress);
    bar.setSize (102, 20);
    bar.setLookAndFeel (&look());
    // progress, then the last filled column
    for (auto [value, lastFilled] : { std::pair { 0.5, 50 }, std::pair { 0.25, 25 }, std::pair { -1.0, 100 }, std::pair { 1.5, 100 } })
    {
        const auto image = paintImage (102, 20, [&] (juce::Graphics& g) { look().drawProgressBar (g, bar, 102, 20, value, {}); });
        EXPECT_EQ (rgbAt (image, 0, 10), field) << value;
        EXPECT_EQ (rgbAt (image, 1, 1), teal) << value;
        EXPECT_EQ (rgbAt (image, lastFilled, 18), teal) << value;
        EXPECT_EQ (rgbAt (image, lastFilled + 1, 10), field) << value;
    }
    bar.setLookAndFeel (nullptr);
}

TEST (VLookAndFeel, ChineseUsersGetTheCjkFontAtItsOwnHeight)
{
    juce::TextButton button ("b");
    juce::ComboBox combo;
    const auto fonts = [&] { return std::vector<juce::Font> { look().getTextButtonFont (button, 30), look().getComboBoxFont (combo), look().getPopupMenuFont() }; };
    // language, typeface, then the heights of the three fonts
    const std::tuple<const char*, juce::String, float, float> cases[] = { { "zh_CN.UTF-8", "Noto Sans CJK SC", 16.0f, 17.0f },
                                                                          { "en_US.UTF-8", juce::Font().getTypefaceName(), 14.0f, 15.0f } };
    for (auto [lang, typeface, height, menuHeight] : cases)
    {
        zolooks::ScopedLocale locale ({ "LANG", lang });
        for (auto& font : fonts())
            EXPECT_EQ (font.getTypefaceName(), typeface) << lang;
        EXPECT_EQ (fonts()[0].getHeight(), height) << lang;
        EXPECT_EQ (fonts()[1].getHeight(), height) << lang;
        EXPECT_EQ (fonts()[2].getHeight(), menuHeight) << lang;
    }
}

TEST (VLookAndFeel, AComboBoxPlacesItsTextAndDrawsItsArrow)
{
    zolooks::ScopedLocale locale ({ "LANG", "en_US.UTF-8" });
    juce::ComboBox combo;
    combo.setLookAndFeel (&look());
    auto* text = dynamic_cast<juce::Label*> (combo.getChildComponent (0));
    ASSERT_NE (text, nullptr);
    combo.setSize (180, 24);
    EXPECT_EQ (text->getBounds(), juce::Rectangle<int> (10, 2, 152, 19));
    combo.setSize (90, 30);
    EXPECT_EQ (text->getBounds(), juce::Rectangle<int> (11, 8, 61, 15));

    const auto paint = [&combo] { return paintImage (90, 30, [&] (juce::Graphics& g) { look().drawComboBox (g, 90, 30, false, 0, 0, 0, 0, combo); }); };
    const auto image = paint();
    EXPECT_EQ (rgbAt (image, 0, 10), juce::Colour (41, 43, 47));    // outline
    EXPECT_EQ (rgbAt (image, 5, 10), field);
    EXPECT_EQ (rgbAt (image, 77, 13), juce::Colour (100, 104, 110)); // inside the down arrow
    EXPECT_EQ (rgbAt (image, 77, 20), field);                        // below its tip
    combo.setEnabled (false);
    EXPECT_EQ (rgbAt (paint(), 77, 13), juce::Colour (46, 49, 54));
    combo.setLookAndFeel (nullptr);
}

TEST (VLookAndFeel, PopupMenuItems)
{
    zolooks::ScopedLocale locale ({ "LANG", "en_US.UTF-8" });
    const auto size = [] (const juce::String& text, bool separator)
    {
        int w = 0, h = 0;
        look().getIdealPopupMenuItemSizeWithOptions (text, separator, 0, w, h, juce::PopupMenu::Options());
        return juce::Point<int> (w, h);
    };
    EXPECT_EQ (size ("Same", false), juce::Point<int> (180, 21));
    EXPECT_EQ (size ({}, true), juce::Point<int> (180, 1));

    const auto paint = [] (const juce::String& text, bool highlighted, bool ticked = false, bool enabled = true)
    {
        juce::PopupMenu::Item item (text);
        item.itemID = 1;
        item.isTicked = ticked;
        item.isEnabled = enabled;
        return paintImage (200, 24, [&] (juce::Graphics& g) { look().drawPopupMenuItemWithOptions (g, { 0, 0, 200, 24 }, highlighted, item, {}); });
    };
    const auto highlighted = paint ("Half (0.5x)", true);
    EXPECT_EQ (highlighted.getPixelAt (0, 0).getAlpha(), 0) << "inside a one-pixel border";
    EXPECT_EQ (highlighted.getPixelAt (1, 1), teal);
    EXPECT_EQ (highlighted.getPixelAt (198, 22), teal);

    // The tick sits in the 17-pixel icon column after the border, the text after
    // it, and as wide a margin stays free on the right.
    EXPECT_FALSE (inkColumns (paint ("Beat", false, true).getClippedImage ({ 1, 0, 17, 24 })).empty());
    EXPECT_TRUE (inkColumns (paint ("Beat", false).getClippedImage ({ 1, 0, 17, 24 })).empty());
    EXPECT_GE (inkColumns (paint ("Beat", false)).first, 18);
    EXPECT_LE (inkColumns (paint (juce::String::repeatedString ("Long ", 20), false)).last, 199 - 17);

    const auto disabled = paint ("Reverse (-x)", false, false, false);
    EXPECT_TRUE (inkColumns (disabled, [] (juce::Colour c) { return c.getAlpha() > 77; }).empty());
    EXPECT_FALSE (inkColumns (disabled).empty());
}

TEST (VLookAndFeel, WindowButtonsLineUpInTheTitleBar)
{
    juce::DocumentWindow window ("w", juce::Colours::black, 0, false);
    juce::TextButton minimise, maximise, close;
    look().positionDocumentWindowButtons (window, 0, 0, 300, 30, &minimise, &maximise, &close, false);
    EXPECT_EQ (close.getBounds(), juce::Rectangle<int> (274, 3, 21, 23));
    EXPECT_EQ (minimise.getBounds(), juce::Rectangle<int> (232, 3, 21, 23));
    look().positionDocumentWindowButtons (window, 10, 0, 300, 30, &minimise, nullptr, &close, true);
    EXPECT_EQ (close.getBounds(), juce::Rectangle<int> (14, 3, 21, 23));
    EXPECT_EQ (minimise.getBounds(), juce::Rectangle<int> (35, 3, 21, 23));
}

TEST (VLookAndFeel, IconButtonsNeedTheNormalAndHoverImages)
{
    // Only the files go afterwards: another test process may be writing into the folder.
    const auto folder = juce::File (look().resourcesFolder).getChildFile ("icons");
    folder.createDirectory();
    juce::StringArray names { "zotest_half_normal.svg", "zotest_two_normal.svg", "zotest_two_hover.svg", "close_normal.svg", "close_hover.svg" };
    for (auto& name : names)
        folder.getChildFile (name).replaceWithText ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                                                    "<rect width=\"10\" height=\"10\" fill=\"#9a9ca1\"/></svg>");
    const juce::ScopeGuard removeIcons { [&] { for (auto& name : names) folder.getChildFile (name).deleteFile(); } };

    EXPECT_EQ (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_half"), nullptr);
    std::unique_ptr<juce::DrawableButton> button (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_two"));
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getDownImage(), button->getOverImage()) << "no pressed image of its own";

    std::unique_ptr<juce::Button> closeButton (look().createDocumentWindowButton (juce::DocumentWindow::closeButton));
    ASSERT_NE (closeButton, nullptr);
    EXPECT_EQ (closeButton->getName(), "WindowButton");
    EXPECT_EQ (std::unique_ptr<juce::Button> (look().createDocumentWindowButton (juce::DocumentWindow::minimiseButton)), nullptr);
}
