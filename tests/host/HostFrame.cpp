#include "tests/host/HostFrame.h"

#include <X11/Xutil.h>

HostFrame::HostFrame (int width, int height) : display (XOpenDisplay (nullptr))
{
    if (display == nullptr)
        return;

    frame = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, (unsigned) width, (unsigned) height, 0, 0, 0);
    protocols = XInternAtom (display, "WM_PROTOCOLS", False);
    takeFocus = XInternAtom (display, "WM_TAKE_FOCUS", False);
    Atom wanted[] = { XInternAtom (display, "WM_DELETE_WINDOW", False), takeFocus };
    XSetWMProtocols (display, frame, wanted, 2);
    XWMHints hints {};
    hints.flags = InputHint;
    hints.input = True;
    XSetWMHints (display, frame, &hints);

    // As GDK's: an input-only child out of sight, where the frame's keys arrive.
    XSetWindowAttributes attributes {};
    attributes.event_mask = KeyPressMask;
    focusWindow = XCreateWindow (display, frame, -1, -1, 1, 1, 0, 0, InputOnly, nullptr /* the parent's visual */, CWEventMask, &attributes);
    XMapWindow (display, focusWindow);

    juce::LinuxEventLoop::registerFdCallback (ConnectionNumber (display), [this] (int) { readEvents(); });
}

HostFrame::~HostFrame()
{
    if (display == nullptr)
        return;
    stopTimer();
    juce::LinuxEventLoop::unregisterFdCallback (ConnectionNumber (display));
    XCloseDisplay (display);
}

bool HostFrame::show()
{
    XWindowAttributes attributes {};
    if (display == nullptr || XGetWindowAttributes (display, frame, &attributes) == 0)
        return false;
    if (attributes.map_state == IsViewable)
        return true;
    if (const auto now = juce::Time::getMillisecondCounter(); mappedAt == 0 || now - mappedAt > 250)
    {
        mappedAt = now;
        XMapWindow (display, frame);
        XFlush (display);
    }
    return false;
}

void HostFrame::readEvents()
{
    while (XPending (display) > 0)
    {
        XEvent event;
        XNextEvent (display, &event);
        if (event.type == ClientMessage && event.xclient.message_type == protocols && (Atom) event.xclient.data.l[0] == takeFocus)
        {
            offeredAt = (::Time) event.xclient.data.l[1];
            startTimer (5);
        }
        keys += event.type == KeyPress ? 1 : 0;
    }
}

void HostFrame::timerCallback()
{
    stopTimer();
    XSetInputFocus (display, focusWindow, RevertToParent, offeredAt);
    XFlush (display);
}
