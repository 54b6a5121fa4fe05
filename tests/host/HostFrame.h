#pragma once

#include <juce_events/juce_events.h>

#include <X11/Xlib.h>

// A host's top-level window as Ardour's GTK makes one, around a plug-in's
// window. The window manager offers it the keyboard focus on a click
// (WM_TAKE_FOCUS); it takes the focus a few milliseconds later for a window of
// its own, stamped with the offer's time, and would read keys there as its
// shortcuts. Its X connection is served by the message loop, as a host's run
// loop serves its own and the plug-in's.
class HostFrame : private juce::Timer
{
public:
    HostFrame (int width, int height);
    ~HostFrame() override;

    ::Window window() const { return frame; }
    // Asks the window manager to show the frame, again while it does not show
    // (one that is starting up may drop the request); true once it shows.
    bool show();
    // Key presses that reached the frame's own focus window: the host's shortcuts.
    int keysTaken() const { return keys; }

private:
    void readEvents();
    void timerCallback() override;

    Display* display = nullptr;
    ::Window frame = 0, focusWindow = 0;
    Atom protocols = 0, takeFocus = 0;
    ::Time offeredAt = CurrentTime;
    juce::uint32 mappedAt = 0;
    int keys = 0;
};
