#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "tests/EngineTestSupport.h"

using namespace zoengine;

namespace
{
juce::MemoryBlock bytesOf (const juce::XmlElement& xml)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (xml, block);
    return block;
}

void restore (Brindle& b, const juce::XmlElement& xml)
{
    const auto block = bytesOf (xml);
    b.setStateInformation (block.getData(), (int) block.getSize());
}

juce::XmlElement stateElement (const juce::String& trackName = {})
{
    juce::XmlElement xml ("Kt_Tarvel_SETTINGS");
    if (trackName.isNotEmpty())
        xml.setAttribute ("track_name", trackName);
    return xml;
}

// Leaves the shared table without queued messages from this test.
struct State : ::testing::Test
{
    void TearDown() override { zotest::pumpMessages (10); }
};
} // namespace

TEST_F (State, EveryAttributeIsSavedInOrder)
{
    Brindle b, leader;
    table().addMaster (rowOf (b), rowOf (leader), 1, "Half (0.5x)", 1.0f, 0, 30, 0.25f, 2);
    juce::StringArray expected;
    for (auto* name : { "Volume", "Pan", "LPFCutoff", "HPFCutoff" })
        expected.addArray ({ name, juce::String (name) + "_denormalized", juce::String (name) + "_skew" });
    expected.add ("track_name");
    for (int p = 0; p < 4; ++p)
        for (auto* key : { "MasterIndexInVector_", "ControlParamIndex_", "Rule_", "Scale_", "DelayUnit_", "DelayTimeInMs_",
                           "DelayBufferLength_", "DelayTimeInBeats_", "InitValue_", "MasterTrackName_" })
            expected.add (key + juce::String (p));
    expected.add ("Num_Tracks");

    auto xml = b.saveState();
    EXPECT_EQ (xml->getTagName(), "Kt_Tarvel_SETTINGS");
    juce::StringArray names;
    for (int i = 0; i < xml->getNumAttributes(); ++i)
        names.add (xml->getAttributeName (i));
    EXPECT_EQ (names, expected);

    EXPECT_EQ (xml->getDoubleAttribute ("Volume"), 0.5);
    EXPECT_EQ (xml->getDoubleAttribute ("HPFCutoff_denormalized"), 20.0);
    EXPECT_EQ (xml->getStringAttribute ("track_name"), "Track " + juce::String (rowOf (b) + 1));
    EXPECT_EQ (xml->getIntAttribute ("DelayUnit_2"), -1);
    EXPECT_EQ (xml->getIntAttribute ("DelayTimeInMs_1"), 300) << "the ring's 30 ticks";
    EXPECT_EQ (xml->getIntAttribute ("MasterIndexInVector_1"), -1) << "leaders travel by name only";
    EXPECT_EQ (xml->getIntAttribute ("Num_Tracks"), table().getNumTracks());
    table().removeMaster (rowOf (b), rowOf (leader), 1);
}

TEST_F (State, ARestoreSetsTheParametersAndTheTableAndTellsTheHost)
{
    Brindle b;
    HostListener host;
    for (auto* p : b.getParameters())
        p->addListener (&host);

    auto xml = stateElement();
    xml.setAttribute ("Pan", 0.25);
    xml.setAttribute ("LPFCutoff", 7.0); // clamped by the parameter
    restore (b, xml);

    EXPECT_EQ (b.getParameters()[0]->getValue(), 0.5f) << "a missing attribute keeps the value";
    EXPECT_EQ (b.getParameters()[1]->getValue(), 0.25f);
    EXPECT_EQ (b.getParameters()[2]->getValue(), 1.0f);
    EXPECT_EQ (table().getData (b.trackId, 1), -0.5f);
    EXPECT_EQ (host.indices, (std::vector<int> { 0, 1, 2, 3 }));
    for (auto* p : b.getParameters())
        p->removeListener (&host);
}

TEST_F (State, AMissingNameTakesTheRowNumberAndAnotherTracksNameIsRefused)
{
    Brindle a, b;
    restore (b, stateElement());
    EXPECT_EQ (table().getTrackName (rowOf (b)), juce::String (rowOf (b) + 1));

    const auto nameA = table().getTrackName (rowOf (a));
    restore (b, stateElement (nameA));
    EXPECT_EQ (table().getTrackName (rowOf (b)), juce::String (rowOf (b) + 1));
}

TEST_F (State, LinksGoLiveOnlyWhenTheLastRowLoads)
{
    Brindle follower, leader; // the leader is the last row
    table().setTrackName (rowOf (leader), "Drums");
    auto f = stateElement ("Bass");
    f.setAttribute ("Rule_0", "Half (0.5x)");
    f.setAttribute ("MasterTrackName_0", "Drums");
    restore (follower, f);
    EXPECT_FALSE (table().isSlave (follower.trackId, 0)) << "recorded, not live yet";

    restore (leader, stateElement ("Drums"));
    EXPECT_TRUE (table().isSlave (follower.trackId, 0));
    table().removeMaster (rowOf (follower), rowOf (leader), 0);
}

TEST_F (State, WhatIsNotAWholeStateOfOursChangesNothing)
{
    Brindle b;
    const auto before = b.saveState();
    auto good = stateElement();
    good.setAttribute ("Volume", 0.9);
    good.setAttribute ("track_name", juce::CharPointer_UTF8 ("\xe9\xbc\x93\xe7\xbb\x84"));
    const auto block = bytesOf (good);

    const char junk[] = "definitely not a saved state";
    b.setStateInformation (junk, (int) sizeof (junk));
    b.setStateInformation (nullptr, 100);
    b.setStateInformation (block.getData(), -5);
    for (int cut = 1; cut < (int) block.getSize(); cut += 7)
        b.setStateInformation (block.getData(), cut);

    // A lead byte at the very end that promises more bytes than the blob holds.
    auto cut = block;
    cut.setSize (cut.getSize() - 3);
    static_cast<char*> (cut.getData())[cut.getSize() - 1] = (char) 0xdc;
    b.setStateInformation (cut.getData(), (int) cut.getSize());

    // Another tag, and our element with a child: some of that sends the
    // toolkit's reader into an endless loop.
    auto foreign = juce::XmlElement ("Other_SETTINGS");
    foreign.setAttribute ("Volume", 0.9);
    restore (b, foreign);
    auto withChild = good;
    withChild.createNewChildElement ("Extra");
    restore (b, withChild);

    EXPECT_TRUE (before->isEquivalentTo (b.saveState().get(), false));
    b.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (b.getParameters()[0]->getValue(), 0.9f) << "the whole state is read";
}

TEST_F (State, NonsenseValuesAreClampedOrDefaulted)
{
    Brindle other, b;
    auto bad = stateElement (table().getTrackName (rowOf (other)));
    bad.setAttribute ("Volume", "nan");
    bad.setAttribute ("LPFCutoff", 1e300);
    for (auto [p, rule] : { std::pair { 0, "Square (x^2)" }, std::pair { 1, "Same (=x)" } })
    {
        bad.setAttribute ("Rule_" + juce::String (p), rule);
        bad.setAttribute ("MasterTrackName_" + juce::String (p), table().getTrackName (rowOf (other)));
    }
    bad.setAttribute ("DelayBufferLength_1", 2e12);
    bad.setAttribute ("Scale_1", "inf");
    bad.setAttribute ("InitValue_1", "-nan");
    restore (b, bad);

    EXPECT_EQ (b.getParameters()[0]->getValue(), 0.5f);
    EXPECT_EQ (b.getParameters()[2]->getValue(), 1.0f);
    EXPECT_FALSE (table().isSlave (b.trackId, 0)) << "an unknown rule makes no link";
    EXPECT_EQ (b.saveState()->getStringAttribute ("Rule_0"), "") << "nor a record";
    const auto& info = table().linkInfos[(size_t) rowOf (b)][1];
    EXPECT_LE (info.delayBufferLength, VSharedData::maxDelayBufferLength);
    EXPECT_EQ (info.scale, -1.0f);
    EXPECT_EQ (info.initValue, -1.0f);
    table().removeMaster (rowOf (b), rowOf (other), 1);
}
