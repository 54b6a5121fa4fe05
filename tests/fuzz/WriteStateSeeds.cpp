// Writes real saved states as seeds for the state fuzzer: both roads (the raw
// bytes and the XML text), with links of every rule and both delay units.
#include <juce_events/juce_events.h>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"

int main (int argc, char** argv)
{
    if (argc < 2)
        return 2;

    juce::ScopedJuceInitialiser_GUI runtime;
    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    folder.createDirectory();

    auto& table = *VSharedData::sharedInstance();
    const char* rules[] = { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)" };
    int count = 0;

    for (int variant = 0; variant < 10; ++variant)
    {
        Brindle leader, follower;
        table.setTrackName (table.getDataIndex (leader.trackId), "Lead " + juce::String (variant));
        table.setTrackName (table.getDataIndex (follower.trackId), variant % 2 == 0 ? "Pad" : "鼓组");
        follower.getParameters()[variant % 4]->setValue ((float) variant / 10.0f);
        table.addMaster (table.getDataIndex (follower.trackId), table.getDataIndex (leader.trackId), variant % 4,
                         rules[variant % 5], 0.5f + (float) variant, variant % 2, variant * 7, 0.25f, variant);

        for (auto* b : { &leader, &follower })
        {
            juce::MemoryBlock state;
            b->getStateInformation (state);

            juce::MemoryBlock raw;
            raw.append ("\x00", 1);
            raw.append (state.getData(), state.getSize());
            folder.getChildFile ("raw" + juce::String (count)).replaceWithData (raw.getData(), raw.getSize());

            juce::MemoryBlock text;
            text.append ("\x01", 1);
            const auto xml = b->saveState()->toString();
            text.append (xml.toRawUTF8(), xml.getNumBytesAsUTF8());
            folder.getChildFile ("xml" + juce::String (count)).replaceWithData (text.getData(), text.getSize());
            ++count;
        }
    }

    return 0;
}
