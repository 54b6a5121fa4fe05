#include <benchmark/benchmark.h>

#include <memory>

#include "editor/BrindleView.h"
#include "engine/Brindle.h"
#include "engine/VSharedData.h"
#include "widgets/VMLTextEditor.h"

// A track's name is kept whole, however long: every window shows it in its
// name boxes and its leader and follower boxes, and the project keeps it.
// These draw the window of a session whose first track has a short name or a
// very long one, and restore a project's copy of such a track: the drawing
// should cost the same either way, the restore no more than reading the text.
namespace
{
// Mixed Chinese and Latin, cut to the length asked for: words ("鼓手 Kick 鼓手 Kick ...", 7 gives
// "鼓手 Kick"), one word without blanks ("鼓手Kick鼓手Kick...") or, for 2, Chinese alone ("鼓手鼓手...").
juce::String nameOfLength (int length, int words)
{
    const char* const pieces[] = { "\xe9\xbc\x93\xe6\x89\x8bKick", "\xe9\xbc\x93\xe6\x89\x8b Kick ", "\xe9\xbc\x93\xe6\x89\x8b" };
    const juce::String word (juce::CharPointer_UTF8 (pieces[words]));
    return juce::String::repeatedString (word, length / word.length() + 1).substring (0, length);
}

struct Session
{
    explicit Session (const benchmark::State& state)
    {
        auto& table = *VSharedData::sharedInstance();
        table.setTrackName (table.getDataIndex (first.trackId), nameOfLength ((int) state.range (0), (int) state.range (1)));
        table.setTrackName (table.getDataIndex (second.trackId), "Bass");
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    }

    std::unique_ptr<BrindleView> openWindow() { return std::unique_ptr<BrindleView> (dynamic_cast<BrindleView*> (first.createEditor())); }

    Brindle first, second;
};

void paint (juce::Component& window)
{
    juce::Image image (juce::Image::ARGB, window.getWidth(), window.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    window.paintEntireComponent (g, true);
}
} // namespace

// A short name, and 100,000 characters of words or of one word.
static void nameCases (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "length", "words" })->Args ({ 7, 1 })->Args ({ 100000, 1 })->Args ({ 100000, 0 });
}

// Opening the window: building its boxes and drawing it once.
static void BM_OpenWindow (benchmark::State& state)
{
    Session session (state);

    for (auto _ : state)
    {
        auto window = session.openWindow();
        paint (*window);
    }
}

// Drawing the open window again.
static void BM_PaintWindow (benchmark::State& state)
{
    Session session (state);
    auto window = session.openWindow();

    for (auto _ : state)
        paint (*window);
}

// Another track renamed: the window refills its boxes and draws again.
static void BM_RenameAnotherTrack (benchmark::State& state)
{
    Session session (state);
    auto window = session.openWindow();
    auto& table = *VSharedData::sharedInstance();
    int n = 0;

    for (auto _ : state)
    {
        table.setTrackName (table.getDataIndex (session.second.trackId), "Bass " + juce::String (++n));
        window->updateTrackNames();
        paint (*window);
    }
}

// A project's copy of the track read back: the name is written with one
// character reference per Chinese character.
static void BM_RestoreSavedName (benchmark::State& state)
{
    Session session (state);
    juce::MemoryBlock saved;
    session.first.getStateInformation (saved);

    for (auto _ : state)
        session.first.setStateInformation (saved.getData(), (int) saved.getSize());

    state.counters["state_bytes"] = (double) saved.getSize();
}

// The first track's name box in the open window, as a user selects in it and the window draws again.
namespace
{
VMLTextEditor& nameBoxOf (juce::Component& window, const juce::String& name)
{
    for (auto* box : window.getChildren())
        if (auto* text = dynamic_cast<VMLTextEditor*> (box); text != nullptr && text->getText() == name)
            return *text;
    std::abort();
}

juce::MouseEvent mouseAt (VMLTextEditor& box, float x, int clicks, bool dragged)
{
    const juce::Point<float> at (x, (float) box.getHeight() / 2.0f);
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), at, juce::ModifierKeys::leftButtonModifier,
             1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &box, &box, now, { 2.0f, at.y }, now, clicks, dragged };
}

enum Selecting { selectAll, shiftHome, shiftEnd, drag, doubleClick };
} // namespace

static void selectionCases (benchmark::internal::Benchmark* b)
{
    b->ArgNames ({ "length", "words", "action" });
    for (int action = selectAll; action <= doubleClick; ++action)
        for (auto [length, words] : { std::pair (7, 1), std::pair (100000, 1), std::pair (100000, 0), std::pair (100000, 2) })
            b->Args ({ length, words, action });
}

static void BM_SelectInTheNameBox (benchmark::State& state)
{
    Session session (state);
    auto window = session.openWindow();
    auto& box = nameBoxOf (*window, nameOfLength ((int) state.range (0), (int) state.range (1)));
    const auto end = box.getTotalNumChars();
    const auto middle = (float) box.getWidth() / 2.0f;

    for (auto _ : state)
    {
        switch ((Selecting) state.range (2))
        {
            case selectAll:   box.setCaretPosition (end); box.selectAll(); break;
            case shiftHome:   box.setCaretPosition (end); box.moveCaretToStartOfLine (true); break;
            case shiftEnd:    box.setCaretPosition (0); box.moveCaretToEndOfLine (true); break;
            case drag:        box.setCaretPosition (end); box.mouseDown (mouseAt (box, 2.0f, 1, false));
                              box.mouseDrag (mouseAt (box, middle, 1, true)); break;
            case doubleClick: box.setCaretPosition (end); box.mouseDoubleClick (mouseAt (box, middle, 2, false)); break;
        }

        paint (*window);
    }
}

BENCHMARK (BM_OpenWindow)->Apply (nameCases)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_PaintWindow)->Apply (nameCases)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_RenameAnotherTrack)->Apply (nameCases)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_RestoreSavedName)->Apply (nameCases)->Unit (benchmark::kMillisecond);
BENCHMARK (BM_SelectInTheNameBox)->Apply (selectionCases)->Unit (benchmark::kMillisecond);
