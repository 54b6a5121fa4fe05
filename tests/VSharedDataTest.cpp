#include <gtest/gtest.h>

#include <vector>

#include "engine/VSharedData.h"
#include "tests/TestSupport.h"

namespace
{
enum { volume = 0, pan = 1, lowPass = 2, highPass = 3 };

struct MessageLog : VChangeListener
{
    void changeListenerCallback (VChangeBroadcaster*, const juce::String& message) override
    {
        texts.add (message);
    }

    juce::StringArray texts;
};

class VSharedDataTest : public ::testing::Test
{
protected:
    void SetUp() override { table.addChangeListener (&log); }
    void TearDown() override { table.removeChangeListener (&log); }

    // Adds tracks with the processor's start values and forgets their messages.
    std::vector<int> addTracks (int count)
    {
        std::vector<int> ids;

        for (int i = 0; i < count; ++i)
        {
            int id = -100;
            table.addTrack (id, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
            ids.push_back (id);
        }

        takeMessages();
        return ids;
    }

    juce::StringArray takeMessages()
    {
        zotest::pumpMessages (20);
        auto texts = log.texts;
        log.texts.clear();
        return texts;
    }

    juce::StringArray names() const
    {
        juce::StringArray result;

        for (int row = 0; row < table.getNumTracks(); ++row)
            result.add (table.getTrackName (row));

        return result;
    }

    const VSharedData::LinkInfo& record (int row, int p) const
    {
        return table.linkInfos[(size_t) row][(size_t) p];
    }

    VSharedData table;
    MessageLog log;
};

juce::StringArray texts (std::initializer_list<const char*> items)
{
    juce::StringArray result;

    for (auto* item : items)
        result.add (item);

    return result;
}
} // namespace

//==============================================================================
TEST_F (VSharedDataTest, AddTrackHandsOutIdsRowsAndDefaultNames)
{
    int first = -1, second = -1;
    table.addTrack (first, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
    table.addTrack (second, nullptr, 0.5f, -0.25f, 8000.0f, 200.0f);

    EXPECT_EQ (first, 0);
    EXPECT_EQ (second, 1);
    EXPECT_EQ (table.getDataIndex (second), 1);
    EXPECT_EQ (names(), texts ({ "Track 1", "Track 2" }));
    EXPECT_EQ (takeMessages(), texts ({ "Add_Track", "Add_Track" }));

    EXPECT_FLOAT_EQ (table.getData (second, volume), 0.5f);
    EXPECT_FLOAT_EQ (table.getData (second, pan), -0.25f);
    EXPECT_FLOAT_EQ (table.getData (second, lowPass), 8000.0f);
    EXPECT_FLOAT_EQ (table.getData (second, highPass), 200.0f);
}

TEST_F (VSharedDataTest, RemoveTrackMovesLaterRowsAndTheirDefaultNamesDown)
{
    const auto ids = addTracks (3);
    table.removeTrack (ids[0]);

    EXPECT_EQ (takeMessages(), texts ({ "Remove_Track" }));
    EXPECT_EQ (table.getNumTracks(), 2);
    EXPECT_EQ (table.getDataIndex (ids[1]), 0);
    EXPECT_EQ (table.getDataIndex (ids[2]), 1);
    EXPECT_EQ (names(), texts ({ "Track 1", "Track 2" }));

    int fourth = -1;
    table.addTrack (fourth, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
    EXPECT_EQ (fourth, 3) << "ids are never reused";
    EXPECT_EQ (table.getDataIndex (fourth), 2);
    EXPECT_EQ (table.getTrackName (2), "Track 3");
}

TEST_F (VSharedDataTest, OnlyDefaultNamesFollowTheirRow)
{
    const auto ids = addTracks (3);
    table.removeTrack (ids[2]);
    table.setTrackName (1, "Track 3");   // a user name that looks like a default one

    int added = -1;
    table.addTrack (added, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);
    EXPECT_EQ (names(), texts ({ "Track 1", "Track 3", "Track 3" })) << "addTrack does not test names";

    table.removeTrack (ids[0]);
    EXPECT_EQ (names(), texts ({ "Track 3", "Track 2" }));
}

TEST_F (VSharedDataTest, UnknownTrackIdsNeverReachAnotherRow)
{
    const auto ids = addTracks (2);
    table.removeTrack (ids[0]);
    takeMessages();

    // ids[1] now sits in row 0, where ids[0] used to be.
    table.setData (ids[0], volume, 0.125f);
    EXPECT_FLOAT_EQ (table.getData (ids[1], volume), 1.0f);
    EXPECT_EQ (table.getDataIndex (ids[0]), -1);
    EXPECT_FLOAT_EQ (table.getData (ids[0], volume), 0.0f);
    EXPECT_FALSE (table.isSlave (ids[0], volume));

    table.removeTrack (ids[0]);
    table.removeTrack (42);
    table.loadLinkListFromState (42, 0, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Track 1");
    EXPECT_EQ (table.getNumTracks(), 1);
    EXPECT_EQ (record (0, volume).masterIndexInVector, -1);
    EXPECT_TRUE (takeMessages().isEmpty());
}

//==============================================================================
TEST_F (VSharedDataTest, SetTrackNameRefusalsKeepNamesButStillNotify)
{
    addTracks (3);

    table.setTrackName (2, "Track 3");
    EXPECT_TRUE (takeMessages().isEmpty()) << "the unchanged name sends nothing";

    table.setTrackName (2, "Track 1");
    table.setTrackName (1, "");
    EXPECT_EQ (names(), texts ({ "Track 1", "Track 2", "Track 3" }));
    EXPECT_EQ (takeMessages(), texts ({ "Set_TrackName", "Set_TrackName" }));

    table.setTrackName (2, "track 1");
    table.setTrackName (1, "   ");
    EXPECT_EQ (names(), texts ({ "Track 1", "   ", "track 1" }));
    EXPECT_EQ (takeMessages(), texts ({ "Set_TrackName", "Set_TrackName" }));

    table.setTrackName (3, "Nowhere");
    table.setTrackName (-1, "Nowhere");
    EXPECT_EQ (table.getTrackName (3), juce::String());
    EXPECT_TRUE (takeMessages().isEmpty());
}

//==============================================================================
TEST_F (VSharedDataTest, RulesApplyToTheLeadersCurrentValue)
{
    const auto ids = addTracks (2);
    const int leader = ids[0], follower = ids[1];

    const auto follow = [&] (int p, const char* rule, float scale, float leaderValue)
    {
        table.addMaster (1, 0, p, rule, scale, 0, 0, 0.0f, 0);
        table.setData (leader, p, leaderValue);
        table.setData (follower, p, 12345.0f);   // overwritten by the link
        return table.getData (follower, p);
    };

    EXPECT_FLOAT_EQ (follow (volume, "Same (=x)", 0.0f, 0.8f), 0.8f);
    EXPECT_FLOAT_EQ (follow (volume, "Reciprocal (1/x)", 0.0f, 0.5f), 2.0f);
    EXPECT_FLOAT_EQ (follow (volume, "Half (0.5x)", 0.0f, 1.0f), 0.5f);
    EXPECT_FLOAT_EQ (follow (volume, "Scale (*x)", 2.0f, 0.25f), 0.5f);
    EXPECT_FLOAT_EQ (follow (volume, "Reverse (-x)", 0.0f, 0.5f), -0.5f);

    EXPECT_FLOAT_EQ (follow (pan, "Reverse (-x)", 0.0f, 0.3f), -0.3f);
    EXPECT_FLOAT_EQ (follow (lowPass, "Reverse (-x)", 0.0f, 20.0f), 20000.0f);
    EXPECT_FLOAT_EQ (follow (lowPass, "Reverse (-x)", 0.0f, 20000.0f), 20.0f);
    EXPECT_FLOAT_EQ (follow (lowPass, "Reverse (-x)", 0.0f, 1000.0f), 19020.0f);
    EXPECT_FLOAT_EQ (follow (highPass, "Reverse (-x)", 0.0f, 500.0f), 19520.0f);

    // Rule texts match exactly; anything else leaves the follower alone.
    EXPECT_FLOAT_EQ (follow (pan, "same (=x)", 0.0f, 0.9f), 12345.0f);
    EXPECT_TRUE (table.isSlave (follower, pan));
}

TEST_F (VSharedDataTest, DelayRingHandsOutValuesInOrderAfterTheInitValues)
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

TEST_F (VSharedDataTest, AddMasterStoresTheRecordAndUpdateReplacesTheRing)
{
    const auto ids = addTracks (2);
    table.setTrackName (0, "Kick");
    takeMessages();

    table.addMaster (1, 0, lowPass, "Scale (*x)", 1.5f, 1, 5, 400.0f, 2);
    EXPECT_EQ (takeMessages(), texts ({ "Add_Master" }));

    const auto& link = record (1, lowPass);
    EXPECT_EQ (link.masterIndexInVector, 0);
    EXPECT_EQ (link.controlParamIndex, lowPass);
    EXPECT_EQ (link.rule, "Scale (*x)");
    EXPECT_FLOAT_EQ (link.scale, 1.5f);
    EXPECT_EQ (link.delayUnit, 1);
    EXPECT_EQ (link.delayTimeInMs, 50);
    EXPECT_EQ (link.delayTimeInBeats, 2);
    EXPECT_EQ (link.delayBufferLength, 5);
    EXPECT_FLOAT_EQ (link.initValue, 400.0f);
    EXPECT_EQ (link.masterTrackName, "Kick");

    table.setData (ids[0], lowPass, 1000.0f);
    table.getData (ids[1], lowPass);
    table.getData (ids[1], lowPass);

    // Shorter ring: the history is dropped and three new init values come first.
    table.addMaster (1, 0, lowPass, "Scale (*x)", 1.5f, 0, 3, 300.0f, 30);
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ (table.getData (ids[1], lowPass), 300.0f);
    EXPECT_FLOAT_EQ (table.getData (ids[1], lowPass), 1500.0f);

    table.addMaster (1, 0, lowPass, "Scale (*x)", 1.5f, 0, 0, 300.0f, 0);
    table.setData (ids[0], lowPass, 2000.0f);
    EXPECT_FLOAT_EQ (table.getData (ids[1], lowPass), 3000.0f);
    EXPECT_EQ (record (1, lowPass).delayTimeInMs, 0);
    EXPECT_EQ (record (1, lowPass).delayBufferLength, 0);
}

TEST_F (VSharedDataTest, AddMasterOutsideTheTableIsIgnored)
{
    const auto ids = addTracks (2);
    table.addMaster (1, 2, volume, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.addMaster (2, 0, volume, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.addMaster (1, 0, 4, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);

    EXPECT_FALSE (table.isSlave (ids[1], volume));
    EXPECT_TRUE (takeMessages().isEmpty());
}

TEST_F (VSharedDataTest, RemoveMasterDropsTheLinkWhicheverLeaderIsNamed)
{
    const auto ids = addTracks (3);
    table.addMaster (2, 0, volume, "Same (=x)", 0.0f, 0, 2, 0.3f, 0);
    table.setData (ids[0], volume, 0.6f);
    table.getData (ids[2], volume);
    table.getData (ids[2], volume);
    EXPECT_FLOAT_EQ (table.getData (ids[2], volume), 0.6f);
    takeMessages();

    table.removeMaster (2, 1, volume);
    EXPECT_EQ (takeMessages(), texts ({ "Remove_Master" }));
    EXPECT_FALSE (table.isSlave (ids[2], volume));
    EXPECT_EQ (record (2, volume).masterIndexInVector, -1);
    EXPECT_TRUE (record (2, volume).rule.isEmpty());

    table.setData (ids[0], volume, 0.1f);
    EXPECT_FLOAT_EQ (table.getData (ids[2], volume), 0.6f) << "the follower keeps its last value";
}

TEST_F (VSharedDataTest, ReverseLinkIsSeenFromTheFollowersSide)
{
    addTracks (3);
    table.addMaster (1, 0, pan, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);

    EXPECT_TRUE (table.isReverseLink (0, 1, pan));
    EXPECT_FALSE (table.isReverseLink (1, 0, pan));
    EXPECT_FALSE (table.isReverseLink (0, 1, volume));
    EXPECT_FALSE (table.isReverseLink (0, 5, pan));
}

TEST_F (VSharedDataTest, ChainedFollowersReadTheMiddleTracksStoredValue)
{
    const auto ids = addTracks (3);
    table.addMaster (1, 0, pan, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.addMaster (2, 1, pan, "Reverse (-x)", 0.0f, 0, 0, 0.0f, 0);
    table.setData (ids[0], pan, 0.4f);

    EXPECT_FLOAT_EQ (table.getData (ids[2], pan), -0.0f) << "the middle track has not ticked yet";
    table.getData (ids[1], pan);
    EXPECT_FLOAT_EQ (table.getData (ids[2], pan), -0.4f);
}

//==============================================================================
TEST_F (VSharedDataTest, LoadedRecordsBecomeLinksByLeaderName)
{
    const auto ids = addTracks (4);
    table.setTrackName (1, "Lead");
    table.setTrackName (3, "Follow");

    table.loadLinkListFromState (ids[3], 0, highPass, "Half (0.5x)", 1.0f, 0, 7, 4, 60.0f, "Lead");
    table.loadLinkListFromState (ids[3], 2, pan, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Gone");
    takeMessages();

    const auto& loaded = record (3, highPass);
    EXPECT_EQ (loaded.masterIndexInVector, 0) << "kept until the names are resolved";
    EXPECT_EQ (loaded.controlParamIndex, highPass);
    EXPECT_EQ (loaded.delayTimeInMs, 40);
    EXPECT_EQ (loaded.delayTimeInBeats, 7);
    EXPECT_FALSE (table.isSlave (ids[3], highPass)) << "loading alone makes no link";

    table.addMasterFromLinkList();
    EXPECT_EQ (takeMessages(), texts ({ "Add_Master" }));

    EXPECT_EQ (record (3, highPass).masterIndexInVector, 1);
    EXPECT_TRUE (table.isSlave (ids[3], highPass));
    EXPECT_EQ (record (3, pan).masterIndexInVector, -1);
    EXPECT_EQ (record (3, pan).masterTrackName, "Gone") << "may still be found later";
    EXPECT_FALSE (table.isSlave (ids[3], pan));

    table.setData (ids[1], highPass, 1000.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ (table.getData (ids[3], highPass), 60.0f);
    EXPECT_FLOAT_EQ (table.getData (ids[3], highPass), 500.0f);

    table.addMasterFromLinkList();
    EXPECT_EQ (takeMessages(), texts ({ "Add_Master" })) << "sent once, links or not";
}

TEST_F (VSharedDataTest, LoadedLeaderNameResolvesToTheLowestOtherRow)
{
    const auto ids = addTracks (3);
    table.removeTrack (ids[2]);
    table.setTrackName (1, "Track 3");
    int third = -1;
    table.addTrack (third, nullptr, 1.0f, 0.0f, 20000.0f, 20.0f);   // also named "Track 3"

    table.loadLinkListFromState (ids[0], -1, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.5f, "Track 3");
    table.loadLinkListFromState (ids[0], -1, pan, "Same (=x)", 1.0f, 0, 0, 0, 0.5f, "Track 1");
    table.loadLinkListFromState (third, 9, lowPass, "Same (=x)", 1.0f, 0, 0, 0, 0.5f, "");
    EXPECT_EQ (record (2, lowPass).masterIndexInVector, -1) << "a saved row beyond the table";

    table.addMasterFromLinkList();
    EXPECT_EQ (record (0, volume).masterIndexInVector, 1);
    EXPECT_EQ (record (0, pan).masterIndexInVector, -1) << "a track never follows itself";
    EXPECT_FALSE (table.isSlave (ids[0], pan));
    EXPECT_FALSE (table.isSlave (third, lowPass));
}

TEST_F (VSharedDataTest, RenamedLeaderIsStillFoundByItsRecord)
{
    const auto ids = addTracks (3);
    table.addMaster (2, 1, volume, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);
    table.setTrackName (1, "Bass");
    table.setTrackName (0, "Track 2");   // the old name now belongs to another track

    EXPECT_EQ (record (2, volume).masterTrackName, "Bass");

    table.addMasterFromLinkList();
    EXPECT_EQ (record (2, volume).masterIndexInVector, 1);
    table.setData (ids[1], volume, 0.3f);
    EXPECT_FLOAT_EQ (table.getData (ids[2], volume), 0.3f);
}

//==============================================================================
TEST_F (VSharedDataTest, RemoveTrackDropsLinksToItAndMovesOthersDown)
{
    const auto ids = addTracks (4);   // rows A B C D
    table.addMaster (1, 0, volume, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);       // B follows A
    table.addMaster (2, 1, lowPass, "Same (=x)", 0.0f, 0, 0, 0.0f, 0);      // C follows B
    table.addMaster (3, 1, volume, "Half (0.5x)", 0.0f, 0, 0, 0.0f, 0);     // D follows B
    table.addMaster (3, 2, pan, "Reverse (-x)", 0.0f, 0, 2, 0.1f, 0);       // D follows C
    table.setData (ids[1], lowPass, 5000.0f);
    table.getData (ids[2], lowPass);
    takeMessages();

    table.removeTrack (ids[1]);
    EXPECT_EQ (takeMessages(), texts ({ "Remove_Track", "Remove_Master", "Remove_Master" }));

    // C (now row 1) no longer follows and keeps its last value.
    EXPECT_FALSE (table.isSlave (ids[2], lowPass));
    EXPECT_EQ (record (1, lowPass).masterIndexInVector, -1);
    EXPECT_FLOAT_EQ (table.getData (ids[2], lowPass), 5000.0f);
    EXPECT_FALSE (table.isSlave (ids[3], volume));

    // D (now row 2) still follows C, whose row moved from 2 to 1.
    EXPECT_EQ (record (2, pan).masterIndexInVector, 1);
    EXPECT_EQ (record (2, pan).masterTrackName, "Track 2");
    EXPECT_TRUE (table.isReverseLink (1, 2, pan));
    table.setData (ids[2], pan, 0.5f);
    EXPECT_FLOAT_EQ (table.getData (ids[3], pan), 0.1f);
    EXPECT_FLOAT_EQ (table.getData (ids[3], pan), 0.1f);
    EXPECT_FLOAT_EQ (table.getData (ids[3], pan), -0.5f);
}

TEST_F (VSharedDataTest, RemoveTrackKeepsPendingRecordsResolvableByName)
{
    const auto ids = addTracks (3);
    table.setTrackName (0, "Keys");
    table.loadLinkListFromState (ids[2], 1, volume, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Keys");
    table.loadLinkListFromState (ids[2], 0, pan, "Same (=x)", 1.0f, 0, 0, 0, 0.0f, "Keys");
    takeMessages();

    table.removeTrack (ids[1]);
    EXPECT_EQ (takeMessages(), texts ({ "Remove_Track" })) << "no live link was dropped";
    EXPECT_EQ (record (1, volume).masterIndexInVector, -1);
    EXPECT_EQ (record (1, pan).masterIndexInVector, 0);

    table.addMasterFromLinkList();
    EXPECT_TRUE (table.isSlave (ids[2], volume));
    EXPECT_EQ (record (1, volume).masterIndexInVector, 0);
}

TEST_F (VSharedDataTest, DelayRingsAreBoundedAndEmptyRecordsLoadCleared)
{
    const auto ids = addTracks (2);

    // A request far beyond ten minutes of ticks is cut, not allocated.
    table.addMaster (1, 0, volume, "Same (=x)", 1.0f, 0, 2000000000, 0.5f, 0);
    EXPECT_EQ (record (1, volume).delayBufferLength, VSharedData::maxDelayBufferLength);
    EXPECT_EQ (record (1, volume).delayTimeInMs, 10 * VSharedData::maxDelayBufferLength);

    table.loadLinkListFromState (ids[1], -1, pan, "Half (0.5x)", 1.0f, 0, -1, 1 << 30, 0.0f, "Track 1");
    EXPECT_EQ (record (1, pan).delayBufferLength, VSharedData::maxDelayBufferLength);

    // A parameter saved without a link reads back as the cleared record it was.
    table.loadLinkListFromState (ids[1], -1, lowPass, "", -1.0f, -1, -1, 0, -1.0f, "");
    EXPECT_EQ (record (1, lowPass).controlParamIndex, -1);
    EXPECT_EQ (record (1, lowPass).masterIndexInVector, -1);
    EXPECT_EQ (table.getMasterIndex (1, volume), 0);
    EXPECT_EQ (table.getMasterIndex (1, lowPass), -1);
    EXPECT_EQ (table.getMasterIndex (7, volume), -1);
    takeMessages();
}

TEST_F (VSharedDataTest, LiveLinksNeverOutlastTheirRecords)
{
    const auto ids = addTracks (3);
    table.addMaster (2, 0, volume, "Half (0.5x)", 1.0f, 0, 0, 0.0f, 0);
    table.addMaster (2, 1, pan, "Same (=x)", 1.0f, 0, 0, 0.0f, 0);
    takeMessages();

    // A restored state that has no link for the volume ends the live one at once.
    table.loadLinkListFromState (ids[2], -1, volume, "", -1.0f, -1, -1, 0, -1.0f, "");
    EXPECT_FALSE (table.isSlave (ids[2], volume));
    EXPECT_EQ (takeMessages(), texts ({ "Remove_Master" }));

    // A record whose leader no longer exists by name is not followed after a resolution run.
    table.loadLinkListFromState (ids[2], -1, pan, "Same (=x)", 1.0f, 0, -1, 0, 0.0f, "Nobody");
    EXPECT_TRUE (table.isSlave (ids[2], pan)) << "pending until the last row loads";
    table.addMasterFromLinkList();
    EXPECT_FALSE (table.isSlave (ids[2], pan));
    EXPECT_EQ (table.getMasterIndex (2, pan), -1);
    takeMessages();
}
