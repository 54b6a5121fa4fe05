#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include <juce_gui_extra/juce_gui_extra.h>

#include "tests/XServer.h"
#include "tests/TestSupport.h"
#include "tests/host/PluginHost.h"

namespace
{
// JUCE 7.0.5's LV2 host holds the plug-in's X window in an XEmbedComponent that can stay
// 1 x 1 (it takes its size only from the XEmbed notify): give it the editor's size.
void sizeLv2Holders (juce::Component& editor)
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* holder = dynamic_cast<juce::XEmbedComponent*> (desktop.getComponent (i)))
            holder->setSize (editor.getWidth(), editor.getHeight());
}

// A host's top-level window around a track's editor, each a little below and right of the last.
struct HostWindow : juce::Component
{
    HostWindow (juce::AudioPluginInstance& track, int index) : editor (track.createEditorIfNeeded())
    {
        if (editor == nullptr)
            return;
        addAndMakeVisible (*editor);
        setBounds (20 + 40 * index, 20 + 30 * index, editor->getWidth(), editor->getHeight());
        addToDesktop (0);
        setVisible (true);
        zotest::pumpUntil ([this] { return isShowing(); });
        sizeLv2Holders (*editor);
    }

    // JUCE 7.0.5's XEmbedComponent answers its client's ConfigureNotify with an async
    // call on its raw this: let such calls run before the window goes.
    ~HostWindow() override { zotest::pumpMessages (50); }

    // As the X server shows it, the window frames its own track's leader box green, the
    // other tracks' grey and the first "none" row dark grey (5 px above each box).
    bool paintsAsRowOf (int ownRow, int tracks)
    {
        toFront (false);
        return zotest::pumpUntil ([&] {
            const auto shot = zotest::grabWindow (getPeer());
            for (int row = 0; row <= tracks; ++row)
                if (! shot.isValid() || shot.getPixelAt (350, 52 + 50 * row)
                                            != juce::Colour (row == ownRow ? 0xff008000 : row < tracks ? 0xff858585 : 0xff555555))
                    return false;
            return true;
        });
    }

    std::unique_ptr<juce::AudioProcessorEditor> editor;
};

// Three tracks of the built VST3 or LV2, which a host's audio thread plays throughout.
struct HostedEditor : ::testing::TestWithParam<PluginHost::Format>
{
    void SetUp() override
    {
        zotest::tolerateMissingWindowManager();
        ASSERT_TRUE (host.isLoaded()) << host.getError();
        const std::lock_guard<std::mutex> l (audioLock);
        for (auto& t : tracks)
        {
            ASSERT_NE (t = host.createInstance(), nullptr) << host.getError();
            playing.push_back (t.get());
        }
    }

    void TearDown() override { running = false; audio.join(); }

    void play()
    {
        for (; running; ++blocks)
        {
            {
                const std::lock_guard<std::mutex> l (audioLock);
                for (auto* i : playing)
                    host.processBlock (*i);
            }
            std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }
    }

    bool playsOn() const { const int from = blocks; return zotest::pumpUntil ([&] { return blocks >= from + 3; }); }

    HostWindow& open (int t) { return *(windows[t] = std::make_unique<HostWindow> (*tracks[t], t)); }

    // As a host does: the track leaves the audio graph, then it is deleted.
    void removeTrack (int t)
    {
        {
            const std::lock_guard<std::mutex> l (audioLock);
            playing.erase (std::find (playing.begin(), playing.end(), tracks[t].get()));
        }
        tracks[t].reset();
    }

    PluginHost host { GetParam() };
    std::unique_ptr<juce::AudioPluginInstance> tracks[3];
    std::unique_ptr<HostWindow> windows[3];
    std::mutex audioLock; // the host's: held while it plays, and to add or remove a track
    std::vector<juce::AudioPluginInstance*> playing;
    std::atomic<int> blocks { 0 };
    std::atomic<bool> running { true };
    std::thread audio { [this] { play(); } };
};
} // namespace

INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor, ::testing::Values (PluginHost::Format::vst3, PluginHost::Format::lv2), PluginHost::nameOf);

TEST_P (HostedEditor, WindowsOpenPaintAndCloseWhileAudioRunsAndOutliveAnotherWindowsTrack)
{
    ASSERT_TRUE (tracks[0]->hasEditor());
    for (int cycle = 0; cycle < 3; ++cycle)
    {
        for (auto& w : windows)
            w.reset();
        EXPECT_EQ (tracks[0]->getActiveEditor(), nullptr);
        for (int t = 0; t < 3; ++t)
        {
            ASSERT_NE (open (t).editor, nullptr);
            EXPECT_EQ (tracks[t]->getActiveEditor(), windows[t]->editor.get());
            EXPECT_EQ (windows[t]->editor->getBounds().toString(), "0 0 700 550");
        }
        for (int t = 0; t < 3; ++t)
            EXPECT_TRUE (windows[t]->paintsAsRowOf (t, 3)) << "cycle " << cycle << ", track " << t;
        EXPECT_TRUE (playsOn());
    }

    // JUCE's host gives all windows one run loop, which the plug-in must go on
    // serving when one of them closes.
    windows[0].reset();
    removeTrack (0);
    EXPECT_TRUE (windows[2]->paintsAsRowOf (1, 2));
    EXPECT_TRUE (windows[1]->paintsAsRowOf (0, 2));
    EXPECT_TRUE (playsOn());
}
