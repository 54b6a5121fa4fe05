#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/WidgetTestSupport.h"
#include "widgets/VMLTextEditor.h"

using namespace zowidgets;
using KP = juce::KeyPress;
using MK = juce::ModifierKeys;
using Log = std::vector<juce::String>;

namespace
{
VMLTextEditor& setUp (VMLTextEditor& box, int w, int h, const juce::String& text, bool multiLine = false)
{
    box.setMultiLine (multiLine, true);
    box.setBounds (0, 0, w, h);
    box.setText (text, false);
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    return box;
}

// A box on screen with the keyboard focus; its undo steps are timed by a clock that the test moves.
struct TextBox : ::testing::Test
{
    void show()
    {
        box.setTransactionClock ([this] { return clock; });
        window = std::make_unique<Window> (setUp (box, 200, 24, {}));
        ASSERT_TRUE (User::typeInto (box, {}));
    }
    void type (const juce::String& text)
    {
        for (auto c : text)
            key (box, (int) c, 0, c);
    }
    // Text set by the program; the change message of its mirror value comes before the user's next key.
    void set (const juce::String& text, juce::Range<int> selection)
    {
        box.setText (text, false);
        box.setHighlightedRegion (selection);
        pumpMessages (10);
    }
    // Presses command and each key (Z: with shift), then expects the text and, unless -1, the caret.
    void expect (const char* keys, const juce::String& text, int caret = -1)
    {
        for (auto* k = keys; *k != 0; ++k)
            command (box, (char) juce::CharacterFunctions::toLowerCase (*k), *k == 'Z' ? MK::shiftModifier : 0);
        EXPECT_EQ (box.getText(), text) << keys;
        EXPECT_TRUE (caret < 0 || box.getCaretPosition() == caret) << keys << ": the caret at " << box.getCaretPosition();
    }

    juce::uint32 clock = 100000;
    VMLTextEditor box;
    std::unique_ptr<Window> window;
};

struct RecordingListener : VMLTextEditor::Listener
{
    RecordingListener (Log& l, juce::String n) : log (l), name (std::move (n)) {}
    void textEditorEscapeKeyPressed (VMLTextEditor&) override { log.push_back (name + ":escape"); if (onCall) onCall(); }
    Log& log;
    juce::String name;
    std::function<void()> onCall;
};
} // namespace

// The holder's timer ticks every 350 ms; a tick ends the step once 200 ms have passed since the last keystroke.
TEST_F (TextBox, AnUndoStepEndsWithATypingPauseACaretMoveByKeyOrItsHundredthAction)
{
    show();
    for (auto [typed, pause] : { std::pair { "a", 150u }, { "b", 201u }, { "cd", 0u } })
    {
        type (typed);
        clock += pause;
        box.getTextHolder().timerCallback();
    }
    expect ("z", "ab");
    expect ("z", "");
    expect ("y", "ab");
    expect ("Z", "abcd");
    set ("xyz", {});
    expect ("z", "xyz"); // setText starts a new history
    set ({}, {});
    type ("ab");
    key (box, KP::leftKey);
    type ("X");
    expect ("z", "ab");
    expect ("z", "");
    type (juce::String::repeatedString ("x", 150));
    expect ("z", juce::String::repeatedString ("x", 101));
}

TEST_F (TextBox, UndoAndRedoPutTheCaretWhereTheStepBeganAndEnded)
{
    show();
    set ("one two", { 3, 3 });
    type ("ABC");
    expect ("z", "one two", 3);
    expect ("y", "oneABC two", 6);
    key (box, KP::leftKey, MK::shiftModifier);
    key (box, KP::leftKey, MK::shiftModifier);
    type ("Z"); // over the selection, whose caret end is at 4
    expect ("", "oneAZ two");
    expect ("z", "oneABC two", 4);
}

// The clipboard belongs to the display, which the test processes share: one test owns it.
TEST_F (TextBox, PastesStoreEachLineBreakFormAndCopiesHandOverOnlySelectedText)
{
    show();
    // clipboard, then the text in a multi-line and in a single-line box, pasted in the middle
    const char* cases[][3] = { { "X\nY", "aX\nYb", "aX Yb" }, { "X\r\nY", "aX\nYb", "aX  Yb" },
                               { "X\rY", "aX\rYb", "aX Yb" }, { "X\r\r\nY", "aX\nYb", "aX   Yb" } };
    for (auto& c : cases)
        for (bool multiLine : { true, false })
        {
            box.setMultiLine (multiLine, true);
            set ("ab", { 1, 1 });
            juce::SystemClipboard::copyTextToClipboard (c[0]);
            const juce::String pasted (c[multiLine ? 1 : 2]);
            expect ("v", pasted, pasted.length() - 1);
            expect ("z", "ab");
        }
    set ("left right", { 5, 10 });
    expect ("x", "left ");
    expect ("c", "left "); // nothing selected, nothing copied
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "right");
}

TEST (VMLTextEditorListeners, AreCalledLastToFirstOnceEachUntilOneDeletesTheBox)
{
    Log log;
    RecordingListener first (log, "first"), middle (log, "middle"), last (log, "last");
    juce::Component holder;
    holder.setSize (100, 24);
    Window window (holder);
    auto* box = new VMLTextEditor();
    holder.addAndMakeVisible (setUp (*box, 100, 24, {}));
    ASSERT_TRUE (User::typeInto (*box, {}));
    for (auto* l : { &first, &middle, &last, &middle })
        box->addListener (l);
    middle.onCall = [&box] { delete box; };
    key (window, KP::escapeKey);
    pumpMessages (30);
    EXPECT_EQ (log, (Log { "last:escape", "middle:escape" }));
}

// A name mixing Latin and Chinese in a box whose font has no Chinese glyphs.
TEST (VMLTextEditorDrawing, AMixedNameDrawsEveryGlyphBetweenItsCaretPlaces)
{
    VMLTextEditor box;
    setUp (box, 120, 24, mixedName()).setBorder ({ 0, 2, 0, 2 });
    box.setCaretPosition (0);
    const auto image = paint (box);
    EXPECT_TRUE (showsEveryGlyph (image, box.getLocalBounds().reduced (1), 14.0f, juce::Colours::black));
    // The Chinese pair's ink and its selection fill the room between the caret places before and after it.
    const int left = box.getCaretRectangleForCharIndex (6).getX(), right = box.getCaretRectangleForCharIndex (8).getX();
    const auto pair = inkColumns (image.getClippedImage ({ left, 0, right - left, 24 }), [] (auto p) { return p.getBrightness() > 0.5f; });
    EXPECT_TRUE (pair.first <= 2 && pair.last >= right - left - 3) << pair.first << " " << pair.last;
    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::red);
    box.setHighlightedRegion ({ 6, 8 });
    const auto red = inkColumns (paint (box), [] (auto p) { return p.getRed() > 120 && p.getGreen() < 90; });
    EXPECT_TRUE (std::abs (red.first - left) <= 1 && std::abs (red.last + 1 - right) <= 1) << red.first << ".." << red.last;
}
