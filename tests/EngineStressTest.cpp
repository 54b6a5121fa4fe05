#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace
{
VSharedData& table() { return *VSharedData::sharedInstance(); }

// One host track: the instance may be replaced only while nothing else uses it,
// as a host stops processing before it destroys a plug-in.
struct Slot
{
    std::shared_mutex guard;
    std::unique_ptr<Brindle> instance;
    bool mono = false;
};

std::unique_ptr<Brindle> makeInstance (bool mono)
{
    auto b = std::make_unique<Brindle>();
    if (mono)
        b->setPlayConfigDetails (1, 1, 44100.0, 512);
    return b;
}

// A fixed amount of work, so that a slow or loaded machine checks as much as a fast one.
int stressOperations()
{
    const auto fromEnv = juce::SystemStats::getEnvironmentVariable ("ZO_STRESS_OPS", {});
    return fromEnv.isNotEmpty() ? fromEnv.getIntValue() : 3000;
}

// What a follower holds once its leader has stood at 0.25 (volume, pan) or
// 1000 Hz (cutoffs) long enough, by rule; links here always scale by 2.
float expectedFollowerValue (const juce::String& rule, int p)
{
    const bool cutoff = p >= 2;
    if (rule == "Same (=x)")        return cutoff ? 1000.0f : 0.25f;
    if (rule == "Reciprocal (1/x)") return cutoff ? 0.001f : 4.0f;
    if (rule == "Half (0.5x)")      return cutoff ? 500.0f : 0.125f;
    if (rule == "Scale (*x)")       return cutoff ? 2000.0f : 0.5f;
    if (rule == "Reverse (-x)")     return cutoff ? 19020.0f : -0.25f;
    ADD_FAILURE() << "unknown rule " << rule;
    return 0.0f;
}
} // namespace

TEST (EngineStress, ManyInstancesOnManyThreads)
{
    constexpr int numSlots = 8;
    const juce::StringArray rules { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)" };
    const juce::StringArray names { "Kick", "Snare", "Bass", "Lead", "Pad", "Vox", "", "Track 1", "Track 3", "鼓组" };
    const double rates[] = { 44100.0, 48000.0, 32000.0, 96000.0, 22050.0 };

    std::vector<std::unique_ptr<Slot>> slots;
    for (int s = 0; s < numSlots; ++s)
    {
        slots.push_back (std::make_unique<Slot>());
        slots.back()->mono = (s % 3 == 2);
        slots.back()->instance = makeInstance (slots.back()->mono);
    }

    std::atomic<bool> running { true };
    std::vector<std::thread> threads;

    for (int s = 0; s < numSlots; ++s)
    {
        threads.emplace_back ([&, s]
        {
            juce::Random random (100 + s);
            auto& slot = *slots[(size_t) s];
            juce::MidiBuffer midi;

            while (running.load())
            {
                std::shared_lock<std::shared_mutex> lock (slot.guard);
                auto& b = *slot.instance;

                if (random.nextInt (50) == 0)
                    b.prepareToPlay (rates[random.nextInt ((int) std::size (rates))], 1024);

                juce::AudioBuffer<float> buffer (slot.mono ? 1 : 2, 1 + random.nextInt (1024));
                for (int c = 0; c < buffer.getNumChannels(); ++c)
                    for (int i = 0; i < buffer.getNumSamples(); ++i)
                        buffer.setSample (c, i, random.nextFloat() - 0.5f);

                b.processBlock (buffer, midi);
            }
        });
    }

    // Host automation from a thread of its own.
    threads.emplace_back ([&]
    {
        juce::Random random (7);
        while (running.load())
        {
            auto& slot = *slots[(size_t) random.nextInt (numSlots)];
            std::shared_lock<std::shared_mutex> lock (slot.guard);
            slot.instance->getParameters()[random.nextInt (4)]->setValue (random.nextFloat());
        }
    });

    // The message thread edits links, names, instances and states meanwhile. The
    // clock only guards against a hang; the work is a fixed number of operations.
    juce::Random random (42);
    const auto deadline = juce::Time::getMillisecondCounter() + 300000u;
    int operations = 0;

    for (; operations < stressOperations() && juce::Time::getMillisecondCounter() < deadline; ++operations)
    {
        const int rows = table().getNumTracks();
        const int follower = random.nextInt (rows), leader = random.nextInt (rows), p = random.nextInt (4);
        auto& slot = *slots[(size_t) random.nextInt (numSlots)];

        switch (random.nextInt (7))
        {
            case 0:
            case 1:
                if (follower != leader && ! table().isReverseLink (follower, leader, p))
                    table().addMaster (follower, leader, p, rules[random.nextInt (rules.size())],
                                       2.0f, random.nextInt (2), random.nextInt (51),
                                       random.nextFloat(), random.nextInt (8));
                break;
            case 2:
                table().removeMaster (follower, leader, p);
                break;
            case 3:
                table().setTrackName (follower, names[random.nextInt (names.size())] + juce::String (random.nextInt (3)));
                break;
            case 4:
            {
                std::unique_lock<std::shared_mutex> lock (slot.guard);
                slot.instance.reset();
                slot.instance = makeInstance (slot.mono);
                break;
            }
            case 5:
            {
                juce::MemoryBlock state;
                {
                    std::shared_lock<std::shared_mutex> lock (slot.guard);
                    slot.instance->getStateInformation (state);
                }
                auto& target = *slots[(size_t) random.nextInt (numSlots)];
                std::shared_lock<std::shared_mutex> lock (target.guard);
                target.instance->setStateInformation (state.getData(), (int) state.getSize());
                break;
            }
            default:
                zotest::pumpMessages (1);
                break;
        }
    }

    running = false;
    for (auto& t : threads)
        t.join();

    // Records restored into tracks other than the last row are made live when
    // the last row loads; settle them as that would.
    table().addMasterFromLinkList();
    zotest::pumpMessages (100);
    EXPECT_EQ (operations, stressOperations()) << "the safety clock ran out";

    // Every live instance has exactly one row, and nothing else does.
    ASSERT_EQ (table().getNumTracks(), numSlots);
    std::set<int> rowsSeen;
    for (auto& slot : slots)
    {
        const int row = table().getDataIndex (slot->instance->trackId);
        ASSERT_GE (row, 0);
        rowsSeen.insert (row);
    }
    EXPECT_EQ ((int) rowsSeen.size(), numSlots);

    // Every leader row is a live row other than the follower's own.
    std::map<std::pair<int, int>, int> leaders;
    for (int row = 0; row < numSlots; ++row)
    {
        for (int p = 0; p < 4; ++p)
        {
            const int leader = table().getMasterIndex (row, p);
            EXPECT_TRUE (leader == -1 || (leader >= 0 && leader < numSlots && leader != row)) << row << "/" << p;
            const int recorded = table().linkInfos[(size_t) row][(size_t) p].masterIndexInVector;
            EXPECT_TRUE (recorded >= -1 && recorded < numSlots);
            if (leader >= 0)
                leaders[{ row, p }] = leader;
        }
    }

    // Every track that leads without following stands at a known value; after
    // enough ticks to run the longest delay ring through, its direct followers
    // hold that value through their rule.
    std::map<int, int> trackOfRow;
    for (auto& slot : slots)
        trackOfRow[table().getDataIndex (slot->instance->trackId)] = slot->instance->trackId;

    for (const auto& [key, leader] : leaders)
        if (leaders.count ({ leader, key.second }) == 0)
            table().setData (trackOfRow[leader], key.second, key.second >= 2 ? 1000.0f : 0.25f);

    for (int round = 0; round < 60; ++round)
        for (auto& slot : slots)
            slot->instance->updateControlParams();

    int checked = 0;

    for (const auto& [key, leader] : leaders)
    {
        const auto [row, p] = key;

        if (leaders.count ({ leader, p }) != 0)
            continue;

        const auto& rule = table().linkInfos[(size_t) row][(size_t) p].rule;
        EXPECT_EQ (table().getData (trackOfRow[row], p), expectedFollowerValue (rule, p))
            << "row " << row << " p " << p << " rule " << rule;
        ++checked;
    }

    EXPECT_GT (checked, 0) << "the run should leave some links to check";

    for (int row = 0; row < numSlots; ++row)
        for (int p = 0; p < 4; ++p)
            table().removeMaster (row, -1, p);

    slots.clear();
    zotest::pumpMessages (50);
    EXPECT_EQ (table().getNumTracks(), 0);
}
