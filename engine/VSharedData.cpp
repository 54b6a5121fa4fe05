#include "engine/VSharedData.h"

#include <algorithm>
#include <cstring>

#include "engine/Brindle.h"

namespace
{
constexpr int numTrackParams = 4;
constexpr int volumeIndex = 0;
constexpr int lowPassIndex = 2;
constexpr int highPassIndex = 3;

// Mirrors a frequency inside the 20 Hz to 20 kHz cutoff range.
constexpr float cutoffMirrorSum = 20020.0f;

inline size_t idx (int i) noexcept { return static_cast<size_t> (i); }
} // namespace

VSharedData::VSharedData()
    : numParams (numTrackParams),
      volumeRuleNames { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)" },
      panRuleNames { "Same (=x)", "Reverse (-x)", "Half (0.5x)", "Scale (*x)" },
      cutoffRuleNames { "Same (=x)", "Reverse (-x)", "Half (0.5x)", "Scale (*x)" },
      ruleNames { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)" }
{
}

VSharedData::~VSharedData() = default;

VSharedData* VSharedData::sharedInstance()
{
    // Never destroyed: a host may quit with its audio threads still running
    // instances, whose every tick reads this table, while the process's
    // statics go. What it holds is the operating system's to free.
    static auto* const instance = new VSharedData();
    return instance;
}

//==============================================================================
void VSharedData::addTrack (int& trackId, Brindle* processor, float volume, float pan, float lpf, float hpf)
{
    const juce::ScopedLock sl (tableLock);

    const auto n = idx (numParams);
    paramValues.push_back ({ volume, pan, lpf, hpf });
    delayBuffers.emplace_back (n);
    delayBufferPositions.emplace_back (n, 0);
    masterIndices.emplace_back (n, -1);
    rulesAndScales.emplace_back (n, std::make_pair (juce::String(), 0.0f));
    ringInitValues.emplace_back (n, 0.0f);
    processors.push_back (processor);
    linkInfos.emplace_back (n);

    ++lastTrackId;
    const int row = static_cast<int> (trackNames.size());
    dataIndexMap.emplace (lastTrackId, row);
    trackNames.push_back (defaultTrackName (row));

    trackId = lastTrackId;
    sendChangeMessage ("Add_Track");
}

void VSharedData::removeTrack (int trackId)
{
    const juce::ScopedLock sl (tableLock);

    const auto found = dataIndexMap.find (trackId);

    if (found == dataIndexMap.end())
        return;

    const int r = found->second;
    const auto at = [r] (auto& table) { table.erase (table.begin() + r); };

    at (paramValues);
    at (delayBuffers);
    at (delayBufferPositions);
    at (masterIndices);
    at (rulesAndScales);
    at (ringInitValues);
    at (processors);
    at (linkInfos);

    dataIndexMap.erase (found);

    for (auto& entry : dataIndexMap)
        if (entry.second > r)
            --entry.second;

    for (int i = r + 1; i < static_cast<int> (trackNames.size()); ++i)
        if (trackNames[idx (i)] == defaultTrackName (i))
            trackNames[idx (i)] = defaultTrackName (i - 1);

    at (trackNames);

    // Every leader row must stay a live row: links to the removed track go,
    // links to later tracks move down with them.
    int droppedLinks = 0;

    for (size_t row = 0; row < masterIndices.size(); ++row)
    {
        for (int p = 0; p < numParams; ++p)
        {
            auto& leader = masterIndices[row][idx (p)];
            auto& info = linkInfos[row][idx (p)];
            const bool followedRemoved = leader == r;

            if (followedRemoved)
            {
                dropLiveLink (static_cast<int> (row), p);
                ++droppedLinks;
            }
            else if (leader > r)
            {
                --leader;
            }

            if (info.masterIndexInVector == r)
            {
                // A restored record that is not live yet keeps its leader's name,
                // so a later addMasterFromLinkList() can still find it.
                if (followedRemoved)
                    info = LinkInfo();
                else
                    info.masterIndexInVector = -1;
            }
            else if (info.masterIndexInVector > r)
            {
                --info.masterIndexInVector;
            }
        }
    }

    refreshLeaderNames();

    sendChangeMessage ("Remove_Track");

    for (int i = 0; i < droppedLinks; ++i)
        sendChangeMessage ("Remove_Master");
}

void VSharedData::setTrackName (int row, juce::String newName, Brindle* askedBy)
{
    juce::String refusal;
    Brindle* warned = nullptr;

    {
        const juce::ScopedLock sl (tableLock);

        if (! isRow (row) || trackNames[idx (row)] == newName)
            return;

        if (newName.isEmpty())
            refusal = "Empty_Name";
        else if (std::find (trackNames.begin(), trackNames.end(), newName) != trackNames.end())
            refusal = "Repeat_Name";

        if (refusal.isEmpty())
        {
            trackNames[idx (row)] = newName;
            refreshLeaderNames();
        }
        else
        {
            // Any window can rename any track: the warning belongs to the window
            // where the name was typed, and to no other.
            warned = askedBy != nullptr ? askedBy : processors[idx (row)];
        }

        sendChangeMessage ("Set_TrackName");
    }

    // Outside the lock: the window shows an alert, and no audio thread should wait for it.
    if (warned != nullptr)
        warned->showWarning (refusal);
}

juce::String VSharedData::getTrackName (int row) const
{
    return isRow (row) ? trackNames[idx (row)] : juce::String();
}

VSharedData::SavedRow VSharedData::getSavedRow (int trackId) const
{
    const juce::ScopedLock sl (tableLock);

    const int row = rowForTrack (trackId);

    if (row < 0)
        return { {}, std::vector<LinkInfo> (idx (numParams)) };

    return { trackNames[idx (row)], linkInfos[idx (row)] };
}

int VSharedData::getNumTracks() const
{
    return static_cast<int> (trackNames.size());
}

int VSharedData::getDataIndex (int trackId) const
{
    return rowForTrack (trackId);
}

void VSharedData::setData (int trackId, int parameterIndex, float value)
{
    const juce::ScopedLock sl (tableLock);

    const int row = rowForTrack (trackId);

    if (row >= 0 && isParameter (parameterIndex))
        paramValues[idx (row)][idx (parameterIndex)] = value;
}

std::vector<Brindle*> VSharedData::getProcessorPointers() const
{
    const juce::ScopedLock sl (tableLock);
    return processors;
}

//==============================================================================
float VSharedData::getData (int trackId, int parameterIndex)
{
    const juce::ScopedLock sl (tableLock);

    const int row = rowForTrack (trackId);

    if (row < 0 || ! isParameter (parameterIndex))
        return 0.0f;

    const auto r = idx (row);
    const auto p = idx (parameterIndex);
    auto& value = paramValues[r][p];
    const int leader = masterIndices[r][p];

    if (leader < 0)
        return value;

    const auto& ruleAndScale = rulesAndScales[r][p];
    float result = 0.0f;
    const bool hasResult = applyRule (ruleAndScale.first, ruleAndScale.second, parameterIndex,
                                      paramValues[idx (leader)][p], result);

    auto& ring = delayBuffers[r][p];

    if (ring.empty())
    {
        if (hasResult)
            value = result;

        return value;
    }

    auto& position = delayBufferPositions[r][p];
    auto& slot = ring[idx (position)];
    value = slot;

    if (hasResult)
        slot = result;

    if (++position >= static_cast<int> (ring.size()))
        position = 0;

    return value;
}

void VSharedData::addMaster (int followerRow, int leaderRow, int parameterIndex, juce::String rule, float scale,
                             int delayUnit, int delayLength, float initValue, int delayInBeats)
{
    const juce::ScopedLock sl (tableLock);

    if (! isRow (followerRow) || ! isRow (leaderRow) || ! isParameter (parameterIndex))
        return;

    const auto f = idx (followerRow);
    const auto p = idx (parameterIndex);

    masterIndices[f][p] = leaderRow;
    rulesAndScales[f][p] = { rule, scale };
    fillRing (followerRow, parameterIndex, delayLength, initValue);

    linkInfos[f][p] = makeRecord (leaderRow, parameterIndex, rule, scale, delayUnit, delayLength,
                                  delayInBeats, initValue, trackNames[idx (leaderRow)]);

    sendChangeMessage ("Add_Master");
}

void VSharedData::removeMaster (int followerRow, int /*leaderRow*/, int parameterIndex)
{
    // The follower has one leader per parameter, so the leader row is not needed.
    const juce::ScopedLock sl (tableLock);

    if (! isRow (followerRow) || ! isParameter (parameterIndex))
        return;

    dropLiveLink (followerRow, parameterIndex);
    linkInfos[idx (followerRow)][idx (parameterIndex)] = LinkInfo();

    sendChangeMessage ("Remove_Master");
}

bool VSharedData::isSlave (int trackId, int parameterIndex) const
{
    const juce::ScopedLock sl (tableLock);

    const int row = rowForTrack (trackId);

    return row >= 0 && isParameter (parameterIndex)
           && isRow (masterIndices[idx (row)][idx (parameterIndex)]);
}

int VSharedData::getMasterIndex (int row, int parameterIndex) const
{
    const juce::ScopedLock sl (tableLock);
    return isRow (row) && isParameter (parameterIndex) ? masterIndices[idx (row)][idx (parameterIndex)] : -1;
}

bool VSharedData::isReverseLink (int rowA, int rowB, int parameterIndex) const
{
    return isRow (rowA) && isRow (rowB) && isParameter (parameterIndex)
           && masterIndices[idx (rowB)][idx (parameterIndex)] == rowA;
}

void VSharedData::loadLinkListFromState (int trackId, int savedMasterIndex, int parameterIndex, juce::String rule,
                                         float scale, int delayUnit, int delayTimeInBeats, int delayBufferLength,
                                         float initValue, juce::String masterTrackName)
{
    const juce::ScopedLock sl (tableLock);

    const int row = rowForTrack (trackId);

    if (row < 0 || ! isParameter (parameterIndex))
        return;

    auto& info = linkInfos[idx (row)][idx (parameterIndex)];

    // A parameter that followed nobody comes back as the cleared record it was
    // saved from, so that saving it again writes the same bytes. A live link it
    // still has would no longer be saved or drawn, so it goes now.
    if (rule.isEmpty() && masterTrackName.isEmpty())
    {
        info = LinkInfo();

        if (masterIndices[idx (row)][idx (parameterIndex)] >= 0)
        {
            dropLiveLink (row, parameterIndex);
            sendChangeMessage ("Remove_Master");
        }

        return;
    }

    // A saved row that this table does not have would point the editor at a
    // missing row; the leader is found by name later anyway.
    info = makeRecord (isRow (savedMasterIndex) ? savedMasterIndex : -1, parameterIndex, rule, scale, delayUnit,
                       delayBufferLength, delayTimeInBeats, initValue, masterTrackName);
}

VSharedData::LinkInfo VSharedData::makeRecord (int leaderRow, int parameterIndex, const juce::String& rule,
                                               float scale, int delayUnit, int delayLength, int delayInBeats,
                                               float initValue, const juce::String& leaderName)
{
    // The delay travels as its length in ticks; the milliseconds follow from it.
    LinkInfo info;
    info.masterIndexInVector = leaderRow;
    info.controlParamIndex = parameterIndex;
    info.rule = rule;
    info.scale = scale;
    info.delayUnit = delayUnit;
    info.delayBufferLength = juce::jlimit (0, maxDelayBufferLength, delayLength);
    info.delayTimeInMs = 10 * info.delayBufferLength;
    info.delayTimeInBeats = delayInBeats;
    info.initValue = initValue;
    info.masterTrackName = leaderName;
    return info;
}

void VSharedData::addMasterFromLinkList()
{
    const juce::ScopedLock sl (tableLock);

    const int rows = getNumTracks();

    for (int r = 0; r < rows; ++r)
    {
        for (int p = 0; p < numParams; ++p)
        {
            auto& info = linkInfos[idx (r)][idx (p)];

            if (info.masterTrackName.isNotEmpty())
            {
                // The lowest row with the name, but never the follower itself: before
                // all names are restored a follower can carry its leader's default name.
                info.masterIndexInVector = -1;

                for (int candidate = 0; candidate < rows; ++candidate)
                {
                    if (candidate != r && trackNames[idx (candidate)] == info.masterTrackName)
                    {
                        info.masterIndexInVector = candidate;
                        break;
                    }
                }
            }

            if (info.masterIndexInVector == r || ! isRow (info.masterIndexInVector))
            {
                // Unresolved: nothing is followed, so no live link may outlast its record.
                info.masterIndexInVector = -1;

                if (masterIndices[idx (r)][idx (p)] >= 0)
                    dropLiveLink (r, p);

                continue;
            }

            if (isLiveAs (r, p, info))
                continue;

            masterIndices[idx (r)][idx (p)] = info.masterIndexInVector;
            rulesAndScales[idx (r)][idx (p)] = { info.rule, info.scale };
            fillRing (r, p, info.delayBufferLength, info.initValue);
        }
    }

    sendChangeMessage ("Add_Master");
}

//==============================================================================
int VSharedData::rowForTrack (int trackId) const noexcept
{
    // Never find-or-insert: an unknown id must not land on another track's row.
    const auto found = dataIndexMap.find (trackId);
    return found != dataIndexMap.end() ? found->second : -1;
}

bool VSharedData::isRow (int row) const noexcept
{
    return row >= 0 && row < static_cast<int> (trackNames.size());
}

bool VSharedData::isParameter (int parameterIndex) const noexcept
{
    return parameterIndex >= 0 && parameterIndex < numParams;
}

void VSharedData::fillRing (int row, int parameterIndex, int length, float initValue)
{
    auto& ring = delayBuffers[idx (row)][idx (parameterIndex)];
    length = juce::jmin (length, maxDelayBufferLength);

    // The init value is given as the window shows it, so a volume in dB; the
    // ring hands out what the table holds, a linear gain.
    if (length > 0)
        ring.assign (idx (length), parameterIndex == volumeIndex ? Brindle::dbToGain (initValue) : initValue);
    else
        ring = {};

    delayBufferPositions[idx (row)][idx (parameterIndex)] = 0;
    ringInitValues[idx (row)][idx (parameterIndex)] = initValue;
}

bool VSharedData::isLiveAs (int row, int parameterIndex, const LinkInfo& record) const
{
    const auto r = idx (row);
    const auto p = idx (parameterIndex);
    const auto same = [] (float a, float b) { return std::memcmp (&a, &b, sizeof (float)) == 0; };

    return masterIndices[r][p] == record.masterIndexInVector
           && rulesAndScales[r][p].first == record.rule && same (rulesAndScales[r][p].second, record.scale)
           && delayBuffers[r][p].size() == idx (juce::jmax (0, record.delayBufferLength))
           && same (ringInitValues[r][p], record.initValue);
}

void VSharedData::dropLiveLink (int row, int parameterIndex)
{
    const auto r = idx (row);
    const auto p = idx (parameterIndex);

    masterIndices[r][p] = -1;
    rulesAndScales[r][p] = { juce::String(), 0.0f };
    delayBuffers[r][p] = {};
    delayBufferPositions[r][p] = 0;
}

void VSharedData::refreshLeaderNames()
{
    // Links are found again by leader name after a load, so a live link's record
    // must carry the name its leader has now, not the one it had when linked.
    for (size_t row = 0; row < linkInfos.size(); ++row)
    {
        for (int p = 0; p < numParams; ++p)
        {
            auto& info = linkInfos[row][idx (p)];
            const int leader = masterIndices[row][idx (p)];

            if (leader >= 0 && leader == info.masterIndexInVector)
                info.masterTrackName = trackNames[idx (leader)];
        }
    }
}

bool VSharedData::applyRule (const juce::String& rule, float scale, int parameterIndex, float x,
                             float& result) const noexcept
{
    // Matched as text on every call because links are stored and saved by rule text.
    if (rule == ruleNames[0])
        result = x;
    else if (rule == ruleNames[1])
        result = 1.0f / x;
    else if (rule == ruleNames[2])
        result = 0.5f * x;
    else if (rule == ruleNames[3])
        result = scale * x;
    else if (rule == ruleNames[4])
        result = (parameterIndex == lowPassIndex || parameterIndex == highPassIndex) ? cutoffMirrorSum - x : -x;
    else
        return false;

    return true;
}

juce::String VSharedData::defaultTrackName (int row)
{
    return "Track " + juce::String (row + 1);
}
