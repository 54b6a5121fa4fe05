#include "widgets/VParamSlider.h"

#include <utility>

#include "engine/KtParameter.h"

VParamSlider::VParamSlider (juce::AudioProcessor* p, int index)
    : VSlider(),
      KtHostParamControl (p, index)
{
}

VParamSlider::~VParamSlider()
{
    // An editor closed during a drag must not leave the host inside a gesture.
    endGesture();
}

KtParameter* VParamSlider::getBoundParameter() const
{
    if (processor == nullptr)
        return nullptr;

    return dynamic_cast<KtParameter*> (processor->getParameters()[parameterIndex]);
}

//==============================================================================
void VParamSlider::handleAsyncUpdate()
{
    auto* param = getBoundParameter();

    if (param == nullptr)
        return;

    const float n = param->getValue();
    double v;

    if (param->getNumSteps() == 0)
    {
        v = proportionOfLengthToValue (valueToProportionOfLength ((double) param->value.load()));
    }
    else
    {
        // The parameter's own step mapping, in single precision.
        const float range = param->maxValue - param->minValue;
        const auto k = (int) ((range + 1.0f) * (n / 1.001f));
        const float proportion = range != 0.0f ? (float) k / range : 0.0f;
        v = proportionOfLengthToValue ((double) proportion);
    }

    // Told at once, with the mark set, so that listeners can tell it from a user's turn.
    const juce::ScopedValueSetter<bool> following (followingParameter, true);
    setValue ((double) (float) v, juce::sendNotificationSync);
}

//==============================================================================
bool VParamSlider::beginGesture()
{
    auto* param = getBoundParameter();

    if (gestureParameter != nullptr || param == nullptr || ! param->isAutomatable())
        return false;

    gestureParameter = param;
    param->beginChangeGesture();
    return true;
}

void VParamSlider::endGesture()
{
    if (auto* param = std::exchange (gestureParameter, nullptr))
        param->endChangeGesture();
}

void VParamSlider::startedDragging()
{
    beginGesture();
}

void VParamSlider::stoppedDragging()
{
    endGesture();
}

void VParamSlider::mouseDoubleClick (const juce::MouseEvent& e)
{
    VSlider::mouseDoubleClick (e);

    // A disabled knob's parameter follows a leader; the user may not move it.
    if (! isEnabled())
        return;

    auto* param = getBoundParameter();

    if (param == nullptr)
        return;

    // The reset reaches the host (through the listener, at once) inside a
    // gesture of its own, unless a press has one open already.
    const bool opened = beginGesture();
    setValue (param->defaultValue, juce::sendNotificationSync);

    if (opened)
        endGesture();
}
