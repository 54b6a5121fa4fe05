#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// What the tests ask of the X server directly.
namespace zotest
{
// What the server shows of the peer's window now: the renderer's real output,
// OpenGL included. Invalid when the window is not on screen.
juce::Image grabWindow (juce::ComponentPeer* peer);

// Without a window manager some atoms the toolkit sets do not exist, and Xlib's
// default error handler would end the process.
void tolerateMissingWindowManager();

// A user's hand through the X server (XTest): the window manager and the X
// focus see these events as they see a real mouse and keyboard. Positions are
// on the screen. Each call leaves the events with the server and returns.
namespace xtest
{
    juce::Point<int> screenPositionOf (juce::ComponentPeer* peer);
    // True while the X focus is on the window under that point, or on one of the
    // windows of the same program around it: a plug-in's window inside a host's
    // has taken it, not the host.
    bool hasFocusAt (juce::Point<int> onScreen);
    // The colour the screen shows at the point, whichever window is there.
    juce::Colour colourAt (juce::Point<int> onScreen);
    // A window manager on the display while this lives: openbox, started and
    // stopped here unless one runs already.
    class WindowManager
    {
    public:
        WindowManager();
        ~WindowManager();
        bool runs() const;

    private:
        int pid = 0;
    };
    void moveTo (juce::Point<int> onScreen);
    void click (juce::Point<int> onScreen, int clicks = 1);
    // A press and a release at once, left with the server without waiting for the
    // window manager: the caller runs the message loop at once, as a host does.
    void tap (juce::Point<int> onScreen);
    // A press that comes as the pointer arrives, held until release(), as a hand
    // clicks: the window may read the move while the button is already down.
    void pressOnArrival (juce::Point<int> onScreen);
    void release();
    // Turns the wheel by whole steps, up for positive ones.
    void scroll (juce::Point<int> onScreen, int steps);
    // Printable ASCII, typed key by key.
    void type (const juce::String& text);
    // A key by its X name ("Return", "Escape", "BackSpace"), with Control held if asked.
    void key (const char* keySymName, bool withControl = false);
} // namespace xtest
} // namespace zotest
