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

juce::Array<int> enabledMenuIds (VMLTextEditor& box)
{
    juce::PopupMenu menu;
    box.addPopupMenuItems (menu, nullptr);
    juce::Array<int> ids;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        if (! it.getItem().isSeparator && it.getItem().isEnabled)
            ids.add (it.getItem().itemID);
    return ids;
}
} // namespace

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

    box.setText ("xyz", false);
    EXPECT_TRUE (box.undo());
    EXPECT_EQ (box.getText(), "xyz") << "setText starts a new history";
}

TEST_F (VMLTextEditorSingleLine, ATimerTickSoonerThan200MsAfterAKeystrokeKeepsTheStepOpen)
{
    type (box, "a");
    clock.ms += 150;
    box.getTextHolder().timerCallback();
    type (box, "b");
    clock.ms += 201;
    box.getTextHolder().timerCallback();
    type (box, "c");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
}

TEST_F (VMLTextEditorSingleLine, ACaretMoveByKeyAndTheHundredthActionEndAStep)
{
    type (box, "ab");
    press (box, KP::leftKey);
    type (box, "X");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "ab");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "");

    for (int i = 0; i < 150; ++i)
        type (box, "x");
    command (box, 'z');
    EXPECT_EQ (box.getTotalNumChars(), 101);
}

TEST_F (VMLTextEditorSingleLine, UndoAndRedoPutTheCaretWhereTheStepBeganAndEnded)
{
    box.setText ("one two", false);
    box.setCaretPosition (3);
    type (box, "ABC");
    command (box, 'z');
    EXPECT_EQ (box.getCaretPosition(), 3);
    command (box, 'y');
    EXPECT_EQ (box.getText(), "oneABC two");
    EXPECT_EQ (box.getCaretPosition(), 6);

    press (box, KP::leftKey, MK::shiftModifier);
    press (box, KP::leftKey, MK::shiftModifier);
    type (box, "Z"); // over the selection, whose caret end is at 4
    EXPECT_EQ (box.getText(), "oneAZ two");
    command (box, 'z');
    EXPECT_EQ (box.getText(), "oneABC two");
    EXPECT_EQ (box.getCaretPosition(), 4);
}

//==============================================================================
// The clipboard belongs to the display, which the test processes share: one
// test owns it, so that no other process writes it between a copy and a paste.
TEST (VMLTextEditorClipboard, PastesStoreEachLineBreakFormAndCopiesHandOverOnlyVisibleText)
{
    ASSERT_TRUE (zotext::haveDisplay()) << "the system clipboard needs a display (run under xvfb-run)";

    // clipboard, then the text in a multi-line and in a single-line box, pasted in the middle
    const char* cases[][3] = { { "X\nY", "aX\nYb", "aX Yb" }, { "X\r\nY", "aX\nYb", "aX  Yb" },
                               { "X\rY", "aX\rYb", "aX Yb" }, { "X\r\r\nY", "aX\nYb", "aX   Yb" } };
    for (auto& c : cases)
        for (bool multiLine : { true, false })
        {
            VMLTextEditor box;
            box.setMultiLine (multiLine, true);
            box.setText ("ab", false);
            box.setCaretPosition (1);
            juce::SystemClipboard::copyTextToClipboard (c[0]);
            EXPECT_TRUE (command (box, 'v'));
            EXPECT_EQ (box.getText(), juce::String (c[multiLine ? 1 : 2])) << c[0] << multiLine;
            EXPECT_EQ (box.getCaretPosition(), box.getTotalNumChars() - 1) << c[0] << multiLine;
            command (box, 'z');
            EXPECT_EQ (box.getText(), "ab");
        }

    VMLTextEditor box, secret ({}, '*');
    box.setText ("left right", false);
    box.setHighlightedRegion ({ 5, 10 });
    EXPECT_TRUE (command (box, 'x'));
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "right");
    EXPECT_EQ (box.getText(), "left ");
    secret.setText ("hidden", false);
    secret.setHighlightedRegion ({ 0, 6 });
    command (secret, 'c');
    box.setHighlightedRegion ({ 2, 2 });
    command (box, 'c');
    EXPECT_EQ (juce::SystemClipboard::getTextFromClipboard(), "right") << "no password and no empty selection";
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

    box.setCaretPosition (2);
    press (box, KP::rightKey, MK::shiftModifier);
    press (box, KP::rightKey, MK::shiftModifier);
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (2, 4));
    for (int i = 0; i < 3; ++i)
        press (box, KP::leftKey, MK::shiftModifier);
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (1, 2)) << "turned round at the anchor";
    EXPECT_TRUE (press (box, KP::escapeKey));
    EXPECT_TRUE (box.getHighlightedRegion().isEmpty());

    command (box, 'a');
    type (box, "n");
    EXPECT_EQ (box.getText(), "n");
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

    // key, then the caret after it
    const std::pair<int, int> moves[] = { { KP::upKey, 1 }, { KP::downKey, 5 }, { KP::downKey, 9 }, { KP::homeKey, 8 }, { KP::endKey, 11 } };
    for (auto [key, caret] : moves)
    {
        press (box, key);
        EXPECT_EQ (box.getCaretPosition(), caret) << key;
    }
}

TEST_F (VMLTextEditorSingleLine, AReadOnlyBoxAnswersOnlyCopy)
{
    box.setText ("fixed", false);
    box.setReadOnly (true);
    EXPECT_TRUE (command (box, 'c'));
    for (auto key : { (int) 'a', KP::returnKey, KP::escapeKey, KP::backspaceKey })
        EXPECT_FALSE (box.keyPressed (KP (key, MK(), key == 'a' ? 'a' : 0))) << key;
    EXPECT_FALSE (command (box, 'v'));
    box.setHighlightedRegion ({ 0, 2 });
    box.cutToClipboard();
    EXPECT_EQ (box.getText(), "fixed");
}

TEST_F (VMLTextEditorSingleLine, PopupMenuDeleteAndUndo)
{
    box.setText ("abc", false);
    EXPECT_FALSE (enabledMenuIds (box).contains (VMLTextEditor::undoItemId));
    box.setHighlightedRegion ({ 0, 2 });
    box.performPopupMenuAction (VMLTextEditor::deleteItemId);
    EXPECT_EQ (box.getText(), "c");
    EXPECT_TRUE (enabledMenuIds (box).contains (VMLTextEditor::undoItemId));
    box.performPopupMenuAction (VMLTextEditor::undoItemId);
    EXPECT_EQ (box.getText(), "abc");
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, ListenersAreCalledLastToFirstAndRemovalsCount)
{
    Log log;
    RecordingListener a (log, "a"), b (log, "b"), c (log, "c");
    for (auto* l : { &a, &b, &c, &b })
        box.addListener (l);
    press (box, KP::returnKey);
    zotest::pumpMessages (30);
    EXPECT_EQ (log, (Log { "c:return", "b:return", "a:return" }));

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
}

//==============================================================================
TEST_F (VMLTextEditorSingleLine, ClicksPlaceTheCaretAndSelectWordsAndLines)
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
    box.mouseDoubleClick (zotext::mouseAt (box, at (7), 2));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (6, 10));
    box.mouseDoubleClick (zotext::mouseAt (box, at (7), 3));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (0, 10));
    box.setCaretPosition (1);
    box.mouseDown (zotext::mouseAt (box, at (4), 1, MK::leftButtonModifier | MK::shiftModifier));
    EXPECT_EQ (box.getHighlightedRegion(), juce::Range<int> (1, 4));
}

//==============================================================================
TEST (VMLTextEditorToolkitCalls, TextInputAndAccessibilitySeeTheBoxsText)
{
    struct AccessibleBox : VMLTextEditor
    {
        using VMLTextEditor::VMLTextEditor;
        using VMLTextEditor::createAccessibilityHandler;
    } box, secret ({}, '*');
    box.setSize (120, 30);
    box.setText ("Track 7", false);
    box.setCaretPosition (3);

    juce::TextInputTarget& target = box;
    EXPECT_EQ (target.getTextInRange ({ 0, 5 }), "Track");
    EXPECT_EQ (target.getCharIndexForPoint (target.getCaretRectangle().getCentre()), 3);
    target.insertTextAtCaret ("!");
    EXPECT_EQ (box.getText(), "Tra!ck 7");

    auto handler = box.createAccessibilityHandler();
    ASSERT_NE (handler->getTextInterface(), nullptr);
    EXPECT_EQ (handler->getTextInterface()->getAllText(), "Tra!ck 7");
    handler->getTextInterface()->setText ("Bus");
    EXPECT_EQ (box.getText(), "Bus");
    secret.setText ("pin", false);
    EXPECT_EQ (secret.createAccessibilityHandler()->getTextInterface()->getAllText(), "***");

    juce::Value mirror;
    mirror.referTo (box.getTextValue());
    type (box, "!");
    EXPECT_EQ (mirror.toString(), "Bus!");
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
        box->setText ("x", false);
        EXPECT_EQ (box->getCaretPosition(), 1) << "clamped";
    }
}
