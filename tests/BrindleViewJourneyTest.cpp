#include <gtest/gtest.h>

#include "tests/EditorTestSupport.h"

using namespace zoeditor;

namespace
{
// One 10 ms block of a 1 kHz sine; returns the right channel's level over the left's.
float playBlock (Brindle& b)
{
    juce::AudioBuffer<float> buffer (2, 441);
    for (int i = 0; i < 441; ++i)
        for (int c = 0; c < 2; ++c)
            buffer.setSample (c, i, 0.5f * std::sin ((float) i * 0.142476f));
    juce::MidiBuffer midi;
    b.processBlock (buffer, midi);
    return buffer.getRMSLevel (1, 220, 221) / buffer.getRMSLevel (0, 220, 221);
}

// Three tracks with their windows open, as a host shows them.
void openWindows (std::vector<std::unique_ptr<Track>>& tracks)
{
    const juce::Point<int> places[] = { { 0, 0 }, { 580, 0 }, { 290, 470 } };
    for (size_t i = 0; i < tracks.size(); ++i)
        tracks[i]->openWindow (places[i]);
}

const juce::String drums (juce::CharPointer_UTF8 ("\xe9\xbc\x93\xe7\xbb\x84 Kit"));
} // namespace

TEST (BrindleViewJourney, AUserLinksTwoTracksAndTheProjectComesBack)
{
    auto session = makeTracks (3);
    openWindows (session);
    auto& first = *session[0]->window;
    const auto labelInEveryWindow = [] (auto& tracks, const juce::String& text)
    {
        for (auto& t : tracks)
            EXPECT_TRUE (sameArea (snapshot (*t->window), expectedLabel (text, panColour, 553, 149), { 553, 149, 120, 20 })) << text;
    };

    // Name the tracks in the first window.
    const juce::String names[] = { "Lead", drums, "Bass" };
    for (int row = 0; row < 3; ++row)
    {
        auto* box = componentAt<VMLTextEditor> (first, { 350, 65 + 50 * row });
        ASSERT_TRUE (User::typeInto (*box, names[row]));
        User::pressIn (*box, juce::KeyPress::returnKey);
        EXPECT_EQ (table().getTrackName (row), names[row]);
    }

    // Bass follows Lead's pan, reversed, two beats later, at the host's 120 bpm.
    Form form (first);
    form.link ("Pan", "Lead", "Bass", "Reverse (-x)");
    ASSERT_TRUE (User::choose (form.unit(), "Beat"));
    zoengine::TempoHead head;
    head.playing = true;
    for (auto& t : session)
        t->processor->setPlayHead (&head), playBlock (*t->processor);
    form.enter (form.delay(), "2");
    User::click (form.add());
    zotest::pumpMessages (50);

    // The other windows draw the new curve on screen by themselves.
    EXPECT_TRUE (showsOnScreen (*session[1]->window, { 388, 61 }, panColour));
    labelInEveryWindow (session, "-x, delay 2 beats");
    EXPECT_FALSE (componentAt<VParamSlider> (*session[2]->window, { 176, 90 })->isEnabled());

    // The host automates Lead's pan while the session plays: Bass follows,
    // mirrored, 100 ticks (two beats at 120 bpm) later.
    auto& leader = *session[0]->processor;
    auto& follower = *session[2]->processor;
    leader.getParameters()[1]->setValue (0.75f); // pan +0.5
    std::vector<float> balance;
    for (int tick = 0; tick < 102; ++tick)
    {
        playBlock (leader);
        balance.push_back (playBlock (follower));
    }
    EXPECT_NEAR (balance[99], 1.0f, 1e-3f) << "still centred after 100 ticks";
    EXPECT_NEAR (balance[101], 0.5f / 1.09018f, 1e-3f) << "then panned left by the pan law";
    zotest::pumpMessages (50);
    EXPECT_NEAR (componentAt<VParamSlider> (*session[2]->window, { 176, 90 })->getValue(), -0.5, 0.01);

    // Another rule: the button pulses "Update Link"; pressing it replaces the link.
    ASSERT_TRUE (User::choose (form.rule(), "Half (0.5x)"));
    ASSERT_TRUE (zotest::pumpUntil ([&] { return form.add().getButtonText() == "Update Link"; }));
    User::click (form.add());
    EXPECT_EQ (table().linkInfos[2][1].rule, "Half (0.5x)");

    // The project is saved, closed and opened again.
    juce::MemoryBlock states[3];
    for (size_t i = 0; i < 3; ++i)
        session[i]->processor->getStateInformation (states[i]);
    session.clear();
    zotest::pumpMessages (20);

    auto reopened = makeTracks (3);
    for (size_t i = 0; i < 3; ++i)
        reopened[i]->processor->setStateInformation (states[i].getData(), (int) states[i].getSize());
    zotest::pumpMessages (20);
    openWindows (reopened);

    labelInEveryWindow (reopened, "0.5x, delay 2 beats");
    for (auto& t : reopened)
        EXPECT_EQ (componentAt<VMLTextEditor> (*t->window, { 350, 115 })->getText(), drums);

    // A double click on the curve removes the link everywhere.
    User::doubleClick (*reopened[1]->window, { 430, 111 });
    zotest::pumpMessages (50);
    EXPECT_EQ (table().linkInfos[2][1].masterIndexInVector, -1);
    EXPECT_TRUE (componentAt<VParamSlider> (*reopened[2]->window, { 176, 90 })->isEnabled());
    labelInEveryWindow (reopened, {});
}
