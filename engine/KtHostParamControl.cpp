#include "engine/KtHostParamControl.h"

#include "engine/KtParameter.h"

KtHostParamControl::KtHostParamControl (juce::AudioProcessor* p, int index)
    : processor (p), parameterIndex (index)
{
    pairWith (parameterIndex, this);
}

KtHostParamControl::~KtHostParamControl()
{
    // Unpairing waits out a refresh in progress on another thread; the base
    // destructor then cancels an update that is still pending.
    pairWith (parameterIndex, nullptr);
}

void KtHostParamControl::changePairedParam (int newIndex)
{
    pairWith (parameterIndex, nullptr);
    parameterIndex = newIndex;
    pairWith (parameterIndex, this);
}

void KtHostParamControl::pairWith (int index, KtHostParamControl* control)
{
    if (processor == nullptr)
        return;

    if (auto* param = dynamic_cast<KtParameter*> (processor->getParameters()[index]))
        param->setPairedControl (control);
}
