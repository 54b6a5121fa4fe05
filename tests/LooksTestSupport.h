#pragma once

#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace zolooks
{
// Paints into a transparent software image; no display is needed.
inline juce::Image paintImage (int width, int height, const std::function<void (juce::Graphics&)>& painter)
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        painter (g);
    }
    return image;
}

inline juce::Image paintComponent (juce::Component& component)
{
    return paintImage (component.getWidth(), component.getHeight(),
                       [&] (juce::Graphics& g) { component.paintEntireComponent (g, false); });
}

// Opaque RGB of a pixel, for comparing against the looks' colour numbers.
inline juce::Colour rgbAt (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).withAlpha ((juce::uint8) 255);
}

inline bool sameImage (const juce::Image& a, const juce::Image& b)
{
    if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

// The columns [first, last] holding pixels that pass the test; first > last when none do.
struct Span
{
    int first = 1 << 30;
    int last = -1;
    bool empty() const { return last < first; }
};

inline Span inkColumns (const juce::Image& image, const std::function<bool (juce::Colour)>& isInk)
{
    Span span;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (isInk (image.getPixelAt (x, y)))
            {
                span.first = juce::jmin (span.first, x);
                span.last = juce::jmax (span.last, x);
            }

    return span;
}

inline bool near (juce::Colour a, juce::Colour b, int tolerance = 2)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance
        && std::abs (a.getGreen() - b.getGreen()) <= tolerance
        && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
}

// Sets the locale variables for one test and puts the old values back after it.
class ScopedLocale
{
public:
    // Names and values in turn: { "LANG", "zh_CN.UTF-8", "LANGUAGE", "zh:en" }.
    explicit ScopedLocale (std::initializer_list<const char*> namesAndValues)
    {
        for (auto* name : { "LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE" })
        {
            if (auto* old = std::getenv (name))
                saved[name] = old;

            ::unsetenv (name);
        }

        for (auto* item = namesAndValues.begin(); item + 1 < namesAndValues.end(); item += 2)
            ::setenv (item[0], item[1], 1);
    }

    ScopedLocale (const ScopedLocale&) = delete;
    ScopedLocale& operator= (const ScopedLocale&) = delete;

    ~ScopedLocale()
    {
        for (auto* name : { "LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE" })
            ::unsetenv (name);

        for (auto& [name, value] : saved)
            ::setenv (name.c_str(), value.c_str(), 1);
    }

private:
    std::map<std::string, std::string> saved;
};

inline ScopedLocale chineseUser() { return ScopedLocale ({ "LANG", "zh_CN.UTF-8" }); }
inline ScopedLocale englishUser() { return ScopedLocale ({ "LANG", "en_US.UTF-8" }); }
} // namespace zolooks
