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
