#include "tests/XServer.h"

#include <algorithm>
#include <vector>

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

namespace
{
// One connection for the hand, so that its events reach the server in order.
Display* hand()
{
    static Display* display = XOpenDisplay (nullptr);
    return display;
}

void pressKey (KeyCode code, bool down)
{
    XTestFakeKeyEvent (hand(), code, down ? True : False, CurrentTime);
}
} // namespace

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

juce::Point<int> zotest::xtest::screenPositionOf (juce::ComponentPeer* peer)
{
    int x = 0, y = 0;
    ::Window child = 0;
    if (peer != nullptr && hand() != nullptr)
        XTranslateCoordinates (hand(), (::Window) reinterpret_cast<juce::pointer_sized_uint> (peer->getNativeHandle()),
                               DefaultRootWindow (hand()), 0, 0, &x, &y, &child);
    return { x, y };
}

bool zotest::xtest::hasFocusAt (juce::Point<int> at)
{
    // The window the pointer is over there, innermost first.
    std::vector<::Window> chain;
    ::Window parent = DefaultRootWindow (hand()), child = 0;
    for (int x = 0, y = 0; XTranslateCoordinates (hand(), DefaultRootWindow (hand()), parent, at.x, at.y, &x, &y, &child) && child != 0; parent = child)
        chain.insert (chain.begin(), child);

    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus (hand(), &focus, &revert);

    // The server gives each client a range of ids of its own, at least 2^20 wide:
    // the window under the pointer and the focus must belong to one program.
    const auto sameProgram = [] (::Window a, ::Window b) { return (a >> 20) == (b >> 20); };
    return ! chain.empty() && std::find (chain.begin(), chain.end(), focus) != chain.end() && sameProgram (focus, chain.front());
}

juce::Colour zotest::xtest::colourAt (juce::Point<int> at)
{
    juce::Colour colour;
    if (auto* image = XGetImage (hand(), DefaultRootWindow (hand()), at.x, at.y, 1, 1, AllPlanes, ZPixmap))
    {
        colour = juce::Colour (0xff000000u | (juce::uint32) XGetPixel (image, 0, 0));
        XDestroyImage (image);
    }
    return colour;
}

bool zotest::xtest::WindowManager::runs() const
{
    // The manager's own window, named on the root window, exists while it runs.
    const auto check = XInternAtom (hand(), "_NET_SUPPORTING_WM_CHECK", True);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    XWindowAttributes attributes {};
    const bool found = check != None
                       && XGetWindowProperty (hand(), DefaultRootWindow (hand()), check, 0, 1, False, XA_WINDOW,
                                              &type, &format, &items, &left, &data) == Success
                       && items == 1 && XGetWindowAttributes (hand(), *reinterpret_cast<::Window*> (data), &attributes) != 0;
    XFree (data);
    return found;
}

zotest::xtest::WindowManager::WindowManager()
{
    tolerateMissingWindowManager(); // the check above may name a window that has gone
    if (runs())
        return;

    pid = fork();
    if (pid == 0)
    {
        prctl (PR_SET_PDEATHSIG, SIGTERM); // gone with the test, whatever ends it
        execlp ("openbox", "openbox", nullptr);
        _exit (127);
    }
    for (int attempt = 0; attempt < 500 && ! runs(); ++attempt)
        juce::Thread::sleep (10);
}

zotest::xtest::WindowManager::~WindowManager()
{
    if (pid <= 0)
        return;
    kill (pid, SIGTERM);
    waitpid (pid, nullptr, 0);
}

void zotest::xtest::moveTo (juce::Point<int> at)
{
    XTestFakeMotionEvent (hand(), -1, at.x, at.y, CurrentTime);
    XFlush (hand());
}

namespace
{
void press (juce::Point<int> at, unsigned int button, int times, bool waitForWindowManager = true)
{
    zotest::xtest::moveTo (at);
    for (int i = 0; i < times; ++i)
    {
        XTestFakeButtonEvent (hand(), button, True, CurrentTime);
        XTestFakeButtonEvent (hand(), button, False, CurrentTime);
    }
    XFlush (hand());
    if (! waitForWindowManager)
        return;

    // A window manager holds a click until it has focused and raised the window,
    // while keys pass on at once: the hand types only once the click has gone on.
    for (int attempt = 0; attempt < 200; ++attempt)
    {
        if (XGrabPointer (hand(), DefaultRootWindow (hand()), False, 0, GrabModeAsync, GrabModeAsync,
                          None, None, CurrentTime) == GrabSuccess)
        {
            XUngrabPointer (hand(), CurrentTime);
            XFlush (hand());
            return;
        }
        juce::Thread::sleep (10);
    }
}
} // namespace

void zotest::xtest::pressOnArrival (juce::Point<int> at)
{
    moveTo (at);
    XTestFakeButtonEvent (hand(), 1, True, CurrentTime);
    XFlush (hand());
}

void zotest::xtest::release()
{
    XTestFakeButtonEvent (hand(), 1, False, CurrentTime);
    XFlush (hand());
}

void zotest::xtest::click (juce::Point<int> at, int clicks)  { press (at, 1, clicks); }
void zotest::xtest::scroll (juce::Point<int> at, int steps)  { press (at, steps > 0 ? 4 : 5, std::abs (steps)); }
void zotest::xtest::tap (juce::Point<int> at)                { press (at, 1, 1, false); }

void zotest::xtest::type (const juce::String& text)
{
    for (auto c : text)
    {
        const char name[] = { (char) c, 0 };
        const auto sym = c == ' ' ? XK_space : c == '.' ? XK_period : c == '-' ? XK_minus : XStringToKeysym (name);
        const auto code = XKeysymToKeycode (hand(), sym);
        const bool shift = XkbKeycodeToKeysym (hand(), code, 0, 0) != sym;
        if (shift)
            pressKey (XKeysymToKeycode (hand(), XK_Shift_L), true);
        pressKey (code, true);
        pressKey (code, false);
        if (shift)
            pressKey (XKeysymToKeycode (hand(), XK_Shift_L), false);
    }
    XFlush (hand());
}

void zotest::xtest::key (const char* keySymName, bool withControl)
{
    const auto control = XKeysymToKeycode (hand(), XK_Control_L);
    if (withControl)
        pressKey (control, true);
    const auto code = XKeysymToKeycode (hand(), XStringToKeysym (keySymName));
    pressKey (code, true);
    pressKey (code, false);
    if (withControl)
        pressKey (control, false);
    XFlush (hand());
}
