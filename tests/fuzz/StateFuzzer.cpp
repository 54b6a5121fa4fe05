// libFuzzer target: arbitrary bytes as a saved state. The first byte picks the
// road: the raw bytes as the host hands them over, or the rest as the text of
// a blob with the plug-in's own header (so that the mutator reaches the XML).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"

namespace
{
struct Session
{
    juce::ScopedJuceInitialiser_GUI runtime;
    Brindle first, second;
};

Session& session()
{
    static auto* s = new Session(); // lives for the whole run, like a host session
    return *s;
}

void check (bool condition)
{
    if (! condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& s = session();

    if (size == 0)
        return 0;

    auto& target = (data[0] & 2) != 0 ? s.second : s.first;

    if ((data[0] & 1) == 0)
    {
        target.setStateInformation (data + 1, (int) (size - 1));
    }
    else
    {
        // The same header the plug-in writes, around the fuzzed text.
        juce::MemoryOutputStream blob;
        blob.writeInt (0x21324356);
        blob.writeInt ((int) (size - 1));
        blob.write (data + 1, size - 1);
        blob.writeByte (0);
        target.setStateInformation (blob.getData(), (int) blob.getDataSize());
    }

    for (int tick = 0; tick < 4; ++tick)
    {
        s.first.updateControlParams();
        s.second.updateControlParams();
    }

    // Whatever came in, the table still has exactly our two tracks and valid links.
    auto& table = *VSharedData::sharedInstance();
    check (table.getNumTracks() == 2);

    for (int row = 0; row < 2; ++row)
        for (int p = 0; p < 4; ++p)
        {
            const int leader = table.getMasterIndex (row, p);
            check (leader == -1 || leader == 1 - row);
            check (table.linkInfos[(size_t) row][(size_t) p].delayBufferLength <= VSharedData::maxDelayBufferLength);
        }

    for (int i = 0; i < 4; ++i)
        check (std::isfinite (s.first.getKtParameter (i)->value.load()));

    // Deliver the change messages now and then so the queue does not grow.
    static int calls = 0;
    if (++calls % 64 == 0)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

    return 0;
}
