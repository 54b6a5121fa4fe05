#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/Brindle.h"
#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace
{
VSharedData& table() { return *VSharedData::sharedInstance(); }
int rowOf (const Brindle& b) { return table().getDataIndex (b.trackId); }

struct HostListener : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged (int index, float) override { indices.push_back (index); }
    void parameterGestureChanged (int, bool) override {}
    std::vector<int> indices;
};

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

juce::XmlElement stateElement()
{
    return juce::XmlElement ("Kt_Tarvel_SETTINGS");
}

// Leaves the shared table without queued messages or names from earlier tests.
struct StateTest : ::testing::Test
{
    void TearDown() override { zotest::pumpMessages (10); }
};
} // namespace

TEST_F (StateTest, ANewInstanceSavesEveryAttributeInOrder)
{
    Brindle b;
    auto xml = b.saveState();
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "Kt_Tarvel_SETTINGS");
    ASSERT_EQ (xml->getNumAttributes(), 54);

    const char* firstNames[] = { "Volume", "Volume_denormalized", "Volume_skew",
                                 "Pan", "Pan_denormalized", "Pan_skew",
                                 "LPFCutoff", "LPFCutoff_denormalized", "LPFCutoff_skew",
                                 "HPFCutoff", "HPFCutoff_denormalized", "HPFCutoff_skew",
                                 "track_name", "MasterIndexInVector_0", "ControlParamIndex_0", "Rule_0",
                                 "Scale_0", "DelayUnit_0", "DelayTimeInMs_0", "DelayBufferLength_0",
                                 "DelayTimeInBeats_0", "InitValue_0", "MasterTrackName_0" };
    for (int i = 0; i < (int) std::size (firstNames); ++i)
        EXPECT_EQ (xml->getAttributeName (i), firstNames[i]) << i;
    EXPECT_EQ (xml->getAttributeName (53), "Num_Tracks");

    EXPECT_EQ (xml->getDoubleAttribute ("Volume"), 0.5);
    EXPECT_EQ (xml->getDoubleAttribute ("LPFCutoff"), 1.0);
    EXPECT_EQ (xml->getDoubleAttribute ("HPFCutoff"), 0.0);
    EXPECT_EQ (xml->getDoubleAttribute ("LPFCutoff_denormalized"), 20000.0);
    EXPECT_EQ (xml->getDoubleAttribute ("HPFCutoff_denormalized"), 20.0);
    EXPECT_EQ (xml->getDoubleAttribute ("Pan_skew"), 1.0);
    EXPECT_EQ (xml->getStringAttribute ("track_name"), "Track " + juce::String (rowOf (b) + 1));

    for (int p = 0; p < 4; ++p)
    {
        const juce::String n (p);
        EXPECT_EQ (xml->getIntAttribute ("MasterIndexInVector_" + n), -1);
        EXPECT_EQ (xml->getIntAttribute ("ControlParamIndex_" + n), -1);
        EXPECT_EQ (xml->getStringAttribute ("Rule_" + n, "x"), "");
        EXPECT_EQ (xml->getDoubleAttribute ("Scale_" + n), -1.0);
        EXPECT_EQ (xml->getIntAttribute ("DelayUnit_" + n), -1);
        EXPECT_EQ (xml->getIntAttribute ("DelayTimeInMs_" + n), 0);
        EXPECT_EQ (xml->getIntAttribute ("DelayBufferLength_" + n), 0);
        EXPECT_EQ (xml->getIntAttribute ("DelayTimeInBeats_" + n), -1);
        EXPECT_EQ (xml->getDoubleAttribute ("InitValue_" + n), -1.0);
    }
    EXPECT_EQ (xml->getIntAttribute ("Num_Tracks"), table().getNumTracks());
}

TEST_F (StateTest, FollowerSavesItsDelayAndLeaderByNameOnly)
{
    Brindle leader, follower;
    table().addMaster (rowOf (follower), rowOf (leader), 1, "Half (0.5x)", 1.0f, 0, 30, 0.25f, 2);
    auto xml = follower.saveState();

    EXPECT_EQ (xml->getIntAttribute ("DelayBufferLength_1"), 30);
    EXPECT_EQ (xml->getIntAttribute ("DelayTimeInMs_1"), 300);
    EXPECT_EQ (xml->getIntAttribute ("MasterIndexInVector_1"), -1);
    EXPECT_EQ (xml->getIntAttribute ("ControlParamIndex_1"), 1);
    EXPECT_EQ (xml->getStringAttribute ("Rule_1"), "Half (0.5x)");
    EXPECT_EQ (xml->getIntAttribute ("DelayTimeInBeats_1"), 2);
    EXPECT_EQ (xml->getDoubleAttribute ("InitValue_1"), 0.25);
    EXPECT_EQ (xml->getStringAttribute ("MasterTrackName_1"), table().getTrackName (rowOf (leader)));
}

TEST_F (StateTest, RestoreSetsParametersTableAndTellsTheHost)
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
    EXPECT_EQ (host.indices, (std::vector<int> { 0, 1, 2, 3 })) << "the host hears all four again";
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE (b.getKtParameter (i)->fromUi.load());

    for (auto* p : b.getParameters())
        p->removeListener (&host);
}

TEST_F (StateTest, MissingNameTakesTheRowNumberAndRepeatedNamesAreRefused)
{
    Brindle a, b;
    restore (b, stateElement());
    EXPECT_EQ (table().getTrackName (rowOf (b)), juce::String (rowOf (b) + 1));

    // Two tracks restoring each other's current names: both are refused.
    const auto nameA = table().getTrackName (rowOf (a)), nameB = table().getTrackName (rowOf (b));
    auto toA = stateElement(), toB = stateElement();
    toA.setAttribute ("track_name", nameB);
    toB.setAttribute ("track_name", nameA);
    restore (a, toA);
    restore (b, toB);
    EXPECT_EQ (table().getTrackName (rowOf (a)), nameA);
    EXPECT_EQ (table().getTrackName (rowOf (b)), nameB);
}

TEST_F (StateTest, LinksResolveByNameWhenTheLastRowLoads)
{
    Brindle follower, leader; // the leader is the last row
    table().setTrackName (rowOf (follower), "Bass");

    auto f = stateElement();
    f.setAttribute ("track_name", "Bass");
    f.setAttribute ("Rule_0", "Half (0.5x)");
    f.setAttribute ("Scale_0", 1.0);
    f.setAttribute ("DelayUnit_0", 0);
    f.setAttribute ("DelayBufferLength_0", 2);
    f.setAttribute ("InitValue_0", 1.0);
    f.setAttribute ("MasterIndexInVector_0", 5); // stale: leaders are found by name
    f.setAttribute ("MasterTrackName_0", "Drums");
    restore (follower, f);
    EXPECT_FALSE (table().isSlave (follower.trackId, 0)) << "recorded, not live yet";

    auto l = stateElement();
    l.setAttribute ("track_name", "Drums");
    l.setAttribute ("Volume", 1.0);
    restore (leader, l);
    ASSERT_TRUE (table().isSlave (follower.trackId, 0));

    // Two ticks of init value, then half the leader's +12 dB gain.
    EXPECT_EQ (table().getData (follower.trackId, 0), 1.0f);
    EXPECT_EQ (table().getData (follower.trackId, 0), 1.0f);
    EXPECT_NEAR (table().getData (follower.trackId, 0), 0.5f * 3.98107f, 1e-5f);
    table().removeMaster (rowOf (follower), rowOf (leader), 0);
}

TEST_F (StateTest, SaveThenRestoreIsStable)
{
    Brindle leader, follower;
    table().setTrackName (rowOf (leader), "Lead Vox");
    table().setTrackName (rowOf (follower), "Double");
    table().addMaster (rowOf (follower), rowOf (leader), 2, "Reverse (-x)", 1.0f, 1, 12, 500.0f, 4);
    follower.getParameters()[0]->setValue (0.3f);

    auto first = follower.saveState();
    restore (follower, *first);
    auto second = follower.saveState();
    EXPECT_TRUE (first->isEquivalentTo (second.get(), false)) << first->toString() << second->toString();

    juce::MemoryBlock a, b;
    follower.getStateInformation (a);
    restore (follower, *follower.saveState());
    follower.getStateInformation (b);
    EXPECT_EQ (a, b);
    table().removeMaster (rowOf (follower), rowOf (leader), 2);
}

TEST_F (StateTest, BadInputNeverCorruptsTheInstance)
{
    Brindle other, b;
    table().setTrackName (rowOf (other), "Keep Me");
    const auto before = b.saveState();

    // Not the binary XML format, truncated, empty, null.
    const char junk[] = "definitely not a saved state";
    b.setStateInformation (junk, (int) sizeof (junk));
    b.setStateInformation (nullptr, 100);
    b.setStateInformation (junk, 0);
    auto good = stateElement();
    good.setAttribute ("Volume", 0.9);
    const auto block = bytesOf (good);
    for (int cut = 1; cut < (int) block.getSize(); cut += 7)
        b.setStateInformation (block.getData(), cut);
    b.setStateInformation (block.getData(), -5);

    // Another tag changes nothing.
    auto foreign = juce::XmlElement ("Other_SETTINGS");
    foreign.setAttribute ("Volume", 0.9);
    restore (b, foreign);
    EXPECT_TRUE (before->isEquivalentTo (b.saveState().get(), false));

    // Nonsense values: clamped or defaulted, and nothing touches another row.
    auto bad = stateElement();
    bad.setAttribute ("Volume", "nan");
    bad.setAttribute ("Pan", "banana");
    bad.setAttribute ("LPFCutoff", 1e300);
    bad.setAttribute ("track_name", juce::String::repeatedString ("long", 5000));
    bad.setAttribute ("Rule_0", "Square (x^2)");
    bad.setAttribute ("MasterTrackName_0", "Keep Me");
    bad.setAttribute ("Rule_1", "Same (=x)");
    bad.setAttribute ("MasterTrackName_1", "Keep Me");
    bad.setAttribute ("DelayBufferLength_1", 2e12);
    bad.setAttribute ("Scale_1", "inf");
    bad.setAttribute ("InitValue_1", "-nan");
    restore (b, bad);

    EXPECT_EQ (table().getTrackName (rowOf (other)), "Keep Me");
    EXPECT_EQ (b.getParameters()[0]->getValue(), 0.5f);
    EXPECT_EQ (b.getParameters()[1]->getValue(), 0.0f);
    EXPECT_EQ (b.getParameters()[2]->getValue(), 1.0f);
    EXPECT_FALSE (table().isSlave (b.trackId, 0)) << "an unknown rule makes no link";

    const auto& info = table().linkInfos[(size_t) rowOf (b)][1];
    EXPECT_LE (info.delayBufferLength, 60000);
    EXPECT_EQ (info.scale, -1.0f);
    EXPECT_EQ (info.initValue, -1.0f);

    // Whatever was restored, the follower's values stay finite.
    for (int i = 0; i < 200; ++i)
        EXPECT_TRUE (std::isfinite (table().getData (b.trackId, 1)));

    table().removeMaster (rowOf (b), rowOf (other), 1);
}

TEST_F (StateTest, DamagedOrForeignDocumentsAreRefusedWhole)
{
    Brindle b;
    auto good = stateElement();
    good.setAttribute ("Volume", 0.9);
    good.setAttribute ("track_name", juce::CharPointer_UTF8 ("\xe9\xbc\x93\xe7\xbb\x84"));
    const auto block = bytesOf (good);

    // A lead byte that promises more bytes than the blob holds, at the very end.
    auto cut = block;
    cut.setSize (cut.getSize() - 3);
    static_cast<char*> (cut.getData())[cut.getSize() - 1] = (char) 0xdc;
    b.setStateInformation (cut.getData(), (int) cut.getSize());

    // The element with children or text: never a state of ours, and some of it
    // sends the toolkit's reader into an endless loop.
    auto withChild = stateElement();
    withChild.setAttribute ("Volume", 0.9);
    withChild.createNewChildElement ("Extra");
    const auto child = bytesOf (withChild);
    b.setStateInformation (child.getData(), (int) child.getSize());

    EXPECT_EQ (b.getParameters()[0]->getValue(), 0.5f) << "refused, not half-read";
    b.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (b.getParameters()[0]->getValue(), 0.9f);
}
