// libFuzzer target: a byte script of table operations on a table of its own,
// checking after every step that no link or record names a missing row.
#include "engine/VSharedData.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* runtime = new juce::ScopedJuceInitialiser_GUI();
    static int calls = 0;

    const char* const rules[] = { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)", "", "Bogus" };
    const char* const names[] = { "A", "B", "C", "", "Track 1", "Track 2" };
    size_t pos = 0;
    const auto next = [&] { return pos < size ? (int) data[pos++] : 0; };
    const auto nextFloat = [&] { return (float) (next() - 64) / 16.0f; };
    VSharedData table;
    std::vector<int> ids;

    while (pos < size)
    {
        const int op = next() % 10, a = next() % 8, b = next() % 8, p = next() % 5;
        const int id = ids.empty() ? a : ids[(size_t) a % ids.size()];

        switch (op)
        {
            case 0: if (table.getNumTracks() < 8) table.addTrack (ids.emplace_back(), nullptr, 1.0f, 0.0f, 20000.0f, 20.0f); break;
            case 1: table.removeTrack (id); break;
            case 2: table.addMaster (a, b, p, rules[next() % 7], nextFloat(), next() % 3 - 1, next() * 3 - 100, nextFloat(),
                                     next() - 1); break;
            case 3: table.removeMaster (a, b, p); break;
            case 4: table.setTrackName (a, names[b % 6]); break;
            case 5: table.setData (id, p, nextFloat()); break;
            case 6: table.getData (id, p); break;
            case 7: table.loadLinkListFromState (id, b - 1, p, rules[next() % 7], nextFloat(), next() % 3 - 1, next() - 1,
                                                 next() * 500 - 1000, nextFloat(), names[b % 6]); break;
            case 8: table.addMasterFromLinkList(); break;
            default: table.isReverseLink (a, b, p); table.isSlave (id, p); break;
        }
        const int rows = table.getNumTracks();
        if ((int) table.linkInfos.size() != rows)
            std::abort();
        for (int row = 0; row < rows; ++row)
            for (int q = 0; q < table.numParams; ++q)
                if (const auto& info = table.linkInfos[(size_t) row][(size_t) q];
                    table.getMasterIndex (row, q) < -1 || table.getMasterIndex (row, q) >= rows || info.masterIndexInVector < -1
                    || info.masterIndexInVector >= rows || info.delayBufferLength > VSharedData::maxDelayBufferLength)
                    std::abort();
    }
    // The table is gone before its messages are delivered, so delivery drops
    // them; deliver now and then so that the queue does not grow.
    if (++calls % 64 == 0)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    return 0;
}
