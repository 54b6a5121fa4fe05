#include <benchmark/benchmark.h>

#include "engine/Brindle.h"

// A saved state of 1 MB read back into an instance: a damaged or crafted
// project can hold any shape, and reading it should cost time in proportion to
// its length whatever the shape.
namespace
{
enum Shape { longName, manyAttributes, manyReferences };

juce::MemoryBlock stateOfAboutOneMegabyte (Shape shape)
{
    juce::MemoryOutputStream text;
    text << "<Kt_Tarvel_SETTINGS Volume=\"0.75\" ";

    if (shape == longName) // written out, as a host would keep it: words in Chinese and Latin
    {
        text << "track_name=\"";
        while (text.getDataSize() < 1000000)
            text << "\xe9\xbc\x93\xe6\x89\x8b Kick ";
        text << "\"";
    }
    else if (shape == manyAttributes) // attributes the plug-in never writes, as damage leaves them
    {
        for (int i = 0; text.getDataSize() < 1000000; ++i)
            text << "x" << i << "=\"1\" ";
    }
    else // one character reference per character
    {
        text << "track_name=\"";
        while (text.getDataSize() < 1000000)
            text << "&#x9f13;&#x624b;";
        text << "\"";
    }

    text << " Pan=\"0.25\"/>";
    juce::MemoryOutputStream blob; // the toolkit's binary XML header
    blob.writeInt (0x21324356);
    blob.writeInt ((int) text.getDataSize() + 1);
    blob << text.getMemoryBlock();
    blob.writeByte (0);
    return blob.getMemoryBlock();
}
} // namespace

static void BM_RestoreOneMegabyteState (benchmark::State& state)
{
    const auto saved = stateOfAboutOneMegabyte ((Shape) state.range (0));
    Brindle b;

    for (auto _ : state)
        b.setStateInformation (saved.getData(), (int) saved.getSize());

    state.counters["state_bytes"] = (double) saved.getSize();
}
BENCHMARK (BM_RestoreOneMegabyteState)->ArgName ("shape")->DenseRange (0, 2)->Unit (benchmark::kMillisecond);
