#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

// Counts heap allocations made by the current thread while counting is on.
namespace
{
thread_local bool counting = false;
thread_local long allocations = 0;

struct CountAllocations
{
    CountAllocations()  { allocations = 0; counting = true; }
    ~CountAllocations() { counting = false; }
    long count() const  { return allocations; }
};
} // namespace

void* operator new (std::size_t size)
{
    if (counting)
        ++allocations;

    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

#if ! defined (__cpp_sized_deallocation)
// <new> leaves the sized form undeclared when the compiler does not use it.
void operator delete (void* p, std::size_t) noexcept;
#endif

void operator delete (void* p) noexcept                 { std::free (p); }
void operator delete (void* p, std::size_t) noexcept    { std::free (p); }

TEST (AudioPathAllocation, SteadyProcessingAllocatesNothing)
{
    Brindle leader, follower;
    auto& table = *VSharedData::sharedInstance();
    table.addMaster (table.getDataIndex (follower.trackId), table.getDataIndex (leader.trackId), 1,
                     "Reverse (-x)", 1.0f, 0, 20, 0.0f, 0);
    // A follower whose row holds a cutoff out of range (200 kHz) settles on its
    // clamped value instead of redesigning its filters on every tick.
    table.addMaster (table.getDataIndex (follower.trackId), table.getDataIndex (leader.trackId), 2,
                     "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
    leader.prepareToPlay (48000.0, 512);
    follower.prepareToPlay (48000.0, 512);
    leader.getParameters()[1]->setValue (0.8f);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    long steady = 0;

    {
        const CountAllocations counter;
        for (int block = 0; block < 200; ++block)
        {
            buffer.clear();
            leader.processBlock (buffer, midi);
            follower.processBlock (buffer, midi);
        }
        steady = counter.count();
    }

    EXPECT_EQ (steady, 0) << "two seconds of linked audio, pan moving through a delay ring, a cutoff out of range";
    EXPECT_NEAR (follower.pan.load(), -0.6f, 1e-6f);

    // A cutoff change redesigns the filters: only the returned coefficient vectors are allocated.
    leader.getParameters()[2]->setValue (0.5f);
    long redesign = 0;
    {
        const CountAllocations counter;
        for (int block = 0; block < 10; ++block)
            leader.processBlock (buffer, midi);
        redesign = counter.count();
    }
    EXPECT_EQ (redesign, 2) << "one vector per channel";

    table.removeMaster (table.getDataIndex (follower.trackId), -1, 1);
    table.removeMaster (table.getDataIndex (follower.trackId), -1, 2);
    zotest::pumpMessages (10);
}
