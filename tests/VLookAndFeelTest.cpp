#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/LooksTestSupport.h"
#include "widgets/VKnobLabelLookAndFeel.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VNumberSliderLookAndFeel.h"

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

bool hasInk (juce::Colour c) { return c.getAlpha() > 0; }
} // namespace

//==============================================================================
TEST (VLookAndFeel, ColourTable)
{
    const std::vector<std::pair<int, juce::Colour>> table {
        { juce::ComboBox::backgroundColourId, { 35, 37, 39 } },
        { juce::ComboBox::outlineColourId, { 41, 43, 47 } },
        { juce::ComboBox::buttonColourId, { 30, 32, 35 } },
        { juce::ComboBox::textColourId, { 154, 156, 161 } },
        { juce::ComboBox::arrowColourId, { 100, 104, 110 } },
        { juce::TextButton::textColourOnId, { 255, 255, 255 } },
        { juce::TextButton::textColourOffId, { 255, 255, 255 } },
        { juce::Toolbar::backgroundColourId, { 51, 54, 58 } },
        { juce::Toolbar::buttonMouseOverBackgroundColourId, { 30, 170, 50 } },
        { juce::Toolbar::buttonMouseDownBackgroundColourId, { 24, 136, 40 } },
        { juce::Toolbar::separatorColourId, { 186, 186, 186 } },
        { juce::TextEditor::backgroundColourId, { 35, 37, 39 } },
        { juce::TextEditor::focusedOutlineColourId, { 34, 66, 75 } },
        { juce::TextEditor::outlineColourId, { 41, 43, 47 } },
        { juce::TextEditor::textColourId, { 154, 156, 161 } },
        { juce::TextEditor::highlightedTextColourId, { 39, 42, 44 } },
        { juce::TextEditor::highlightColourId, { 154, 156, 161 } },
        { juce::CaretComponent::caretColourId, { 25, 147, 169 } },
        { juce::PopupMenu::backgroundColourId, { 45, 47, 51 } },
        { juce::PopupMenu::textColourId, { 221, 221, 221 } },
        { juce::PopupMenu::highlightedBackgroundColourId, { 25, 147, 169 } },
        { juce::PopupMenu::highlightedTextColourId, { 255, 255, 255 } },
        { juce::PopupMenu::headerTextColourId, { 13, 102, 116 } },
        { juce::ToggleButton::textColourId, { 154, 156, 161 } },
        { juce::TooltipWindow::backgroundColourId, { 45, 47, 51 } },
        { juce::TooltipWindow::outlineColourId, { 41, 43, 47 } },
        { juce::TooltipWindow::textColourId, { 154, 156, 161 } },
        { juce::AlertWindow::backgroundColourId, { 45, 47, 51 } },
        { juce::AlertWindow::textColourId, { 154, 156, 161 } },
        { 0x1004100, { 35, 37, 39 } },
        { juce::ListBox::backgroundColourId, { 35, 37, 39 } },
        { juce::ListBox::textColourId, { 154, 156, 161 } },
        { juce::ProgressBar::backgroundColourId, { 35, 37, 39 } },
        { juce::ProgressBar::foregroundColourId, { 25, 147, 169 } },
    };
    ASSERT_EQ (table.size(), 34u);

    for (auto* lf : std::initializer_list<VLookAndFeel*> { VLookAndFeel::sharedInstance(),
                                                            VKnobLabelLookAndFeel::sharedInstance(),
                                                            VNumberSliderLookAndFeel::sharedInstance() })
        for (auto& [id, colour] : table)
            EXPECT_EQ (lf->findColour (id), colour) << std::hex << "colour id 0x" << id;
}

TEST (VLookAndFeel, OneInstanceHoldsTheFolderAndEveryLookItsOwnCjkTypeface)
{
    EXPECT_EQ (VLookAndFeel::sharedInstance(), &look());
    EXPECT_TRUE (look().resourcesFolder.endsWith ("/Contents/Resources/materials"));
    EXPECT_EQ (look().cjkFont.getTypefaceName(), "Noto Sans CJK SC");
    EXPECT_GT (VLookAndFeel::fontMB.getSize(), 1000000u);

    for (VLookAndFeel* derived : { (VLookAndFeel*) VKnobLabelLookAndFeel::sharedInstance(),
                                   (VLookAndFeel*) VNumberSliderLookAndFeel::sharedInstance() })
    {
        EXPECT_TRUE (derived->resourcesFolder.isEmpty());
        EXPECT_EQ (derived->cjkFont.getTypefaceName(), "Noto Sans CJK SC");
        EXPECT_NE (derived->cjkFont.getTypefacePtr().get(), look().cjkFont.getTypefacePtr().get());
    }
}

TEST (VLookAndFeel, KnobHeightForWidth)
{
    EXPECT_FLOAT_EQ (VLookAndFeel::getKnobAdjacentSideLength (48), 71.04f);
    EXPECT_EQ ((int) VLookAndFeel::getKnobAdjacentSideLength (48), 71);
}

//==============================================================================
namespace
{
float layoutWidth (const juce::String& text, const juce::Font& font)
{
    juce::AttributedString attributed (text);
    attributed.setFont (font);
    juce::TextLayout layout;
    layout.createLayout (attributed, 600.0f);
    return layout.getWidth();
}

juce::Image drawnText (const juce::String& text, const juce::Font& font, float areaWidth)
{
    return paintImage (160, 30, [&] (juce::Graphics& g)
    {
        VLookAndFeel::drawText (g, text, juce::Colours::white, font, { 0.0f, 0.0f, areaWidth, 30.0f },
                                juce::Justification::centredLeft);
    });
}
} // namespace

TEST (VLookAndFeelText, DropsCharactersFromTheEndUntilTheTextFits)
{
    const juce::Font font (20.0f);
    const float area = (layoutWidth ("ABC", font) + layoutWidth ("ABCD", font)) * 0.5f;

    EXPECT_TRUE (sameImage (drawnText ("ABCDEF", font, area), drawnText ("ABC", font, area)));
    EXPECT_FALSE (sameImage (drawnText ("ABCDEF", font, area), drawnText ("AB", font, area)));
    EXPECT_TRUE (sameImage (drawnText ("ABC", font, area), drawnText ("ABC", font, 160.0f)));
}

TEST (VLookAndFeelText, ShortensToOneCharacterAndCutsASingleOne)
{
    const juce::Font font (20.0f);
    EXPECT_TRUE (sameImage (drawnText ("WW", font, 3.0f), drawnText ("W", font, 160.0f)));
    EXPECT_TRUE (zolooks::inkColumns (drawnText ("W", font, 3.0f), hasInk).empty());
}

//==============================================================================
namespace
{
struct LabelFixture
{
    LabelFixture (const juce::String& text, float fontHeight, int width, int height)
        : label ("label", text)
    {
        label.setFont (juce::Font (fontHeight));
        label.setSize (width, height);
        label.setColour (juce::Label::textColourId, juce::Colours::white);
        label.setColour (juce::Label::backgroundColourId, juce::Colours::transparentBlack);
        label.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack);
    }

    juce::Image paint (VLookAndFeel& lf)
    {
        return paintImage (label.getWidth(), label.getHeight(), [&] (juce::Graphics& g) { lf.drawLabel (g, label); });
    }

    juce::Label label;
};
} // namespace

TEST (VLookAndFeelLabel, ShrinksTheFontUntilTheTextFits)
{
    LabelFixture fixture ("Shrinking text", 20.0f, 80, 30);
    const auto text = fixture.label.getText();

    float expected = 20.0f;
    while (juce::Font (expected).getStringWidthFloat (text) > 80.0f)
        expected -= 1.0f;
    ASSERT_LT (expected, 20.0f);

    const auto reference = paintImage (80, 30, [&] (juce::Graphics& g)
    {
        VLookAndFeel::drawText (g, text, juce::Colours::white, juce::Font (expected), { 0.0f, 0.0f, 80.0f, 30.0f },
                                fixture.label.getJustificationType());
    });
    EXPECT_TRUE (sameImage (fixture.paint (look()), reference));
}

TEST (VLookAndFeelLabel, StopsShrinkingAtAMinimumHeight)
{
    LabelFixture fixture (juce::String::repeatedString ("W", 300), 14.0f, 10, 20);
    const auto image = fixture.paint (look());
    EXPECT_FALSE (zolooks::inkColumns (image, hasInk).empty());
}

TEST (VLookAndFeelLabel, DisabledLabelDrawsAHalfAlphaOutline)
{
    LabelFixture fixture ("x", 14.0f, 40, 20);
    fixture.label.setColour (juce::Label::outlineColourId, juce::Colours::red);
    fixture.label.setEnabled (false);

    const auto pixel = fixture.paint (look()).getPixelAt (0, 10);
    EXPECT_TRUE (zolooks::near (pixel.withAlpha ((juce::uint8) 255), juce::Colours::red));
    EXPECT_NEAR (pixel.getAlpha(), 128, 2);

    fixture.label.setEnabled (true);
    EXPECT_EQ (fixture.paint (look()).getPixelAt (0, 10).getAlpha(), 255);
}

//==============================================================================
namespace
{
juce::Colour buttonFill (juce::Button& button, bool over, bool down)
{
    const auto image = paintImage (40, 20, [&] (juce::Graphics& g)
    {
        look().drawButtonBackground (g, button, juce::Colour (100, 100, 100), over, down);
    });
    return image.getPixelAt (20, 10);
}
} // namespace

TEST (VLookAndFeelButton, ContrastsOnHoverAndPressExceptWindowButtons)
{
    juce::TextButton button ("plain");
    button.setSize (40, 20);
    const juce::Colour base (100, 100, 100);

    EXPECT_EQ (buttonFill (button, false, false), base);
    EXPECT_EQ (buttonFill (button, true, false), base.contrasting (0.1f));
    EXPECT_EQ (buttonFill (button, true, true), base.contrasting (0.2f));

    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (buttonFill (button, true, false), base.contrasting (0.2f));
    EXPECT_EQ (buttonFill (button, false, true), base.contrasting (0.3f));

    button.setName ("WindowButton");
    EXPECT_EQ (buttonFill (button, true, true), base);

    button.setEnabled (false);
    EXPECT_NEAR (buttonFill (button, false, false).getAlpha(), 128, 1);
}

TEST (VLookAndFeelFonts, ChineseUsersGetTheCjkFontAtItsOwnHeight)
{
    juce::TextButton button ("b");
    juce::ComboBox box;
    juce::MenuBarComponent bar;

    {
        auto locale = zolooks::chineseUser();
        for (const auto& font : { look().getTextButtonFont (button, 30), look().getComboBoxFont (box) })
        {
            EXPECT_FLOAT_EQ (font.getHeight(), 16.0f);
            EXPECT_EQ (font.getTypefaceName(), "Noto Sans CJK SC");
        }
        EXPECT_FLOAT_EQ (look().getPopupMenuFont().getHeight(), 17.0f);
        EXPECT_EQ (look().getPopupMenuFont().getTypefaceName(), "Noto Sans CJK SC");

        // No translation loaded: the menu bar keeps its plain font.
        EXPECT_FLOAT_EQ (look().getMenuBarFont (bar, 0, "File").getHeight(), 16.0f);
    }
    {
        auto locale = zolooks::englishUser();
        for (const auto& font : { look().getTextButtonFont (button, 30), look().getComboBoxFont (box) })
        {
            EXPECT_FLOAT_EQ (font.getHeight(), 14.0f);
            EXPECT_EQ (font.getTypefaceName(), juce::Font().getTypefaceName());
        }
        EXPECT_FLOAT_EQ (look().getPopupMenuFont().getHeight(), 15.0f);
    }

    juce::Label label;
    EXPECT_FLOAT_EQ (look().getLabelFont (label).getHeight(), 11.0f);
}

//==============================================================================
TEST (VLookAndFeelComboBox, PlacesItsTextLabelByTheBoxShape)
{
    auto locale = zolooks::englishUser();
    juce::ComboBox box;
    box.setLookAndFeel (&look());

    const auto textLabel = [&box]() -> juce::Label*
    {
        for (auto* child : box.getChildren())
            if (auto* label = dynamic_cast<juce::Label*> (child))
                return label;
        return nullptr;
    };
    ASSERT_NE (textLabel(), nullptr);

    box.setSize (180, 24);
    EXPECT_EQ (textLabel()->getBounds(), juce::Rectangle<int> (10, 2, 152, 19));
    EXPECT_FLOAT_EQ (textLabel()->getFont().getHeight(), 14.0f);
    EXPECT_EQ (textLabel()->getJustificationType(), juce::Justification::centredLeft);

    box.setSize (90, 30);
    EXPECT_EQ (textLabel()->getBounds(), juce::Rectangle<int> (11, 8, 61, 15));

    box.setLookAndFeel (nullptr);
}

TEST (VLookAndFeelComboBox, OutlineBackgroundAndArrow)
{
    juce::ComboBox box;
    box.setLookAndFeel (&look());
    box.setSize (90, 30);

    auto paint = [&box]
    {
        return paintImage (90, 30, [&] (juce::Graphics& g) { look().drawComboBox (g, 90, 30, false, 0, 0, 0, 0, box); });
    };

    auto image = paint();
    EXPECT_EQ (rgbAt (image, 0, 10), juce::Colour (41, 43, 47));
    EXPECT_EQ (rgbAt (image, 5, 10), juce::Colour (35, 37, 39));
    EXPECT_EQ (rgbAt (image, 77, 13), juce::Colour (100, 104, 110));  // inside the down arrow at x 72..82
    EXPECT_EQ (rgbAt (image, 77, 20), juce::Colour (35, 37, 39));     // below its tip

    box.setEnabled (false);
    EXPECT_EQ (rgbAt (paint(), 77, 13), juce::Colour (46, 49, 54));
    box.setLookAndFeel (nullptr);
}

//==============================================================================
namespace
{
juce::Point<int> idealSize (const juce::String& text, bool separator, int standardHeight)
{
    int w = 0, h = 0;
    look().getIdealPopupMenuItemSizeWithOptions (text, separator, standardHeight, w, h, juce::PopupMenu::Options());
    return { w, h };
}

juce::Image menuItem (const juce::PopupMenu::Item& item, bool highlighted, int width = 200, int height = 24)
{
    return paintImage (width, height, [&] (juce::Graphics& g)
    {
        look().drawPopupMenuItemWithOptions (g, { 0, 0, width, height }, highlighted, item, juce::PopupMenu::Options());
    });
}

juce::PopupMenu::Item textItem (const juce::String& text)
{
    juce::PopupMenu::Item item (text);
    item.itemID = 1;
    return item;
}
} // namespace

TEST (VLookAndFeelPopupMenu, IdealItemSizes)
{
    auto locale = zolooks::englishUser();
    const juce::String longText ("A rather long popup menu entry");

    EXPECT_EQ (idealSize ("Same", false, 0), juce::Point<int> (180, 21));
    EXPECT_EQ (idealSize ({}, true, 0), juce::Point<int> (180, 1));

    const juce::Font at15 (15.0f);
    EXPECT_EQ (idealSize (longText, false, 0),
               juce::Point<int> (at15.getStringWidth (longText) + 42 + at15.getStringWidth ("ctrl + F10"), 21));

    const auto at20 = at15.withHeight (20.0f / 1.4f);
    EXPECT_EQ (idealSize (longText, false, 20),
               juce::Point<int> (at20.getStringWidth (longText) + 40 + at20.getStringWidth ("ctrl + F10"), 20));

    auto chinese = zolooks::chineseUser();
    EXPECT_EQ (idealSize ("Same", false, 0).y, 24);
}

TEST (VLookAndFeelPopupMenu, SeparatorAndBackgroundAreTheLooksOwn)
{
    juce::PopupMenu::Item separator;
    separator.isSeparator = true;

    const auto image = menuItem (separator, false, 200, 9);
    EXPECT_EQ (image.getPixelAt (0, 4), juce::Colour (221, 221, 221).darker (0.4f));
    EXPECT_EQ (image.getPixelAt (199, 4), juce::Colour (221, 221, 221).darker (0.4f));
    EXPECT_EQ (image.getPixelAt (100, 2).getAlpha(), 0);

    const auto background = paintImage (50, 50, [] (juce::Graphics& g)
    {
        look().drawPopupMenuBackgroundWithOptions (g, 50, 50, juce::PopupMenu::Options());
    });
    EXPECT_EQ (background.getPixelAt (0, 0), juce::Colour (45, 47, 51));
    EXPECT_EQ (background.getPixelAt (49, 49), juce::Colour (45, 47, 51));
}

TEST (VLookAndFeelPopupMenu, HighlightFillsTheItemInsideAOnePixelBorder)
{
    const auto image = menuItem (textItem ("Half (0.5x)"), true);
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);
    EXPECT_EQ (image.getPixelAt (1, 1), juce::Colour (25, 147, 169));
    EXPECT_EQ (image.getPixelAt (198, 22), juce::Colour (25, 147, 169));
    EXPECT_EQ (image.getPixelAt (199, 23).getAlpha(), 0);
}

TEST (VLookAndFeelPopupMenu, TickSitsInTheIconColumnAndTextAfterIt)
{
    auto locale = zolooks::englishUser();
    // 200 x 24: the inner area is (1, 1, 198, 22) and the icon column 17 wide.
    const int columnEnd = 1 + 17;

    auto ticked = textItem ("Beat");
    ticked.isTicked = true;

    const auto inColumn = [] (const juce::Image& image, int from, int to)
    {
        return zolooks::inkColumns (image.getClippedImage ({ from, 0, to - from, image.getHeight() }), hasInk);
    };

    EXPECT_FALSE (inColumn (menuItem (ticked, false), 1, columnEnd).empty());
    EXPECT_TRUE (inColumn (menuItem (textItem ("Beat"), false), 1, columnEnd).empty());

    const auto text = zolooks::inkColumns (menuItem (textItem ("Beat"), false), hasInk);
    ASSERT_FALSE (text.empty());
    EXPECT_GE (text.first, columnEnd);

    // As wide a margin on the right: a long text stops 17 pixels before the inner edge.
    const auto longText = zolooks::inkColumns (menuItem (textItem (juce::String::repeatedString ("Long ", 20)), false), hasInk);
    EXPECT_LE (longText.last, 199 - 17);
}

TEST (VLookAndFeelPopupMenu, DisabledItemIsFaint)
{
    auto item = textItem ("Reverse (-x)");
    const auto maxAlpha = [] (const juce::Image& image)
    {
        int most = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                most = juce::jmax (most, (int) image.getPixelAt (x, y).getAlpha());
        return most;
    };

    EXPECT_EQ (maxAlpha (menuItem (item, false)), 255);
    item.isEnabled = false;
    EXPECT_LE (maxAlpha (menuItem (item, false)), 77);
    EXPECT_GT (maxAlpha (menuItem (item, false)), 0);
}

//==============================================================================
TEST (VLookAndFeelOther, WindowButtonsLineUpInTheTitleBar)
{
    juce::DocumentWindow window ("w", juce::Colours::black, 0, false);
    juce::TextButton minimise, maximise, close;

    look().positionDocumentWindowButtons (window, 0, 0, 300, 30, &minimise, &maximise, &close, false);
    EXPECT_EQ (close.getBounds(), juce::Rectangle<int> (274, 3, 21, 23));
    EXPECT_EQ (maximise.getBounds(), juce::Rectangle<int> (253, 3, 21, 23));
    EXPECT_EQ (minimise.getBounds(), juce::Rectangle<int> (232, 3, 21, 23));

    look().positionDocumentWindowButtons (window, 10, 0, 300, 30, &minimise, nullptr, &close, true);
    EXPECT_EQ (close.getBounds(), juce::Rectangle<int> (14, 3, 21, 23));
    EXPECT_EQ (minimise.getBounds(), juce::Rectangle<int> (35, 3, 21, 23));
}

//==============================================================================
namespace
{
// Writes SVG icons into the look's materials folder for one test and removes them after it.
class ScopedIcons
{
public:
    explicit ScopedIcons (std::initializer_list<const char*> names)
        : folder (juce::File (look().resourcesFolder).getChildFile ("icons"))
    {
        folder.createDirectory();

        for (auto* name : names)
        {
            auto file = folder.getChildFile (name);
            file.replaceWithText ("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                                  "<rect width=\"10\" height=\"10\" fill=\"#9a9ca1\"/></svg>");
            written.add (file);
        }
    }

    ~ScopedIcons()
    {
        // The folder stays: another test process may be writing into it.
        for (auto& file : written)
            file.deleteFile();
    }

private:
    juce::File folder;
    juce::Array<juce::File> written;
};
} // namespace

TEST (VLookAndFeelIcons, ButtonNeedsTheNormalAndHoverImages)
{
    EXPECT_EQ (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_none"), nullptr);

    {
        ScopedIcons icons ({ "zotest_half_normal.svg" });
        EXPECT_EQ (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_half"), nullptr);
    }
    {
        ScopedIcons icons ({ "zotest_two_normal.svg", "zotest_two_hover.svg" });
        std::unique_ptr<juce::DrawableButton> button (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_two"));
        ASSERT_NE (button, nullptr);
        EXPECT_NE (button->getNormalImage(), nullptr);
        EXPECT_NE (button->getOverImage(), nullptr);
        EXPECT_EQ (button->getDownImage(), button->getOverImage());  // no pressed image of its own
        EXPECT_EQ (button->getEdgeIndent(), 20);
        EXPECT_EQ (button->findColour (juce::TextButton::buttonColourId), juce::Colour());
        EXPECT_EQ (button->findColour (juce::TextButton::buttonOnColourId), juce::Colour (35, 37, 39));
    }
    {
        ScopedIcons icons ({ "zotest_three_normal.svg", "zotest_three_hover.svg", "zotest_three_pressed.svg" });
        std::unique_ptr<juce::DrawableButton> button (VLookAndFeel::loadAndCreateButtonFromFile ("zotest_three"));
        ASSERT_NE (button, nullptr);
        EXPECT_NE (button->getDownImage(), button->getOverImage());
    }
}

TEST (VLookAndFeelIcons, WindowAndGoUpButtonsComeFromTheIcons)
{
    EXPECT_EQ (std::unique_ptr<juce::Button> (look().createDocumentWindowButton (juce::DocumentWindow::closeButton)), nullptr);

    ScopedIcons icons ({ "close_normal.svg", "close_hover.svg", "back_normal.svg", "back_hover.svg" });

    std::unique_ptr<juce::Button> close (look().createDocumentWindowButton (juce::DocumentWindow::closeButton));
    ASSERT_NE (close, nullptr);
    EXPECT_EQ (close->getName(), "WindowButton");
    EXPECT_EQ (dynamic_cast<juce::DrawableButton&> (*close).getEdgeIndent(), 0);
    EXPECT_EQ (close->findColour (juce::TextButton::buttonOnColourId).getAlpha(), 0);

    EXPECT_EQ (std::unique_ptr<juce::Button> (look().createDocumentWindowButton (juce::DocumentWindow::minimiseButton)), nullptr);
    EXPECT_NE (std::unique_ptr<juce::Button> (look().createFileBrowserGoUpButton()), nullptr);
}
