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
} // namespace zotest
