// A host that quits while its audio threads still run: two linked instances
// play on a thread of their own, never stopped, while the process exits and
// its statics go. Every tick reads the shared table, so the table must outlive
// them. Exits 0 unless something crashes or a sanitizer reports.
#include <atomic>
#include <thread>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"

// Outlives main, as the audio thread does.
static std::atomic<int> blocks { 0 };

int main()
{
    auto* leader = new Brindle(); // never deleted, as a host that exits without closing its plug-ins
    auto* follower = new Brindle();
    VSharedData::sharedInstance()->addMaster (1, 0, 1, "Reverse (-x)", 1.0f, 0, 3, 0.0f, 0);
    leader->prepareToPlay (48000.0, 64);
    follower->prepareToPlay (48000.0, 64);

    std::thread audio ([leader, follower]
    {
        juce::AudioBuffer<float> buffer (2, 64);
        juce::MidiBuffer midi;

        for (;;)
        {
            buffer.clear();
            leader->processBlock (buffer, midi);
            follower->processBlock (buffer, midi);
            ++blocks;
        }
    });
    audio.detach();

    // Exits with the audio thread in full swing.
    while (blocks.load() < 1000)
        std::this_thread::yield();

    return 0;
}
