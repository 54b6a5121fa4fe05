// libFuzzer target: arbitrary bytes as a saved state, into one of two
// instances. The first byte picks the instance and the road: the raw bytes as
// the host hands them over, or the rest as the text of a blob with the
// plug-in's own header, so that the mutator reaches the XML.
#include "engine/Brindle.h"
#include "engine/VSharedData.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* runtime = new juce::ScopedJuceInitialiser_GUI(); // for the run, like a host session
    static auto* instances = new Brindle[2];
    static int calls = 0;
    if (size == 0)
        return 0;
    auto& target = instances[(data[0] >> 1) & 1];
    if ((data[0] & 1) == 0)
    {
        // The fuzzer's own buffer, so that reading past it is seen.
        target.setStateInformation (data + 1, (int) (size - 1));
    }
    else
    {
        juce::MemoryOutputStream blob;
        blob.writeInt (0x21324356); // the header the plug-in writes
        blob.writeInt ((int) (size - 1));
        blob.write (data + 1, size - 1);
        blob.writeByte (0);
        target.setStateInformation (blob.getData(), (int) blob.getDataSize());
    }
    for (int tick = 0; tick < 4; ++tick)
        for (int i = 0; i < 2; ++i)
            instances[i].updateControlParams();
    // Whatever came in, the table still has exactly our two tracks and valid links.
    auto& table = *VSharedData::sharedInstance();
    for (int row = 0; row < 2; ++row)
        for (int p = 0; p < 4; ++p)
            if (const int leader = table.getMasterIndex (row, p); table.getNumTracks() != 2 || (leader != -1 && leader != 1 - row)
                || ! std::isfinite (instances[row].getKtParameter (p)->value.load())
                || table.linkInfos[(size_t) row][(size_t) p].delayBufferLength > VSharedData::maxDelayBufferLength)
                std::abort();
    // Deliver the change messages now and then so the queue does not grow.
    if (++calls % 64 == 0)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    return 0;
}
