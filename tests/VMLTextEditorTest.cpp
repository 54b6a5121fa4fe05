#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VMLTextEditor.h"

using zotext::command;
using zotext::press;
using zotext::RecordingListener;
using zotext::type;
using Log = std::vector<juce::String>;
using KP = juce::KeyPress;
using MK = juce::ModifierKeys;

namespace
{
struct VMLTextEditorSingleLine : public ::testing::Test
{
    VMLTextEditorSingleLine()
    {
        box.setTransactionClock (clock.function());
        box.setMultiLine (false, true);
        box.setSize (200, 24);
    }

    zotext::ManualClock clock;
    VMLTextEditor box;
};

juce::Array<int> menuIds (VMLTextEditor& box, bool enabledOnly = false)
{
    juce::PopupMenu menu;
    box.addPopupMenuItems (menu, nullptr);
    juce::Array<int> ids;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (! it.getItem().isSeparator && (it.getItem().isEnabled || ! enabledOnly))
            ids.add (it.getItem().itemID);

    return ids;
}
} // namespace

//==============================================================================
TEST (VMLTextEditorInsert, PastedLineBreaksFollowTheLineMode)
{
    VMLTextEditor single, multi;
    multi.setMultiLine (true, true);

    single.insertTextAtCaret ("ab\r\ncd");
    EXPECT_EQ (single.getText(), "ab  cd");
    EXPECT_EQ (single.getCaretPosition(), 6);

    multi.insertTextAtCaret ("ab\r\ncd");
    EXPECT_EQ (multi.getText(), "ab\ncd");
    EXPECT_EQ (multi.getTotalNumChars(), 5);
    EXPECT_EQ (multi.getCaretPosition(), 5);

    // setText counts a CR LF as one character too; a lone CR is kept as it is.
    multi.setText ("ab\r\ncd\r\n", false);
    EXPECT_EQ (multi.getTotalNumChars(), 6);
    multi.setCaretPosition (6);
    multi.insertTextAtCaret ("x\ry");
    EXPECT_EQ (multi.getText(), "ab\ncd\nx\ry");
    EXPECT_TRUE (multi.undo());
    EXPECT_EQ (multi.getText(), "ab\ncd\n");
}

TEST_F (VMLTextEditorSingleLine, GetTextInRangeCrossesSections)
{
    box.setText ("abc", false);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::red);
    box.insertTextAtCaret ("def");
    box.setFont (juce::Font (20.0f));
    box.insertTextAtCaret (" ghi");

    EXPECT_EQ (box.getText(), "abcdef ghi");
    EXPECT_EQ (box.getTextInRange ({ 2, 8 }), "cdef g");
    EXPECT_EQ (box.getTextInRange ({ 4, 4 }), "");
    EXPECT_EQ (box.getTextInRange ({ 8, 100 }), "hi");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, SetTextWithTheSameTextDoesNothingUnlessAColourChanged)
{
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    box.setText ("HHHH", false);
    box.setCaretPosition (2);

    Log log;
    RecordingListener listener (log, "L");
    box.addListener (&listener);
    box.setText ("HHHH", true);
    zotest::pumpMessages (30);
    EXPECT_TRUE (log.empty());
    EXPECT_EQ (box.getCaretPosition(), 2);

    const auto inkOf = [this] (juce::Colour c) { return zotext::countPixels (zotext::paintBox (box), [c] (auto p) { return p == c; }); };
    ASSERT_GT (inkOf (juce::Colours::white), 0);

    box.setColour (juce::TextEditor::textColourId, juce::Colours::red);
    EXPECT_GT (inkOf (juce::Colours::white), 0) << "a colour change alone leaves existing text as it was";

    box.setText ("HHHH", false);
    EXPECT_EQ (inkOf (juce::Colours::white), 0);
    EXPECT_GT (inkOf (juce::Colours::red), 0);

    // The refresh is used up: the same text again changes nothing now.
    box.setCaretPosition (1);
    box.setText ("HHHH", false);
    EXPECT_EQ (box.getCaretPosition(), 1);
}

TEST (VMLTextEditorSetText, AnEndCaretFollowsTheEndOnlyInASingleLineBox)
{
    VMLTextEditor single, multi;
    multi.setMultiLine (true, true);

    for (auto* box : { &single, &multi })
    {
        box->setText ("abc", false);
        box->setCaretPosition (3);
        box->setText ("abcdefg", false);
        EXPECT_EQ (box->getCaretPosition(), box == &single ? 7 : 3);
        box->setCaretPosition (2);
        box->setText ("x", false);
        EXPECT_EQ (box->getCaretPosition(), 1) << "clamped";
    }
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, KeystrokesUnder350MsApartUndoAsOneStep)
{
    for (auto c : { "a", "b", "c", "d" })
    {
        type (box, c);
        zotext::pause (box, clock, 349);
    }

    zotext::pause (box, clock, 350);
    type (box, "ef");

    command (box, 'z');
    EXPECT_EQ (box.getText(), "abcd");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "");
    command (box, 'y');
    EXPECT_EQ (box.getText(), "abcd");
    command (box, 'z', MK::shiftModifier);
    EXPECT_EQ (box.getText(), "abcdef");

    // setText starts a new history.
    box.setText ("xyz", false);
    EXPECT_TRUE (box.undo());
    EXPECT_EQ (box.getText(), "xyz");
}

TEST_F (VMLTextEditorSingleLine, TheTimerOnlyEndsATransactionAfter200Ms)
{
    type (box, "a");
    EXPECT_EQ (box.getTextHolder().getTimerInterval(), 350);

    // A tick that comes too soon after the keystroke keeps the step open.
    clock.ms += 150;
    box.getTextHolder().timerCallback();
    type (box, "b");

    clock.ms += 201;
    box.getTextHolder().timerCallback();
    type (box, "c");

    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

TEST_F (VMLTextEditorSingleLine, CaretMovesAndMoreThan100ActionsStartNewSteps)
{
    for (int i = 0; i < 150; ++i)
        type (box, "x");

    command (box, 'z');
    EXPECT_EQ (box.getTotalNumChars(), 101);

    box.setText ("ab", false);
    press (box, KP::leftKey);
    type (box, "X");
    EXPECT_EQ (box.getText(), "aXb");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

TEST (VMLTextEditorTiming, RealTimerSplitsUndoStepsAfterAPause)
{
    VMLTextEditor box;
    type (box, "ab");
    zotest::pumpMessages (600);
    type (box, "cd");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, ListenersAreCalledLastToFirst)
{
    // A text change is posted only when there is a listener; Return always is.
    box.setText ("abc", true);
    press (box, KP::returnKey);

    Log log;
    RecordingListener a (log, "a"), b (log, "b"), c (log, "c");
    box.addListener (&a);
    box.addListener (&b);
    box.addListener (&c);
    box.addListener (&b);
    box.addListener (nullptr);
    zotest::pumpMessages (30);
    EXPECT_EQ (log, (Log { "c:return", "b:return", "a:return" }));

    // A listener removed during delivery is not called.
    log.clear();
    c.onCall = [&] { box.removeListener (&a); box.removeListener (&c); };
    type (box, "x");
    zotest::pumpMessages (30);
    EXPECT_EQ (log, (Log { "c:text", "b:text" }));
}

TEST (VMLTextEditorListeners, DeliveryStopsWhenACallbackDeletesTheBox)
{
    Log log;
    RecordingListener first (log, "first"), last (log, "last");

    auto* box = new VMLTextEditor();
    box->addListener (&first);
    box->addListener (&last);
    last.onCall = [&box] { delete box; box = nullptr; };

    box->keyPressed (KP (KP::escapeKey));
    zotest::pumpMessages (30);

    EXPECT_EQ (log, (Log { "last:escape" }));
    EXPECT_EQ (box, nullptr);
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, EditingKeys)
{
    box.setText ("one two three", false);
    box.setCaretPosition (7);
    press (box, KP::backspaceKey);
    EXPECT_EQ (box.getText(), "one tw three");
    press (box, KP::backspaceKey, MK::ctrlModifier);
    EXPECT_EQ (box.getText(), "one  three");
    press (box, KP::deleteKey);
    EXPECT_EQ (box.getText(), "one three");
    EXPECT_EQ (box.getCaretPosition(), 4);

    box.setHighlightedRegion ({ 1, 3 });
    EXPECT_TRUE (press (box, KP::escapeKey));
    EXPECT_TRUE (box.getHighlightedRegion().isEmpty());
    EXPECT_EQ (box.getCaretPosition(), 3);

    // Select all, then typing replaces everything as one step.
    box.setText ("old", false);
    command (box, 'a');
    type (box, "n");
    EXPECT_EQ (box.getText(), "n");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "old");
}

TEST_F (VMLTextEditorSingleLine, ShiftArrowsSelect)
{
    box.setText ("abcdef", false);
    box.setCaretPosition (2);
    press (box, KP::rightKey, MK::shiftModifier);
    press (box, KP::rightKey, MK::shiftModifier);
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (2, 4));

    // Moving back past the anchor turns the selection round.
    for (int i = 0; i < 3; ++i)
        press (box, KP::leftKey, MK::shiftModifier);

    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (1, 2));
}

TEST (VMLTextEditorKeys, MultiLineKeysMoveWithinLinesAndNeverInsertABreak)
{
    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setSize (200, 100);
    box.setText ("abc\ndef\nghi", false);
    box.setCaretPosition (5);
    EXPECT_TRUE (press (box, KP::returnKey));
    EXPECT_FALSE (box.keyPressed (KP (KP::tabKey, MK(), '\t')));
    EXPECT_EQ (box.getText(), "abc\ndef\nghi");

    press (box, KP::upKey);
    EXPECT_EQ (box.getCaretPosition(), 1);
    press (box, KP::downKey);
    press (box, KP::downKey);
    EXPECT_EQ (box.getCaretPosition(), 9);
    press (box, KP::homeKey);
    EXPECT_EQ (box.getCaretPosition(), 8);
    box.setCaretPosition (5);
    press (box, KP::endKey);
    EXPECT_EQ (box.getCaretPosition(), 7);
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, ReadOnlyAnswersOnlyCopy)
{
    box.setText ("fixed", false);
    box.setReadOnly (true);

    EXPECT_FALSE (box.isTextInputActive());
    EXPECT_TRUE (command (box, 'c'));

    for (auto key : { (int) 'a', KP::returnKey, KP::escapeKey, KP::backspaceKey })
        EXPECT_FALSE (box.keyPressed (KP (key, MK(), key == 'a' ? 'a' : 0))) << key;

    EXPECT_FALSE (command (box, 'v'));
    box.setHighlightedRegion ({ 0, 2 });
    box.cutToClipboard();
    EXPECT_EQ (box.getText(), "fixed");
    EXPECT_FALSE (menuIds (box).contains (VMLTextEditor::undoItemId));
}

TEST_F (VMLTextEditorSingleLine, PopupMenuActions)
{
    box.setText ("abc", false);
    EXPECT_FALSE (menuIds (box, true).contains (VMLTextEditor::undoItemId));

    box.setHighlightedRegion ({ 0, 2 });
    box.performPopupMenuAction (VMLTextEditor::deleteItemId);
    EXPECT_EQ (box.getText(), "c");
    EXPECT_TRUE (menuIds (box, true).contains (VMLTextEditor::undoItemId));

    box.performPopupMenuAction (VMLTextEditor::undoItemId);
    EXPECT_EQ (box.getText(), "abc");

    // A password box offers no cut or copy.
    VMLTextEditor secret ({}, '*');
    EXPECT_FALSE (menuIds (secret).contains (VMLTextEditor::cutItemId));
    EXPECT_FALSE (menuIds (secret).contains (VMLTextEditor::copyItemId));
}

//==============================================================================
// The toolkit's text-input-target and accessibility calls must see this box's
// text, not the empty base editor's.
namespace
{
struct AccessibleBox : public VMLTextEditor
{
    using VMLTextEditor::VMLTextEditor;
    using VMLTextEditor::createAccessibilityHandler;
};
} // namespace

TEST (VMLTextEditorToolkitCalls, TextInputTargetAnswersFromTheModel)
{
    VMLTextEditor box;
    box.setBorder ({ 0, 2, 0, 2 });
    box.setSize (120, 30);
    box.setText ("Track 7", false);
    box.setCaretPosition (3);

    juce::TextInputTarget& target = box;
    EXPECT_EQ (target.getTotalNumChars(), 7);
    EXPECT_EQ (target.getTextInRange ({ 0, 5 }), "Track");

    // The peer's rectangle is in the box's coordinates: the text rectangle
    // moved by the indents and by where the text holder sits.
    const auto holderPos = box.getLocalPoint (&box.getTextHolder(), juce::Point<int>());
    EXPECT_EQ (target.getCaretRectangle(),
               box.getCaretRectangle().translated (VMLTextEditor::leftIndent + holderPos.x, VMLTextEditor::topIndent + holderPos.y));
    EXPECT_EQ (target.getCharIndexForPoint (target.getCaretRectangle().getCentre()), 3);
    EXPECT_GT (target.getTextBounds ({ 0, 7 }).getBounds().getWidth(), 20);

    target.insertTextAtCaret ("!");
    EXPECT_EQ (box.getText(), "Tra!ck 7");
}

TEST (VMLTextEditorToolkitCalls, AccessibilityAndTheTextValueFollowTheModel)
{
    AccessibleBox box, secret ({}, '*');
    box.setText ("Track 7", false);
    box.setHighlightedRegion ({ 1, 3 });

    auto handler = box.createAccessibilityHandler();
    ASSERT_NE (handler, nullptr);
    auto* text = handler->getTextInterface();
    ASSERT_NE (text, nullptr);
    EXPECT_EQ (text->getAllText(), "Track 7");
    EXPECT_EQ (text->getSelection(), juce::Range<int> (1, 3));
    text->setText ("Bus");
    EXPECT_EQ (box.getText(), "Bus");

    secret.setText ("pin", false);
    EXPECT_EQ (secret.createAccessibilityHandler()->getTextInterface()->getAllText(), "***");

    juce::Value mirror;
    mirror.referTo (box.getTextValue());
    type (box, "!");
    EXPECT_EQ (mirror.toString(), "Bus!");
    mirror = "two";
    EXPECT_TRUE (zotest::pumpUntil ([&] { return box.getText() == "two"; }, 1000));
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, MouseClicksPlaceTheCaretAndSelectWordsAndLines)
{
    box.setText ("alpha beta", false);

    const auto at = [this] (int index)
    {
        const auto r = box.getCaretRectangleForCharIndex (index).toFloat();
        return juce::Point<float> (r.getX() + 1.0f, r.getCentreY());
    };

    box.mouseDown (zotext::mouseAt (box, at (2)));
    box.mouseUp (zotext::mouseAt (box, at (2)));
    EXPECT_EQ (box.getCaretPosition(), 2);
    EXPECT_TRUE (box.hasBeenFocused());

    box.mouseDoubleClick (zotext::mouseAt (box, at (7), 2));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (6, 10));
    box.mouseDoubleClick (zotext::mouseAt (box, at (7), 3));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (0, 10));

    box.setCaretPosition (1);
    box.mouseDown (zotext::mouseAt (box, at (4), 1, MK::leftButtonModifier | MK::shiftModifier));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (1, 4));
}

//==============================================================================
TEST (VMLTextEditorClipboard, CutCopyAndPasteGoThroughTheSystemClipboard)
{
    if (! zotext::haveDisplay())
        GTEST_SKIP() << "the system clipboard needs a display (run under xvfb-run)";

    VMLTextEditor box;
    box.setText ("left right", false);
    box.setHighlightedRegion ({ 5, 10 });
    EXPECT_TRUE (command (box, 'x'));
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "right");
    EXPECT_EQ (box.getText(), "left ");
    box.setCaretPosition (0);
    EXPECT_TRUE (command (box, 'v'));
    EXPECT_EQ (box.getText(), "rightleft ");

    // A password box never hands its text to the clipboard, nor does an empty selection.
    VMLTextEditor secret ({}, '*');
    secret.setText ("hidden", false);
    secret.setHighlightedRegion ({ 0, 6 });
    secret.copyToClipboard();
    box.setHighlightedRegion ({ 2, 2 });
    box.copyToClipboard();
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "right");
}

// A carriage return before a CR LF pair: the box stores one line break for the
// three characters, and the caret stands right after what was pasted.
TEST (VMLTextEditorClipboard, PastingAStrayCarriageReturnLeavesTheCaretAfterThePaste)
{
    if (! zotext::haveDisplay())
        GTEST_SKIP() << "keyboard focus and the system clipboard need a display (run under xvfb-run)";

    VMLTextEditor box;
    box.setMultiLine (true, true);
    box.setSize (200, 80);
    box.setText ("ab", false);
    zotext::addToDesktopForTest (box);
    box.grabKeyboardFocus();
    ASSERT_TRUE (zotest::pumpUntil ([&] { return box.hasKeyboardFocus (false); }, 3000));
    box.setCaretPosition (1);

    // Keys go to the window, which hands them to the focused box.
    const auto key = [&] (int code, int modifiers, juce::juce_wchar character)
    {
        box.getPeer()->handleKeyPress (KP (code, MK (modifiers), character));
    };
    juce::SystemClipboard::copyTextToClipboard ("X\r\r\nY");
    key ('v', MK::commandModifier, 0);
    EXPECT_EQ (box.getText(), "aX\nYb");
    EXPECT_EQ (box.getCaretPosition(), 4);

    key ('Z', 0, 'Z');
    EXPECT_EQ (box.getText(), "aX\nYZb");

    box.removeFromDesktop();
}
