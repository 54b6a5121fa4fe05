#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"

// One control tick of every instance in a session of N tracks, where every
// other track follows the one before it with a delay ring (rules and
// parameters vary), as a DAW session with links would.
static void BM_ControlTick (benchmark::State& state)
{
    const int count = (int) state.range (0);
    auto& table = *VSharedData::sharedInstance();
    const char* rules[] = { "Same (=x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)" };

    std::vector<std::unique_ptr<Brindle>> instances;
    for (int i = 0; i < count; ++i)
    {
        instances.push_back (std::make_unique<Brindle>());
        instances.back()->prepareToPlay (48000.0, 480);
    }

    for (int i = 1; i < count; i += 2)
    {
        const int follower = table.getDataIndex (instances[(size_t) i]->trackId);
        const int leader = table.getDataIndex (instances[(size_t) i - 1]->trackId);
        table.addMaster (follower, leader, i % 4, rules[i % 4], 0.9f, 0, 25, 1.0f, 0);
    }

    float automation = 0.0f;

    for (auto _ : state)
    {
        // Keep leaders moving so that followers do real work.
        automation = automation > 0.9f ? 0.0f : automation + 0.05f;
        for (int i = 0; i < count; i += 2)
            instances[(size_t) i]->getParameters()[i % 4]->setValue (automation);

        for (auto& b : instances)
            b->updateControlParams();
    }

    state.SetItemsProcessed (state.iterations() * count);
    state.counters["per_instance_ns"] = benchmark::Counter ((double) count, benchmark::Counter::kIsIterationInvariantRate
                                                                                | benchmark::Counter::kInvert);
}
BENCHMARK (BM_ControlTick)->Arg (1)->Arg (8)->Arg (64)->Unit (benchmark::kMicrosecond);
