#pragma once

#include <map>
#include <utility>
#include <vector>

#include <juce_core/juce_core.h>

#include "engine/VChangeBroadcaster.h"

class Brindle;

// The process-wide table of tracks and links that every plug-in instance shares.
// One row per live instance; rows move down when an earlier row goes, track ids
// never change. Values, leader rows and delay rings are guarded by tableLock
// because the audio threads read them on every control tick. Names, row counts
// and link records are read without it by the windows on the message thread;
// they are written under it, because a host may create, restore and delete
// instances on a thread of its own (an LV2 plug-in's message thread is not the
// host's), where getSavedRow() reads them.
class VSharedData : public VChangeBroadcaster
{
public:
    // One parameter's link as it is saved, restored and drawn. The default
    // values are the record of a parameter that follows nobody.
    struct LinkInfo
    {
        int masterIndexInVector = -1;
        int controlParamIndex = -1;
        juce::String rule;
        float scale = -1.0f;
        int delayUnit = -1;
        int delayTimeInMs = -1;
        int delayTimeInBeats = -1;
        int delayBufferLength = 0;
        float initValue = -1.0f;
        juce::String masterTrackName;
    };

    // Public so that tests and tools can have a table of their own; the plug-in
    // itself only ever uses sharedInstance().
    VSharedData();
    ~VSharedData() override;

    // The process's table, built on first use and never destroyed: audio
    // threads may still read it while a quitting host's process exits.
    static VSharedData* sharedInstance();

    //==============================================================================
    // Tracks and names.

    // Appends a row with the given values (volume as a linear gain) and a default
    // name, and hands out a fresh track id. Sends "Add_Track".
    void addTrack (int& trackId, Brindle* processor, float volume, float pan, float lpf, float hpf);

    // Erases the track's row. Links that followed it are dropped (their followers
    // keep their last value), links to later rows move down with their leader.
    // Sends "Remove_Track", then one "Remove_Master" per dropped link.
    // An unknown id changes nothing and sends nothing.
    void removeTrack (int trackId);

    // Renames a row. A name that another row carries or an empty name is refused
    // with a warning to `askedBy` (the instance whose window the name was typed
    // in; the renamed row's own instance when null), which shows it if its
    // window is open; "Set_TrackName" is sent either way so that windows show
    // the stored names again. The same name again, or a row that does not
    // exist, changes and sends nothing.
    void setTrackName (int row, juce::String newName, Brindle* askedBy = nullptr);

    // An empty string for a row that does not exist.
    juce::String getTrackName (int row) const;

    // The track's name and its link records, as its instance saves them, read
    // under tableLock on any thread. An unknown id gives an empty name and
    // cleared records.
    using SavedRow = std::pair<juce::String, std::vector<LinkInfo>>;
    SavedRow getSavedRow (int trackId) const;
    int getNumTracks() const;

    // The track's current row, or -1 when the table holds no such track.
    int getDataIndex (int trackId) const;

    // Stores a parameter value (volume as a linear gain). Unknown ids and
    // parameter indices are ignored.
    void setData (int trackId, int parameterIndex, float value);

    std::vector<Brindle*> getProcessorPointers() const;

    //==============================================================================
    // Links. Rows, not track ids, unless the argument says otherwise.

    // The parameter's current value for the track. For a follower this applies
    // the rule to the leader's value, passes it through the delay ring (one slot
    // per call) and stores the outcome in the follower's row. Returns 0 for an
    // unknown track id or parameter index.
    float getData (int trackId, int parameterIndex);

    // Makes (or replaces) the follower's link for one parameter; the delay ring
    // gets delayLength copies of initValue, which is in the parameter's own unit
    // (a volume in dB, turned into a gain for the ring; the record keeps the dB).
    // Sends "Add_Master". Rows or an index outside the table are ignored and
    // send nothing.
    void addMaster (int followerRow, int leaderRow, int parameterIndex, juce::String rule, float scale,
                    int delayUnit, int delayLength, float initValue, int delayInBeats);

    // Drops the follower's link for the parameter, whichever row it follows.
    // Sends "Remove_Master".
    void removeMaster (int followerRow, int leaderRow, int parameterIndex);

    bool isSlave (int trackId, int parameterIndex) const;

    // The row a follower row follows for the parameter, or -1.
    int getMasterIndex (int row, int parameterIndex) const;

    // True when rowB already follows rowA for the parameter.
    bool isReverseLink (int rowA, int rowB, int parameterIndex) const;

    // Stores a saved link record for the track; the live link follows at the
    // next addMasterFromLinkList(). Sends nothing.
    void loadLinkListFromState (int trackId, int savedMasterIndex, int parameterIndex, juce::String rule,
                                float scale, int delayUnit, int delayTimeInBeats, int delayBufferLength,
                                float initValue, juce::String masterTrackName);

    // Finds every record's leader again by its track name and makes the live
    // links what the records say. A link that is live already as its record
    // says (leader, rule, scale, delay and init value) is left as it is, its
    // delay running on: loading a state into one instance must not restart the
    // links of others. Sends "Add_Master" once.
    void addMasterFromLinkList();

    //==============================================================================
    // The longest delay ring a link may have: ten minutes of 10 ms ticks. Longer
    // requests (a project file, a slow tempo) are cut to it rather than allocated.
    static constexpr int maxDelayBufferLength = 60000;

    const int numParams;
    const std::vector<juce::String> volumeRuleNames;
    const std::vector<juce::String> panRuleNames;
    const std::vector<juce::String> cutoffRuleNames;
    const std::vector<juce::String> ruleNames;

    // Read directly by the saved state and the editor on the message thread;
    // write it only through the operations above.
    std::vector<std::vector<LinkInfo>> linkInfos;

private:
    int rowForTrack (int trackId) const noexcept;
    bool isRow (int row) const noexcept;
    bool isParameter (int parameterIndex) const noexcept;

    static LinkInfo makeRecord (int leaderRow, int parameterIndex, const juce::String& rule, float scale,
                                int delayUnit, int delayLength, int delayInBeats, float initValue,
                                const juce::String& leaderName);
    void fillRing (int row, int parameterIndex, int length, float initValue);
    bool isLiveAs (int row, int parameterIndex, const LinkInfo& record) const;
    void dropLiveLink (int row, int parameterIndex);
    void refreshLeaderNames();
    bool applyRule (const juce::String& rule, float scale, int parameterIndex, float x, float& result) const noexcept;

    static juce::String defaultTrackName (int row);

    juce::CriticalSection tableLock;
    int lastTrackId = -1;
    std::map<int, int> dataIndexMap;
    std::vector<juce::String> trackNames;
    std::vector<std::vector<float>> paramValues;
    std::vector<std::vector<std::vector<float>>> delayBuffers;
    std::vector<std::vector<int>> delayBufferPositions;
    std::vector<std::vector<int>> masterIndices;
    std::vector<std::vector<std::pair<juce::String, float>>> rulesAndScales;
    std::vector<std::vector<float>> ringInitValues; // what each live ring was filled with, as its record says
    std::vector<Brindle*> processors;

    JUCE_DECLARE_NON_COPYABLE (VSharedData)
};
