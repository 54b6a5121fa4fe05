#pragma once

#include <cstdlib>
#include <dlfcn.h>
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
    juce::Graphics g (image);
    painter (g);
    return image;
}

// Opaque RGB of a pixel, for comparing against the looks' colour numbers.
inline juce::Colour rgbAt (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).withAlpha ((juce::uint8) 255);
}

inline bool sameImage (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
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
    int first = 1 << 30, last = -1;
    bool empty() const { return last < first; }
};

inline Span inkColumns (const juce::Image& image, const std::function<bool (juce::Colour)>& isInk = {})
{
    Span span;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (isInk ? isInk (image.getPixelAt (x, y)) : image.getPixelAt (x, y).getAlpha() > 0)
                span = { juce::jmin (span.first, x), juce::jmax (span.last, x) };
    return span;
}

// Sets the locale variables, e.g. { "LANG", "zh_CN.UTF-8", "LANGUAGE", "zh:en" }, and puts the old values back.
class ScopedLocale
{
public:
    explicit ScopedLocale (std::initializer_list<const char*> namesAndValues)
    {
        for (auto* name : names)
            if (auto* old = std::getenv (name))
                saved[name] = old;
        restore ({});
        for (auto* item = namesAndValues.begin(); item + 1 < namesAndValues.end(); item += 2)
            ::setenv (item[0], item[1], 1);
    }
    ScopedLocale (const ScopedLocale&) = delete;
    ScopedLocale& operator= (const ScopedLocale&) = delete;
    ~ScopedLocale() { restore (saved); }

private:
    static void restore (const std::map<std::string, std::string>& values)
    {
        for (auto* name : names)
            ::unsetenv (name);
        for (auto& [name, value] : values)
            ::setenv (name.c_str(), value.c_str(), 1);
    }

    static constexpr const char* names[] { "LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE" };
    std::map<std::string, std::string> saved;
};

inline bool haveDisplay()
{
    return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty()
        && juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

// Puts a component on the screen. Under a bare Xvfb some atoms the toolkit
// sets do not exist, and Xlib's default error handler would end the process.
inline void addToDesktopForTest (juce::Component& window)
{
    [[maybe_unused]] static const bool handlerSet = []
    {
        using Handler = int (*) (void*, void*);
        auto* x11 = ::dlopen ("libX11.so.6", RTLD_NOW | RTLD_GLOBAL); // kept open with its handler
        auto* set = x11 != nullptr ? reinterpret_cast<Handler (*) (Handler)> (::dlsym (x11, "XSetErrorHandler")) : nullptr;
        return set != nullptr && (set ([] (void*, void*) { return 0; }), true);
    }();
    window.addToDesktop (0);
    window.setVisible (true);
}
} // namespace zolooks
