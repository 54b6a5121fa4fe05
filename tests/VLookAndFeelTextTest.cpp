#include <cmath>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
#include "tests/TextBoxTestSupport.h"
#include "widgets/VFontFallback.h"
#include "widgets/VLabel.h"
#include "widgets/VLookAndFeel.h"

namespace
{
const juce::Colour background (35, 37, 39);
const juce::Colour ink (230, 230, 230);

bool isInk (juce::Colour p)
{
    return std::abs (p.getBrightness() - background.getBrightness()) > 0.3f;
}

// Runs of inked columns inside the area, parted where at least 3 columns stay blank:
// "Track 鼓组 2" gives "Track", the two Chinese glyphs and "2" (a space is 4 pixels or more).
std::vector<zolooks::Span> inkGroups (const juce::Image& image, juce::Rectangle<int> area)
{
    std::vector<zolooks::Span> groups;
    int blank = 3;

    for (int x = area.getX(); x < area.getRight(); ++x)
    {
        bool inked = false;

        for (int y = area.getY(); y < area.getBottom() && ! inked; ++y)
            inked = isInk (image.getPixelAt (x, y));

        if (inked && blank >= 3)
            groups.push_back ({ x, x });
        else if (inked)
            groups.back().last = x;

        blank = inked ? 0 : blank + 1;
    }

    return groups;
}

// Every glyph of "Track 鼓组 2" is there and the Chinese pair is drawn in a
// font that has it: as wide as the bundle's CJK font makes it at that height.
// Missing-glyph boxes are narrower, and a cut text loses "2".
testing::AssertionResult showsEveryGlyph (const juce::Image& image, juce::Rectangle<int> area, float fontHeight)
{
    const auto groups = inkGroups (image, area);

    if (groups.size() != 3)
        return testing::AssertionFailure() << groups.size() << " groups of glyphs, not 3";

    const auto pair = groups[1];
    const auto width = (float) (pair.last + 1 - pair.first);
    const auto advance = VLookAndFeel::sharedInstance()->cjkFont.withHeight (fontHeight)
                             .getStringWidthFloat (zotext::mixedName().substring (6, 8));

    if (width < advance * 0.85f || width > advance * 1.1f)
        return testing::AssertionFailure() << "the Chinese pair is " << width << " wide, its glyphs " << advance;

    return testing::AssertionSuccess();
}

juce::Image paintOnBackground (const std::function<void (juce::Graphics&)>& painter)
{
    return zolooks::paintImage (200, 30, [&] (juce::Graphics& g)
    {
        g.fillAll (background);
        painter (g);
    });
}
} // namespace

// A track name in every text that the look draws itself, each in a font with
// Latin glyphs only.
TEST (VLookAndFeelText, AChineseTrackNameShowsEveryGlyph)
{
    zolooks::ScopedLocale english ({ "LANG", "en_US.UTF-8" });
    auto& look = *VLookAndFeel::sharedInstance();
    const auto name = zotext::mixedName();
    ASSERT_FALSE (VFontFallback::hasAllGlyphs (juce::Font (14.0f), name)) << "the test needs a Latin-only default font";

    juce::ComboBox combo;
    combo.setLookAndFeel (&look);
    combo.addItem ("Track 1", 1);
    combo.addItem (name, 2);
    combo.setSelectedId (2, juce::dontSendNotification);
    combo.setColour (juce::ComboBox::textColourId, ink);
    combo.setSize (180, 24);

    juce::PopupMenu::Item item;
    for (juce::PopupMenu::MenuItemIterator it (*combo.getRootMenu()); it.next();)
        if (it.getItem().text == name)
            item = it.getItem();
    ASSERT_EQ (item.itemID, 2);

    // A label that holds the name at 13 points but not at its own 14, as the
    // toolkit measures the Latin and the Chinese parts each in its own font.
    const auto widthAt = [&] (float height)
    {
        return juce::Font (height).getStringWidthFloat ("Track  2")
               + look.cjkFont.withHeight (height).getStringWidthFloat (name.substring (6, 8));
    };
    VLabel label ("name", name);
    label.setLookAndFeel (&look);
    label.setColour (juce::Label::textColourId, ink);
    label.setSize ((int) std::ceil (widthAt (13.0f)) + 1, 24);
    ASSERT_GT (widthAt (14.0f), (float) label.getWidth());

    juce::TextButton button (name);
    button.setLookAndFeel (&look);
    button.setColour (juce::TextButton::buttonColourId, background);
    button.setColour (juce::TextButton::textColourOffId, ink);
    button.setSize (160, 30);

    struct Road
    {
        const char* what;
        float fontHeight;  // the look's font for this road
        std::function<void (juce::Graphics&)> paint;
        juce::Rectangle<int> textArea;  // inside the outlines
    };

    const Road roads[] {
        { "combo box", 14.0f, [&] (auto& g) { combo.paintEntireComponent (g, false); },
          combo.getChildComponent (0)->getBounds() },
        { "its popup item", 15.0f, [&] (auto& g) { look.drawPopupMenuItemWithOptions (g, { 0, 0, 200, 24 }, false, item, {}); },
          { 2, 2, 196, 20 } },
        { "label", 13.0f, [&] (auto& g) { label.paintEntireComponent (g, false); }, { 0, 2, label.getWidth(), 20 } },
        { "button", 14.0f, [&] (auto& g) { button.paintEntireComponent (g, false); }, { 0, 0, 160, 30 } },
        { "tooltip", 13.0f, [&] (auto& g) { look.drawTooltip (g, name, 200, 30); }, { 0, 0, 200, 30 } },
    };

    for (auto& road : roads)
        EXPECT_TRUE (showsEveryGlyph (paintOnBackground (road.paint), road.textArea, road.fontHeight)) << road.what;

    // The toolkit alone draws missing-glyph boxes there, which the check tells apart.
    const auto boxes = paintOnBackground ([&] (juce::Graphics& g)
    {
        g.setColour (ink);
        g.setFont (14.0f);
        g.drawText (name, 10, 0, 190, 30, juce::Justification::centredLeft, false);
    });
    EXPECT_FALSE (showsEveryGlyph (boxes, boxes.getBounds(), 14.0f));

    combo.setLookAndFeel (nullptr);
    label.setLookAndFeel (nullptr);
    button.setLookAndFeel (nullptr);
}
