// Writes real saved states as seeds for the state fuzzer on both of its roads (first
// byte 0: the raw bytes, 1: the XML text): a leader, and a follower with four links.
#include "engine/Brindle.h"
#include "engine/VSharedData.h"

int main (int argc, char** argv)
{
    if (argc < 2)
        return 2;

    juce::ScopedJuceInitialiser_GUI runtime;
    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    folder.createDirectory();
    auto& table = *VSharedData::sharedInstance();
    Brindle instances[2];
    table.setTrackName (1, "鼓组");
    const char* rules[] = { "Reciprocal (1/x)", "Reverse (-x)", "Half (0.5x)", "Scale (*x)" };
    for (int p = 0; p < 4; ++p)
        table.addMaster (1, 0, p, rules[p], 0.5f + (float) p, p % 2, p * 7, 0.25f, p);

    for (int i = 0; i < 2; ++i)
    {
        juce::MemoryBlock state;
        instances[i].getStateInformation (state);
        juce::MemoryOutputStream raw, text;
        raw << (char) 0 << state;
        text << (char) 1 << instances[i].saveState()->toString();
        folder.getChildFile ("raw" + juce::String (i)).replaceWithData (raw.getData(), raw.getDataSize());
        folder.getChildFile ("xml" + juce::String (i)).replaceWithData (text.getData(), text.getDataSize());
    }
    return 0;
}
