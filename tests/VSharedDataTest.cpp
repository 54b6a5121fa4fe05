#include <gtest/gtest.h>

#include <vector>

#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace
{
enum { volume = 0, pan = 1, lowPass = 2, highPass = 3 };

struct MessageLog : VChangeListener
{
    void changeListenerCallback (VChangeBroadcaster*, const juce::String& message) override { texts.add (message); }
    juce::StringArray texts;
};

class VSharedDataTest : public ::testing::Test
{
protected:
    void SetUp() override { table.addChangeListener (&log); }
    void TearDown() override { table.removeChangeListener (&log); }

    int addTrack()
    {
        int id = -100;
        table.addTrack (id, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
        return id;
    }

    // Adds tracks with the processor's start values and forgets their messages.
    std::vector<int> addTracks (int count)
    {
        std::vector<int> ids;
        while ((int) ids.size() < count)
            ids.push_back (addTrack());
        takeMessages();
        return ids;
    }

    juce::String takeMessages()
    {
        zotest::pumpMessages (20);
        const auto texts = log.texts.joinIntoString (" ");
        log.texts.clear();
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

    // What the follower reads on its next ticks.
    std::vector<float> ticks (int followerId, int p, int count)
    {
        std::vector<float> values;
        for (int i = 0; i < count; ++i)
            values.push_back (table.getData (followerId, p));
        return values;
    }

    VSharedData table;
    MessageLog log;
};
} // namespace

//==============================================================================
TEST_F (VSharedDataTest, TracksGetNewIdsRowsAndDefaultNames)
{
    int first = -1, second = -1;
    table.addTrack (first, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
    table.addTrack (second, nullptr, 0.5f, -0.25f, 8000.0f, 200.0f);
    EXPECT_EQ (takeMessages(), "Add_Track Add_Track");
    EXPECT_EQ (names(), "Track 1, Track 2");
    EXPECT_EQ (table.getDataIndex (second), 1);
    EXPECT_EQ (ticks (second, highPass, 1)[0], 200.0f);

    table.removeTrack (first);
    EXPECT_EQ (takeMessages(), "Remove_Track");
    EXPECT_EQ (table.getDataIndex (second), 0);
    EXPECT_GT (addTrack(), second) << "ids are never reused";
}

TEST_F (VSharedDataTest, OnlyDefaultNamesFollowTheirRowDown)
{
    const auto ids = addTracks (3);
    table.removeTrack (ids[2]);
    table.setTrackName (1, "Track 3"); // a user name that looks like a default one
    addTrack();                        // also "Track 3": adding does not test names
    table.removeTrack (ids[0]);
    EXPECT_EQ (names(), "Track 3, Track 2");
}

TEST_F (VSharedDataTest, ALoadedLinkFollowsTheLowestRowOfItsLeadersName)
{
    const auto ids = addTracks (2);
    table.setTrackName (1, "Track 3");
    addTrack(); // also "Track 3"
    table.loadLinkListFromState (ids[0], -1, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.5f, "Track 3");
    table.loadLinkListFromState (ids[1], -1, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.5f, "Track 3");
    table.addMasterFromLinkList();
    EXPECT_EQ (table.getMasterIndex (0, volume), 1);
    EXPECT_EQ (table.getMasterIndex (1, volume), 2) << "never itself";
}

TEST_F (VSharedDataTest, UnknownTrackIdsRowsAndParametersChangeNothing)
{
    const auto ids = addTracks (2);
    table.removeTrack (ids[0]);
    takeMessages();

    // ids[1] now sits in row 0, where ids[0] used to be.
    table.setData (ids[0], volume, 0.125f);
    EXPECT_EQ (table.getData (ids[1], volume), 1.0f);
    EXPECT_EQ (table.getData (ids[0], volume), 0.0f);
    EXPECT_FALSE (table.isSlave (ids[0], volume));
    table.removeTrack (ids[0]);
    table.loadLinkListFromState (ids[0], 0, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Track 1");
    EXPECT_EQ (table.getNumTracks(), 1);
    EXPECT_EQ (record (0, volume).rule, "");
    table.addMaster (0, 1, volume, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.addMaster (0, 0, 4, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    EXPECT_FALSE (table.isSlave (ids[1], volume));
    EXPECT_EQ (takeMessages(), "");
}

TEST_F (VSharedDataTest, EmptyAndTakenNamesAreRefusedButStillNotify)
{
    addTracks (3);
    table.setTrackName (2, "Track 3");
    EXPECT_EQ (takeMessages(), "") << "the unchanged name sends nothing";

    table.setTrackName (2, "Track 1");
    table.setTrackName (1, "");
    EXPECT_EQ (names(), "Track 1, Track 2, Track 3");
    EXPECT_EQ (takeMessages(), "Set_TrackName Set_TrackName");

    table.setTrackName (2, "track 1"); // names differ by case
    table.setTrackName (1, "   ");
    EXPECT_EQ (names(), "Track 1,    , track 1");
    table.setTrackName (3, "Nowhere");
    EXPECT_EQ (table.getTrackName (3), "");
}

//==============================================================================
TEST_F (VSharedDataTest, RulesApplyToTheLeadersCurrentValue)
{
    const auto ids = addTracks (2);
    struct Case { int p; const char* rule; float scale, leader, follower; };
    const Case cases[] = {
        { volume, "Same (=x)", 0.0f, 0.8f, 0.8f },        { volume, "Reciprocal (1/x)", 0.0f, 0.5f, 2.0f },
        { volume, "Half (0.5x)", 0.0f, 1.0f, 0.5f },      { volume, "Scale (*x)", 2.0f, 0.25f, 0.5f },
        { volume, "Reverse (-x)", 0.0f, 0.5f, -0.5f },    { pan, "Reverse (-x)", 0.0f, 0.3f, -0.3f },
        { lowPass, "Reverse (-x)", 0.0f, 20.0f, 20000.0f }, { lowPass, "Reverse (-x)", 0.0f, 1000.0f, 19020.0f },
        { highPass, "Reverse (-x)", 0.0f, 500.0f, 19520.0f }, { highPass, "Reverse (-x)", 0.0f, 20000.0f, 20.0f },
        { pan, "same (=x)", 0.0f, 0.9f, 12345.0f },       // texts match exactly
    };
    for (const auto& c : cases)
    {
        table.addMaster (1, 0, c.p, c.rule, c.scale, 0, 0, 0.0f, 0);
        table.setData (ids[0], c.p, c.leader);
        table.setData (ids[1], c.p, 12345.0f); // overwritten by the link
        EXPECT_FLOAT_EQ (table.getData (ids[1], c.p), c.follower) << c.rule << " " << c.p;
    }
}

TEST_F (VSharedDataTest, TheDelayRingHandsOutTheInitValuesThenTheRuleResultsInOrder)
{
    const auto ids = addTracks (2);
    table.addMaster (1, 0, volume, "Half (0.5x)", 0.0f, 0, 3, 0.9f, 0);
    std::vector<float> out;
    for (float leaderValue : { 0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f })
    {
        table.setData (ids[0], volume, leaderValue);
        out.push_back (table.getData (ids[1], volume));
    }
    EXPECT_EQ (out, (std::vector<float> { 0.9f, 0.9f, 0.9f, 0.1f, 0.2f, 0.3f }));
}

TEST_F (VSharedDataTest, AddingALinkAgainReplacesItsRingAndRecord)
{
    const auto ids = addTracks (2);
    table.setTrackName (0, "Kick");
    table.addMaster (1, 0, lowPass, "Scale (*x)", 1.5f, 1, 5, 400.0f, 2);
    EXPECT_EQ (takeMessages(), "Set_TrackName Add_Master");
    EXPECT_EQ (record (1, lowPass).delayTimeInMs, 50);
    EXPECT_EQ (record (1, lowPass).masterTrackName, "Kick");

    table.setData (ids[0], lowPass, 1000.0f);
    ticks (ids[1], lowPass, 2);
    table.addMaster (1, 0, lowPass, "Scale (*x)", 1.5f, 0, 2, 300.0f, 0);
    EXPECT_EQ (ticks (ids[1], lowPass, 3), (std::vector<float> { 300.0f, 300.0f, 1500.0f }));

    table.addMaster (1, 0, lowPass, "Scale (*x)", 1.5f, 0, 0, 300.0f, 0);
    EXPECT_EQ (ticks (ids[1], lowPass, 1)[0], 1500.0f) << "no ring, no delay";
    EXPECT_EQ (record (1, lowPass).delayBufferLength, 0);
}

TEST_F (VSharedDataTest, ARemovedLinkLeavesTheFollowerAtItsLastValue)
{
    const auto ids = addTracks (3);
    table.addMaster (2, 0, volume, "Same (=x)", 0.0f, 0, 0, 0.3f, 0);
    table.setData (ids[0], volume, 0.6f);
    ticks (ids[2], volume, 1);
    takeMessages();

    table.removeMaster (2, 1, volume); // whichever leader is named
    EXPECT_EQ (takeMessages(), "Remove_Master");
    EXPECT_FALSE (table.isSlave (ids[2], volume));
    EXPECT_TRUE (record (2, volume).rule.isEmpty());
    table.setData (ids[0], volume, 0.1f);
    EXPECT_EQ (ticks (ids[2], volume, 1)[0], 0.6f);
}

TEST_F (VSharedDataTest, AReverseLinkIsSeenFromTheFollowersSide)
{
    addTracks (3);
    table.addMaster (1, 0, pan, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    EXPECT_TRUE (table.isReverseLink (0, 1, pan));
    EXPECT_FALSE (table.isReverseLink (1, 0, pan));
    EXPECT_FALSE (table.isReverseLink (0, 1, volume));
}

TEST_F (VSharedDataTest, AChainedFollowerReadsTheMiddleTracksStoredValue)
{
    const auto ids = addTracks (3);
    table.addMaster (1, 0, pan, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.addMaster (2, 1, pan, "Reverse (-x)", 0.0f, 0, 0, 0.0f, 0);
    table.setData (ids[0], pan, 0.4f);
    EXPECT_FLOAT_EQ (table.getData (ids[2], pan), 0.0f) << "the middle track has not ticked yet";
    table.getData (ids[1], pan);
    EXPECT_FLOAT_EQ (table.getData (ids[2], pan), -0.4f);
}

//==============================================================================
// Following by name and delay after a restore is proven through the plug-in formats.
TEST_F (VSharedDataTest, LoadedRecordsWaitForAResolutionRunWhichSendsOneMessage)
{
    const auto ids = addTracks (3);
    table.setTrackName (1, "Lead");
    takeMessages();
    table.loadLinkListFromState (ids[2], 0, highPass, "Half (0.5x)", 1.0f, 0, 7, 2, 60.0f, "Lead");
    table.loadLinkListFromState (ids[2], 9, pan, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Gone");
    EXPECT_EQ (record (2, pan).masterIndexInVector, -1) << "a saved row beyond the table";
    EXPECT_FALSE (table.isSlave (ids[2], highPass)) << "loading alone makes no link";

    table.addMasterFromLinkList();
    table.addMasterFromLinkList();
    EXPECT_EQ (takeMessages(), "Add_Master Add_Master") << "one message a run, links or not";
    EXPECT_EQ (table.getMasterIndex (2, highPass), 1);
    EXPECT_FALSE (table.isSlave (ids[2], pan));
    EXPECT_EQ (record (2, pan).masterTrackName, "Gone") << "may still be found later";
}

TEST_F (VSharedDataTest, ARenamedLeaderIsStillFoundByItsRecord)
{
    const auto ids = addTracks (3);
    table.addMaster (2, 1, volume, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.setTrackName (1, "Bass");
    table.setTrackName (0, "Track 2"); // the old name now belongs to another track

    table.addMasterFromLinkList();
    EXPECT_EQ (record (2, volume).masterIndexInVector, 1);
    table.setData (ids[1], volume, 0.3f);
    EXPECT_FLOAT_EQ (table.getData (ids[2], volume), 0.3f);
}

//==============================================================================
TEST_F (VSharedDataTest, RemovingATrackDropsLinksToItAndMovesLaterLeadersDown)
{
    const auto ids = addTracks (4);                                       // rows A B C D
    table.addMaster (2, 1, lowPass, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);   // C follows B
    table.addMaster (3, 1, volume, "Half (0.5x)", 0.0f, 0, 0, 0.0f, 0);  // D follows B
    table.addMaster (3, 2, pan, "Reverse (-x)", 0.0f, 0, 2, 0.1f, 0);    // D follows C
    table.setData (ids[1], lowPass, 5000.0f);
    table.getData (ids[2], lowPass);
    takeMessages();

    table.removeTrack (ids[1]);
    EXPECT_EQ (takeMessages(), "Remove_Track Remove_Master Remove_Master");
    EXPECT_FALSE (table.isSlave (ids[2], lowPass));
    EXPECT_EQ (table.getData (ids[2], lowPass), 5000.0f);
    EXPECT_FALSE (table.isSlave (ids[3], volume));

    EXPECT_EQ (record (2, pan).masterTrackName, "Track 2") << "C moved to row 1 and took its default name";
    table.setData (ids[2], pan, 0.5f);
    EXPECT_EQ (ticks (ids[3], pan, 3), (std::vector<float> { 0.1f, 0.1f, -0.5f }));
}

TEST_F (VSharedDataTest, RemovingATrackKeepsPendingRecordsFindableByName)
{
    const auto ids = addTracks (3);
    table.setTrackName (0, "Keys");
    table.loadLinkListFromState (ids[2], 1, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Keys");
    takeMessages();

    table.removeTrack (ids[1]);
    EXPECT_EQ (takeMessages(), "Remove_Track") << "no live link was dropped";
    table.addMasterFromLinkList();
    EXPECT_EQ (table.getMasterIndex (1, volume), 0);
}

TEST_F (VSharedDataTest, DelayRingsAreBounded)
{
    const auto ids = addTracks (2);
    table.addMaster (1, 0, volume, "Same (=x)", 1.0f, 0, 2000000000, 0.5f, 0);
    EXPECT_EQ (record (1, volume).delayBufferLength, VSharedData::maxDelayBufferLength);
    EXPECT_EQ (record (1, volume).delayTimeInMs, 10 * VSharedData::maxDelayBufferLength);
    table.loadLinkListFromState (ids[1], -1, pan, "Half (0.5x)", 1.0f, 0, -1, 1 << 30, 0.0f, "Track 1");
    EXPECT_EQ (record (1, pan).delayBufferLength, VSharedData::maxDelayBufferLength);
}

TEST_F (VSharedDataTest, LiveLinksNeverOutlastTheirRecords)
{
    const auto ids = addTracks (3);
    table.addMaster (2, 0, volume, "Half (0.5x)", 1.0f, 0, 0, 0.0f, 0);
    table.addMaster (2, 1, pan, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    takeMessages();

    // A restored state with no link for the volume ends the live one at once.
    table.loadLinkListFromState (ids[2], -1, volume, "", -1.0f, -1, -1, 0, -1.0f, "");
    EXPECT_FALSE (table.isSlave (ids[2], volume));
    EXPECT_EQ (record (2, volume).controlParamIndex, -1);
    EXPECT_EQ (takeMessages(), "Remove_Master");

    // A record whose leader no longer exists by name is not followed after a resolution run.
    table.loadLinkListFromState (ids[2], -1, pan, "Same (=x)", 1.0f, 0, -1, 0, 0.0f, "Nobody");
    EXPECT_TRUE (table.isSlave (ids[2], pan)) << "pending until the last row loads";
    table.addMasterFromLinkList();
    EXPECT_FALSE (table.isSlave (ids[2], pan));
    takeMessages();
}
