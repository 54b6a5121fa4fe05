#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace zotest
{
// What the X server shows of the peer's window now: the renderer's real output,
// OpenGL included. Invalid when the window is not on screen.
juce::Image grabWindow (juce::ComponentPeer* peer);
} // namespace zotest
