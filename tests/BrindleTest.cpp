#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "engine/VStateText.h"
#include "tests/EngineTestSupport.h"

using namespace zoengine;

namespace
{
// The settled output level of a sine through the processor, relative to the input, on the last channel.
float gainAt (Brindle& b, int channels, double frequency)
{
    juce::AudioBuffer<float> buffer (channels, 8820);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (c, i, (float) std::sin (juce::MathConstants<double>::twoPi * frequency * i / 44100.0));
    process (b, buffer);
    return buffer.getRMSLevel (channels - 1, 4410, 4410) * std::sqrt (2.0f);
}

void restore (Brindle& b, const juce::XmlElement& xml)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (xml, block);
    b.setStateInformation (block.getData(), (int) block.getSize());
}

juce::XmlElement stateElement (const juce::String& trackName = {})
{
    juce::XmlElement xml ("Kt_Tarvel_SETTINGS");
    if (trackName.isNotEmpty())
        xml.setAttribute ("track_name", trackName);
    return xml;
}
} // namespace

TEST (Brindle, AFollowersValueIsKeptInRangeAndUnderItsOwnRateAndItsHostIsNotTold)
{
    HostListener host; // outlives the parameters it listens to
    Brindle leader, follower;
    for (auto* p : follower.getParameters())
        p->addListener (&host);
    // parameter, leader's normalised value, rule, scale, then the follower's control value and normalised value;
    // the table holds a volume as a linear gain, a cutoff capped at 0.48 x the leader's rate
    const std::tuple<int, float, const char*, float, float, float> cases[] = {
        { 0, 0.75f, "Scale (*x)", 1.0f, 1.99526f, 0.75f }, { 0, 0.5f, "Scale (*x)", 10.0f, 3.98107f, 1.0f },
        { 0, 0.0f, "Scale (*x)", 0.0f, 0.251189f, 0.0f }, { 2, 0.0f, "Reverse (-x)", 1.0f, 15360.0f, 0.767768f },
        { 3, 1.0f, "Same (=x)", 1.0f, 7680.0f, 0.383383f } };
    leader.prepareToPlay (16000.0, 512);
    for (auto [p, leaderValue, rule, scale, control, shown] : cases)
    {
        leader.getParameters()[p]->setValue (leaderValue);
        table().addMaster (rowOf (follower), rowOf (leader), p, rule, scale, 0, 0, 0.0f, 0);
        follower.prepareToPlay (32000.0, 512); // the tick runs at once
        EXPECT_NEAR (p == 0 ? follower.gain.load() : p == 2 ? follower.lpfCutoff.load() : follower.hpfCutoff.load(), control,
                     1e-5f * control) << rule << scale;
        EXPECT_NEAR (follower.getParameters()[p]->getValue(), shown, 1e-6f) << rule << scale;
    }
    EXPECT_TRUE (host.indices.empty());
}

TEST (Brindle, AKnobsChangeReachesTheHostAndAutomationOnlyThePairedKnob)
{
    HostListener host;
    Brindle b;
    b.getParameters()[1]->addListener (&host);
    CountingControl knob (&b, 1);
    b.setParameterFromUi (1, -0.25f, false);
    zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 0);
    EXPECT_EQ (host.indices, std::vector<int> { 1 });
    EXPECT_EQ (table().getData (b.trackId, 1), -0.25f);
    b.getParameters()[1]->setValue (0.375f); // the same value (-0.25) by automation
    zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 1);
    knob.changePairedParam (2);
    for (int p : { 1, 2 })
        b.getParameters()[p]->setValue (0.5f), zotest::pumpMessages();
    EXPECT_EQ (knob.updates, 2) << "then only from the parameter it is paired with now";
}

TEST (Brindle, FollowFlagsChangeWhenTheLinkMessageArrives)
{
    Brindle leader, follower;
    zotest::pumpMessages();
    table().addMaster (rowOf (follower), rowOf (leader), 3, "Same (=x)", 1.0f, 0, 0, 20.0f, 0);
    EXPECT_TRUE (follower.paramNotFollowing[3]) << "not at the send";
    ASSERT_TRUE (zotest::pumpUntil ([&] { return ! follower.paramNotFollowing[3]; }));
    EXPECT_TRUE (follower.paramNotFollowing[0] && leader.paramNotFollowing[3]) << "no other flag";
    table().removeMaster (rowOf (follower), rowOf (leader), 3);
    EXPECT_TRUE (zotest::pumpUntil ([&] { return follower.paramNotFollowing[3]; }));
}

// The delay holds a follower at the init value as the form shows it: a volume in dB, a pan and a cutoff as they
// are. A restore refills the delay the same way.
TEST (Brindle, ADelayedFollowerStartsAtItsInitValueInTheParametersOwnUnitThenFollows)
{
    Brindle leader, atZero, atSix, atMinusSix, panned, filtered;
    leader.getParameters()[0]->setValue (0.375f); // -3 dB
    leader.getParameters()[1]->setValue (0.75f);  // pan 0.5
    // follower, parameter, rule, init value, then its value during the delay and after it (a gain for the volume)
    const std::tuple<Brindle*, int, const char*, float, float, float> links[] = {
        { &atZero, 0, "Same (=x)", 0.0f, 1.0f, 0.707946f }, { &atSix, 0, "Half (0.5x)", 6.0f, 1.995262f, 0.353973f },
        { &atMinusSix, 0, "Same (=x)", -6.0f, 0.501187f, 0.707946f }, { &panned, 1, "Half (0.5x)", -0.5f, -0.5f, 0.25f },
        { &filtered, 2, "Same (=x)", 1000.0f, 1000.0f, 20000.0f } };
    for (auto [f, p, rule, init, during, after] : links)
        table().addMaster (rowOf (*f), rowOf (leader), p, rule, 1.0f, 0, 10, init, 100);
    const auto valueOf = [] (Brindle& b, int p) { return p == 0 ? b.gain.load() : p == 1 ? b.pan.load() : b.lpfCutoff.load(); };
    const auto check = [&] (const char* when)
    {
        for (auto [f, p, rule, init, during, after] : links)
        {
            f->prepareToPlay (44100.0, 441); // one tick, then two more within the ten of the delay
            runSilence (*f, 882);
            EXPECT_NEAR (valueOf (*f, p), during, 1e-5f * std::abs (during)) << when << ": init " << init;
            runSilence (*f, 4410);
            EXPECT_NEAR (valueOf (*f, p), after, 1e-5f * after) << when << ": init " << init;
        }
    };
    check ("linked");
    std::vector<std::unique_ptr<juce::XmlElement>> saved;
    for (auto [f, p, rule, init, during, after] : links)
        saved.push_back (f->saveState()), table().removeMaster (rowOf (*f), rowOf (leader), p); // as in a reopened project
    for (size_t i = 0; i < saved.size(); ++i) // the last row's restore makes the links live again
        restore (*std::get<0> (links[i]), *saved[i]);
    EXPECT_EQ (saved[1]->getDoubleAttribute ("InitValue_0"), 6.0) << "saved as the form shows it";
    check ("restored");
}

// A project file's init value can be anything; the follower stays in its range with finite audio.
TEST (Brindle, AHostileInitValueLeavesADelayedVolumeInRange)
{
    Brindle leader, follower;
    for (const char* init : { "nan", "inf", "-inf", "3e38", "-3e38", "1e300", "-99.9", "-200" })
    {
        auto state = stateElement (table().getTrackName (rowOf (follower)));
        state.setAttribute ("Rule_0", "Same (=x)");
        state.setAttribute ("MasterTrackName_0", table().getTrackName (rowOf (leader)));
        state.setAttribute ("DelayBufferLength_0", 10);
        state.setAttribute ("InitValue_0", init);
        restore (follower, state);
        ASSERT_TRUE (table().isSlave (follower.trackId, 0));
        follower.prepareToPlay (44100.0, 441);
        auto out = noise (2, 441, 3);
        process (follower, out);
        EXPECT_TRUE (follower.gain.load() >= 0.251188f && follower.gain.load() <= 3.981072f) << init << ": " << follower.gain.load();
        EXPECT_TRUE (std::isfinite (out.getRMSLevel (0, 0, 441) + out.getRMSLevel (1, 0, 441))) << init;
    }
}

TEST (Brindle, TheTempoIsTheHostsLastUsableOne)
{
    TempoHead head;
    Brindle b;
    b.setPlayHead (&head);
    // reported tempo, then the tempo in force; 120 before the first block
    const double nan = std::numeric_limits<double>::quiet_NaN(), infinity = std::numeric_limits<double>::infinity();
    const std::pair<double, double> reports[] = { { 0, 120 }, { -90, 120 }, { 93.5, 93.5 }, { nan, 93.5 }, { infinity, 93.5 } };
    for (auto [reported, inForce] : reports)
    {
        head.bpm = reported;
        runSilence (b, 16);
        EXPECT_EQ (b.getBpm(), inForce) << reported;
    }
}

//==============================================================================
TEST (KtParameter, NormalisedValuesAreClampedAndMapLinearlyOrByTheDivisor)
{
    // range, steps, normalised in, then the real value and the normalised value stored
    struct Case { float lo, hi; int steps; float in, real, n; };
    const Case cases[] = { { -12, 12, 0, 0.75f, 6, 0.75f }, { -12, 12, 0, 1.5f, 12, 1 }, { -12, 12, 0, -0.2f, -12, 0 },
                           { -12, 12, 0, std::nanf (""), 0, 0.5f }, // NaN keeps the value in force
                           { 0, 3, 1, 0.25f, 0, 0.25f }, { 0, 3, 1, 0.2503f, 1, 0.2503f }, { 0, 3, 1, 0.75f, 2, 0.75f },
                           { 0, 3, 1, 1, 3, 1 } };
    for (const auto& c : cases)
    {
        KtParameter p ("p", c.lo, c.hi, (c.lo + c.hi) * 0.5f, nullptr, false, c.steps, true, false, 1.0f, "p");
        p.setValue (c.in);
        EXPECT_EQ (p.value.load(), c.real) << c.steps << " " << c.in;
        EXPECT_EQ (p.getValue(), c.n) << c.steps << " " << c.in;
    }
    // A flag's default is rounded only when the flag is stepped.
    const auto defaultOf = [] (float def, int steps)
    { return KtParameter ("p", 0.0f, 1.0f, def, nullptr, true, steps, true, false, 1.0f, "p").getDefaultValue(); };
    EXPECT_EQ (std::vector<float> ({ defaultOf (0.5f, 1), defaultOf (0.49f, 1), defaultOf (0.25f, 0) }),
               std::vector<float> ({ 1.0f, 0.0f, 0.25f }));
}

//==============================================================================
// A hard-left pan silences the right channel from the first sample after the
// tick, which shows at the output exactly when the tick came.
TEST (BrindleAudio, AHostChangeIsAppliedAfterTheWholeSamplesInTenMilliseconds)
{
    // any rate a host may pass: 10 ms cut down to whole samples
    const std::pair<double, int> rates[] = { { 44100.0, 441 }, { 48000.0, 480 }, { 22050.0, 220 },
                                             { 88200.0, 882 }, { 11025.0, 110 }, { 23456.0, 234 } };
    for (auto [rate, tick] : rates)
        for (int blockSize : { 1, 7, 64, 1000 })
        {
            Brindle b;
            b.prepareToPlay (rate, blockSize);
            runSilence (b, 300, blockSize);
            b.prepareToPlay (rate, blockSize); // starts the count again
            b.getParameters()[1]->setValue (0.0f);
            auto out = noise (2, 2 * tick, 3);
            process (b, out, blockSize);
            int firstSilent = -1;
            for (int i = out.getNumSamples(); --i >= 0 && out.getSample (1, i) == 0.0f;)
                firstSilent = i;
            EXPECT_EQ (firstSilent, tick) << rate << " Hz in blocks of " << blockSize;
        }
}

TEST (BrindleAudio, CutoffsChangeWhatPassesAtTheOutputOnEveryChannelOfTheLayout)
{
    // A 1 kHz low-pass passes 200 Hz and stops 5 kHz; a 1 kHz high-pass does the reverse.
    for (int channels : { 1, 2, 6 })
        for (int p : { 2, 3 })
        {
            Brindle b;
            b.setPlayConfigDetails (channels, channels, 44100.0, 512);
            b.getParameters()[p]->setValue ((1000.0f - 20.0f) / 19980.0f);
            runSilence (b, 441);
            EXPECT_NEAR (gainAt (b, channels, 200.0), p == 2 ? 1.0f : 0.04f, 0.02f) << channels << " " << p;
            EXPECT_NEAR (gainAt (b, channels, 5000.0), p == 2 ? 0.04f : 1.0f, 0.02f) << channels << " " << p;
        }
}

TEST (BrindleAudio, StereoFollowsThePanLawAndMonoIsOnlyScaled)
{
    // channels, normalised volume, pan, then each channel's gain against a default instance
    const std::tuple<int, float, float, float, float> cases[] = {
        { 2, 0.5f, -1.0f, 1.18850f, 0.0f }, { 2, 0.5f, 0.5f, 0.5f, 1.09018f }, { 2, 0.5f, 0.0f, 1.0f, 1.0f },
        { 1, 0.25f, -1.0f, 0.501187f, 0.0f } }; // -6 dB, never panned
    for (auto [channels, volume, panValue, first, second] : cases)
    {
        Brindle reference, b;
        b.getParameters()[0]->setValue (volume);
        b.getParameters()[1]->setValue ((panValue + 1.0f) * 0.5f);
        for (auto* instance : { &reference, &b })
            instance->setPlayConfigDetails (channels, channels, 44100.0, 512);
        b.prepareToPlay (44100.0, 512); // the tick runs at once
        auto x = noise (channels, 256, 3), y = x;
        process (b, x);
        process (reference, y);
        EXPECT_NEAR (x.getSample (0, 100) / y.getSample (0, 100), first, 1e-5f) << channels << " " << panValue;
        EXPECT_NEAR (x.getSample (channels - 1, 100) / y.getSample (channels - 1, 100), channels == 2 ? second : first, 1e-5f);
    }
}

// 10^(1.5 x |p| x 0.05) in double for |p| = 5872025 / 2^23, a pan that the
// 0..1 scale holds exactly and whose 1.5 x p has no float: rounded to single
// precision first, the factor would be 1.128495931332555.
TEST (BrindleAudio, ThePanBoostIsWorkedOutInDoubleFromThePan)
{
    const double boost = 1.1284959235885472;
    for (float panValue : { 0.699999928f, -0.699999928f })
    {
        Brindle reference, b;
        b.getParameters()[1]->setValue ((panValue + 1.0f) * 0.5f);
        for (auto* instance : { &reference, &b })
        {
            instance->setPlayConfigDetails (2, 2, 44100.0, 512);
            instance->prepareToPlay (44100.0, 512);
        }
        ASSERT_EQ (b.pan.load(), panValue);
        auto x = noise (2, 512, 5), y = x;
        process (b, x);
        process (reference, y);
        const int boosted = panValue > 0.0f ? 1 : 0;
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ (x.getSample (boosted, i), (float) ((double) y.getSample (boosted, i) * boost)) << panValue << " at " << i;
    }
}

// A chain of rules can leave an infinite pan or NaN in a follower's row, and a
// host can hand over NaN: nothing non-finite stays in the audio.
TEST (BrindleAudio, NonFiniteValuesAndInputNeverStayInTheAudio)
{
    Brindle a, b, c;
    c.getParameters()[1]->setValue (0.75f);
    c.updateControlParams();
    table().addMaster (rowOf (b), rowOf (a), 1, "Reciprocal (1/x)", 1.0f, 0, 0, 0.0f, 0); // 1 / 0
    table().addMaster (rowOf (c), rowOf (b), 1, "Scale (*x)", 0.0f, 0, 0, 0.0f, 0);      // 0 x infinity
    b.updateControlParams();
    EXPECT_EQ (b.pan.load(), 0.0f) << "an infinite pan keeps the pan in force";
    auto out = noise (2, 4410, 2);
    out.setSample (0, 100, std::numeric_limits<float>::quiet_NaN());
    out.setSample (1, 200, std::numeric_limits<float>::infinity());
    process (c, out);
    EXPECT_EQ (c.pan.load(), 0.5f);
    auto after = noise (2, 441, 5);
    process (c, after);
    EXPECT_TRUE (std::isfinite (after.getRMSLevel (0, 0, 441) + after.getRMSLevel (1, 0, 441))) << "the level, unlike the magnitude, shows NaN";
}

//==============================================================================
TEST (BrindleState, EveryAttributeIsSavedInOrder)
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
    EXPECT_EQ (xml->getStringAttribute ("track_name"), "Track " + juce::String (rowOf (b) + 1));
    EXPECT_EQ (xml->getIntAttribute ("DelayTimeInMs_1"), 300) << "the ring's 30 ticks";
    EXPECT_EQ (xml->getIntAttribute ("MasterIndexInVector_1"), -1) << "leaders travel by name only";
    EXPECT_EQ (xml->getStringAttribute ("MasterTrackName_1"), table().getTrackName (rowOf (leader)));
    EXPECT_EQ (xml->getIntAttribute ("Num_Tracks"), table().getNumTracks());
}

TEST (BrindleState, ARestoreTakesOnlyAWholeElementNamesTheTrackAndItsLinksWaitForTheLastRow)
{
    Brindle follower, leader; // the leader is the last row
    auto withChild = stateElement ("Kick"), otherTag = juce::XmlElement ("Other_SETTINGS");
    withChild.createNewChildElement ("Extra"); // the toolkit's reader may never return on such documents
    otherTag.setAttribute ("track_name", "Kick");
    for (const auto* xml : { &withChild, &otherTag })
        restore (follower, *xml);
    EXPECT_NE (table().getTrackName (rowOf (follower)), "Kick") << "only one element of ours, with attributes only, is read";
    table().setTrackName (rowOf (leader), "Drums");
    auto f = stateElement();
    f.setAttribute ("Rule_0", "Half (0.5x)");
    f.setAttribute ("MasterTrackName_0", "Drums");
    restore (follower, f);
    EXPECT_EQ (table().getTrackName (rowOf (follower)), juce::String (rowOf (follower) + 1));
    EXPECT_FALSE (table().isSlave (follower.trackId, 0)) << "recorded, not live yet";
    restore (leader, stateElement (table().getTrackName (rowOf (follower))));
    EXPECT_EQ (table().getTrackName (rowOf (leader)), "Drums");
    EXPECT_TRUE (table().isSlave (follower.trackId, 0));
}

TEST (BrindleState, AHundredThousandCharacterNameIsRestoredSavedAndFollowedWhole)
{
    const juce::String word (juce::CharPointer_UTF8 ("\xe9\xbc\x93\xe6\x89\x8b Kick \"&<> "));
    const auto name = juce::String::repeatedString (word, 100000 / word.length() + 1).substring (0, 100000);
    Brindle follower, leader; // the leader's restore, in the last row, links the follower
    auto f = stateElement ("Bass");
    f.setAttribute ("Rule_1", "Reverse (-x)");
    f.setAttribute ("MasterTrackName_1", name);
    restore (follower, f);
    restore (leader, stateElement (name));
    ASSERT_TRUE (table().isSlave (follower.trackId, 1));
    EXPECT_EQ (table().getMasterIndex (rowOf (follower), 1), rowOf (leader));
    EXPECT_EQ (table().getTrackName (rowOf (leader)), name);
    for (auto [b, key] : { std::pair { &leader, "track_name" }, { &follower, "MasterTrackName_1" } })
    {
        juce::MemoryBlock saved;
        b->getStateInformation (saved);
        const auto xml = VStateText::readElement (saved.getData(), (int) saved.getSize(), b->getLoadedAttributeNames());
        ASSERT_NE (xml, nullptr);
        EXPECT_TRUE (xml->getStringAttribute (key) == name) << key;
    }
}

// Track A plays at -6 dB; C follows it with a delay of a second from +6 dB. A track duplicated from C, then a
// preset loaded into it, make the links live again: C's delay runs on, the new track's link starts at its init value.
TEST (BrindleState, ALoadLeavesARunningDelayedLinkAloneAndANewLinkStartsAtItsInitValue)
{
    Brindle a, c;
    a.getParameters()[0]->setValue (0.25f); // -6 dB
    table().addMaster (rowOf (c), rowOf (a), 0, "Same (=x)", 1.0f, 0, 100, 6.0f, 0);
    c.prepareToPlay (44100.0, 441);
    runSilence (c, 48510); // 1.1 s
    ASSERT_NEAR (c.gain.load(), 0.501187f, 1e-5f);
    Brindle duplicate; // the last row
    juce::MemoryBlock state;
    c.getStateInformation (state);
    duplicate.setStateInformation (state.getData(), (int) state.getSize());
    auto preset = c.saveState();
    preset->setAttribute ("InitValue_0", 0.0);
    for (auto [when, init] : { std::pair ("duplicated", 1.995262f), std::pair ("preset loaded", 1.0f) })
    {
        ASSERT_TRUE (table().isSlave (duplicate.trackId, 0)) << when;
        duplicate.prepareToPlay (44100.0, 441);
        runSilence (duplicate, 882);
        EXPECT_NEAR (duplicate.gain.load(), init, 1e-5f) << when;
        runSilence (c, 882);
        EXPECT_NEAR (c.gain.load(), 0.501187f, 1e-5f) << when;
        restore (duplicate, *preset);
    }
}

// A name whose bytes or references hold no character, or an overlong form of one, refuses the whole state:
// "Q" + C0 80 + "x" compared equal to "Q", and a later track's "Q" was refused as a repeat.
TEST (BrindleState, AStateWithAMalformedCharacterIsRefusedAndNoTwoTracksShareAName)
{
    Brindle q, other;
    const auto nameOf = [] (const Brindle& b) { return table().getTrackName (rowOf (b)); };
    const char* names[] = { "Q\xc0\x80x", "Q\xe0\x80\x80x", "Q\xf0\x80\x80\x80x", "Q\xc1\x81", "Q\xed\xa0\x80x",
                            "Q\xf4\x90\x80\x80x", "Q\xf5\x80\x80\x80x", "Q&#xD800;x", "Q&#56191;x", "Q&#x110000;x" };
    for (const char* name : names)
    {
        const auto before = nameOf (q);
        const std::string text = std::string ("<Kt_Tarvel_SETTINGS Volume=\"0.75\" track_name=\"") + name + "\"/>";
        juce::MemoryOutputStream blob; // the toolkit's binary XML header around the raw text
        blob.writeInt (0x21324356);
        blob.writeInt ((int) text.size() + 1);
        blob.write (text.c_str(), text.size() + 1);
        q.setStateInformation (blob.getData(), (int) blob.getDataSize());
        EXPECT_EQ (nameOf (q), before) << name;
        EXPECT_EQ (q.getParameters()[0]->getValue(), 0.5f) << name << ": nothing of it is read";
        restore (other, stateElement ("Q"));
        EXPECT_EQ (nameOf (other), "Q") << name;
        EXPECT_NE (nameOf (q), nameOf (other)) << name;
        table().setTrackName (rowOf (other), "Other");
    }
}

TEST (BrindleState, RestoredValuesAreClampedOrDefaultedAndTheHostHearsAllFour)
{
    HostListener host;
    Brindle other, b;
    for (auto* p : b.getParameters())
        p->addListener (&host);
    auto bad = stateElement (table().getTrackName (rowOf (other)));
    const char* attributes[][2] = { { "Volume", "1e4294967297" }, { "Pan", "0.25" }, { "LPFCutoff", "1e300" }, { "HPFCutoff", "nan" }, { "Rule_0", "Square (x^2)" },
                                    { "Rule_1", "Same (=x)" }, { "MasterTrackName_1", "Nobody" }, { "DelayBufferLength_1", "2e12" },
                                    { "Scale_1", "inf" }, { "InitValue_1", "-nan" } };
    for (auto& [name, value] : attributes)
        bad.setAttribute (name, value);
    bad.setAttribute ("MasterTrackName_0", table().getTrackName (rowOf (other)));
    restore (b, bad);
    // normalised, then the table's value: a missing or unusable number keeps the value in force
    const std::pair<float, float> expected[] = { { 0.5f, 1.0f }, { 0.25f, -0.5f }, { 1.0f, 20000.0f }, { 0.0f, 20.0f } };
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ (std::pair (b.getParameters()[p]->getValue(), table().getData (b.trackId, p)), expected[p]) << p;
    EXPECT_EQ (host.indices, (std::vector<int> { 0, 1, 2, 3 }));
    EXPECT_FALSE (table().isSlave (b.trackId, 0)) << "an unknown rule makes no link";
    EXPECT_EQ (b.saveState()->getStringAttribute ("Rule_0"), "") << "nor a record";
    const auto& info = table().linkInfos[(size_t) rowOf (b)][1];
    EXPECT_EQ (std::tuple (info.delayBufferLength, info.scale, info.initValue),
               std::tuple (VSharedData::maxDelayBufferLength, -1.0f, -1.0f));
    EXPECT_TRUE (std::isinf (b.getParameters()[0]->getValueForText ("1e4294967297"))) << "a host's text reads as a saved one";
}

TEST (VStateText, NumbersReadAsTheValueTheyWrite)
{
    const double inf = std::numeric_limits<double>::infinity();
    const auto zeros = [] (int n) { return juce::String::repeatedString ("0", n); };
    const std::pair<juce::String, double> cases[] = {
        { " 1e4294967297", inf }, { "-2.5E+99999999999", -inf }, { "3e-4294967297x", 0.0 }, { "2.5e0000000000001", 25.0 },
        { "1.5e3", 1500.0 }, { "7.5.1e99999999999", 7.5 }, { "e99999999999", 0.0 }, { "0e99999999999", 0.0 },
        { "1" + zeros (1017), inf }, { "1" + zeros (400) + "e-400", 1.0 }, { "0." + zeros (500) + "25e501", 2.5 },
        { "123456789012345678901234567890", 123456789012345678901234567890.0 }, { "-.5", -0.5 }, { "+4.", 4.0 },
        { "0.1", 0.1 }, { "2.2250738585072014e-308", 2.2250738585072014e-308 }, { "1.7976931348623157e308", 1.7976931348623157e308 },
        { "1.8e308", inf }, { "-Inf", -inf }, { "in", 0.0 }, { "", 0.0 }, { "-", 0.0 } };
    for (auto& [text, value] : cases)
        EXPECT_EQ (VStateText::readNumber (text), value) << text.substring (0, 40);
    EXPECT_TRUE (std::signbit (VStateText::readNumber ("-0e99999999999")));
    EXPECT_TRUE (std::isnan (VStateText::readNumber (" -NaN")));
}

TEST (VStateText, OnlyOneElementWithAttributesInWholeUtf8IsReadable)
{
    const auto readable = [] (const char* text)
    {
        juce::MemoryOutputStream blob; // the toolkit's binary XML header around the text
        blob.writeInt (0x21324356);
        blob.writeInt ((int) std::strlen (text) + 1);
        blob.write (text, std::strlen (text) + 1);
        return VStateText::isReadable (blob.getData(), (int) blob.getDataSize());
    };
    EXPECT_TRUE (readable ("  <?xml version='1.0'?>\n<A b='1'  c=\"\xe9\xbc\x93 \xc3\xa9 \xf0\x9f\x8e\xb5\" />\r\n"));
    for (auto* text : { "", "<?" "?><S 0=\"\"><?" "?>T", "<A><B/></A>", "<A>text</A>", "<A b=\"1\"c=\"2\"/>", "<A b=\"<\"/>",
                        "<A b=\"1/>", "<A b/>", "<A/><B/>", "<!-- x --><A/>",
                        // continuation first, lead byte at the end, lead without continuation, cut short, no such lead
                        "<A b=\"\x80\"/>", "<A/>\xdc", "<A b=\"\xd3\x41\"/>", "<A b=\"\xe9\xbc\"/>", "<A b=\"\xf8\x80\x80\x80\x80\"/>" })
        EXPECT_FALSE (readable (text)) << text;
}

// What the toolkit writes, read back as the toolkit reads it, in time that follows the text's length.
TEST (VStateText, AStateReadsAsTheToolkitReadsIt)
{
    const auto blobOf = [] (const char* text)
    {
        juce::MemoryOutputStream blob;
        blob.writeInt (0x21324356);
        blob.writeInt ((int) std::strlen (text) + 1);
        blob.write (text, std::strlen (text) + 1);
        return blob.getMemoryBlock();
    };
    const auto same = [] (const juce::MemoryBlock& blob)
    {
        const auto ours = VStateText::readElement (blob.getData(), (int) blob.getSize(), { "track_name", "Rule_0", "MasterTrackName_0", "b", "c" });
        const auto toolkits = juce::AudioProcessor::getXmlFromBinary (blob.getData(), (int) blob.getSize());
        return ours != nullptr && toolkits != nullptr && ours->isEquivalentTo (toolkits.get(), false);
    };
    juce::Random random (7);
    for (int i = 0; i < 50; ++i)
    {
        juce::XmlElement xml ("Kt_Tarvel_SETTINGS");
        for (auto* key : { "track_name", "Rule_0", "MasterTrackName_0" })
        {
            juce::String value;
            for (int n = random.nextInt (40); --n >= 0;) // blanks, markup, controls, Latin, Chinese and beyond, no surrogate
            {
                const int c = juce::jmax (1, random.nextBool() ? random.nextInt (128) : random.nextInt (0x2ffff));
                value += (juce::juce_wchar) (c >= 0xd800 && c <= 0xdfff ? c - 0x800 : c);
            }
            xml.setAttribute (key, value);
        }
        juce::MemoryBlock blob;
        juce::AudioProcessor::copyXmlToBinary (xml, blob);
        EXPECT_TRUE (same (blob)) << xml.toString();
    }
    EXPECT_TRUE (same (blobOf ("<A b=\"&AMP;&Quot;&apos;&lt;&GT;\" c='&#65;&#x42;&#X43;&#x;&#0;&#128123;'/>")));
    // Of a damaged state's many attributes, only those asked for are kept, the first of each.
    juce::MemoryOutputStream many;
    many << "<A ";
    for (int i = 0; i < 20000; ++i)
        many << "x" << i << "='&#x9f13;' " << (i == 5000 ? "b='1' " : i == 15000 ? "b='2' c='&#x9f13;' " : "");
    many << "/>";
    const auto manyBlob = blobOf (many.toString().toRawUTF8());
    const auto kept = VStateText::readElement (manyBlob.getData(), (int) manyBlob.getSize(), { "b", "c" });
    ASSERT_NE (kept, nullptr);
    EXPECT_EQ (std::tuple (kept->getNumAttributes(), kept->getStringAttribute ("b"), kept->getStringAttribute ("c")),
               std::tuple (2, juce::String ("1"), juce::String (juce::CharPointer_UTF8 ("\xe9\xbc\x93"))));
    const auto twice = blobOf ("<A b=\"1\" b=\"2\"/>"), unreadable = blobOf ("<A><B/></A>");
    EXPECT_EQ (VStateText::readElement (twice.getData(), (int) twice.getSize(), { "b" })->getStringAttribute ("b"), "1") << "the first, as the toolkit's";
    EXPECT_EQ (VStateText::readElement (unreadable.getData(), (int) unreadable.getSize(), { "b" }), nullptr);
}
