#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Base of an on-screen control bound to one parameter of a processor. The
// processor triggers an asynchronous refresh when the value changes by any
// other road than this control; handleAsyncUpdate runs on the message thread.
class KtHostParamControl : public juce::AsyncUpdater
{
public:
    KtHostParamControl (juce::AudioProcessor* processor, int parameterIndex);
    ~KtHostParamControl() override;

    virtual void changePairedParam (int newIndex);

    juce::AudioProcessor* processor;
    int parameterIndex;

private:
    void pairWith (int index, KtHostParamControl* control);

    JUCE_DECLARE_NON_COPYABLE (KtHostParamControl)
};
