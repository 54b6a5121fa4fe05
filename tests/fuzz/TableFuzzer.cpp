// libFuzzer target: a byte script of table operations on a table of its own,
// checking after every step that no link or record names a missing row.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/VSharedData.h"

namespace
{
void check (bool condition)
{
    if (! condition)
        std::abort();
}

struct Script
{
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    bool more() const { return pos < size; }
    int next() { return more() ? data[pos++] : 0; }
    float nextFloat() { return (float) (next() - 64) / 16.0f; }
};

const char* const rules[] = { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)", "", "Bogus" };
const char* const names[] = { "A", "B", "C", "", "Track 1", "Track 2" };
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static juce::ScopedJuceInitialiser_GUI* runtime = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (runtime);

    VSharedData table;
    std::vector<int> ids;
    Script script { data, size };

    while (script.more())
    {
        const int op = script.next() % 10;
        const int a = script.next() % 8, b = script.next() % 8, p = script.next() % 5;
        const int id = ids.empty() ? a : ids[(size_t) a % ids.size()];

        switch (op)
        {
            case 0: { int newId = -1; if (table.getNumTracks() < 8) table.addTrack (newId, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f); if (newId >= 0) ids.push_back (newId); break; }
            case 1: table.removeTrack (id); break;
            case 2: table.addMaster (a, b, p, rules[script.next() % 7], script.nextFloat(), script.next() % 3 - 1,
                                     script.next() * 3 - 100, script.nextFloat(), script.next() - 1); break;
            case 3: table.removeMaster (a, b, p); break;
            case 4: table.setTrackName (a, names[b % 6]); break;
            case 5: table.setData (id, p, script.nextFloat()); break;
            case 6: table.getData (id, p); break;
            case 7: table.loadLinkListFromState (id, b - 1, p, rules[script.next() % 7], script.nextFloat(), script.next() % 3 - 1,
                                                 script.next() - 1, script.next() * 500 - 1000, script.nextFloat(), names[b % 6]); break;
            case 8: table.addMasterFromLinkList(); break;
            default: table.isReverseLink (a, b, p); table.isSlave (id, p); break;
        }

        const int rows = table.getNumTracks();
        check ((int) table.linkInfos.size() == rows);

        for (int row = 0; row < rows; ++row)
            for (int q = 0; q < table.numParams; ++q)
            {
                const int leader = table.getMasterIndex (row, q);
                check (leader >= -1 && leader < rows);
                const int recorded = table.linkInfos[(size_t) row][(size_t) q].masterIndexInVector;
                check (recorded >= -1 && recorded < rows);
                check (table.linkInfos[(size_t) row][(size_t) q].delayBufferLength <= VSharedData::maxDelayBufferLength);
            }
    }

    // The table is gone before its change messages are delivered, so delivery
    // drops them; deliver now and then so that the queue does not grow.
    static int calls = 0;
    if (++calls % 64 == 0)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);

    return 0;
}
