#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <juce_gui_extra/juce_gui_extra.h>

#include "tests/XServer.h"
#include "tests/TestSupport.h"
#include "tests/host/HostFrame.h"
#include "tests/host/PluginHost.h"

namespace
{
// JUCE 7.0.5's LV2 host holds the plug-in's X window in an XEmbedComponent that can stay
// 1 x 1 (it takes its size only from the XEmbed notify): give it the editor's size.
void sizeLv2Holders (juce::Component& editor)
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* holder = dynamic_cast<juce::XEmbedComponent*> (desktop.getComponent (i)))
            holder->setSize (editor.getWidth(), editor.getHeight());
}

// A host's top-level window around a track's editor, side by side on a screen
// 2200 pixels wide (tests/run.sh), or a host's window inside a given frame.
struct HostWindow : juce::Component
{
    HostWindow (juce::AudioPluginInstance& track, int index, ::Window frame = 0) : editor (track.createEditorIfNeeded())
    {
        if (editor == nullptr)
            return;
        addAndMakeVisible (*editor);
        setBounds (frame != 0 ? 0 : 730 * index, 0, editor->getWidth(), editor->getHeight());
        addToDesktop (0, reinterpret_cast<void*> (frame));
        setVisible (true);
        zotest::pumpUntil ([this] { return isShowing(); });
        sizeLv2Holders (*editor);
    }

    // JUCE 7.0.5's XEmbedComponent answers its client's ConfigureNotify with an async
    // call on its raw this: let such calls run before the window goes.
    ~HostWindow() override { zotest::pumpMessages (50); }

    // As the X server shows it, the window frames its own track's leader box green, the
    // other tracks' grey and the first "none" row dark grey (5 px above each box).
    bool paintsAsRowOf (int ownRow, int tracks)
    {
        toFront (false);
        return zotest::pumpUntil ([&] {
            const auto shot = zotest::grabWindow (getPeer());
            for (int row = 0; row <= tracks; ++row)
                if (! shot.isValid() || shot.getPixelAt (350, 52 + 50 * row)
                                            != juce::Colour (row == ownRow ? 0xff008000 : row < tracks ? 0xff858585 : 0xff555555))
                    return false;
            return true;
        });
    }

    // Where a point of the window is on the screen, wherever the window manager put it.
    juce::Point<int> onScreen (int x, int y) { return zotest::xtest::screenPositionOf (getPeer()) + juce::Point<int> (x, y); }

    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

// A user's hand on the X server, where a window manager gives a clicked window
// the X focus as a desktop does. Keys go where the focus is when the server
// takes them, so the hand types only once the clicked window has it.
namespace hand
{
using namespace zotest;

// JUCE's LV2 host may hand the X focus to one of its own windows around the
// plug-in's after a click, where the plug-in cannot keep its box focused: a user
// who sees the caret go clicks again, and so does the hand.
bool click (HostWindow& w, juce::Point<int> at)
{
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        xtest::click (w.onScreen (at.x, at.y));
        if (pumpUntil ([&] { return xtest::hasFocusAt (w.onScreen (at.x, at.y)); }, 1000))
            return true;
    }
    return false;
}

void retype (HostWindow& w, juce::Point<int> box, const char* text)
{
    ASSERT_TRUE (click (w, box));
    xtest::key ("a", true);
    xtest::type (text);
    xtest::key ("Return");
}

// True while a menu stands at that point of the window: its background, or a highlighted row.
bool menuShowsAt (HostWindow& w, juce::Point<int> at)
{
    const auto c = xtest::colourAt (w.onScreen (at.x, at.y));
    return c == juce::Colour (0xff2d2f33) || c == juce::Colour (0xff1993a9);
}

// Opens a combo box's menu and clicks the item standing at `item` in the window.
void choose (HostWindow& w, juce::Point<int> box, juce::Point<int> item)
{
    const auto menuShows = [&] { return menuShowsAt (w, item); };
    ASSERT_TRUE (click (w, box));
    ASSERT_TRUE (pumpUntil (menuShows));
    pumpMessages (300); // the menu ignores a click in its first 250 ms
    xtest::click (w.onScreen (item.x, item.y));
    ASSERT_TRUE (pumpUntil ([&] { return ! menuShows(); }));
}

// Clicks "Add Link" (or "Update Link") once the window's timer has enabled it for the form.
bool addLink (HostWindow& w)
{
    const auto disabled = juce::Colour (0xff256471);
    return pumpUntil ([&] { return grabWindow (w.getPeer()).getPixelAt (35, 505) != disabled; }) && click (w, { 80, 514 });
}

// True once the X server shows the colour at that point of the window.
bool shows (HostWindow& w, juce::Point<int> at, juce::Colour colour)
{
    return pumpUntil ([&] { return grabWindow (w.getPeer()).getPixelAt (at.x, at.y) == colour; }, 3000);
}
} // namespace hand

// What a host hears of an instance besides audio: its parameters moving, and the
// rest of its state changing (the LV2 host hears that on its audio thread).
struct Heard : juce::AudioProcessorListener
{
    explicit Heard (juce::AudioProcessor& p) : processor (p) { p.addListener (this); }
    ~Heard() override { processor.removeListener (this); }
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override { ++parameters; }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override { states += details.nonParameterStateChanged ? 1 : 0; }
    juce::AudioProcessor& processor;
    std::atomic<int> parameters { 0 }, states { 0 };
};

// Three tracks of the built VST3 or LV2, which a host's audio thread plays throughout.
struct HostedEditor : ::testing::TestWithParam<PluginHost::Format>
{
    void SetUp() override
    {
        zotest::tolerateMissingWindowManager();
        ASSERT_TRUE (host.isLoaded()) << host.getError();
        const std::lock_guard<std::mutex> l (audioLock);
        for (auto& t : tracks)
        {
            ASSERT_NE (t = host.createInstance(), nullptr) << host.getError();
            playing.push_back (t.get());
        }
    }

    void TearDown() override { running = false; audio.join(); }

    void play()
    {
        for (; running; ++blocks)
        {
            {
                const std::lock_guard<std::mutex> l (audioLock);
                for (auto* i : playing)
                    host.processBlock (*i);
            }
            std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }
    }

    bool playsOn() const { const int from = blocks; return zotest::pumpUntil ([&] { return blocks >= from + 3; }); }

    HostWindow& open (int t) { return *(windows[t] = std::make_unique<HostWindow> (*tracks[t], t)); }
    // Opens the window and waits until the user can see it, as a user does before a click.
    HostWindow& show (int t) { auto& w = open (t); EXPECT_TRUE (w.paintsAsRowOf (t, 3)); return w; }
    juce::String nameOf (int t) { return host.savedElementOf (*tracks[t])->getStringAttribute ("track_name"); }

    // As a host does: the track leaves the audio graph, then it is deleted.
    void removeTrack (int t)
    {
        {
            const std::lock_guard<std::mutex> l (audioLock);
            playing.erase (std::find (playing.begin(), playing.end(), tracks[t].get()));
        }
        tracks[t].reset();
    }

    PluginHost host { GetParam() };
    std::unique_ptr<juce::AudioPluginInstance> tracks[3];
    std::unique_ptr<HostWindow> windows[3];
    std::mutex audioLock; // the host's: held while it plays, and to add or remove a track
    std::vector<juce::AudioPluginInstance*> playing;
    std::atomic<int> blocks { 0 };
    std::atomic<bool> running { true };
    std::thread audio { [this] { play(); } };
};
} // namespace

INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor, ::testing::Values (PluginHost::Format::vst3, PluginHost::Format::lv2), PluginHost::nameOf);

TEST_P (HostedEditor, WindowsOpenPaintAndCloseWhileAudioRunsAndOutliveAnotherWindowsTrack)
{
    ASSERT_TRUE (tracks[0]->hasEditor());
    for (int cycle = 0; cycle < 3; ++cycle)
    {
        for (auto& w : windows)
            w.reset();
        EXPECT_EQ (tracks[0]->getActiveEditor(), nullptr);
        for (int t = 0; t < 3; ++t)
        {
            ASSERT_NE (open (t).editor, nullptr);
            EXPECT_EQ (tracks[t]->getActiveEditor(), windows[t]->editor.get());
            EXPECT_EQ (windows[t]->editor->getBounds().toString(), "0 0 700 550");
        }
        for (int t = 0; t < 3; ++t)
            EXPECT_TRUE (windows[t]->paintsAsRowOf (t, 3)) << "cycle " << cycle << ", track " << t;
        EXPECT_TRUE (playsOn());
    }

    // JUCE's host gives all windows one run loop, which the plug-in must go on
    // serving when one of them closes.
    windows[0].reset();
    removeTrack (0);
    EXPECT_TRUE (windows[2]->paintsAsRowOf (1, 2));
    EXPECT_TRUE (windows[1]->paintsAsRowOf (0, 2));
    EXPECT_TRUE (playsOn());
}

TEST_P (HostedEditor, KeysGoToTheBoxTheUserClickedThroughTheWindowManager)
{
    zotest::xtest::WindowManager windowManager;
    ASSERT_TRUE (windowManager.runs()) << "a window manager decides the X focus here";
    auto& a = show (0);
    auto& b = show (1);

    // Three renames in a row. Return hands the focus to the window, so keys
    // typed after it rename nothing.
    const char* names[] = { "Keys", "Bass", "Drums" };
    for (int row = 0; row < 3; ++row)
    {
        hand::retype (a, { 350, 65 + 50 * row }, names[row]);
        EXPECT_TRUE (zotest::pumpUntil ([&] { return nameOf (row) == names[row]; })) << names[row];
        zotest::xtest::type ("zz");
        zotest::xtest::key ("Return");
    }

    // A click on an empty spot of the other window first, then a rename there.
    ASSERT_TRUE (hand::click (b, { 600, 300 }));
    hand::retype (b, { 350, 65 }, "Lead");
    EXPECT_TRUE (zotest::pumpUntil ([&] { return nameOf (0) == "Lead"; }));
    EXPECT_EQ (nameOf (2), "Drums");

    // A box clicked in one window, then a box in the other: the keys go to the second.
    ASSERT_TRUE (hand::click (a, { 350, 115 }));
    hand::retype (b, { 350, 165 }, "Pads");
    EXPECT_TRUE (zotest::pumpUntil ([&] { return nameOf (2) == "Pads"; }));
    EXPECT_EQ (nameOf (1), "Bass");

    // A choice from a menu, then typing into the delay box: "Beat", 2 beats
    // (100 ticks at 120 bpm) for the second track following the first.
    hand::choose (a, { 140, 432 }, { 190, 474 });
    ASSERT_TRUE (hand::click (a, { 215, 432 }));
    zotest::xtest::type ("2");
    zotest::xtest::key ("Return");
    hand::choose (a, { 150, 342 }, { 190, 395 });
    ASSERT_TRUE (hand::addLink (a));
    std::unique_ptr<juce::XmlElement> follower;
    EXPECT_TRUE (zotest::pumpUntil ([&] { return (follower = host.savedElementOf (*tracks[1]))->getStringAttribute ("MasterTrackName_0") == "Lead"; }));
    EXPECT_EQ (follower->getIntAttribute ("DelayTimeInBeats_0"), 2);
    EXPECT_EQ (follower->getIntAttribute ("DelayBufferLength_0"), 100);
}

// The built VST3 in a frame like Ardour's, on a server whose clock is slow (see tests/CMakeLists.txt).
struct HostedVst3Editor : HostedEditor
{
    void SetUp() override
    {
        HostedEditor::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE (windowManager.runs()) << "a window manager offers the host the focus";
        ASSERT_TRUE (zotest::pumpUntil ([&] { return frame.show(); }));
        framed = (windows[0] = std::make_unique<HostWindow> (*tracks[0], 0, frame.window())).get();
        ASSERT_TRUE (framed->paintsAsRowOf (0, 3));
    }

    zotest::xtest::WindowManager windowManager;
    HostFrame frame { 700, 550 };
    HostWindow* framed = nullptr; // the first track's window, in the frame
};
INSTANTIATE_TEST_SUITE_P (Format, HostedVst3Editor, ::testing::Values (PluginHost::Format::vst3), PluginHost::nameOf);

TEST_P (HostedVst3Editor, AQuickClickKeepsTheKeysFromAHostThatTakesTheFocusForItsOwnWindow)
{
    auto& w = *framed;

    // Renames begun with a press and a release at once, as a touchpad tap sends,
    // while the message loop runs as a host's does; the user types once the caret shows.
    int lost = 0;
    for (int i = 0; i < 12; ++i)
    {
        const juce::String name (i % 2 == 0 ? "Kick" : "Wide Snare");
        zotest::xtest::tap (w.onScreen (350, 65));
        zotest::pumpMessages (300);
        zotest::xtest::key ("a", true);
        zotest::xtest::type (name);
        zotest::xtest::key ("Return");
        lost += zotest::pumpUntil ([&] { return nameOf (0) == name; }, 1000) ? 0 : 1;
    }
    EXPECT_EQ (lost, 0);
    EXPECT_EQ (frame.keysTaken(), 0);
}

TEST_P (HostedVst3Editor, AMenuOpensOnAClickThatComesAsThePointerArrives)
{
    auto& w = *framed;

    // The parameter is picked again and again. The hand comes from the item it
    // chose and presses as it arrives, before the plug-in has read the move.
    const auto menuShows = [&] (int y) { return hand::menuShowsAt (w, { 190, y }); };
    int lost = 0;
    for (int i = 0; i < 12; ++i)
    {
        const int item = i % 2 == 0 ? 306 : 282; // Pan, then Volume
        zotest::xtest::pressOnArrival (w.onScreen (150, 252));
        zotest::pumpMessages (80);
        zotest::xtest::release();
        const bool opened = zotest::pumpUntil ([&] { return menuShows (item); }, 1000);
        zotest::pumpMessages (300); // a menu that lost the focus has closed by now
        if (! opened || ! menuShows (item))
        {
            ++lost;
            continue;
        }
        zotest::xtest::tap (w.onScreen (190, item));
        zotest::pumpUntil ([&] { return ! menuShows (item); }, 1000);
    }
    EXPECT_EQ (lost, 0);
}

TEST_P (HostedEditor, HoverFollowsThePointerIntoAWindowNotClicked)
{
    zotest::xtest::WindowManager windowManager;
    ASSERT_TRUE (windowManager.runs()) << "a window manager decides the X focus here";

    // The third track follows the first's pan: every window draws the curve from row 0 to row 2.
    auto link = PluginHost::element ("Track 3");
    PluginHost::addLink (link, 1, "Same (=x)", 1.0, 0, 0, -1, 0.0, "Track 1");
    PluginHost::restoreState (*tracks[2], host.hostStateFor (*tracks[2], link));
    auto& a = show (0);
    auto& b = show (1);
    const juce::Colour pan (0xfff5df18), lit = pan.brighter (0.4f);
    const juce::Point<int> middle { 430, 111 };

    // The first window has the focus and stands in front; the pointer goes over the curve in the second.
    ASSERT_TRUE (hand::shows (a, middle, pan) && hand::shows (b, middle, pan));
    ASSERT_TRUE (hand::click (a, { 600, 300 }));
    zotest::xtest::moveTo (b.onScreen (middle.x - 10, middle.y));
    zotest::xtest::moveTo (b.onScreen (middle.x, middle.y));
    EXPECT_TRUE (hand::shows (b, middle, lit));
    EXPECT_TRUE (hand::shows (a, middle, pan));

    // Off the curve, the highlight goes.
    zotest::xtest::moveTo (b.onScreen (600, 300));
    EXPECT_TRUE (hand::shows (b, middle, pan));

    // Out of the window in one motion, straight off the curve or by way of a name box,
    // over which it stays: nothing points at the link any more.
    for (auto via : { middle, juce::Point<int> (510, 115) })
    {
        zotest::xtest::moveTo (b.onScreen (middle.x - 10, middle.y));
        zotest::xtest::moveTo (b.onScreen (middle.x, middle.y));
        ASSERT_TRUE (hand::shows (b, middle, lit));
        zotest::xtest::moveTo (b.onScreen (via.x, via.y));
        zotest::pumpMessages (200);
        EXPECT_TRUE (hand::shows (b, middle, lit));
        zotest::xtest::moveTo (b.onScreen (via.x, 700));
        EXPECT_TRUE (hand::shows (b, middle, pan)) << "left from " << via.toString();
    }
}

TEST_P (HostedEditor, ChangesMadeInTheWindowAreSavedWithTheProject)
{
    zotest::xtest::WindowManager windowManager;
    ASSERT_TRUE (windowManager.runs()) << "a window manager decides the X focus here";
    Heard heard[] = { Heard (*tracks[0]), Heard (*tracks[1]), Heard (*tracks[2]) };
    auto& a = show (0);

    // After each change the host of every instance whose saved state changed, and no other, has heard of it.
    int expected[3] = {};
    const auto told = [&] (std::initializer_list<int> changed, const char* change)
    {
        for (int t : changed)
            ++expected[t];
        EXPECT_TRUE (zotest::pumpUntil ([&] { return heard[0].states >= expected[0] && heard[1].states >= expected[1] && heard[2].states >= expected[2]; })) << change;
        EXPECT_TRUE (playsOn());
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ (heard[t].states.load(), expected[t]) << change << ", track " << t;
    };

    hand::retype (a, { 350, 65 }, "Keys");
    told ({ 0 }, "its own name");
    hand::choose (a, { 150, 342 }, { 190, 395 });
    ASSERT_TRUE (hand::addLink (a));
    told ({ 1 }, "a link added");
    hand::choose (a, { 150, 387 }, { 190, 464 });
    ASSERT_TRUE (hand::addLink (a));
    told ({ 1 }, "a link replaced");
    hand::retype (a, { 350, 65 }, "Lead");
    told ({ 0, 1 }, "the name of a leader");

    // A rename starts the form's track boxes again from the first track.
    hand::choose (a, { 150, 342 }, { 190, 395 });
    ASSERT_TRUE (hand::click (a, { 195, 514 }));
    told ({ 1 }, "a link removed");

    // A knob turned is a parameter change, which the host hears as such.
    zotest::xtest::scroll (a.onScreen (76, 90), 3);
    EXPECT_TRUE (zotest::pumpUntil ([&] { return heard[0].parameters > 0; }));
    told ({}, "a knob");
}

TEST_P (HostedEditor, NumberBoxesShowTheUnitOfTheParameterAndDelayUnitJustPicked)
{
    zotest::xtest::WindowManager windowManager;
    ASSERT_TRUE (windowManager.runs()) << "a window manager decides the X focus here";
    auto& a = show (0);

    // A box's pixels as the X server shows them; `settled` says when a pick has shown.
    using Pixels = std::vector<juce::uint32>;
    const auto pick = [&] (juce::Point<int> box, int itemY, juce::Rectangle<int> area, std::function<bool (const Pixels&)> settled)
    {
        hand::choose (a, box, { 190, itemY });
        Pixels now;
        const bool shown = zotest::pumpUntil ([&] {
            const auto shot = zotest::grabWindow (a.getPeer());
            now.clear();
            for (int y = area.getY(); y < area.getBottom(); ++y)
                for (int x = area.getX(); x < area.getRight(); ++x)
                    now.push_back (shot.isValid() ? shot.getPixelAt (x, y).getARGB() : 0u);
            return settled (now);
        }, 2000);
        EXPECT_TRUE (shown) << "the pick at " << itemY << " did not show as expected";
        return now;
    };
    const auto is = [] (const Pixels& p) { return [&p] (const Pixels& now) { return now == p; }; };
    const auto isNot = [] (const Pixels& p) { return [&p] (const Pixels& now) { return now != p; }; };

    // Volume reads "0.00 dB", Pan "0.00", LPF "20000 Hz": between Volume and Pan only the unit changes.
    const juce::Point<int> parameter { 150, 252 };
    const juce::Rectangle<int> init { 100, 453, 60, 22 };
    const int volume = 282, pan = 306, lpf = 330;
    const auto volumeBox = pick (parameter, volume, init, [] (const Pixels&) { return true; });
    const auto panBox = pick (parameter, pan, init, isNot (volumeBox));
    pick (parameter, volume, init, is (volumeBox));
    pick (parameter, lpf, init, [&] (const Pixels& now) { return now != volumeBox && now != panBox; });
    pick (parameter, pan, init, is (panBox));
    pick (parameter, volume, init, is (volumeBox));

    // The delay box: "0 ms" under "Time", "0" under "Beat".
    const juce::Point<int> unit { 140, 432 };
    const juce::Rectangle<int> delay { 185, 421, 60, 22 };
    const auto msBox = pick (unit, 456, delay, [] (const Pixels&) { return true; });
    pick (unit, 474, delay, isNot (msBox));
    pick (unit, 456, delay, is (msBox));
}
