#pragma once

#include "editor/BrindleView.h"
#include "tests/EngineTestSupport.h"
#include "tests/UiTestSupport.h"

namespace zoeditor
{
using namespace zotest;
using zoengine::table;

// One host track: the instance, and its window while it is open.
struct Track
{
    Track() : processor (std::make_unique<Brindle>()) {}
    ~Track() { closeWindow(); }

    BrindleView& openWindow (juce::Point<int> at = { 20, 20 })
    {
        window.reset (dynamic_cast<BrindleView*> (processor->createEditorIfNeeded()));
        showOnScreen (*window, at);
        return *window;
    }

    void closeWindow() { window.reset(); zotest::pumpMessages (5); }

    std::unique_ptr<Brindle> processor;
    std::unique_ptr<BrindleView> window;
};

// The form's controls, found where the window puts them.
struct Form
{
    explicit Form (BrindleView& w) : window (w) {}

    juce::ComboBox& parameter() { return *componentAt<juce::ComboBox> (window, { 150, 252 }); }
    juce::ComboBox& leader()    { return *componentAt<juce::ComboBox> (window, { 150, 297 }); }
    juce::ComboBox& follower()  { return *componentAt<juce::ComboBox> (window, { 150, 342 }); }
    juce::ComboBox& rule()      { return *componentAt<juce::ComboBox> (window, { 150, 387 }); }
    juce::ComboBox& unit()      { return *componentAt<juce::ComboBox> (window, { 140, 432 }); }
    VNumberSlider& scale()      { return *childrenOf<VNumberSlider> (window)[0]; }
    VNumberSlider& delay()      { return *componentAt<VNumberSlider> (window, { 215, 432 }); }
    VNumberSlider& init()       { return *componentAt<VNumberSlider> (window, { 130, 464 }); }
    juce::TextButton& add()     { return *componentAt<juce::TextButton> (window, { 80, 514 }); }

    void link (const char* parameterName, const char* leaderName, const char* followerName, const char* ruleName)
    {
        for (auto [box, item] : { std::pair (&parameter(), parameterName), { &leader(), leaderName },
                                  { &follower(), followerName }, { &rule(), ruleName } })
            ASSERT_TRUE (User::choose (*box, item));
    }

    // A click on a number box opens its text field; Return takes the typed number.
    void enter (VNumberSlider& box, const juce::String& number)
    {
        User::click (box);
        pumpUntil ([&box] { return box.getChildComponent (0)->hasKeyboardFocus (false); }, 2000);
        User::type (window, number);
        User::key (window, juce::KeyPress (juce::KeyPress::returnKey));
        zotest::pumpMessages (20);
    }

    // The window's 100 ms tick, driven by hand so that every step can be seen.
    void tick()
    {
        auto* timer = (juce::Timer*) &window; // the window's own timer base
        timer->stopTimer();
        timer->timerCallback();
        window.createComponentSnapshot ({ 1, 1 }); // a paint colours the pulsing button
    }

    BrindleView& window;
};

const juce::Colour panColour { 0xfff5df18 };

// A link's label as the window should draw it, on the window's background.
inline juce::Image expectedLabel (const juce::String& text, juce::Colour colour, int x, int y)
{
    juce::Image image (juce::Image::ARGB, 700, 550, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colour (0xff33363a));
    g.setColour (colour);
    g.drawText (text, x, y, 120, 20, juce::Justification::centredLeft, true);
    return image;
}

inline std::vector<std::unique_ptr<Track>> makeTracks (int n)
{
    std::vector<std::unique_ptr<Track>> tracks;
    for (int i = 0; i < n; ++i)
        tracks.push_back (std::make_unique<Track>());
    zotest::pumpMessages (10);
    return tracks;
}
} // namespace zoeditor
