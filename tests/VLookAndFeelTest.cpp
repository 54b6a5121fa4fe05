#include <gtest/gtest.h>

#include <utility>
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
} // namespace

TEST (VLookAndFeel, ColourTable)
{
    using namespace juce;
    const std::vector<std::pair<std::vector<int>, Colour>> table {
        { { ComboBox::backgroundColourId, TextEditor::backgroundColourId, 0x1004100, ListBox::backgroundColourId,
            ProgressBar::backgroundColourId }, { 35, 37, 39 } },
        { { ComboBox::textColourId, TextEditor::textColourId, TextEditor::highlightColourId, ToggleButton::textColourId,
            TooltipWindow::textColourId, AlertWindow::textColourId, ListBox::textColourId }, { 154, 156, 161 } },
        { { ComboBox::outlineColourId, TextEditor::outlineColourId, TooltipWindow::outlineColourId }, { 41, 43, 47 } },
        { { PopupMenu::backgroundColourId, TooltipWindow::backgroundColourId, AlertWindow::backgroundColourId }, { 45, 47, 51 } },
        { { CaretComponent::caretColourId, PopupMenu::highlightedBackgroundColourId, ProgressBar::foregroundColourId }, { 25, 147, 169 } },
        { { TextButton::textColourOnId, TextButton::textColourOffId, PopupMenu::highlightedTextColourId }, { 255, 255, 255 } },
        { { ComboBox::buttonColourId }, { 30, 32, 35 } },
        { { ComboBox::arrowColourId }, { 100, 104, 110 } },
        { { Toolbar::backgroundColourId }, { 51, 54, 58 } },
        { { Toolbar::buttonMouseOverBackgroundColourId }, { 30, 170, 50 } },
        { { Toolbar::buttonMouseDownBackgroundColourId }, { 24, 136, 40 } },
        { { Toolbar::separatorColourId }, { 186, 186, 186 } },
        { { TextEditor::focusedOutlineColourId }, { 34, 66, 75 } },
        { { TextEditor::highlightedTextColourId }, { 39, 42, 44 } },
        { { PopupMenu::textColourId }, { 221, 221, 221 } },
        { { PopupMenu::headerTextColourId }, { 13, 102, 116 } },
    };

    for (VLookAndFeel* lf : { &look(), (VLookAndFeel*) VKnobLabelLookAndFeel::sharedInstance(),
                              (VLookAndFeel*) VNumberSliderLookAndFeel::sharedInstance() })
        for (auto& [ids, colour] : table)
            for (auto id : ids)
                EXPECT_EQ (lf->findColour (id), colour) << std::hex << "colour id 0x" << id;
}

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
    EXPECT_FALSE (sameImage (drawn ("ABCDEF", area), drawn ("AB", 160.0f)));
    EXPECT_TRUE (sameImage (drawn ("WW", 3.0f), drawn ("W", 160.0f)));  // never below one character
    EXPECT_TRUE (inkColumns (drawn ("W", 3.0f)).empty());               // which is not shortened
}

TEST (VLookAndFeel, LabelShrinksItsFontToFitAndADisabledOneFades)
{
    juce::Label label ("label", "Shrinking text");
    label.setFont (juce::Font (20.0f));
    label.setSize (80, 30);
    label.setColour (juce::Label::textColourId, juce::Colours::white);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
    label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    const auto paint = [&label] { return paintImage (label.getWidth(), label.getHeight(), [&] (juce::Graphics& g) { look().drawLabel (g, label); }); };

    float expected = 20.0f;
    while (juce::Font (expected).getStringWidthFloat (label.getText()) > 80.0f)
        expected -= 1.0f;
    ASSERT_LT (expected, 20.0f);
    EXPECT_TRUE (sameImage (paint(), paintImage (80, 30, [&] (juce::Graphics& g)
    {
        VLookAndFeel::drawText (g, label.getText(), juce::Colours::white, juce::Font (expected), { 0, 0, 80, 30 },
                                label.getJustificationType());
    })));

    // A text that never fits still ends the shrinking and draws.
    label.setText (juce::String::repeatedString ("W", 300), juce::dontSendNotification);
    label.setSize (10, 20);
    EXPECT_FALSE (inkColumns (paint()).empty());

    label.setText ("x", juce::dontSendNotification);
    label.setSize (40, 20);
    label.setColour (juce::Label::outlineColourId, juce::Colours::red);
    EXPECT_EQ (paint().getPixelAt (0, 10), juce::Colours::red);
    label.setEnabled (false);
    EXPECT_NEAR (paint().getPixelAt (0, 10).getAlpha(), 128, 2);
}

TEST (VLookAndFeel, ButtonContrastsOnHoverAndPressExceptWindowButtons)
{
    juce::TextButton button ("plain");
    button.setSize (40, 20);
    const juce::Colour base (100, 100, 100);
    const auto fill = [&] (bool over, bool down)
    {
        return paintImage (40, 20, [&] (juce::Graphics& g) { look().drawButtonBackground (g, button, base, over, down); })
            .getPixelAt (20, 10);
    };

    EXPECT_EQ (fill (false, false), base);
    EXPECT_EQ (fill (true, false), base.contrasting (0.1f));
    EXPECT_EQ (fill (true, true), base.contrasting (0.2f));
    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (fill (false, true), base.contrasting (0.3f));
    button.setName ("WindowButton");
    EXPECT_EQ (fill (true, true), base);
    button.setEnabled (false);
    EXPECT_NEAR (fill (false, false).getAlpha(), 128, 1);
}

TEST (VLookAndFeel, ChineseUsersGetTheCjkFontAtItsOwnHeight)
{
    juce::TextButton button ("b");
    juce::ComboBox box;
    juce::MenuBarComponent bar;
    const auto fonts = [&] { return std::vector<juce::Font> { look().getTextButtonFont (button, 30), look().getComboBoxFont (box), look().getPopupMenuFont() }; };
    {
        zolooks::ScopedLocale locale ({ "LANG", "zh_CN.UTF-8" });
        for (auto& font : fonts())
            EXPECT_EQ (font.getTypefaceName(), "Noto Sans CJK SC");
        EXPECT_EQ (fonts()[0].getHeight(), 16.0f);
        EXPECT_EQ (fonts()[1].getHeight(), 16.0f);
        EXPECT_EQ (fonts()[2].getHeight(), 17.0f);
        EXPECT_EQ (look().getMenuBarFont (bar, 0, "File").getHeight(), 16.0f);  // no translation loaded
    }
    zolooks::ScopedLocale locale ({ "LANG", "en_US.UTF-8" });
    for (auto& font : fonts())
        EXPECT_EQ (font.getTypefaceName(), juce::Font().getTypefaceName());
    EXPECT_EQ (fonts()[0].getHeight(), 14.0f);
    EXPECT_EQ (fonts()[1].getHeight(), 14.0f);
    EXPECT_EQ (fonts()[2].getHeight(), 15.0f);
}

TEST (VLookAndFeel, ComboBoxTextPlaceAndPaint)
{
    zolooks::ScopedLocale locale ({ "LANG", "en_US.UTF-8" });
    juce::ComboBox box;
    box.setLookAndFeel (&look());
    juce::Label* text = nullptr;
    for (auto* child : box.getChildren())
        if (auto* label = dynamic_cast<juce::Label*> (child))
            text = label;
    ASSERT_NE (text, nullptr);

    box.setSize (180, 24);
    EXPECT_EQ (text->getBounds(), juce::Rectangle<int> (10, 2, 152, 19));
    EXPECT_FLOAT_EQ (text->getFont().getHeight(), 14.0f);
    box.setSize (90, 30);
    EXPECT_EQ (text->getBounds(), juce::Rectangle<int> (11, 8, 61, 15));

    const auto paint = [&box] { return paintImage (90, 30, [&] (juce::Graphics& g) { look().drawComboBox (g, 90, 30, false, 0, 0, 0, 0, box); }); };
    const auto image = paint();
    EXPECT_EQ (rgbAt (image, 0, 10), juce::Colour (41, 43, 47));    // outline
    EXPECT_EQ (rgbAt (image, 5, 10), juce::Colour (35, 37, 39));    // background
    EXPECT_EQ (rgbAt (image, 77, 13), juce::Colour (100, 104, 110));  // inside the down arrow
    EXPECT_EQ (rgbAt (image, 77, 20), juce::Colour (35, 37, 39));   // below its tip
    box.setEnabled (false);
    EXPECT_EQ (rgbAt (paint(), 77, 13), juce::Colour (46, 49, 54));
    box.setLookAndFeel (nullptr);
}

TEST (VLookAndFeel, PopupMenuItemSizes)
{
    zolooks::ScopedLocale english ({ "LANG", "en_US.UTF-8" });
    const auto size = [] (const juce::String& text, bool separator, int standardHeight)
    {
        int w = 0, h = 0;
        look().getIdealPopupMenuItemSizeWithOptions (text, separator, standardHeight, w, h, juce::PopupMenu::Options());
        return juce::Point<int> (w, h);
    };

    EXPECT_EQ (size ("Same", false, 0), juce::Point<int> (180, 21));
    EXPECT_EQ (size ({}, true, 0), juce::Point<int> (180, 1));
    const juce::String longText ("A rather long popup menu entry");
    const juce::Font at20 (20.0f / 1.4f);
    EXPECT_EQ (size (longText, false, 20), juce::Point<int> (at20.getStringWidth (longText) + 40 + at20.getStringWidth ("ctrl + F10"), 20));

    zolooks::ScopedLocale chinese ({ "LANG", "zh_CN.UTF-8" });
    EXPECT_EQ (size ("Same", false, 0).y, 24);
}

TEST (VLookAndFeel, PopupMenuPainting)
{
    zolooks::ScopedLocale locale ({ "LANG", "en_US.UTF-8" });
    const auto paint = [] (const juce::PopupMenu::Item& item, bool highlighted, int height = 24)
    {
        return paintImage (200, height, [&] (juce::Graphics& g)
        {
            look().drawPopupMenuItemWithOptions (g, { 0, 0, 200, height }, highlighted, item, juce::PopupMenu::Options());
        });
    };
    const auto item = [] (const juce::String& text)
    {
        juce::PopupMenu::Item result (text);
        result.itemID = 1;
        return result;
    };

    juce::PopupMenu::Item separator;
    separator.isSeparator = true;
    const auto line = paint (separator, false, 9);
    EXPECT_EQ (line.getPixelAt (0, 4), juce::Colour (221, 221, 221).darker (0.4f));
    EXPECT_EQ (line.getPixelAt (100, 2).getAlpha(), 0);

    // The highlight fills the item inside a one-pixel border.
    const auto highlighted = paint (item ("Half (0.5x)"), true);
    EXPECT_EQ (highlighted.getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (highlighted.getPixelAt (1, 1), juce::Colour (25, 147, 169));
    EXPECT_EQ (highlighted.getPixelAt (198, 22), juce::Colour (25, 147, 169));

    // The tick sits in the 17-pixel icon column after the border, the text after it,
    // and as wide a margin stays free on the right.
    auto ticked = item ("Beat");
    ticked.isTicked = true;
    EXPECT_FALSE (inkColumns (paint (ticked, false).getClippedImage ({ 1, 0, 17, 24 })).empty());
    EXPECT_TRUE (inkColumns (paint (item ("Beat"), false).getClippedImage ({ 1, 0, 17, 24 })).empty());
    EXPECT_GE (inkColumns (paint (item ("Beat"), false)).first, 18);
    EXPECT_LE (inkColumns (paint (item (juce::String::repeatedString ("Long ", 20)), false)).last, 199 - 17);

    auto disabled = item ("Reverse (-x)");
    disabled.isEnabled = false;
    const auto faint = inkColumns (paint (disabled, false), [] (juce::Colour c) { return c.getAlpha() > 77; });
    EXPECT_TRUE (faint.empty());
    EXPECT_FALSE (inkColumns (paint (disabled, false)).empty());
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
    juce::StringArray names { "zotest_half_normal.svg", "zotest_two_normal.svg", "zotest_two_hover.svg",
                              "close_normal.svg", "close_hover.svg" };
    for (auto& name : names)
        folder.getChildFile (name).replaceWithText ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                                                    "<rect width=\"10\" height=\"10\" fill=\"#9a9ca1\"/></svg>");
    const juce::ScopeGuard removeIcons { [&] { for (auto& name : names) folder.getChildFile (name).deleteFile(); } };

    EXPECT_EQ (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_half"), nullptr);
    std::unique_ptr<juce::DrawableButton> button (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_two"));
    ASSERT_NE (button, nullptr);
    EXPECT_NE (button->getOverImage(), nullptr);
    EXPECT_EQ (button->getDownImage(), button->getOverImage());  // no pressed image of its own

    std::unique_ptr<juce::Button> closeButton (look().createDocumentWindowButton (juce::DocumentWindow::closeButton));
    ASSERT_NE (closeButton, nullptr);
    EXPECT_EQ (closeButton->getName(), "WindowButton");
    EXPECT_EQ (std::unique_ptr<juce::Button> (look().createDocumentWindowButton (juce::DocumentWindow::minimiseButton)), nullptr);
}
