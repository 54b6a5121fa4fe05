#include "tests/XServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

// The toolkit's own window snapshot leaves a flag of its image unset, and its
// destructor may then detach shared memory that was never attached.
juce::Image zotest::grabWindow (juce::ComponentPeer* peer)
{
    auto* display = peer != nullptr ? XOpenDisplay (nullptr) : nullptr;
    if (display == nullptr)
        return {};

    const auto window = (::Window) reinterpret_cast<juce::pointer_sized_uint> (peer->getNativeHandle());
    juce::Image shot;
    XWindowAttributes attributes {};
    if (XGetWindowAttributes (display, window, &attributes) != 0 && attributes.map_state == IsViewable)
        if (auto* image = XGetImage (display, window, 0, 0, (unsigned) attributes.width, (unsigned) attributes.height, AllPlanes, ZPixmap))
        {
            // Xvfb's 24-bit true colour: 0x00RRGGBB.
            if (image->red_mask == 0xff0000 && image->green_mask == 0xff00 && image->blue_mask == 0xff)
            {
                shot = juce::Image (juce::Image::RGB, attributes.width, attributes.height, false);
                for (int y = 0; y < attributes.height; ++y)
                    for (int x = 0; x < attributes.width; ++x)
                        shot.setPixelAt (x, y, juce::Colour (0xff000000u | (juce::uint32) XGetPixel (image, x, y)));
            }
            XDestroyImage (image);
        }
    XCloseDisplay (display);
    return shot;
}

void zotest::tolerateMissingWindowManager()
{
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
}
