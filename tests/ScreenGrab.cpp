#include "tests/ScreenGrab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zotest
{
// The toolkit's own window snapshot leaves a flag of its image unset, and its
// destructor may then detach shared memory that was never attached.
juce::Image grabWindow (juce::ComponentPeer* peer)
{
    if (peer == nullptr)
        return {};

    auto* display = XOpenDisplay (nullptr);
    if (display == nullptr)
        return {};

    const auto window = (::Window) reinterpret_cast<juce::pointer_sized_uint> (peer->getNativeHandle());
    juce::Image shot;
    XWindowAttributes attributes {};
    if (XGetWindowAttributes (display, window, &attributes) != 0 && attributes.map_state == IsViewable)
    {
        if (auto* image = XGetImage (display, window, 0, 0, (unsigned) attributes.width, (unsigned) attributes.height, AllPlanes, ZPixmap))
        {
            shot = juce::Image (juce::Image::RGB, attributes.width, attributes.height, false);
            const auto channel = [] (unsigned long pixel, unsigned long mask) {
                if (mask == 0)
                    return (juce::uint8) 0;
                int shift = 0;
                while (((mask >> shift) & 1) == 0)
                    ++shift;
                return (juce::uint8) (((pixel & mask) >> shift) * 255 / (mask >> shift));
            };
            for (int y = 0; y < attributes.height; ++y)
                for (int x = 0; x < attributes.width; ++x)
                {
                    const auto pixel = XGetPixel (image, x, y);
                    shot.setPixelAt (x, y, juce::Colour (channel (pixel, image->red_mask), channel (pixel, image->green_mask), channel (pixel, image->blue_mask)));
                }
            XDestroyImage (image);
        }
    }
    XCloseDisplay (display);
    return shot;
}
} // namespace zotest
