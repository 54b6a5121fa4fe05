// Writes real saved states as seeds for the state fuzzer on both of its roads (first
// byte 0: the raw bytes, 1: the XML text): a leader, and a follower with four links.
// With a second folder, also the follower's state as damage can leave it, a
// megabyte long: 40,000 attributes the plug-in never writes, or a long name.
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

    if (argc < 3)
        return 0;

    const auto large = juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]);
    large.createDirectory();
    auto named = instances[1].saveState();
    named->setAttribute ("track_name", juce::String::repeatedString (juce::CharPointer_UTF8 ("\xe9\xbc\x93 Kick "), 100000));
    const auto follower = instances[1].saveState()->toString();
    juce::MemoryOutputStream many; // written out here: the toolkit's element looks up every attribute it adds
    many << follower.upToLastOccurrenceOf ("/>", false, false);
    for (int i = 0; i < 40000; ++i)
        many << " x" << i << "=\"" << i << "\"";
    many << "/>";
    for (auto [name, xml] : { std::pair ("many", many.toString()), std::pair ("named", named->toString()) })
    {
        juce::MemoryOutputStream text;
        text << (char) 1 << xml;
        large.getChildFile (name).replaceWithData (text.getData(), text.getDataSize());
    }
    return 0;
}
