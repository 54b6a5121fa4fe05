#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <tuple>

#include "engine/KtParameter.h"
#include "tests/EngineTestSupport.h"

using zoengine::CountingControl;

namespace
{
KtParameter continuous (float lo, float hi, float def)
{
    return KtParameter ("p", lo, hi, def, nullptr, false, 0, true, false, 1.0f, "p");
}

KtParameter stepped (float lo, float hi, float def, bool boolean = false)
{
    return KtParameter ("s", lo, hi, def, nullptr, boolean, 1, true, false, 1.0f, "s");
}
} // namespace

TEST (KtParameter, AContinuousValueMapsLinearlyAndIsClamped)
{
    auto volume = continuous (-12.0f, 12.0f, 0.0f);
    EXPECT_EQ (volume.getValue(), 0.5f);
    // normalised in, then normalised and real stored
    const std::tuple<float, float, float> cases[] = { { 0.75f, 0.75f, 6.0f }, { 1.5f, 1.0f, 12.0f }, { -0.2f, 0.0f, -12.0f } };
    for (auto [in, n, real] : cases)
    {
        volume.setValue (in);
        EXPECT_EQ (volume.getValue(), n) << in;
        EXPECT_EQ (volume.value.load(), real) << in;
    }
    EXPECT_EQ (continuous (20.0f, 20000.0f, 20000.0f).getValue(), 1.0f);
    EXPECT_EQ (continuous (20.0f, 20000.0f, 20.0f).getValue(), 0.0f);
    EXPECT_EQ (volume.getValueForText ("6.5"), 6.5f);
}

TEST (KtParameter, ASteppedValueTakesItsStepFromTheDivisor)
{
    auto p = stepped (0.0f, 3.0f, 0.0f);
    EXPECT_EQ (p.getDefaultValue(), 0.25f);
    const std::pair<float, float> cases[] = { { 0.25f, 0.0f }, { 0.2503f, 1.0f }, { 0.5f, 1.0f }, { 0.75f, 2.0f }, { 1.0f, 3.0f } };
    for (auto [n, step] : cases)
    {
        p.setValue (n);
        EXPECT_EQ (p.value.load(), step) << "normalised " << n;
    }
}

TEST (KtParameter, TheBooleanFlagCountsOnlyWhenStepped)
{
    EXPECT_EQ (stepped (0.0f, 1.0f, 0.5f, true).getDefaultValue(), 1.0f);
    EXPECT_EQ (stepped (0.0f, 1.0f, 0.49f, true).getDefaultValue(), 0.0f);
    EXPECT_EQ (KtParameter ("b", 0.0f, 1.0f, 0.25f, nullptr, true, 0, true, false, 1.0f, "p").getDefaultValue(), 0.25f);
}

TEST (KtParameter, AHostChangeReachesTheProcessorsTable)
{
    Brindle b; // its parameters' owner
    b.getParameters()[2]->setValue (0.5f);
    EXPECT_FLOAT_EQ (zoengine::table().getData (b.trackId, 2), 10010.0f);
    b.getKtParameter (1)->setValueNotifyingHost (0.75f);
    EXPECT_FLOAT_EQ (zoengine::table().getData (b.trackId, 1), 0.5f);
}

TEST (KtHostParamControl, RefreshesCollapseAndTheControlUnpairsWhenItGoes)
{
    Brindle b;
    auto& p = *b.getKtParameter (0);
    {
        CountingControl control (&b, 0);
        std::thread other ([&] { for (int i = 0; i < 10; ++i) p.refreshPairedControl(); });
        other.join();
        zotest::pumpMessages();
        EXPECT_EQ (control.updates, 1) << "triggers before delivery collapse into one update";

        control.changePairedParam (1);
        EXPECT_EQ (p.pairedControl.load(), nullptr);
        EXPECT_EQ (b.getKtParameter (1)->pairedControl.load(), &control);
    }
    EXPECT_FALSE (b.getKtParameter (1)->refreshPairedControl());
}
