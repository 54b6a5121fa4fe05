#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VMLTextEditor.h"

using zotext::command;
using zotext::ManualClock;
using zotext::RecordingListener;

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

    ManualClock clock;
    VMLTextEditor box;
};

struct VMLTextEditorMultiLine : public ::testing::Test
{
    VMLTextEditorMultiLine()
    {
        box.setTransactionClock (clock.function());
        box.setMultiLine (true, true);
        box.setSize (200, 100);
    }

    ManualClock clock;
    VMLTextEditor box;
};
} // namespace

//==============================================================================
TEST_F (VMLTextEditorSingleLine, PastedLineBreaksBecomeTwoSpaces)
{
    box.insertTextAtCaret ("ab\r\ncd");
    EXPECT_EQ (box.getText(), "ab  cd");
    EXPECT_EQ (box.getCaretPosition(), 6);
}

TEST_F (VMLTextEditorMultiLine, PastedCrLfBecomesOneLineFeed)
{
    box.insertTextAtCaret ("ab\r\ncd");
    EXPECT_EQ (box.getText(), "ab\ncd");
    EXPECT_EQ (box.getTotalNumChars(), 5);
    EXPECT_EQ (box.getCaretPosition(), 5);
}

TEST_F (VMLTextEditorMultiLine, CrLfInSetTextIsOneCharacterAndALoneCrIsKept)
{
    box.setText ("ab\r\ncd", false);
    EXPECT_EQ (box.getText(), "ab\ncd");
    EXPECT_EQ (box.getTotalNumChars(), 5);

    box.setHighlightedRegion ({ 5, 5 });
    box.insertTextAtCaret ("x\ry");
    EXPECT_EQ (box.getText(), "ab\ncdx\ry");
    EXPECT_TRUE (box.undo());
    EXPECT_EQ (box.getText(), "ab\ncd");
}

TEST_F (VMLTextEditorSingleLine, InsertReplacesTheSelection)
{
    box.setText ("hello world", false);
    box.setHighlightedRegion ({ 0, 5 });
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (0, 5));
    box.insertTextAtCaret ("bye");
    EXPECT_EQ (box.getText(), "bye world");
    EXPECT_EQ (box.getCaretPosition(), 3);
    EXPECT_TRUE (box.getHighlightedRegion().isEmpty());
}

TEST_F (VMLTextEditorSingleLine, GetTextInRangeCrossesSections)
{
    box.setText ("abc", false);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::red);
    box.setCaretPosition (3);
    box.insertTextAtCaret ("def");
    box.setFont (juce::Font (20.0f));
    box.insertTextAtCaret (" ghi");

    EXPECT_EQ (box.getText(), "abcdef ghi");
    EXPECT_EQ (box.getTextInRange ({ 2, 8 }), "cdef g");
    EXPECT_EQ (box.getTextInRange ({ 4, 4 }), "");
    EXPECT_EQ (box.getTextInRange ({ 8, 100 }), "hi");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, SetTextWithTheSameTextDoesNothing)
{
    box.setText ("Track 1", false);
    box.setCaretPosition (2);

    std::vector<juce::String> log;
    RecordingListener listener (log, "L");
    box.addListener (&listener);

    box.setText ("Track 1", true);
    zotest::pumpMessages (30);

    EXPECT_TRUE (log.empty());
    EXPECT_EQ (box.getCaretPosition(), 2);
}

TEST_F (VMLTextEditorSingleLine, SetTextAfterAColourChangeReinsertsInTheNewColour)
{
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
    box.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    box.setText ("HHHH", false);

    const auto inkOf = [this] (juce::Colour wanted)
    {
        const auto image = zotext::paintBox (box);
        int count = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt (x, y) == wanted)
                    ++count;

        return count;
    };

    ASSERT_GT (inkOf (juce::Colours::white), 0);

    box.setColour (juce::TextEditor::textColourId, juce::Colours::red);
    EXPECT_GT (inkOf (juce::Colours::white), 0) << "a colour change alone leaves existing text as it was";
    EXPECT_EQ (inkOf (juce::Colours::red), 0);

    box.setText ("HHHH", false);
    EXPECT_EQ (inkOf (juce::Colours::white), 0);
    EXPECT_GT (inkOf (juce::Colours::red), 0);

    // The refresh is used up: the same text again changes nothing now.
    box.setCaretPosition (1);
    box.setText ("HHHH", false);
    EXPECT_EQ (box.getCaretPosition(), 1);
}

TEST_F (VMLTextEditorSingleLine, SetTextPutsAnEndCaretAtTheNewEnd)
{
    box.setText ("abc", false);
    EXPECT_EQ (box.getCaretPosition(), 3);
    box.setText ("abcdefg", false);
    EXPECT_EQ (box.getCaretPosition(), 7);

    box.setCaretPosition (2);
    box.setText ("xyzxyz", false);
    EXPECT_EQ (box.getCaretPosition(), 2);
    box.setText ("x", false);
    EXPECT_EQ (box.getCaretPosition(), 1);
}

TEST_F (VMLTextEditorMultiLine, SetTextKeepsTheCaretIndexClamped)
{
    box.setText ("abc", false);
    box.setCaretPosition (3);
    box.setText ("abcdefg", false);
    EXPECT_EQ (box.getCaretPosition(), 3);
    box.setText ("a", false);
    EXPECT_EQ (box.getCaretPosition(), 1);
}

TEST_F (VMLTextEditorSingleLine, SetTextClearsTheUndoHistory)
{
    zotext::type (box, "abc");
    box.setText ("xyz", false);
    EXPECT_TRUE (box.undo());
    EXPECT_EQ (box.getText(), "xyz");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, KeystrokesCloseTogetherUndoAsOneStep)
{
    for (auto c : { 'a', 'b', 'c', 'd' })
    {
        zotext::type (box, (juce::juce_wchar) c);
        zotext::pause (box, clock, 349);
    }

    EXPECT_EQ (box.getText(), "abcd");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "");
}

TEST_F (VMLTextEditorSingleLine, APauseOf350MsSplitsTheUndoSteps)
{
    zotext::type (box, "ab");
    zotext::pause (box, clock, 350);
    zotext::type (box, "cd");

    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "");

    command (box, 'y');
    EXPECT_EQ (box.getText(), "ab");
    command (box, 'z', juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (box.getText(), "abcd");
}

TEST_F (VMLTextEditorSingleLine, TheTimerOnlyEndsATransactionAfter200Ms)
{
    zotext::type (box, 'a');
    EXPECT_TRUE (box.getTextHolder().isTimerRunning());
    EXPECT_EQ (box.getTextHolder().getTimerInterval(), 350);

    // A tick that comes too soon after the keystroke keeps the step open.
    clock.ms += 150;
    box.getTextHolder().timerCallback();
    zotext::type (box, 'b');

    clock.ms += 201;
    box.getTextHolder().timerCallback();
    zotext::type (box, 'c');

    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

TEST_F (VMLTextEditorSingleLine, MoreThan100ActionsStartANewTransaction)
{
    for (int i = 0; i < 150; ++i)
        zotext::type (box, 'x');

    command (box, 'z');
    EXPECT_EQ (box.getTotalNumChars(), 101);
}

TEST (VMLTextEditorTiming, RealTimerSplitsUndoStepsAfterAPause)
{
    VMLTextEditor box;
    box.setSize (200, 24);

    zotext::type (box, "ab");
    zotest::pumpMessages (600);
    zotext::type (box, "cd");

    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

TEST_F (VMLTextEditorSingleLine, CaretMovesByKeysStartNewSteps)
{
    zotext::type (box, "ab");
    box.keyPressed (juce::KeyPress (juce::KeyPress::leftKey));
    zotext::type (box, "X");
    EXPECT_EQ (box.getText(), "aXb");

    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, ListenersAreCalledLastToFirst)
{
    std::vector<juce::String> log;
    RecordingListener first (log, "first"), second (log, "second"), third (log, "third");
    box.addListener (&first);
    box.addListener (&second);
    box.addListener (&third);
    box.addListener (&second);
    box.addListener (nullptr);

    box.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    zotest::pumpMessages (30);

    const std::vector<juce::String> expected { "third:return", "second:return", "first:return" };
    EXPECT_EQ (log, expected);
}

TEST (VMLTextEditorListeners, DeliveryStopsWhenACallbackDeletesTheBox)
{
    std::vector<juce::String> log;
    RecordingListener first (log, "first"), last (log, "last");

    auto* box = new VMLTextEditor();
    box->addListener (&first);
    box->addListener (&last);
    last.onCall = [&box] { delete box; box = nullptr; };

    box->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    zotest::pumpMessages (30);

    const std::vector<juce::String> expected { "last:escape" };
    EXPECT_EQ (log, expected);
    EXPECT_EQ (box, nullptr);
}

TEST_F (VMLTextEditorSingleLine, AListenerRemovedDuringDeliveryIsNotCalled)
{
    std::vector<juce::String> log;
    RecordingListener a (log, "a"), b (log, "b"), c (log, "c");
    box.addListener (&a);
    box.addListener (&b);
    box.addListener (&c);
    c.onCall = [&] { box.removeListener (&a); box.removeListener (&c); };

    box.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    zotest::pumpMessages (30);

    const std::vector<juce::String> expected { "c:return", "b:return" };
    EXPECT_EQ (log, expected);
}

TEST_F (VMLTextEditorSingleLine, TextChangesArePostedOnlyWithAListenerButReturnAlways)
{
    std::vector<juce::String> log;
    RecordingListener listener (log, "L");

    // Posted before the listener exists: a text change must not have been
    // posted at all; Return is posted regardless.
    box.setText ("abc", true);
    box.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    box.addListener (&listener);
    zotest::pumpMessages (30);

    const std::vector<juce::String> expected { "L:return" };
    EXPECT_EQ (log, expected);

    log.clear();
    zotext::type (box, 'x');
    zotest::pumpMessages (30);
    const std::vector<juce::String> typed { "L:text" };
    EXPECT_EQ (log, typed);
}

TEST_F (VMLTextEditorSingleLine, EscapeCollapsesTheSelection)
{
    box.setText ("hello", false);
    box.setHighlightedRegion ({ 1, 4 });
    EXPECT_TRUE (box.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_TRUE (box.getHighlightedRegion().isEmpty());
    EXPECT_EQ (box.getCaretPosition(), 4);
}

TEST_F (VMLTextEditorMultiLine, ReturnNeverInsertsALineBreak)
{
    box.setText ("ab", false);
    EXPECT_TRUE (box.keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_FALSE (box.keyPressed (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys(), '\t')));
    EXPECT_EQ (box.getText(), "ab");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, ReadOnlyAnswersOnlyCopy)
{
    box.setText ("fixed", false);
    box.setReadOnly (true);

    EXPECT_FALSE (box.isTextInputActive());
    EXPECT_TRUE (command (box, 'c'));
    EXPECT_FALSE (box.keyPressed (juce::KeyPress ('a', juce::ModifierKeys(), 'a')));
    EXPECT_FALSE (box.keyPressed (juce::KeyPress (juce::KeyPress::returnKey)));
    EXPECT_FALSE (box.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (box.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey)));
    EXPECT_EQ (box.getText(), "fixed");

    juce::PopupMenu menu;
    box.addPopupMenuItems (menu, nullptr);
    bool hasUndo = false;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        hasUndo = hasUndo || it.getItem().itemID == VMLTextEditor::undoItemId;

    EXPECT_FALSE (hasUndo);
}

TEST_F (VMLTextEditorSingleLine, BackspaceAndDelete)
{
    box.setText ("one two three", false);
    box.setCaretPosition (7);

    box.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey));
    EXPECT_EQ (box.getText(), "one tw three");

    box.keyPressed (juce::KeyPress (juce::KeyPress::backspaceKey, juce::ModifierKeys::ctrlModifier, 0));
    EXPECT_EQ (box.getText(), "one  three");

    box.keyPressed (juce::KeyPress (juce::KeyPress::deleteKey));
    EXPECT_EQ (box.getText(), "one three");
    EXPECT_EQ (box.getCaretPosition(), 4);
}

TEST_F (VMLTextEditorSingleLine, WordBreaks)
{
    box.setText ("hello, world  foo", false);
    EXPECT_EQ (box.findWordBreakAfter (0), 5);
    EXPECT_EQ (box.findWordBreakAfter (5), 7);
    EXPECT_EQ (box.findWordBreakAfter (7), 14);
    EXPECT_EQ (box.findWordBreakBefore (17), 14);
    EXPECT_EQ (box.findWordBreakBefore (14), 7);
    EXPECT_EQ (box.findWordBreakBefore (7), 5);
    EXPECT_EQ (box.findWordBreakBefore (0), 0);
}

TEST_F (VMLTextEditorSingleLine, ArrowKeysWithShiftSelect)
{
    box.setText ("abcdef", false);
    box.setCaretPosition (2);

    box.keyPressed (juce::KeyPress (juce::KeyPress::rightKey, juce::ModifierKeys::shiftModifier, 0));
    box.keyPressed (juce::KeyPress (juce::KeyPress::rightKey, juce::ModifierKeys::shiftModifier, 0));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (2, 4));

    // Moving back past the anchor turns the selection round.
    for (int i = 0; i < 3; ++i)
        box.keyPressed (juce::KeyPress (juce::KeyPress::leftKey, juce::ModifierKeys::shiftModifier, 0));

    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (1, 2));

    box.keyPressed (juce::KeyPress (juce::KeyPress::endKey));
    EXPECT_EQ (box.getCaretPosition(), 6);
    EXPECT_TRUE (box.getHighlightedRegion().isEmpty());

    box.keyPressed (juce::KeyPress (juce::KeyPress::upKey));
    EXPECT_EQ (box.getCaretPosition(), 0);
    box.keyPressed (juce::KeyPress (juce::KeyPress::downKey, juce::ModifierKeys::shiftModifier, 0));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (0, 6));
}

TEST_F (VMLTextEditorMultiLine, UpAndDownMoveBetweenLines)
{
    box.setText ("abc\ndef\nghi", false);
    box.setCaretPosition (5);

    box.keyPressed (juce::KeyPress (juce::KeyPress::upKey));
    EXPECT_EQ (box.getCaretPosition(), 1);
    box.keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    box.keyPressed (juce::KeyPress (juce::KeyPress::downKey));
    EXPECT_EQ (box.getCaretPosition(), 9);

    box.keyPressed (juce::KeyPress (juce::KeyPress::homeKey));
    EXPECT_EQ (box.getCaretPosition(), 8);
    box.setCaretPosition (5);
    box.keyPressed (juce::KeyPress (juce::KeyPress::endKey));
    EXPECT_EQ (box.getCaretPosition(), 7);
}

TEST_F (VMLTextEditorSingleLine, SelectAllThenTypeReplacesEverythingAsOneStep)
{
    box.setText ("old", false);
    command (box, 'a');
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (0, 3));

    zotext::type (box, 'n');
    EXPECT_EQ (box.getText(), "n");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "old");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, PopupMenuItemsAndStates)
{
    box.setText ("abc", false);

    const auto items = [this]
    {
        juce::PopupMenu menu;
        box.addPopupMenuItems (menu, nullptr);
        std::vector<std::pair<int, bool>> found;

        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
            if (! it.getItem().isSeparator)
                found.emplace_back (it.getItem().itemID, it.getItem().isEnabled);

        return found;
    };

    const std::vector<std::pair<int, bool>> noSelection {
        { 0x1003, true }, { 0x1004, false }, { 0x1005, true }, { 0x1002, true },
        { 0x1006, true }, { 0x1008, false }, { 0x1009, false }
    };
    EXPECT_EQ (items(), noSelection);

    box.setHighlightedRegion ({ 0, 2 });
    box.performPopupMenuAction (VMLTextEditor::deleteItemId);
    EXPECT_EQ (box.getText(), "c");

    const std::vector<std::pair<int, bool>> afterDelete {
        { 0x1003, true }, { 0x1004, false }, { 0x1005, true }, { 0x1002, true },
        { 0x1006, true }, { 0x1008, true }, { 0x1009, false }
    };
    EXPECT_EQ (items(), afterDelete);

    box.performPopupMenuAction (VMLTextEditor::undoItemId);
    EXPECT_EQ (box.getText(), "abc");
    box.performPopupMenuAction (VMLTextEditor::selectAllItemId);
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (0, 3));
    box.performPopupMenuAction (0x4242);
    EXPECT_EQ (box.getText(), "abc");
}

TEST (VMLTextEditorPassword, NoCutOrCopyAndRealTextKept)
{
    VMLTextEditor box ({}, '*');
    box.setSize (100, 24);
    box.setText ("secret", false);
    EXPECT_EQ (box.getText(), "secret");
    EXPECT_EQ (box.getPasswordCharacter(), (juce::juce_wchar) '*');

    juce::PopupMenu menu;
    box.addPopupMenuItems (menu, nullptr);

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        EXPECT_NE (it.getItem().itemID, VMLTextEditor::cutItemId);
        EXPECT_NE (it.getItem().itemID, VMLTextEditor::copyItemId);
    }
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
    EXPECT_EQ (target.getCaretPosition(), 3);
    EXPECT_EQ (target.getTextInRange ({ 0, 5 }), "Track");
    EXPECT_TRUE (target.isTextInputActive());

    // The peer's rectangle is in the box's coordinates: the text rectangle
    // moved by the indents and by where the text holder sits.
    const auto textRect = box.getCaretRectangle();
    const auto holderPos = box.getLocalPoint (&box.getTextHolder(), juce::Point<int>());
    EXPECT_EQ (target.getCaretRectangle(),
               textRect.translated (VMLTextEditor::leftIndent + holderPos.x, VMLTextEditor::topIndent + holderPos.y));

    const auto centre = target.getCaretRectangle().getCentre();
    EXPECT_EQ (target.getCharIndexForPoint (centre), 3);

    const auto bounds = target.getTextBounds ({ 0, 7 });
    EXPECT_FALSE (bounds.isEmpty());
    EXPECT_GT (bounds.getBounds().getWidth(), 20);

    target.insertTextAtCaret ("!");
    EXPECT_EQ (box.getText(), "Tra!ck 7");
}

TEST (VMLTextEditorToolkitCalls, AccessibilityReadsTheModel)
{
    AccessibleBox box;
    box.setSize (120, 30);
    box.setText ("Track 7", false);
    box.setHighlightedRegion ({ 1, 3 });

    auto handler = box.createAccessibilityHandler();
    ASSERT_NE (handler, nullptr);
    EXPECT_EQ (handler->getRole(), juce::AccessibilityRole::editableText);

    auto* text = handler->getTextInterface();
    ASSERT_NE (text, nullptr);
    EXPECT_EQ (text->getAllText(), "Track 7");
    EXPECT_EQ (text->getSelection(), juce::Range<int> (1, 3));
    EXPECT_FALSE (text->isReadOnly());

    text->setText ("Bus");
    EXPECT_EQ (box.getText(), "Bus");

    AccessibleBox secret ({}, '*');
    secret.setText ("pin", false);
    auto secretHandler = secret.createAccessibilityHandler();
    EXPECT_TRUE (secretHandler->getTextInterface()->isDisplayingProtectedText());
    EXPECT_EQ (secretHandler->getTextInterface()->getAllText(), "***");
}

TEST (VMLTextEditorToolkitCalls, TextValueFollowsWhenReferredTo)
{
    VMLTextEditor box;
    juce::Value mirror;
    mirror.referTo (box.getTextValue());

    box.setText ("one", true);
    EXPECT_EQ (mirror.toString(), "one");

    zotext::type (box, '!');
    EXPECT_EQ (mirror.toString(), "one!");

    mirror = "two";
    zotest::pumpUntil ([&] { return box.getText() == "two"; }, 1000);
    EXPECT_EQ (box.getText(), "two");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, MouseClicksPlaceTheCaretAndSelectWordsAndLines)
{
    box.setColour (juce::TextEditor::backgroundColourId, juce::Colours::black);
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
    box.mouseDown (zotext::mouseAt (box, at (4), 1,
                                    juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::shiftModifier)));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (1, 4));
}

//==============================================================================
TEST (VMLTextEditorClipboard, CutCopyAndPasteGoThroughTheSystemClipboard)
{
    if (! zotext::haveDisplay())
        GTEST_SKIP() << "the system clipboard needs a display (run under xvfb-run)";

    VMLTextEditor box;
    box.setSize (200, 24);
    box.setText ("left right", false);

    box.setHighlightedRegion ({ 0, 4 });
    EXPECT_TRUE (command (box, 'c'));
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "left");
    EXPECT_EQ (box.getText(), "left right");

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

    // Pasting a two-line clipboard into a single-line box.
    juce::SystemClipboard::copyTextToClipboard ("ab\r\ncd");
    box.setText ("", false);
    box.pasteFromClipboard();
    EXPECT_EQ (box.getText(), "ab  cd");

    // Read-only: copying still works, pasting and cutting do not change the text.
    box.setReadOnly (true);
    box.setHighlightedRegion ({ 0, 2 });
    EXPECT_TRUE (command (box, 'c'));
    EXPECT_FALSE (command (box, 'v'));
    box.cutToClipboard();
    EXPECT_EQ (box.getText(), "ab  cd");
}
