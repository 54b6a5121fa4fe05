#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "engine/KtHostParamControl.h"
#include "widgets/VSlider.h"

class KtParameter;

// The knob of one processor parameter. It follows the parameter when it
// changes by another road (host, link, restored state), reports the user's
// drags to the host as change gestures and resets to the default on a
// double click. Its value reaches the processor through its listener.
class VParamSlider : public VSlider,
                     public KtHostParamControl
{
public:
    VParamSlider (juce::AudioProcessor* processor, int parameterIndex);
    ~VParamSlider() override;

    void mouseDoubleClick (const juce::MouseEvent&) override;
    void startedDragging() override;
    void stoppedDragging() override;
    void handleAsyncUpdate() override;

    // True while the knob takes its parameter's value (a leader, the host, a
    // loaded state moved it), so that its listener can tell that from the user.
    bool isFollowingParameter() const noexcept { return followingParameter; }

private:
    KtParameter* getBoundParameter() const;

    // Opens a host gesture unless one is open; true when this call opened it.
    bool beginGesture();
    void endGesture();

    // The parameter whose gesture is open, so that it is closed on the same
    // parameter even if the knob is re-bound or destroyed meanwhile.
    KtParameter* gestureParameter = nullptr;
    bool followingParameter = false;

    JUCE_DECLARE_NON_COPYABLE (VParamSlider)
};
