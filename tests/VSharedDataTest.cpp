#include <gtest/gtest.h>

#include <vector>

#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace
{
enum { volume, pan, lowPass, highPass };
using Values = std::vector<float>;

// A table of its own, and the messages it sends.
struct VSharedDataTest : ::testing::Test, VChangeListener
{
    VSharedDataTest() { table.addChangeListener (this); }
    ~VSharedDataTest() override { table.removeChangeListener (this); }
    void changeListenerCallback (VChangeBroadcaster*, const juce::String& text) override { messages.add (text); }
    // Tracks with the processor's start values; their messages are dropped.
    std::vector<int> addTracks (int count)
    {
        std::vector<int> ids ((size_t) count);
        for (auto& id : ids)
            table.addTrack (id, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
        takeMessages();
        return ids;
    }
    void link (int follower, int leader, int p, const char* rule, float scale = 1.0f, int ticks = 0, float init = 0.0f)
    { table.addMaster (follower, leader, p, rule, scale, 0, ticks, init, 0); }
    void load (int id, int p, const char* rule, const char* leaderName, int savedRow = -1)
    { table.loadLinkListFromState (id, savedRow, p, rule, 1.0f, 0, -1, 0, 0.0f, leaderName); }
    juce::String takeMessages()
    {
        zotest::pumpMessages (20);
        const auto texts = messages.joinIntoString (" ");
        messages.clear();
        return texts;
    }
    juce::String names() const
    {
        juce::StringArray result;
        for (int row = 0; row < table.getNumTracks(); ++row)
            result.add (table.getTrackName (row));
        return result.joinIntoString (", ");
    }
    const VSharedData::LinkInfo& record (int row, int p) const { return table.linkInfos[(size_t) row][(size_t) p]; }
    VSharedData table;
    juce::StringArray messages;
};
} // namespace

TEST_F (VSharedDataTest, EmptyAndTakenNamesAreRefusedButStillNotify)
{
    addTracks (3);
    table.setTrackName (2, "Track 1");
    table.setTrackName (1, "");
    EXPECT_EQ (names(), "Track 1, Track 2, Track 3");
    EXPECT_EQ (takeMessages(), "Set_TrackName Set_TrackName");
    table.setTrackName (2, "track 1"); // names differ by case
    table.setTrackName (1, "   ");
    EXPECT_EQ (names(), "Track 1,    , track 1");
}

TEST_F (VSharedDataTest, RulesApplyToTheLeadersCurrentValue)
{
    const auto ids = addTracks (2);
    struct Case { int p; const char* rule; float scale, leader, follower; };
    const Case cases[] = {
        { volume, "Same (=x)", 0.0f, 0.8f, 0.8f },          { volume, "Reciprocal (1/x)", 0.0f, 0.5f, 2.0f },
        { volume, "Half (0.5x)", 0.0f, 1.0f, 0.5f },        { volume, "Scale (*x)", 2.0f, 0.25f, 0.5f },
        { volume, "Reverse (-x)", 0.0f, 0.5f, -0.5f },      { pan, "Reverse (-x)", 0.0f, 0.3f, -0.3f },
        { lowPass, "Reverse (-x)", 0.0f, 20.0f, 20000.0f }, { lowPass, "Reverse (-x)", 0.0f, 1000.0f, 19020.0f },
        { highPass, "Reverse (-x)", 0.0f, 500.0f, 19520.0f }, { highPass, "Reverse (-x)", 0.0f, 20000.0f, 20.0f },
        { pan, "same (=x)", 0.0f, 0.9f, 12345.0f }, // texts match exactly
    };
    for (const auto& c : cases)
    {
        link (1, 0, c.p, c.rule, c.scale);
        table.setData (ids[0], c.p, c.leader);
        table.setData (ids[1], c.p, 12345.0f); // overwritten by the link
        EXPECT_FLOAT_EQ (table.getData (ids[1], c.p), c.follower) << c.rule << " " << c.p;
    }
}

TEST_F (VSharedDataTest, ADelayRingHandsOutItsInitValuesFirstIsBoundedAndLinkingAgainRefillsIt)
{
    const auto ids = addTracks (2);
    link (1, 0, pan, "Half (0.5x)", 1.0f, 3, 0.9f);
    Values out;
    for (float leaderValue : { 0.2f, 0.4f, 0.6f, 0.8f, 1.0f })
    {
        table.setData (ids[0], pan, leaderValue);
        out.push_back (table.getData (ids[1], pan));
    }
    EXPECT_EQ (out, (Values { 0.9f, 0.9f, 0.9f, 0.1f, 0.2f }));
    link (1, 0, pan, "Half (0.5x)", 1.0f, 2, 0.3f);
    const auto tick = [&] { return table.getData (ids[1], pan); }; // braced lists evaluate in order
    EXPECT_EQ ((Values { tick(), tick(), tick() }), (Values { 0.3f, 0.3f, 0.5f }));
    link (1, 0, pan, "Half (0.5x)");
    EXPECT_EQ (tick(), 0.5f) << "no ring, no delay";
    link (1, 0, pan, "Half (0.5x)", 1.0f, 2000000000, 0.5f);
    EXPECT_EQ (record (1, pan).delayTimeInMs, 10 * VSharedData::maxDelayBufferLength);
}

TEST_F (VSharedDataTest, ALinkRemovedOrRestoredAsNoneLeavesTheFollowerAtItsLastValue)
{
    const auto ids = addTracks (2);
    const auto setLeader = [&] (float value) { table.setData (ids[0], volume, value); table.setData (ids[0], pan, value); };
    link (1, 0, volume, "Same (=x)");
    link (1, 0, pan, "Same (=x)");
    setLeader (0.6f);
    EXPECT_EQ ((Values { table.getData (ids[1], volume), table.getData (ids[1], pan) }), (Values { 0.6f, 0.6f }));
    takeMessages();
    table.removeMaster (1, 1, volume); // whichever leader is named
    load (ids[1], pan, "", "");
    EXPECT_EQ (takeMessages(), "Remove_Master Remove_Master");
    EXPECT_EQ (record (1, volume).rule, "");
    setLeader (0.1f);
    EXPECT_EQ ((Values { table.getData (ids[1], volume), table.getData (ids[1], pan) }), (Values { 0.6f, 0.6f }));
}

// That restored links follow by name is proven through the plug-in formats.
TEST_F (VSharedDataTest, AResolutionRunFindsTheLowestRowWithTheLeadersCurrentNameButNeverTheFollower)
{
    const auto ids = addTracks (2);
    table.setTrackName (1, "Track 3");
    const int third = addTracks (1)[0]; // also "Track 3"
    link (1, 0, volume, "Same (=x)");
    link (2, 0, highPass, "Same (=x)");
    EXPECT_TRUE (table.isReverseLink (0, 1, volume) && ! table.isReverseLink (1, 0, volume)) << "seen from the follower";
    table.setTrackName (0, "Bass"); // a renamed leader
    load (ids[0], pan, "Same (=x)", "Track 3", 0);
    load (ids[1], pan, "Same (=x)", "Track 3");
    load (third, highPass, "Same (=x)", "Gone");
    takeMessages();
    table.addMasterFromLinkList();
    EXPECT_EQ (takeMessages(), "Add_Master");
    EXPECT_EQ (table.getMasterIndex (1, volume), 0);
    EXPECT_EQ (table.getMasterIndex (0, pan), 1) << "by name, not by the saved row";
    EXPECT_EQ (table.getMasterIndex (1, pan), 2);
    EXPECT_FALSE (table.isSlave (third, highPass)) << "no live link outlasts its record";
    EXPECT_EQ (record (2, highPass).masterTrackName, "Gone") << "may still be found later";
}

TEST_F (VSharedDataTest, RemovingATrackDropsLinksToItAndMovesLaterRowsAndDefaultNamesDown)
{
    const auto ids = addTracks (4);                  // rows A B C D
    link (2, 1, lowPass, "Same (=x)");               // C follows B
    link (3, 1, volume, "Half (0.5x)");              // D follows B
    link (3, 2, pan, "Reverse (-x)", 1.0f, 2, 0.1f); // D follows C
    table.setTrackName (3, "Keys");
    load (ids[0], highPass, "Same (=x)", "Keys", 1); // A waits for Keys, saved in B's row
    table.setData (ids[1], lowPass, 5000.0f);
    table.getData (ids[2], lowPass);
    takeMessages();
    table.removeTrack (ids[1]);
    EXPECT_EQ (takeMessages(), "Remove_Track Remove_Master Remove_Master");
    EXPECT_EQ (names(), "Track 1, Track 2, Keys") << "only default names follow their row";
    EXPECT_FALSE (table.isSlave (ids[3], volume));
    table.setData (ids[2], pan, 0.5f);
    const auto tick = [&] { return table.getData (ids[3], pan); };
    EXPECT_EQ ((Values { tick(), tick(), tick() }), (Values { 0.1f, 0.1f, -0.5f }));
    EXPECT_EQ (table.getData (ids[2], lowPass), 5000.0f);
    EXPECT_EQ (record (2, pan).masterTrackName, "Track 2");
    table.addMasterFromLinkList();
    EXPECT_EQ (table.getMasterIndex (0, highPass), 2) << "a pending record is still found by name";
}
