#include <gtest/gtest.h>

#include "tests/EditorTestSupport.h"

using namespace zoeditor;

namespace
{
// The direct child of the window under a point.
juce::Component* childAt (juce::Component& window, juce::Point<int> at)
{
    for (auto* c = window.getComponentAt (at); c != nullptr; c = c->getParentComponent())
        if (c->getParentComponent() == &window)
            return c;
    return nullptr;
}

} // namespace

TEST (BrindleView, OpensWithEveryTrackTheFormAndAWarningPastTenTracks)
{
    for (int count : { 1, 3, 10, 12 })
    {
        auto tracks = makeTracks (count);
        auto& window = tracks[0]->openWindow();
        zotest::pumpMessages (30);

        EXPECT_EQ (window.getWidth(), 700);
        EXPECT_EQ (window.getHeight(), 550);

        // One name row per track, then "none" rows up to ten, on a pitch of 50
        // from y 55; rows past the tenth lie below the window.
        EXPECT_EQ ((int) childrenOf<VMLTextEditor> (window).size(), 2 * juce::jmax (count, 10));

        for (int row = 0; row < 10; ++row)
        {
            const int y = 55 + 50 * row;
            for (int x : { 320, 480 })
            {
                auto* box = componentAt<VMLTextEditor> (window, { x + 30, y + 10 });
                ASSERT_NE (box, nullptr) << count << " tracks, row " << row;
                EXPECT_EQ (box->getBounds(), juce::Rectangle<int> (x, y, 60, 20));
                EXPECT_EQ (box->getText(), row < count ? "Track " + juce::String (row + 1) : "none");
                EXPECT_EQ (box->isEnabled(), row < count);
                EXPECT_EQ (box->isReadOnly(), x == 480 || row >= count);
            }
        }

        for (juce::Point<int> at : { juce::Point<int> (150, 297), juce::Point<int> (150, 342) })
        {
            auto* box = componentAt<juce::ComboBox> (window, at);
            ASSERT_NE (box, nullptr);
            ASSERT_EQ (box->getNumItems(), count);
            for (int i = 0; i < count; ++i)
                EXPECT_EQ (box->getItemId (i), i + 1);
            EXPECT_EQ (box->getText(), "Track 1");
        }

        const auto alerts = alertsShowing();
        EXPECT_EQ (alerts.size(), count > 10 ? 1 : 0) << count;
        if (count > 10)
        {
            EXPECT_EQ (alerts[0], "Warning. Maximum number of tracks supported: 10");
        }

        dismissAlerts();
        tracks.clear();
    }
}

TEST (BrindleView, FormStartsOnVolumeSameAndTime)
{
    Track track;
    auto& window = track.openWindow();
    zotest::pumpMessages (30);

    EXPECT_EQ (componentAt<juce::ComboBox> (window, { 150, 252 })->getText(), "Volume");
    EXPECT_EQ (componentAt<juce::ComboBox> (window, { 150, 387 })->getText(), "Same (=x)");
    EXPECT_EQ (componentAt<juce::ComboBox> (window, { 140, 432 })->getText(), "Time");

    auto* delay = componentAt<VNumberSlider> (window, { 215, 432 });
    auto* init = componentAt<VNumberSlider> (window, { 130, 464 });
    ASSERT_TRUE (delay && init);
    EXPECT_EQ (delay->getRange(), juce::Range<double> (0.0, 5000.0));
    EXPECT_EQ (delay->getInterval(), 10.0);
    EXPECT_EQ (delay->getTextValueSuffix(), " ms");
    EXPECT_EQ (init->getRange(), juce::Range<double> (-12.0, 12.0));
    EXPECT_EQ (init->getValue(), 0.0);
    EXPECT_EQ (init->getTextValueSuffix(), " dB");

    // The scale box stands hidden beside the rule box until "Scale (*x)" is chosen.
    auto numberBoxes = childrenOf<VNumberSlider> (window);
    ASSERT_EQ (numberBoxes.size(), 3u);
    EXPECT_EQ (numberBoxes[0]->getBounds(), juce::Rectangle<int> (205, 376, 45, 22));
    EXPECT_FALSE (numberBoxes[0]->isVisible());
    EXPECT_FALSE (numberBoxes[0]->isEnabled());
    EXPECT_EQ (numberBoxes[0]->getValue(), 1.0);
}

TEST (BrindleView, ChildrenStandWhereTheDesignPutsThem)
{
    Track track;
    auto& window = track.openWindow();

    struct Place { juce::Rectangle<int> bounds; const char* text; };
    const Place places[] = {
        { { 10, 55, 40, 20 }, "Vol." },        { { 52, 55, 48, 71 }, nullptr },
        { { 110, 55, 40, 20 }, "Pan" },        { { 152, 55, 48, 71 }, nullptr },
        { { 10, 136, 40, 20 }, "LPF" },        { { 52, 136, 48, 71 }, nullptr },
        { { 110, 136, 40, 20 }, "HPF" },       { { 152, 136, 48, 71 }, nullptr },
        { { 30, 237, 70, 30 }, "Parameter" },  { { 100, 237, 100, 30 }, nullptr },
        { { 30, 282, 70, 30 }, "Leader" },     { { 100, 282, 100, 30 }, nullptr },
        { { 30, 327, 70, 30 }, "Follower" },   { { 100, 327, 100, 30 }, nullptr },
        { { 30, 372, 70, 30 }, "Rule" },       { { 100, 372, 100, 30 }, nullptr },
        { { 30, 417, 70, 30 }, "Delay" },      { { 100, 420, 80, 24 }, nullptr },
        { { 185, 421, 60, 22 }, nullptr },     { { 30, 449, 70, 30 }, "Init. Value" },
        { { 100, 453, 60, 22 }, nullptr },     { { 30, 499, 100, 30 }, "Add Link" },
        { { 145, 499, 100, 30 }, "Remove Link" },
        { { 320, 10, 60, 30 }, "Leader" },     { { 480, 10, 60, 30 }, "Follower" },
    };

    for (const auto& place : places)
    {
        auto* child = childAt (window, place.bounds.getCentre());
        ASSERT_NE (child, nullptr) << place.bounds.toString();
        EXPECT_EQ (child->getBounds(), place.bounds);

        if (auto* label = dynamic_cast<juce::Label*> (child); label != nullptr && place.text != nullptr)
        {
            EXPECT_EQ (label->getText(), place.text);
        }
        if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && place.text != nullptr)
        {
            EXPECT_EQ (button->getButtonText(), place.text);
        }
    }

    EXPECT_EQ (dynamic_cast<juce::Button*> (childAt (window, { 195, 514 }))->getTooltip(),
               "Double clicking link lines can remove link more easily");
}

TEST (BrindleView, AKnobOfAFollowedParameterStartsDisabled)
{
    auto tracks = makeTracks (2);
    table().addMaster (tracks[1]->row(), tracks[0]->row(), 1, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    zotest::pumpMessages (20);

    auto& window = tracks[1]->openWindow();
    EXPECT_TRUE (componentAt<VParamSlider> (window, { 76, 90 })->isEnabled()) << "volume";
    EXPECT_FALSE (componentAt<VParamSlider> (window, { 176, 90 })->isEnabled()) << "pan";

    table().removeMaster (tracks[1]->row(), tracks[0]->row(), 1);
    zotest::pumpMessages (20);
    EXPECT_TRUE (componentAt<VParamSlider> (window, { 176, 90 })->isEnabled());
}

TEST (BrindleView, PaintsFramesCurvesAndLabelsWhereTheLinksAre)
{
    auto tracks = makeTracks (4);
    table().addMaster (1, 0, 0, "Scale (*x)", 2.5f, 0, 0, 1.0f, 0);
    table().addMaster (2, 0, 1, "Same (=x)", 1.0f, 1, 150, 0.0f, 3);
    table().addMaster (3, 1, 2, "Reciprocal (1/x)", 1.0f, 0, 4, 20000.0f, 40);
    zotest::pumpMessages (20);
    auto& window = tracks[1]->openWindow();
    screenshot ("links");
    const auto image = window.createComponentSnapshot (window.getLocalBounds());

    // Frames: the own row green, other tracks grey, rows without a track darker.
    EXPECT_EQ (image.getPixelAt (317, 110), juce::Colour (0xff008000));
    EXPECT_EQ (image.getPixelAt (477, 110), juce::Colour (0xff008000));
    EXPECT_EQ (image.getPixelAt (317, 60), juce::Colour (0xff858585));
    EXPECT_EQ (image.getPixelAt (543, 260), juce::Colour (0xff555555));

    // The pan curve runs from 5 pixels right of the leader's box, 6 below its
    // top, to 5 pixels left of the follower's box at the same offset.
    // Three rows wide where it leaves the leader's box.
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

    // The middle of the pan curve from row 0 to row 2.
    const juce::Point<int> middle { 430, 111 };
    EXPECT_NE (window.createComponentSnapshot (window.getLocalBounds()).getPixelAt (middle.x, middle.y), panColour.brighter (0.4f));
    User::moveTo (window, middle);
    EXPECT_EQ (window.createComponentSnapshot (window.getLocalBounds()).getPixelAt (middle.x, middle.y), panColour.brighter (0.4f));

    // A link replaced since the last paint is not removed in its place.
    table().addMaster (2, 0, 1, "Half (0.5x)", 1.0f, 0, 0, 0.0f, 0);
    User::doubleClick (window, middle);
    EXPECT_EQ (table().linkInfos[2][1].rule, "Half (0.5x)");

    snapshot (window);
    User::doubleClick (window, middle);
    zotest::pumpMessages (20);
    EXPECT_EQ (table().linkInfos[2][1].masterIndexInVector, -1);
    EXPECT_EQ (table().linkInfos[1][0].masterIndexInVector, 0);

    // Where two bands cross, the one of the lower follower row is taken.
    table().addMaster (1, 2, 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    table().addMaster (2, 1, 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    zotest::pumpMessages (20);
    window.createComponentSnapshot (window.getLocalBounds());
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

    // A rename, then the second track goes; neither message has come yet, so
    // the boxes still stand for the old rows.
    table().setTrackName (0, "Lead");
    tracks[1].reset();
    ASSERT_EQ (table().getNumTracks(), 2);

    // No link is drawn over boxes that stand for other tracks.
    const juce::Rectangle<int> labelOfRow1 { 553, 99, 120, 20 };
    EXPECT_TRUE (sameArea (snapshot (window), expectedLabel ({}, panColour, 553, 99), labelOfRow1));

    zotest::pumpMessages (50);
    EXPECT_EQ ((int) childrenOf<VMLTextEditor> (window).size(), 20);
    EXPECT_EQ (componentAt<VMLTextEditor> (window, { 350, 65 })->getText(), "Lead");
    EXPECT_EQ (componentAt<VMLTextEditor> (window, { 350, 115 })->getText(), "Track 2");
    EXPECT_TRUE (sameArea (snapshot (window), expectedLabel ("=x", panColour, 553, 99), labelOfRow1));
}

namespace
{
struct MessageCount : VChangeListener
{
    MessageCount() { table().addChangeListener (this); }
    ~MessageCount() override { table().removeChangeListener (this); }
    void changeListenerCallback (VChangeBroadcaster*, const juce::String& message) override { messages.add (message); }
    int count (const juce::String& message) const { return (int) std::count (messages.begin(), messages.end(), message); }
    juce::StringArray messages;
};

void retype (BrindleView& window, juce::Point<int> at, const juce::String& text, int finalKey)
{
    auto* box = componentAt<VMLTextEditor> (window, at);
    ASSERT_TRUE (User::typeInto (*box, text));
    if (finalKey != 0)
        User::pressIn (*box, finalKey);
}
} // namespace

TEST (BrindleView, TracksAreRenamedByTypingInTheLeaderColumn)
{
    auto tracks = makeTracks (3);
    auto& a = tracks[0]->openWindow ({ 0, 0 });
    auto& b = tracks[1]->openWindow ({ 580, 470 });
    MessageCount log;

    const juce::Point<int> row1 { 350, 115 }, row2 { 350, 165 };
    retype (b, row1, "Bass", juce::KeyPress::returnKey);
    EXPECT_EQ (table().getTrackName (1), "Bass");
    for (auto* window : { &a, &b })
        EXPECT_EQ (componentAt<juce::ComboBox> (*window, { 150, 297 })->getItemText (1), "Bass");

    // The same name again sends nothing.
    log.messages.clear();
    retype (b, row1, "Bass", juce::KeyPress::returnKey);
    EXPECT_EQ (log.count ("Set_TrackName"), 0);

    // Refused names: a warning over the window they were typed in, and the stored name comes back.
    const std::pair<juce::String, juce::String> refusals[] = {
        { "Bass", "Warning. This name has been used for another track, please choose a different name." },
        { "", "Warning. Cannot use an empty name." },
    };
    for (const auto& [typed, warning] : refusals)
    {
        retype (b, row2, typed, juce::KeyPress::returnKey);
        ASSERT_TRUE (zotest::pumpUntil ([] { return ! alertsShowing().isEmpty(); }));
        ASSERT_EQ (alertsShowing(), juce::StringArray (warning));
        auto& desktop = juce::Desktop::getInstance();
        for (int i = 0; i < desktop.getNumComponents(); ++i)
        {
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i)))
            {
                EXPECT_TRUE (b.getScreenBounds().contains (alert->getScreenBounds().getCentre()));
            }
        }
        dismissAlerts();
        EXPECT_EQ (componentAt<VMLTextEditor> (b, row2)->getText(), "Track 3");
        EXPECT_EQ (table().getTrackName (2), "Track 3");
    }

    // Escape commits like Return; leaving the box does not.
    retype (b, row2, "Keys", juce::KeyPress::escapeKey);
    EXPECT_EQ (table().getTrackName (2), "Keys");
    retype (b, row2, "Pads", 0);
    User::click (b, { 600, 300 });
    zotest::pumpMessages (30);
    EXPECT_EQ (table().getTrackName (2), "Keys");
    EXPECT_EQ (componentAt<VMLTextEditor> (b, row2)->getText(), "Pads");

    // The follower column only shows names.
    log.messages.clear();
    retype (a, { 510, 65 }, "Drums", juce::KeyPress::returnKey);
    EXPECT_EQ (table().getTrackName (0), "Track 1");
    EXPECT_EQ (log.count ("Set_TrackName"), 0);
}
