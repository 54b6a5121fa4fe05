#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/WidgetTestSupport.h"
#include "widgets/VMLTextEditor.h"
#include "widgets/VMLTextEditorViewport.h"

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
    void textEditorTextChanged (VMLTextEditor&) override { log.push_back (name + ":changed"); }
    Log& log;
    juce::String name;
    std::function<void()> onCall;
};

// Where a user points at the character with that index: its middle.
juce::Point<int> middleOf (const VMLTextEditor& box, int index)
{
    const auto left = box.getCaretRectangleForCharIndex (index), right = box.getCaretRectangleForCharIndex (index + 1);
    return { (left.getX() + right.getX()) / 2, left.getCentreY() };
}

// Right-clicks the box and reads its menu as a screen reader does: an item that cannot
// be chosen in brackets, a separator as "-".
juce::String menuOf (VMLTextEditor& box)
{
    const auto at = box.getLocalBounds().getCentre();
    User::mouse (box, at, MK::rightButtonModifier);
    User::mouse (box, at, {});
    juce::StringArray items;
    if (pumpUntil ([] { return openMenu() != nullptr; }, 2000))
        for (auto* item : openMenu()->getChildren())
            if (auto* reader = item->getAccessibilityHandler())
            {
                const auto text = reader->getTitle();
                items.add (text.isEmpty() ? "-" : reader->getRole() == juce::AccessibilityRole::menuItem ? text : "(" + text + ")");
            }
    juce::PopupMenu::dismissAllActiveMenus();
    pumpUntil ([] { return openMenu() == nullptr; }, 2000);
    return items.joinIntoString (", ");
}

// Counts the messages that the box posts to itself.
struct PostingBox : VMLTextEditor
{
    void handleCommandMessage (int id) override
    {
        posted.push_back (id);
        VMLTextEditor::handleCommandMessage (id);
    }
    int count (int id) const { return (int) std::count (posted.begin(), posted.end(), id); }
    std::vector<int> posted;
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

// The editor's follower column and "none" boxes show names that can be read and copied, not changed.
TEST_F (TextBox, AReadOnlyBoxLetsItsSelectionBeCopiedAndNothingElse)
{
    show();
    juce::StringArray unused;
    window->onKey = [&unused] (const KP& k) { unused.add (k.getTextDescription()); return true; }; // keys the box left
    set ("left right", {});
    box.setReadOnly (true);
    EXPECT_EQ (box.getTextHolder().getNumChildComponents(), 0) << "a caret";
    User::doubleClick (box, middleOf (box, 7));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (5, 10));

    juce::SystemClipboard::copyTextToClipboard ("before");
    type ("x");
    for (char c : { 'x', 'v', 'a', 'z' })
        command (box, c);
    for (int code : { KP::deleteKey, KP::backspaceKey, KP::returnKey, KP::escapeKey })
        key (box, code);
    key (box, KP::deleteKey, MK::shiftModifier);
    EXPECT_EQ (box.getText(), "left right");
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (5, 10));
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "before");
    command (box, 'c');
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "right");
    EXPECT_EQ (unused.size(), 10) << "passed on: " << unused.joinIntoString (" ");
    EXPECT_EQ (menuOf (box), "(Cut), Copy, (Paste), (Delete), -, Select All");

    box.setReadOnly (false);
    EXPECT_EQ (box.getTextHolder().getNumChildComponents(), 1) << "a caret";
    type ("X");
    EXPECT_EQ (box.getText(), "left X");
    EXPECT_EQ (menuOf (box), "Cut, (Copy), Paste, Delete, -, Select All, -, Undo, (Redo)");
}

TEST_F (TextBox, DeleteAndBackspaceTakeTheSelectionOrOneCharacterAndStopAtTheEnds)
{
    show();
    const int bs = KP::backspaceKey, del = KP::deleteKey, ctrl = MK::ctrlModifier;
    struct { juce::Range<int> selected; int code, mods; const char* text; int caret; } cases[] = {
        { { 0, 0 }, bs, 0, "abc def", 0 },   { { 7, 7 }, del, 0, "abc def", 7 },
        { { 7, 7 }, bs, 0, "abc de", 6 },    { { 0, 0 }, del, 0, "bc def", 0 },
        { { 2, 5 }, bs, 0, "abef", 2 },      { { 2, 5 }, del, 0, "abef", 2 },
        // Ctrl: Backspace takes the word before the caret, Delete still one character
        { { 7, 7 }, bs, ctrl, "abc ", 4 },   { { 4, 4 }, bs, ctrl, "def", 0 },
        { { 2, 5 }, bs, ctrl, "abef", 2 },   { { 4, 4 }, del, ctrl, "abc ef", 4 },
    };
    for (auto& c : cases)
    {
        set ("abc def", c.selected);
        key (box, c.code, c.mods);
        EXPECT_EQ (box.getText(), c.text) << "from " << c.selected.getStart() << ".." << c.selected.getEnd();
        EXPECT_EQ (box.getCaretPosition(), c.caret) << c.text;
    }
}

// The selection runs from where Shift was first held to the caret, wherever the caret goes.
TEST_F (TextBox, CaretKeysMoveByCharacterWordOrLineAndWithShiftSelectWhatTheyPass)
{
    show();
    const int shift = MK::shiftModifier, ctrl = MK::ctrlModifier, left = KP::leftKey, right = KP::rightKey;
    const int home = KP::homeKey, end = KP::endKey;
    struct { int from; std::vector<std::pair<int, int>> keys; int anchor, caret; } walks[] = {
        { 5, { { home, 0 } }, 0, 0 },               { 5, { { end, 0 } }, 13, 13 },
        { 5, { { KP::upKey, 0 } }, 0, 0 },          { 5, { { KP::downKey, 0 } }, 13, 13 },
        { 5, { { home, shift } }, 5, 0 },           { 5, { { end, shift } }, 5, 13 },
        { 5, { { left, ctrl } }, 4, 4 },            { 4, { { left, ctrl } }, 0, 0 },
        { 5, { { right, ctrl } }, 8, 8 },           { 3, { { right, ctrl } }, 8, 8 },
        { 5, { { left, ctrl | shift } }, 5, 4 },    { 5, { { right, ctrl | shift } }, 5, 8 },
        { 9, { { home, ctrl | shift } }, 9, 0 },    { 5, { { home, shift }, { end, shift }, { left, shift } }, 5, 12 },
        { 5, { { left, shift }, { left, shift }, { right, shift }, { right, shift }, { right, shift } }, 5, 6 },
    };
    for (auto& w : walks)
    {
        set ("one two three", { w.from, w.from });
        for (auto [code, mods] : w.keys)
            key (box, code, mods);
        const auto selected = box.getHighlightedRegion();
        EXPECT_TRUE (selected == juce::Range<int>::between (w.anchor, w.caret) && box.getCaretPosition() == w.caret)
            << "from " << w.from << ", key " << w.keys[0].first << ": " << selected.getStart() << ".." << selected.getEnd()
            << ", the caret at " << box.getCaretPosition();
    }
}

// Letters, digits and every character beyond ASCII make a word: Chinese joins the Latin it touches.
TEST_F (TextBox, ADoubleClickSelectsTheWordUnderThePointerInMixedText)
{
    show();
    set (mixedName() + juce::String (juce::CharPointer_UTF8 (" ab\xe9\xbc\x93\xe7\xbb\x84" "cd")), {}); // "Track 鼓组 2 ab鼓组cd"
    // Each click stands far enough from the one before not to count with it.
    for (auto [clicked, word] : { std::pair { 6, juce::Range<int> (6, 8) }, { 2, { 0, 5 } }, { 14, { 11, 17 } },
                                  { 9, { 9, 10 } }, { 7, { 6, 8 } } })
    {
        User::doubleClick (box, middleOf (box, clicked));
        const auto selected = box.getHighlightedRegion();
        EXPECT_TRUE (selected == word) << "at " << clicked << ": " << selected.getStart() << ".." << selected.getEnd();
    }
}

TEST_F (TextBox, SetTextKeepsTheCaretsIndexOrASingleLineBoxsPlaceAtTheEnd)
{
    show();
    struct { bool multiLine; const char* before; int caret; const char* after; int caretAfter; } cases[] = {
        { false, "abcd", 4, "abcdef", 6 },  { true, "abcd", 4, "abcdef", 4 },  { false, "abcd", 2, "abcdef", 2 },
        { false, "abcdef", 5, "ab", 2 },    { true, "abcdef", 6, "ab", 2 },
    };
    for (auto& c : cases)
    {
        box.setMultiLine (c.multiLine, true);
        set (c.before, { 1, c.caret }); // a selection with the caret at its end
        box.setText (c.after, false);
        EXPECT_EQ (box.getCaretPosition(), c.caretAfter) << (c.multiLine ? "multi-line " : "") << c.before << " at " << c.caret;
        EXPECT_TRUE (box.getHighlightedRegion().isEmpty());
    }
}

// The editor sets each name again on every refresh; only a new colour makes the same text count.
TEST_F (TextBox, SettingTheShownTextAgainChangesNothingUnlessAColourChangedSince)
{
    show();
    set ("ab", { 2, 2 });
    type ("c");
    set ("abc", { 3, 3 });
    expect ("z", "ab"); // the history kept
    expect ("y", "abc");

    const auto green = [] (juce::Colour p) { return p.getGreen() > 200 && p.getRed() < 100 && p.getBlue() < 100; };
    box.setColour (juce::TextEditor::textColourId, juce::Colours::lime);
    EXPECT_TRUE (inkColumns (paint (box), green).empty());
    set ("abc", { 3, 3 });
    const auto ink = inkColumns (paint (box), green);
    EXPECT_TRUE (! ink.empty() && ink.first <= 7) << "from the first letter: " << ink.first;
    expect ("z", "abc"); // a new history

    type ("d");
    set ("abcd", { 4, 4 }); // the colour change is spent
    expect ("z", "abc");
}

TEST_F (TextBox, ANarrowBoxScrollsToKeepTheCaretInView)
{
    show();
    box.setSize (60, 24);
    const auto caretInView = [this]
    {
        auto* caret = box.getTextHolder().getChildComponent (0);
        const auto at = box.getLocalArea (caret, caret->getLocalBounds());
        const auto view = box.getViewport().getBounds();
        return at.getX() >= view.getX() && at.getRight() <= view.getRight();
    };
    const juce::String letters ("abcdefghijklmnopqrstuvwxyz");
    for (int i = 0; i < letters.length(); ++i)
    {
        type (letters.substring (i, i + 1));
        EXPECT_TRUE (caretInView()) << "after typing " << letters.substring (i, i + 1);
    }
    EXPECT_GT (box.getViewport().getViewPositionX(), 0) << "the first letters scrolled out";
    for (int i = letters.length(); --i >= 0;)
    {
        key (box, KP::leftKey);
        EXPECT_TRUE (caretInView()) << "before " << letters.substring (i, i + 1);
    }
    EXPECT_EQ (box.getViewport().getViewPositionX(), 0);
    key (box, KP::endKey);
    EXPECT_TRUE (caretInView());
}

// A password box keeps its text from the clipboard as well as from the eye.
TEST (VMLTextEditorMenu, APasswordBoxOffersNeitherCutNorCopyAndCopiesNothing)
{
    VMLTextEditor box ({}, (juce::juce_wchar) 0x2022);
    Window window (setUp (box, 200, 24, {}));
    ASSERT_TRUE (User::typeInto (box, "secret"));
    juce::SystemClipboard::copyTextToClipboard ("before");
    command (box, 'a');
    command (box, 'c');
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "before");
    EXPECT_EQ (box.getText(), "secret");
    EXPECT_EQ (menuOf (box), "Paste, Delete, -, Select All, -, Undo, (Redo)");
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

// Return, Escape and focus loss are posted to the box in any case; text changes only for a listener.
TEST (VMLTextEditorListeners, TextChangesArePostedOnlyWhileAListenerIsRegistered)
{
    Log log;
    RecordingListener listener (log, "l");
    PostingBox box;
    Window window (setUp (box, 200, 24, {}));
    ASSERT_TRUE (User::typeInto (box, "ab"));
    box.setText ("abc", true);
    User::pressIn (box, KP::returnKey);
    EXPECT_EQ (box.count (VMLTextEditor::textChangeMessageId), 0);
    EXPECT_EQ (box.count (VMLTextEditor::returnKeyMessageId), 1);

    box.addListener (&listener);
    key (box, 'd', 0, 'd');
    box.setText ("abcd", true); // the text it already shows: no change
    box.setText ("xy", true);
    box.setText ("z", false);
    pumpMessages (30);
    EXPECT_EQ (box.count (VMLTextEditor::textChangeMessageId), 2);
    EXPECT_EQ (log, (Log { "l:changed", "l:changed" }));
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

// A name box shows where its text ends. In 3,000 characters of one word or of many, every character in view has
// its glyph between its caret places, in the selection's colour where selected, and a click finds it.
TEST (VMLTextEditorDrawing, AVeryLongNameShowsItsEndGlyphByGlyphAndIsHitWhereItShows)
{
    for (auto* pattern : { "\xe9\xbc\x93\xe6\x89\x8b" "Kick", "\xe9\xbc\x93 Kick " })
    {
        const auto name = juce::String::repeatedString (juce::CharPointer_UTF8 (pattern), 500).substring (0, 3000);
        const int end = name.length();
        VMLTextEditor box;
        setUp (box, 61, 20, name).setBorder ({ 0, 2, 0, 2 });
        box.setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::lime);
        box.setColour (juce::TextEditor::highlightColourId, juce::Colours::black);
        box.setHighlightedRegion ({ end - 3, end - 1 });
        const auto image = paint (box);
        const auto caretX = [&] (int i) { return box.getCaretRectangleForCharIndex (i).getX(); };
        int shown = 0;
        for (int i = end - 1; caretX (i + 1) > 3; --i, ++shown)
        {
            const int left = juce::jmax (1, caretX (i)), right = juce::jmin (box.getWidth() - 1, caretX (i + 1));
            const bool selected = i >= end - 3 && i < end - 1;
            const auto ink = inkColumns (image.getClippedImage ({ left, 2, right - left, 16 }), [&] (juce::Colour p)
                                         { return p.getBrightness() > 0.5f && (p.getRed() < 100) == selected; });
            EXPECT_TRUE (name[i] == ' ' || ! ink.empty()) << pattern << ": character " << i << (selected ? ", selected," : "") << " between " << left << " and " << right;
            EXPECT_TRUE (caretX (i) <= 3 || box.getCharIndexForPoint ({ (caretX (i) + caretX (i + 1)) / 2 - 1, 10 }) == i) << i;
        }
        EXPECT_GE (shown, 4);
    }
}

// Tab passes the focus on to the next box; a click brings it back.
TEST (VMLTextEditorDrawing, ThePlaceholderShowsInAnEmptyUnfocusedBoxAndTheSelectionFadesWithoutFocus)
{
    juce::Component holder;
    holder.setSize (200, 48);
    VMLTextEditor box, next;
    holder.addAndMakeVisible (setUp (box, 200, 24, {}));
    holder.addAndMakeVisible (setUp (next, 200, 24, {}));
    next.setTopLeftPosition (0, 24);
    box.setTextToShowWhenEmpty ("Name", juce::Colours::red);
    box.setColour (juce::TextEditor::highlightColourId, juce::Colours::blue);
    box.setText ({}, false); // colours, then the text, as the editor builds its name boxes
    Window window (holder);
    const auto red = [] (juce::Colour p) { return p.getRed() > 150 && p.getGreen() < 80; };
    const auto tabAway = [&] { key (box, KP::tabKey); return pumpUntil ([&] { return ! box.hasKeyboardFocus (true); }, 2000); };

    const auto placeholder = inkColumns (paint (box), red);
    EXPECT_TRUE (placeholder.first >= 4 && placeholder.first <= 6) << "from the left indent: " << placeholder.first;
    ASSERT_TRUE (User::typeInto (box, {}));
    EXPECT_TRUE (inkColumns (paint (box), red).empty());
    ASSERT_TRUE (tabAway());
    EXPECT_FALSE (inkColumns (paint (box), red).empty());

    // Spaces selected: the highlight alone, over the black background.
    ASSERT_TRUE (User::typeInto (box, "a    b"));
    key (box, KP::homeKey);
    key (box, KP::rightKey);
    for (int i = 0; i < 4; ++i)
        key (box, KP::rightKey, MK::shiftModifier);
    const juce::Point<int> middle { box.getCaretRectangleForCharIndex (3).getX(), box.getHeight() / 2 };
    EXPECT_EQ (rgbAt (paint (box), middle.x, middle.y), juce::Colour (0, 0, 255));
    ASSERT_TRUE (tabAway());
    const auto faded = rgbAt (paint (box), middle.x, middle.y);
    EXPECT_TRUE (faded.getRed() == 0 && std::abs (faded.getBlue() - 128) <= 1) << faded.toDisplayString (false);
    EXPECT_TRUE (inkColumns (paint (box), red).empty()) << "a placeholder over text";
}

namespace
{
// A renderer that counts what one drawing hands it: selection rectangles and glyphs.
struct CountingRenderer : juce::LowLevelGraphicsSoftwareRenderer
{
    using juce::LowLevelGraphicsSoftwareRenderer::LowLevelGraphicsSoftwareRenderer;
    void fillRectList (const juce::RectangleList<float>& list) override { rectangles += list.getNumRectangles(); LowLevelGraphicsSoftwareRenderer::fillRectList (list); }
    void drawGlyph (int glyph, const juce::AffineTransform& t) override { ++glyphs; LowLevelGraphicsSoftwareRenderer::drawGlyph (glyph, t); }
    int rectangles = 0, glyphs = 0;
};

juce::String wordsOfLength (int length)
{
    return juce::String::repeatedString (juce::CharPointer_UTF8 ("\xe9\xbc\x93 Kick "), length / 7 + 1).substring (0, length);
}
} // namespace

// In 20,000 characters of words, every way of selecting leaves a drawing that touches what is in view: before,
// it walked and filled every selected word to the end of the line (3 minutes for 100,000 characters).
TEST (VMLTextEditorDrawing, SelectingInALongNameDrawsOnlyWhatIsInView)
{
    VMLTextEditor box;
    Window window (setUp (box, 150, 24, wordsOfLength (20000)));
    User::click (box);
    ASSERT_TRUE (pumpUntil ([&] { return box.hasKeyboardFocus (true); }));
    const auto drag = [&] (int fromX, int toX)
    {
        const int y = box.getHeight() / 2;
        User::mouse (box, { fromX, y }, MK::leftButtonModifier);
        User::mouse (box, { (fromX + toX) / 2, y }, MK::leftButtonModifier);
        User::mouse (box, { toX, y }, MK::leftButtonModifier);
        User::mouse (box, { toX, y }, {});
    };
    const std::pair<const char*, std::function<void()>> ways[] = {
        { "select all", [&] { command (box, 'a'); } },
        { "shift+home", [&] { key (box, KP::endKey); key (box, KP::homeKey, MK::shiftModifier); } },
        { "shift+end", [&] { key (box, KP::homeKey); key (box, KP::endKey, MK::shiftModifier); } },
        { "a drag", [&] { key (box, KP::endKey); drag (5, 140); } },
        { "a double click", [&] { key (box, KP::endKey); User::doubleClick (box, { 70, 12 }); } } };
    for (auto& [way, select] : ways)
    {
        select();
        pumpMessages (20);
        ASSERT_FALSE (box.getHighlightedRegion().isEmpty()) << way;
        juce::Image image (juce::Image::ARGB, box.getWidth(), box.getHeight(), true, juce::SoftwareImageType());
        CountingRenderer renderer (image);
        juce::Graphics g (renderer);
        box.paintEntireComponent (g, false);
        EXPECT_LE (renderer.rectangles, 60) << way << ": " << box.getHighlightedRegion().getLength() << " selected";
        EXPECT_LE (renderer.glyphs, 80) << way;
    }
    EXPECT_EQ (box.getTextInRange (box.getHighlightedRegion()), "Kick") << "the double click took the word under the pointer";
}

// Where a long name runs past the view, its text and selection are drawn as the same name is in a box that
// shows it whole: cut at the view's edges, nothing else changed.
TEST (VMLTextEditorDrawing, ANameCutByTheViewDrawsAsTheWholeNameDoes)
{
    const auto name = wordsOfLength (70);
    VMLTextEditor whole, cut;
    setUp (whole, 1000, 24, name);
    setUp (cut, 150, 24, name);
    for (auto* box : { &whole, &cut })
        box->setColour (juce::TextEditor::highlightColourId, juce::Colours::blue);
    // The selection runs past the view's left edge (the caret at its end, the view there), then past its right edge.
    const std::pair<const char*, std::function<void (VMLTextEditor&)>> selections[] = {
        { "cut on the left", [] (VMLTextEditor& b) { b.setHighlightedRegion ({ 9, 62 }); } },
        { "cut on the right", [] (VMLTextEditor& b) { b.setCaretPosition (62); b.moveCaretToStartOfLine (true); } } };
    for (auto& [where, select] : selections)
    {
        for (auto* box : { &whole, &cut })
            select (*box);
        const int scrolled = cut.getViewport().getViewPosition().x;
        ASSERT_EQ (cut.getHighlightedRegion(), whole.getHighlightedRegion());
        ASSERT_TRUE (scrolled > 0 || cut.getCaretPosition() == 0) << where;
        const auto shown = paint (cut), all = paint (whole);
        int different = 0, selected = 0;
        for (int y = 2; y < 22; ++y)
            for (int x = 3; x < 147; ++x)
                different += shown.getPixelAt (x, y) != all.getPixelAt (x + scrolled, y),
                selected += shown.getPixelAt (x, y).getBlue() > 100 && shown.getPixelAt (x, y).getRed() < 60;
        EXPECT_EQ (different, 0) << where << ", view at " << scrolled;
        EXPECT_GT (selected, 1000) << where << ": the selection fills most of the view";
    }
}
