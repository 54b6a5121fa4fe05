#include <gtest/gtest.h>

#include "tests/EditorTestSupport.h"

using namespace zoeditor;

TEST (BrindleView, OpensWithEveryTrackAndWarnsPastTenTracks)
{
    for (int count : { 1, 10, 12 })
    {
        auto tracks = makeTracks (count);
        if (count > 1)
            table().addMaster (0, 1, 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
        zotest::pumpMessages (20);
        auto& window = tracks[0]->openWindow();

        // One name row per track, then "none" rows up to ten, 50 apart from y 55;
        // rows past the tenth lie below the window.
        EXPECT_EQ ((int) childrenOf<VMLTextEditor> (window).size(), 2 * juce::jmax (count, 10));
        for (int row = 0; row < 10; ++row)
        {
            for (int x : { 320, 480 })
            {
                auto* box = componentAt<VMLTextEditor> (window, { x + 30, 65 + 50 * row });
                ASSERT_NE (box, nullptr) << count << " tracks, row " << row;
                EXPECT_EQ (box->getBounds(), juce::Rectangle<int> (x, 55 + 50 * row, 60, 20));
                EXPECT_EQ (box->getText(), row < count ? "Track " + juce::String (row + 1) : "none");
                EXPECT_EQ (box->isEnabled(), row < count);
                EXPECT_EQ (box->isReadOnly(), x == 480 || row >= count);
            }
        }

        for (int y : { 297, 342 })
        {
            auto* box = componentAt<juce::ComboBox> (window, { 150, y });
            ASSERT_EQ (box->getNumItems(), count);
            EXPECT_EQ (box->getItemId (count - 1), count);
            EXPECT_EQ (box->getText(), "Track 1");
        }

        // A knob whose parameter follows a leader starts disabled.
        EXPECT_EQ (componentAt<VParamSlider> (window, { 176, 90 })->isEnabled(), count == 1);
        EXPECT_EQ (alertsShowing(), count > 10 ? juce::StringArray ("Warning. Maximum number of tracks supported: 10") : juce::StringArray());
        dismissAlerts();
    }
}

TEST (BrindleView, ChildrenStandWhereTheDesignPutsThem)
{
    Track track;
    auto& window = track.openWindow();

    struct Place { juce::Rectangle<int> bounds; const char* text; };
    const Place places[] = {
        { { 10, 55, 40, 20 }, "Vol." },        { { 52, 55, 48, 71 }, "0.00 dB" },
        { { 110, 55, 40, 20 }, "Pan" },        { { 152, 55, 48, 71 }, "0.00" },
        { { 10, 136, 40, 20 }, "LPF" },        { { 52, 136, 48, 71 }, "20000 Hz" },
        { { 110, 136, 40, 20 }, "HPF" },       { { 152, 136, 48, 71 }, "20 Hz" },
        { { 30, 237, 70, 30 }, "Parameter" },  { { 100, 237, 100, 30 }, "Volume" },
        { { 30, 282, 70, 30 }, "Leader" },     { { 100, 282, 100, 30 }, "Track 1" },
        { { 30, 327, 70, 30 }, "Follower" },   { { 100, 327, 100, 30 }, "Track 1" },
        { { 30, 372, 70, 30 }, "Rule" },       { { 100, 372, 100, 30 }, "Same (=x)" },
        { { 30, 417, 70, 30 }, "Delay" },      { { 100, 420, 80, 24 }, "Time" },
        { { 185, 421, 60, 22 }, "0 ms" },      { { 30, 449, 70, 30 }, "Init. Value" },
        { { 100, 453, 60, 22 }, "0.00 dB" },   { { 30, 499, 100, 30 }, "Add Link" },
        { { 145, 499, 100, 30 }, "Remove Link" },
        { { 320, 10, 60, 30 }, "Leader" },     { { 480, 10, 60, 30 }, "Follower" },
    };

    for (const auto& place : places)
    {
        auto* child = window.getComponentAt (place.bounds.getCentre());
        while (child != nullptr && child->getParentComponent() != &window)
            child = child->getParentComponent();
        ASSERT_NE (child, nullptr) << place.bounds.toString();
        EXPECT_EQ (child->getBounds(), place.bounds);

        juce::String text;
        if (auto* label = dynamic_cast<juce::Label*> (child))     text = label->getText();
        if (auto* button = dynamic_cast<juce::Button*> (child))   text = button->getButtonText();
        if (auto* box = dynamic_cast<juce::ComboBox*> (child))    text = box->getText();
        if (auto* slider = dynamic_cast<juce::Slider*> (child))   text = slider->getTextFromValue (slider->getValue());
        EXPECT_EQ (text, place.text) << place.bounds.toString();
    }

    auto* removeButton = componentAt<juce::Button> (window, { 195, 514 });
    EXPECT_EQ (removeButton->getTooltip(), "Double clicking link lines can remove link more easily");

    // The delay box runs in steps of 10 ms up to 5 s; the init value box over the
    // volume's range; the scale box waits hidden until "Scale (*x)" is chosen.
    auto boxes = childrenOf<VNumberSlider> (window);
    EXPECT_EQ (boxes[1]->getRange(), juce::Range<double> (0.0, 5000.0));
    EXPECT_EQ (boxes[1]->getInterval(), 10.0);
    EXPECT_EQ (boxes[2]->getRange(), juce::Range<double> (-12.0, 12.0));
    EXPECT_EQ (boxes[0]->getBounds(), juce::Rectangle<int> (205, 376, 45, 22));
    EXPECT_FALSE (boxes[0]->isVisible() || boxes[0]->isEnabled());
    EXPECT_EQ (boxes[0]->getValue(), 1.0);
}

// The value box under the volume knob: "-12.00 dB" keeps the last column of its "B" inside the box, and a text with
// room to spare stands where it always stood: centred at font height 11, shifted right by a 32nd of the width.
TEST (BrindleView, TheVolumeKnobsValueBoxKeepsItsUnitWholeAtTheBottomOfTheRange)
{
    Track track;
    auto& window = track.openWindow();
    auto& box = *childrenOf<juce::Label> (*componentAt<VParamSlider> (window, { 76, 90 }))[0];
    const juce::Colour teal (25, 147, 169), grey (154, 156, 161), field (39, 42, 44);
    box.setColour (juce::Label::outlineColourId, juce::Colours::transparentBlack); // ink under the outline shows
    const auto drawn = [&] (float normalised)
    {
        track.processor->getParameters()[0]->setValue (normalised);
        pumpMessages (20);
        // Wider than the box, so that ink past its edge shows too.
        juce::Image image (juce::Image::ARGB, box.getWidth() + 10, box.getHeight(), true, juce::SoftwareImageType());
        juce::Graphics g (image);
        box.getLookAndFeel().drawLabel (g, box);
        return image;
    };
    const auto bottom = drawn (0.0f);
    ASSERT_EQ (box.getText(), "-12.00 dB");
    int lastInk = -1;
    for (int x = 0; x < bottom.getWidth(); ++x)
        for (int y = 0; y < bottom.getHeight(); ++y)
            if (bottom.getPixelAt (x, y).getAlpha() > 0 && bottom.getPixelAt (x, y).withAlpha ((juce::uint8) 255) != field)
                lastInk = x;
    EXPECT_LE (lastInk, box.getWidth() - 2) << "ink reaches the outline's column or past it";

    const auto spare = drawn (0.7f);
    ASSERT_EQ (box.getText(), "4.80 dB");
    juce::Image expected (juce::Image::ARGB, spare.getWidth(), spare.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (expected);
        const juce::Font font (11.0f);
        const float width = (float) box.getWidth(), height = (float) box.getHeight();
        const float x = (float) std::lrint (width * 0.5f - font.getStringWidthFloat ("4.80 dB") * 0.5f + width / 32.0f);
        g.fillAll (field);
        g.setFont (font);
        g.setColour (teal);
        g.drawText ("4.80", juce::Rectangle<float> (x, 0.0f, font.getStringWidthFloat ("4.80"), height), juce::Justification::centredLeft, false);
        g.setColour (grey);
        g.drawText ("dB", juce::Rectangle<float> (x + font.getStringWidthFloat ("4.80 "), 0.0f, font.getStringWidthFloat ("dB"), height),
                    juce::Justification::centredLeft, false);
    }
    EXPECT_TRUE (sameArea (spare, expected, { 0, 0, spare.getWidth(), spare.getHeight() }));
}

TEST (BrindleView, PaintsFramesCurvesAndLabelsWhereTheLinksAre)
{
    auto tracks = makeTracks (4);
    table().addMaster (1, 0, 0, "Scale (*x)", 2.5f, 0, 0, 1.0f, 0);
    table().addMaster (2, 0, 1, "Same (=x)", 1.0f, 1, 150, 0.0f, 3);
    table().addMaster (3, 1, 2, "Reciprocal (1/x)", 1.0f, 0, 4, 20000.0f, 40);
    table().addMaster (2, 1, 3, "Half (0.5x)", 1.0f, 1, 0, 20.0f, 0);
    zotest::pumpMessages (20);
    auto& window = tracks[1]->openWindow();
    const auto image = snapshot (window);

    // Frames: the own row green, other tracks grey, rows without a track darker.
    EXPECT_EQ (image.getPixelAt (317, 110), juce::Colour (0xff008000));
    EXPECT_EQ (image.getPixelAt (477, 110), juce::Colour (0xff008000));
    EXPECT_EQ (image.getPixelAt (317, 60), juce::Colour (0xff858585));
    EXPECT_EQ (image.getPixelAt (543, 260), juce::Colour (0xff555555));

    // The pan curve leaves the leader's box 5 pixels right of it and 6 below its
    // top, three rows wide, and meets the follower's box at the same offset.
    for (int y = 60; y <= 62; ++y)
        EXPECT_EQ (image.getPixelAt (388, y), panColour) << y;
    EXPECT_NE (image.getPixelAt (388, 59), panColour);
    EXPECT_EQ (image.getPixelAt (388, 58), juce::Colour (0xff33363a));
    EXPECT_EQ (image.getPixelAt (388, 64), juce::Colour (0xff33363a));
    EXPECT_EQ (image.getPixelAt (472, 161), panColour);

    const struct { const char* text; juce::Colour colour; int y; } labels[] = {
        { "2.5x", juce::Colour (0xff1993a9), 105 - 18 },
        { "=x, delay 3 beats", panColour, 155 - 6 },
        { "1/x, delay 40 ms", juce::Colour (0xff89c7d2), 205 + 6 },
        { "0.5x", juce::Colour (0xffadff2f), 155 + 18 }, // in beats, without delay: no delay part
    };
    for (const auto& label : labels)
        EXPECT_TRUE (sameArea (image, expectedLabel (label.text, label.colour, 553, label.y), { 553, label.y, 120, 20 }))
            << label.text;
}

TEST (BrindleView, HoverLightsABandAndADoubleClickRemovesThatLinkOnly)
{
    auto tracks = makeTracks (3);
    table().addMaster (2, 0, 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    table().addMaster (1, 0, 0, "Same (=x)", 1.0f, 0, 0, 1.0f, 0);
    zotest::pumpMessages (20);
    auto& window = tracks[0]->openWindow();

    // The pan curve from row 0 to row 2 near both ends, off the middle where a
    // band mirrored between the rows would light the same pixels.
    const juce::Point<int> nearLeader { 388, 61 }, nearFollower { 472, 161 };
    const auto litEnds = [&window, &nearLeader, &nearFollower]
    {
        const auto image = snapshot (window);
        const auto lit = panColour.brighter (0.4f);
        return (image.getPixelAt (nearLeader.x, nearLeader.y) == lit) + (image.getPixelAt (nearFollower.x, nearFollower.y) == lit);
    };
    EXPECT_EQ (litEnds(), 0);
    User::moveTo (window, nearLeader);
    EXPECT_EQ (litEnds(), 2);
    User::moveTo (window, { 430, 300 });
    EXPECT_EQ (litEnds(), 0) << "the pointer left the curve";

    // A link replaced since the last paint is not removed in its place.
    table().addMaster (2, 0, 1, "Half (0.5x)", 1.0f, 0, 0, 0.0f, 0);
    User::doubleClick (window, nearLeader);
    EXPECT_EQ (table().linkInfos[2][1].rule, "Half (0.5x)");

    snapshot (window);
    User::doubleClick (window, nearLeader);
    zotest::pumpMessages (20);
    EXPECT_EQ (table().linkInfos[2][1].masterIndexInVector, -1);
    EXPECT_EQ (table().linkInfos[1][0].masterIndexInVector, 0);
    EXPECT_EQ (snapshot (window).getPixelAt (nearLeader.x, nearLeader.y), juce::Colour (0xff33363a)) << "no curve, no light";

    // Where two bands cross, the one of the lower follower row is taken.
    table().addMaster (1, 2, 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    table().addMaster (2, 1, 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    zotest::pumpMessages (20);
    snapshot (window);
    User::doubleClick (window, { 430, 150 });
    zotest::pumpMessages (20);
    EXPECT_EQ (table().linkInfos[1][3].masterIndexInVector, -1);
    EXPECT_EQ (table().linkInfos[2][3].masterIndexInVector, 1);
}

TEST (BrindleView, LinksWaitForTheMessageOfATrackThatWent)
{
    auto tracks = makeTracks (3);
    table().addMaster (1, 0, 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    table().addMaster (2, 0, 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    zotest::pumpMessages (20);
    auto& window = tracks[0]->openWindow();
    snapshot (window);

    // A rename, then the second track goes; until their messages come, the
    // boxes stand for the old rows and no link is drawn over them.
    table().setTrackName (0, "Lead");
    tracks[1].reset();
    const juce::Rectangle<int> labelOfRow1 { 553, 99, 120, 20 };
    EXPECT_TRUE (sameArea (snapshot (window), expectedLabel ({}, panColour, 553, 99), labelOfRow1));

    zotest::pumpMessages (50);
    EXPECT_EQ ((int) childrenOf<VMLTextEditor> (window).size(), 20);
    EXPECT_EQ (componentAt<VMLTextEditor> (window, { 350, 65 })->getText(), "Lead");
    EXPECT_EQ (componentAt<VMLTextEditor> (window, { 350, 115 })->getText(), "Track 2");
    EXPECT_TRUE (sameArea (snapshot (window), expectedLabel ("=x", panColour, 553, 99), labelOfRow1));
}

TEST (BrindleView, TracksAreRenamedByTypingInTheLeaderColumn)
{
    auto tracks = makeTracks (3);
    auto& a = tracks[0]->openWindow ({ 0, 0 });
    auto& b = tracks[1]->openWindow ({ 580, 470 });
    const auto retype = [] (BrindleView& window, juce::Point<int> at, const juce::String& text, int key)
    {
        auto* box = componentAt<VMLTextEditor> (window, at);
        ASSERT_TRUE (User::typeInto (*box, text));
        if (key != 0)
            User::pressIn (*box, key);
    };

    const juce::Point<int> row1 { 350, 115 }, row2 { 350, 165 };
    retype (b, row1, "Bass", juce::KeyPress::returnKey);
    EXPECT_EQ (table().getTrackName (1), "Bass");
    for (auto* window : { &a, &b })
    {
        EXPECT_EQ (componentAt<juce::ComboBox> (*window, { 150, 297 })->getItemText (1), "Bass");
        EXPECT_EQ (componentAt<VMLTextEditor> (*window, { 510, 115 })->getText(), "Bass");
    }

    // Refused names: a warning over the window they were typed in, and the stored name comes back.
    for (auto [typed, warning] : { std::pair { "Bass", "Warning. This name has been used for another track, please choose a different name." },
                                   std::pair { "", "Warning. Cannot use an empty name." } })
    {
        retype (b, row2, typed, juce::KeyPress::returnKey);
        ASSERT_TRUE (zotest::pumpUntil ([] { return ! alertsShowing().isEmpty(); }));
        EXPECT_EQ (alertsShowing(), juce::StringArray (warning));
        EXPECT_TRUE (b.getScreenBounds().contains (alerts()[0]->getScreenBounds().getCentre()));
        dismissAlerts();
        EXPECT_EQ (componentAt<VMLTextEditor> (b, row2)->getText(), "Track 3");
    }

    // Escape commits like Return, the text as typed; leaving the box commits nothing.
    retype (b, row2, "Keys ", juce::KeyPress::escapeKey);
    EXPECT_EQ (table().getTrackName (2), "Keys ");
    retype (b, row2, "Pads", 0);
    User::click (b, { 600, 300 });
    zotest::pumpMessages (30);
    EXPECT_EQ (table().getTrackName (2), "Keys ");
    EXPECT_EQ (componentAt<VMLTextEditor> (b, row2)->getText(), "Pads");

    // The follower column only shows names.
    retype (a, { 510, 65 }, "Drums", juce::KeyPress::returnKey);
    EXPECT_EQ (table().getTrackName (0), "Track 1");
}

// Only a project file can hold such a name: the leader and follower boxes show it on one line, as they show
// a typed one, and the table keeps it as it is.
TEST (BrindleView, ANameWithLineBreaksShowsOnOneLineInTheTrackBoxes)
{
    Track track;
    table().setTrackName (0, "Kick\r\nSnare\nHat");
    auto& window = track.openWindow();
    for (int y : { 297, 342 })
        EXPECT_EQ (componentAt<juce::ComboBox> (window, { 150, y })->getItemText (0), "Kick  Snare Hat");
    EXPECT_EQ (table().getTrackName (0), "Kick\r\nSnare\nHat");
}

TEST (BrindleView, ReturnOrEscapeInANameBoxHandsTheKeysToTheWindow)
{
    zotest::xtest::WindowManager windowManager;
    ASSERT_TRUE (windowManager.runs()) << "a window manager decides the X focus here";
    auto tracks = makeTracks (2);
    auto& window = tracks[0]->openWindow();
    const auto onScreen = [&window] (juce::Point<int> at) { return zotest::xtest::screenPositionOf (window.getPeer()) + at; };

    // The manager may hand the focus to the window just after a click: the user clicks again.
    const auto clickInto = [&] (juce::Point<int> at)
    {
        auto& box = *componentAt<VMLTextEditor> (window, at);
        for (int attempt = 0; attempt < 5; ++attempt)
        {
            zotest::xtest::click (onScreen (at));
            if (zotest::pumpUntil ([&] { return box.hasKeyboardFocus (false); }, 1000))
                return true;
        }
        return false;
    };

    const juce::Point<int> row0 { 350, 65 }, row1 { 350, 115 };
    const struct { const char* key; const char* name; } commits[] = { { "Return", "Keys" }, { "Escape", "Bass" } };
    for (const auto& commit : commits)
    {
        const auto* key = commit.key;
        const juce::String name (commit.name);
        ASSERT_TRUE (clickInto (row0)) << key;
        zotest::xtest::key ("a", true);
        zotest::xtest::type (name);
        zotest::xtest::key (key);
        // Stored, and every box refreshed from the table, as the follower column shows.
        ASSERT_TRUE (zotest::pumpUntil ([&] { return componentAt<VMLTextEditor> (window, { 510, 65 })->getText() == name; })) << key;
        EXPECT_TRUE (window.hasKeyboardFocus (false)) << key;
        EXPECT_TRUE (zotest::xtest::hasFocusAt (onScreen (row0))) << key;

        // Keys typed now reach no box: once a click after them has reached the
        // next box, the first still shows the stored name.
        zotest::xtest::type ("zz");
        ASSERT_TRUE (clickInto (row1)) << key;
        EXPECT_EQ (componentAt<VMLTextEditor> (window, row0)->getText(), name) << key;
    }
}
