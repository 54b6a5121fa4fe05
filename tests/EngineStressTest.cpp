#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <shared_mutex>
#include <thread>

#include "tests/EngineTestSupport.h"

using namespace zoengine;

namespace
{
// One host track: the instance is replaced only while nothing else uses it,
// as a host stops processing before it destroys a plug-in.
struct Slot
{
    std::shared_mutex guard;
    std::unique_ptr<Brindle> instance;

    void renew (bool mono)
    {
        const std::unique_lock<std::shared_mutex> lock (guard);
        instance.reset();
        instance = std::make_unique<Brindle>();
        if (mono)
            instance->setPlayConfigDetails (1, 1, 44100.0, 512);
    }
};

// What a follower holds, by rule, once its leader has stood at 0.25 (volume,
// pan) or at 1000 Hz (cutoffs) long enough; links here always scale by 2.
const std::map<juce::String, std::pair<float, float>> settled {
    { "Same (=x)", { 0.25f, 1000.0f } }, { "Reciprocal (1/x)", { 4.0f, 0.001f } }, { "Half (0.5x)", { 0.125f, 500.0f } },
    { "Scale (*x)", { 0.5f, 2000.0f } }, { "Reverse (-x)", { -0.25f, 19020.0f } } };
} // namespace

TEST (EngineStress, ManyInstancesOnManyThreads)
{
    constexpr int numSlots = 8;
    const juce::StringArray names { "Kick", "Snare", "Bass", "Lead", "Pad", "Vox", "", "Track 1", "Track 3", "鼓组" };
    const double rates[] = { 44100.0, 48000.0, 32000.0, 96000.0, 22050.0 };
    // A fixed amount of work, so that a slow or loaded machine checks as much as a fast one.
    const auto fromEnv = juce::SystemStats::getEnvironmentVariable ("ZO_STRESS_OPS", {});
    const int operations = fromEnv.isNotEmpty() ? fromEnv.getIntValue() : 3000;
    std::vector<Slot> slots (numSlots);
    for (int s = 0; s < numSlots; ++s)
        slots[(size_t) s].renew (s % 3 == 2);

    // An audio thread per slot, and one more for host automation.
    std::atomic<bool> running { true };
    std::vector<std::thread> threads;
    for (int s = 0; s <= numSlots; ++s)
        threads.emplace_back ([&, s]
        {
            juce::Random random (100 + s);
            juce::MidiBuffer midi;
            while (running.load())
            {
                auto& slot = slots[(size_t) (s < numSlots ? s : random.nextInt (numSlots))];
                std::shared_lock<std::shared_mutex> lock (slot.guard);
                if (s == numSlots)
                    slot.instance->getParameters()[random.nextInt (4)]->setValue (random.nextFloat());
                else if (random.nextInt (50) == 0)
                    slot.instance->prepareToPlay (rates[random.nextInt ((int) std::size (rates))], 1024);
                else
                {
                    const int channels = slot.instance->getTotalNumInputChannels();
                    auto buffer = noise (channels, 1 + random.nextInt (1024), 1 + random.nextInt (1000));
                    slot.instance->processBlock (buffer, midi);
                }
            }
        });

    // The message thread edits links, names, instances and states meanwhile.
    // The clock only guards against a hang.
    juce::Random random (42);
    const auto deadline = juce::Time::getMillisecondCounter() + 300000u;
    int done = 0;
    for (; done < operations && juce::Time::getMillisecondCounter() < deadline; ++done)
    {
        const int rows = table().getNumTracks();
        const int follower = random.nextInt (rows), leader = random.nextInt (rows), p = random.nextInt (4);
        auto& slot = slots[(size_t) random.nextInt (numSlots)];
        auto& target = slots[(size_t) random.nextInt (numSlots)];
        juce::MemoryBlock state;

        switch (random.nextInt (7))
        {
            case 0:
            case 1:
                if (follower != leader && ! table().isReverseLink (follower, leader, p))
                    table().addMaster (follower, leader, p, std::next (settled.begin(), random.nextInt (5))->first, 2.0f,
                                       random.nextInt (2), random.nextInt (51), random.nextFloat(), random.nextInt (8));
                break;
            case 2: table().removeMaster (follower, leader, p); break;
            case 3: table().setTrackName (follower, names[random.nextInt (names.size())] + juce::String (random.nextInt (3))); break;
            case 4: slot.renew (slot.instance->getTotalNumInputChannels() == 1); break;
            case 5:
            {
                std::shared_lock<std::shared_mutex> lock (slot.guard);
                slot.instance->getStateInformation (state);
                lock.unlock(); // the target may be the same slot
                lock = std::shared_lock<std::shared_mutex> (target.guard);
                target.instance->setStateInformation (state.getData(), (int) state.getSize());
                break;
            }
            default: zotest::pumpMessages (1); break;
        }
    }
    running = false;
    for (auto& t : threads)
        t.join();
    // Records restored into rows other than the last go live when the last row loads; settle them so.
    table().addMasterFromLinkList();
    zotest::pumpMessages (100);
    EXPECT_EQ (done, operations) << "the safety clock ran out";

    // Every live instance has a row of its own, nothing else has one, and every
    // leader is a live row other than its follower's.
    ASSERT_EQ (table().getNumTracks(), numSlots);
    std::map<int, int> trackOfRow;
    for (auto& slot : slots)
        trackOfRow[rowOf (*slot.instance)] = slot.instance->trackId;
    ASSERT_EQ (trackOfRow.size() - trackOfRow.count (-1), (size_t) numSlots);
    std::map<std::pair<int, int>, int> leaders;
    for (int row = 0; row < numSlots; ++row)
        for (int p = 0; p < 4; ++p)
            if (const int leader = table().getMasterIndex (row, p); leader != -1)
                leaders[{ row, p }] = leader;
    for (const auto& [key, leader] : leaders)
        EXPECT_TRUE (leader >= 0 && leader < numSlots && leader != key.first) << key.first << "/" << key.second;

    // Leaders that follow nobody stand at a known value; after enough ticks to
    // run the longest ring through, their direct followers hold it by rule.
    for (const auto& [key, leader] : leaders)
        if (leaders.count ({ leader, key.second }) == 0)
            table().setData (trackOfRow[leader], key.second, key.second >= 2 ? 1000.0f : 0.25f);
    for (int round = 0; round < 60; ++round)
        for (auto& slot : slots)
            slot.instance->updateControlParams();
    int checked = 0;
    for (const auto& [key, leader] : leaders)
    {
        const auto [row, p] = key;
        if (leaders.count ({ leader, p }) != 0)
            continue;
        const auto& rule = table().linkInfos[(size_t) row][(size_t) p].rule;
        const auto [value, cutoff] = settled.at (rule); // a rule outside the five throws, and fails
        EXPECT_EQ (table().getData (trackOfRow[row], p), p >= 2 ? cutoff : value) << "row " << row << " p " << p << " " << rule;
        ++checked;
    }
    EXPECT_GT (checked, 0) << "the run should leave some links to check";
    slots.clear();
    zotest::pumpMessages (50);
    EXPECT_EQ (table().getNumTracks(), 0);
}
