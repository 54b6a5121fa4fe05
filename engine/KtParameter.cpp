#include "engine/KtParameter.h"

#include <cmath>

#include "engine/KtHostParamControl.h"
#include "engine/VStateText.h"

KtParameter::KtParameter (const juce::String& paramName, float minimum, float maximum, float defaultReal,
                          juce::AudioProcessor* ownerProcessor, bool boolean, int steps,
                          bool canAutomate, bool isMeta, float skewFactor, const juce::String& parameterId)
    : juce::AudioProcessorParameterWithID (parameterId, paramName,
                                           juce::AudioProcessorParameterWithIDAttributes().withAutomatable (canAutomate)
                                                                                           .withMeta (isMeta)),
      owner (ownerProcessor),
      minValue (minimum),
      maxValue (maximum),
      defaultValue (defaultReal),
      value (defaultReal),
      isBoolean (boolean),
      numSteps (steps),
      automatable (canAutomate),
      meta (isMeta),
      skew (skewFactor),
      hostOwner (dynamic_cast<Owner*> (ownerProcessor))
{
    // The processor is still being built: store only, nothing to tell it yet.
    storeValue (getDefaultValue());
}

float KtParameter::getValue() const
{
    return normalisedValue.load();
}

void KtParameter::setValue (float newValue)
{
    // JUCE 7 wrappers set parameters here directly, so the owner's hook is the
    // one road by which a host change reaches the processor (and the shared table).
    const int index = getParameterIndex();

    if (hostOwner != nullptr && index >= 0)
        hostOwner->setParameter (index, newValue);
    else
        storeValue (newValue);
}

void KtParameter::storeValue (float newValue) noexcept
{
    // NaN has no place on the 0..1 scale: keep the value in force.
    if (std::isnan (newValue))
        return;

    const float n = juce::jlimit (0.0f, 1.0f, newValue);
    float real;

    if (numSteps == 0)
    {
        real = minValue + n * (maxValue - minValue);
    }
    else
    {
        const float q = n / 1.001f;
        const auto k = (int) ((maxValue - minValue + 1.0f) * q);
        real = minValue + (float) k;
    }

    value.store (real);
    normalisedValue.store (n);
}

float KtParameter::convertToNormalised (float x) const noexcept
{
    if (numSteps == 0)
        return (x - minValue) / (maxValue - minValue);

    if (isBoolean)
        return x >= 0.5f ? 1.0f : 0.0f;

    return (x - minValue + 1.0f) / (maxValue - minValue + 1.0f);
}

float KtParameter::getDefaultValue() const
{
    return convertToNormalised (defaultValue);
}

juce::String KtParameter::getName (int) const
{
    return name;
}

juce::String KtParameter::getLabel() const
{
    return label;
}

int KtParameter::getNumSteps() const
{
    return numSteps;
}

float KtParameter::getValueForText (const juce::String& text) const
{
    return (float) VStateText::readNumber (text);
}

bool KtParameter::isAutomatable() const
{
    return automatable;
}

bool KtParameter::isMetaParameter() const
{
    return meta;
}

void KtParameter::setPairedControl (KtHostParamControl* control)
{
    // Once this returns, no refresh is using the previous control any more.
    const juce::SpinLock::ScopedLockType sl (pairLock);
    pairedControl.store (control);
}

bool KtParameter::refreshPairedControl()
{
    const juce::SpinLock::ScopedLockType sl (pairLock);

    if (auto* control = pairedControl.load())
    {
        control->triggerAsyncUpdate();
        return true;
    }

    return false;
}
