#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "tests/EngineTestSupport.h"

static thread_local long allocations = 0; // made by the current thread

void* operator new (std::size_t size)
{
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
    using namespace zoengine;
    Brindle leader, follower;
    table().addMaster (rowOf (follower), rowOf (leader), 1, "Reverse (-x)", 1.0f, 0, 20, 0.0f, 0);
    // A follower whose row holds a cutoff out of range (200 kHz) settles on its
    // clamped value instead of redesigning its filters on every tick.
    table().addMaster (rowOf (follower), rowOf (leader), 2, "Scale (*x)", 10.0f, 0, 0, 0.0f, 0);
    leader.getParameters()[3]->setValue (0.5f);
    leader.prepareToPlay (48000.0, 512);
    follower.prepareToPlay (48000.0, 512);
    leader.getParameters()[1]->setValue (0.8f);
    // The leader's high-pass glides down from 10 kHz over noise, a redesign at every step.
    leader.getParameters()[3]->setValue (0.0f);
    auto buffer = noise (2, 512, 7);
    juce::MidiBuffer midi;
    const auto before = allocations;
    for (int block = 0; block < 200; ++block)
    {
        leader.processBlock (buffer, midi);
        follower.processBlock (buffer, midi);
    }
    EXPECT_EQ (allocations - before, 0) << "two seconds of linked audio, pan moving through a delay ring, a high-pass gliding";
    EXPECT_NEAR (follower.pan.load(), -0.6f, 1e-6f);
}
