#pragma once

#include <atomic>

#include <juce_audio_processors/juce_audio_processors.h>

class KtHostParamControl;

// A host parameter that also keeps its real range and real value (dB, pan, Hz).
// It carries a parameter ID because the LV2 wrapper names each parameter by it;
// its name and label are the base's `name` and `label`.
class KtParameter : public juce::AudioProcessorParameterWithID
{
public:
    // What the owning processor implements to see every change that arrives
    // through setValue (host automation, toolkit, notifying hand-overs). The
    // processor stores the value with storeValue(), which does not come back here.
    class Owner
    {
    public:
        virtual ~Owner() = default;
        virtual void setParameter (int parameterIndex, float newNormalisedValue) = 0;
    };

    KtParameter (const juce::String& name, float minimum, float maximum, float defaultReal,
                 juce::AudioProcessor* owner, bool isBoolean, int numSteps,
                 bool automatable, bool meta, float skew, const juce::String& parameterId);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    juce::String getName (int maximumStringLength) const override;
    juce::String getLabel() const override;
    int getNumSteps() const override;
    float getValueForText (const juce::String& text) const override;
    bool isAutomatable() const override;
    bool isMetaParameter() const override;

    // Stores a normalised value (clamped) and its real value; no owner call.
    void storeValue (float newNormalisedValue) noexcept;

    // The real-to-normalised mapping of this parameter (not clamped).
    float convertToNormalised (float realValue) const noexcept;

    void setPairedControl (KtHostParamControl* control);

    // Asks the paired control, if any, to refresh itself asynchronously. Safe on
    // any thread against the control being unpaired or destroyed meanwhile.
    // Returns true when a control was triggered.
    bool refreshPairedControl();

    juce::AudioProcessor* const owner;
    const float minValue;
    const float maxValue;
    const float defaultValue;
    std::atomic<float> value;
    std::atomic<float> normalisedValue { 0.0f };
    const bool isBoolean;
    const int numSteps;
    const bool automatable;
    const bool meta;
    float skew;
    std::atomic<KtHostParamControl*> pairedControl { nullptr };
    std::atomic<bool> fromUi { false };

private:
    Owner* const hostOwner;
    juce::SpinLock pairLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KtParameter)
};
