#pragma once

#include <cmath>
#include <functional>
#include <vector>

#include "tests/UiTestSupport.h"
#include "widgets/VLookAndFeel.h"

// Pictures, locales, windows and keys for the widget tests.
namespace zowidgets
{
using namespace zotest;

// Paints into a transparent software image; no display is needed.
inline juce::Image paint (int width, int height, const std::function<void (juce::Graphics&)>& painter)
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    painter (g);
    return image;
}

inline juce::Image paint (juce::Component& c) { return paint (c.getWidth(), c.getHeight(), [&] (auto& g) { c.paintEntireComponent (g, false); }); }

// Opaque RGB of a pixel, for comparing against the looks' colour numbers.
inline juce::Colour rgbAt (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y).withAlpha ((juce::uint8) 255); }

// The columns [first, last] holding pixels that pass the test (any alpha by default); first > last when none do.
struct Span { int first = 1 << 30, last = -1; bool empty() const { return last < first; } };
inline Span inkColumns (const juce::Image& image, const std::function<bool (juce::Colour)>& isInk = {})
{
    Span span;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (isInk ? isInk (image.getPixelAt (x, y)) : image.getPixelAt (x, y).getAlpha() > 0)
                span = { juce::jmin (span.first, x), juce::jmax (span.last, x) };
    return span;
}

// "Track 鼓组 2": Latin, two Chinese characters, Latin.
inline juce::String mixedName() { return juce::CharPointer_UTF8 ("Track \xe9\xbc\x93\xe7\xbb\x84 2"); }

// mixedName() is drawn whole in the area, its Chinese pair in a font that has it: inked as wide as the
// bundle's CJK font makes the pair. Groups of ink part at 3 blank columns; missing-glyph boxes are narrower.
inline testing::AssertionResult showsEveryGlyph (const juce::Image& image, juce::Rectangle<int> area, float fontHeight, juce::Colour background)
{
    std::vector<Span> groups;
    for (int x = area.getX(), blank = 3; x < area.getRight(); ++x)
    {
        bool inked = false;
        for (int y = area.getY(); y < area.getBottom() && ! inked; ++y)
            inked = std::abs (image.getPixelAt (x, y).getBrightness() - background.getBrightness()) > 0.3f;
        if (inked && blank >= 3)
            groups.push_back ({ x, x });
        else if (inked)
            groups.back().last = x;
        blank = inked ? 0 : blank + 1;
    }
    const auto width = groups.size() == 3 ? (float) (groups[1].last + 1 - groups[1].first) : 0.0f;
    const auto pair = VLookAndFeel::sharedInstance()->cjkFont.withHeight (fontHeight).getStringWidthFloat (mixedName().substring (6, 8));
    if (width >= pair * 0.85f && width <= pair * 1.1f)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << groups.size() << " groups of glyphs; the second " << width << " wide, the pair " << pair;
}

// Only the given locale variables set, e.g. { "LANG", "zh_CN.UTF-8" }.
inline void useLocale (const std::vector<const char*>& namesAndValues)
{
    for (auto* name : { "LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE" })
        ::unsetenv (name);
    for (size_t i = 0; i + 1 < namesAndValues.size(); i += 2)
        ::setenv (namesAndValues[i], namesAndValues[i + 1], 1);
}

// A top-level window on screen around one component, which fills it. It takes the keyboard focus itself
// only while no child has it, so that the server's late focus event leaves a child's focus alone.
struct Window : juce::Component
{
    explicit Window (juce::Component& child)
    {
        setWantsKeyboardFocus (true);
        setSize (child.getWidth(), child.getHeight());
        addAndMakeVisible (child);
        showOnScreen (*this);
    }
    ~Window() override { removeAllChildren(); removeFromDesktop(); pumpMessages (5); }
    bool keyPressed (const juce::KeyPress& k) override { return onKey && onKey (k); }
    void focusLost (FocusChangeType) override { setWantsKeyboardFocus (! isParentOf (getCurrentlyFocusedComponent())); }
    void focusOfChildComponentChanged (FocusChangeType) override { setWantsKeyboardFocus (getWantsKeyboardFocus() || ! hasKeyboardFocus (true)); }

    std::function<bool (const juce::KeyPress&)> onKey; // keys that no child used
};

// A key pressed in the component's window once it (or a child) has the focus, which the server's focus
// events may have moved for a moment.
inline void key (juce::Component& c, int code, int modifiers = 0, juce::juce_wchar character = 0)
{
    pumpUntil ([&c] { return c.hasKeyboardFocus (true); }, 1000);
    User::key (*c.getTopLevelComponent(), juce::KeyPress (code, juce::ModifierKeys (modifiers), character));
}

inline void command (juce::Component& c, char letter, int extra = 0) { key (c, letter, juce::ModifierKeys::commandModifier | extra, (juce::juce_wchar) letter); }
} // namespace zowidgets
