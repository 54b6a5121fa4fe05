#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <juce_gui_basics/juce_gui_basics.h>

#include "widgets/VMLTextAtom.h"

class VMLTextEditorViewport;

// The system's text-entry box: single- or multi-line, with caret, selection,
// clipboard, undo and redo, keys, mouse and a popup menu, and per-glyph font
// fallback so that Chinese among Latin draws.
//
// It derives from juce::TextEditor only so that the look's text-editor
// operations and colour ids apply to it. Everything it shows and edits lives
// in its own members; the base stays as constructed (its own viewport is
// never laid out), so every base operation that would read the base's state
// is answered here from this box's model: the text-input-target calls that
// the window peer makes, and the accessibility interface.
class VMLTextEditor : public juce::TextEditor
{
public:
    explicit VMLTextEditor (const juce::String& name = juce::String(),
                            juce::juce_wchar passwordCharacter = 0);
    ~VMLTextEditor() override;

    //==============================================================================
    class Listener
    {
    public:
        virtual ~Listener() = default;

        virtual void textEditorTextChanged (VMLTextEditor&) {}
        virtual void textEditorReturnKeyPressed (VMLTextEditor&) {}
        virtual void textEditorEscapeKeyPressed (VMLTextEditor&) {}
        virtual void textEditorFocusLost (VMLTextEditor&) {}
    };

    // Command messages posted to the box itself and handed to the listeners.
    enum CommandIds
    {
        textChangeMessageId = 0x10003001,
        returnKeyMessageId  = 0x10003002,
        escapeKeyMessageId  = 0x10003003,
        focusLossMessageId  = 0x10003004
    };

    enum MenuItemIds
    {
        deleteItemId    = 0x1002,
        cutItemId       = 0x1003,
        copyItemId      = 0x1004,
        pasteItemId     = 0x1005,
        selectAllItemId = 0x1006,
        undoItemId      = 0x1008,
        redoItemId      = 0x1009
    };

    //==============================================================================
    void setReadOnly (bool shouldBeReadOnly);
    bool isReadOnly() const noexcept                    { return readOnly; }

    void setMultiLine (bool shouldBeMultiLine, bool shouldWordWrap = true);
    bool isMultiLine() const noexcept                   { return multiline; }
    bool isWordWrapping() const noexcept                { return wordWrap; }

    // Replaces the text; the same text again does nothing unless a colour has
    // changed since, in which case it is re-inserted in the current text colour.
    void setText (const juce::String& newText, bool sendTextChangeMessage = true);
    juce::String getText() const;

    // Mirrors the text while something else refers to it.
    juce::Value& getTextValue();

    void setBorder (const juce::BorderSize<int>& newBorder);
    juce::BorderSize<int> getBorder() const noexcept    { return borderSize; }

    // The font of text typed, pasted or set from now on.
    void setFont (const juce::Font& newFont);
    const juce::Font& getFont() const noexcept          { return currentFont; }

    void setTextToShowWhenEmpty (const juce::String& text, juce::Colour colourToUse);
    juce::String getTextToShowWhenEmpty() const         { return textToShowWhenEmpty; }

    // A null listener and one already registered are ignored.
    void addListener (Listener* newListener);
    void removeListener (Listener* listenerToRemove);

    // The millisecond counter that times undo transactions; by default the
    // toolkit's approximate counter. Tests set their own.
    void setTransactionClock (std::function<juce::uint32()> newClock);

    // 0 for none; otherwise every character is shown as this one.
    juce::juce_wchar getPasswordCharacter() const noexcept    { return passwordCharacter; }

    // True once the box has had keyboard focus since it last lost it.
    bool hasBeenFocused() const noexcept                { return wasFocused; }

    //==============================================================================
    // Text-input target, answered from this box's model.
    bool isTextInputActive() const override;
    juce::Range<int> getHighlightedRegion() const override      { return selection; }
    void setHighlightedRegion (const juce::Range<int>& newSelection) override;
    void setTemporaryUnderlining (const juce::Array<juce::Range<int>>& underlinedRegions) override;
    juce::String getTextInRange (const juce::Range<int>& range) const override;
    void insertTextAtCaret (const juce::String& textToInsert) override;
    int getCaretPosition() const override                       { return caretPosition; }
    juce::Rectangle<int> getCaretRectangleForCharIndex (int index) const override;
    int getTotalNumChars() const override;
    int getCharIndexForPoint (juce::Point<int> pointInBox) const override;
    juce::RectangleList<int> getTextBounds (juce::Range<int> textRange) const override;
    VirtualKeyboardType getKeyboardType() override              { return keyboardType; }

    // The caret in text coordinates: (x, y, 2, line height), each rounded.
    juce::Rectangle<int> getCaretRectangle() const;
    void setCaretPosition (int newIndex);

    //==============================================================================
    // Key actions (the toolkit's text-editor key map calls these).
    bool moveCaretLeft (bool moveInWholeWordSteps, bool selecting);
    bool moveCaretRight (bool moveInWholeWordSteps, bool selecting);
    bool moveCaretUp (bool selecting);
    bool moveCaretDown (bool selecting);
    bool pageUp (bool selecting);
    bool pageDown (bool selecting);
    bool scrollDown();
    bool scrollUp();
    bool moveCaretToTop (bool selecting);
    bool moveCaretToStartOfLine (bool selecting);
    bool moveCaretToEnd (bool selecting);
    bool moveCaretToEndOfLine (bool selecting);
    bool deleteBackwards (bool moveInWholeWordSteps);
    bool deleteForwards (bool moveInWholeWordSteps);
    bool copyToClipboard();
    bool cutToClipboard();
    bool pasteFromClipboard();
    bool selectAll();
    bool undo();
    bool redo();

    int findWordBreakBefore (int position) const;
    int findWordBreakAfter (int position) const;

    //==============================================================================
    void addPopupMenuItems (juce::PopupMenu& menuToAddTo, const juce::MouseEvent* mouseClickEvent) override;
    void performPopupMenuAction (int menuItemID) override;

    //==============================================================================
    // Layout, in text coordinates (the text holder less the indents).
    void getCharPosition (int index, float& x, float& y, float& lineHeight) const;
    int indexAtPosition (float x, float y) const;
    float getWordWrapWidth() const;
    void updateTextHolderSize();
    void scrollToMakeSureCursorIsVisible();
    void repaintText (juce::Range<int> range);

    static constexpr int leftIndent = 4;
    static constexpr int topIndent = 4;

    //==============================================================================
    // One run of text with one font and one colour.
    class UniformTextSection
    {
    public:
        UniformTextSection (const juce::String& text, const juce::Font& font, juce::Colour colour,
                            juce::juce_wchar passwordChar);
        UniformTextSection (const UniformTextSection&);
        UniformTextSection& operator= (const UniformTextSection&) = delete;

        // Moves the other's atoms to the end of this one, joining the two
        // boundary atoms when both boundary characters are non-whitespace.
        void append (UniformTextSection& other, juce::juce_wchar passwordChar);

        // Cuts this section at a character index and returns the part after it.
        std::unique_ptr<UniformTextSection> split (int indexToBreakAt, juce::juce_wchar passwordChar);

        void appendAllText (juce::MemoryOutputStream&) const;
        int getTotalLength() const noexcept;

        juce::Font font;
        juce::Colour colour;
        std::vector<VMLTextAtom> atoms;

    private:
        JUCE_LEAK_DETECTOR (UniformTextSection)
    };

    //==============================================================================
    // A forward cursor over the layout: lines, atoms and their positions.
    class Iterator
    {
    public:
        explicit Iterator (const VMLTextEditor& box);
        Iterator (const Iterator&);
        Iterator& operator= (const Iterator&) = delete;

        // Steps to the next atom; false at the end, where the position stands
        // after the last atom (on a new line after a line break).
        bool next();

        // Before the first next(): passes the atoms that end left of x and up
        // to the index, where the text is one line that never wraps, found by a
        // binary search (a long name is drawn, measured and has its caret where
        // it ends, at the cost of what is in view).
        void skipAtomsBefore (float x, int index);
        void beginNewLine();

        float indexToX (int index) const;
        int xToIndex (float x) const;

        // Draw the glyphs of the current atom that lie in the visible span of x.
        void draw (juce::Graphics&, const UniformTextSection*& lastSection, juce::Range<float> visible) const;
        void drawSelectedText (juce::Graphics&, juce::Range<int> selected, juce::Colour selectedTextColour,
                               juce::Range<float> visible) const;
        void drawUnderline (juce::Graphics&, juce::Range<int> range, juce::Colour colour) const;

        // Re-lays glyphs that the section's font lacks in fonts that have them.
        void updateFontsForMultiLanguage (const juce::String& text, juce::GlyphArrangement& glyphs) const;

        int indexInText = 0;
        float lineY = 0.0f, lineHeight = 0.0f, maxDescent = 0.0f;
        float atomX = 0.0f, atomRight = 0.0f;
        const VMLTextAtom* atom = nullptr;
        const UniformTextSection* currentSection = nullptr;

    private:
        const VMLTextEditor& owner;
        const juce::OwnedArray<UniformTextSection>& sections;
        int sectionIndex = 0, atomIndex = 0;
        float wordWrapWidth = 0.0f;
        juce::juce_wchar passwordCharacter = 0;

        // A word too wide for a line: the piece placed now, and the rest.
        VMLTextAtom longAtom, restOfWord;
        bool restPending = false, lineBreakPending = false;

        bool shouldWrap (float x) const noexcept    { return (x - 0.0001f) >= wordWrapWidth; }
        float continuationWidth() const;
        void placeWord();
        void arrangeGlyphs (juce::GlyphArrangement&, const juce::String& text, float x, float baselineY) const;
        float baselineY() const;

        // The current atom's glyphs laid out once, when it is a long word; else null.
        juce::GlyphArrangement* longWordGlyphs() const;

        // The current atom's glyphs in the visible span, placed; returns the
        // index in the atom of the first glyph added.
        int arrangeVisible (juce::GlyphArrangement&, juce::Range<float> visible) const;
    };

    //==============================================================================
    // A word of thousands of characters (a long name without blanks) is laid
    // out once and kept, so that drawing it, placing the caret in it and
    // clicking into it cost what the visible part costs. Keyed by the word's
    // text buffer, which a changed word never shares.
    struct LongWordGlyphs
    {
        juce::String text;
        juce::Font font;
        juce::GlyphArrangement glyphs; // from x 0 on baseline 0
    };

    static constexpr int longWordLength = 256;
    static constexpr size_t longWordsKept = 4;
    mutable std::vector<LongWordGlyphs> longWords;
    juce::GlyphArrangement& glyphsOfLongWord (const juce::String& text, const juce::Font& font) const;

    // True when the text is one line that never wraps: no word wrap and no line break.
    bool isOneUnwrappedLine() const;

    // Where each atom starts, in text order: its section and place there, its
    // index in the text and, on one unwrapped line, its x. One more entry marks
    // the end. Built once after an edit, in one pass, so that a position, a hit
    // test or a range finds its atom by binary search instead of a walk from
    // the start of a long name.
    struct AtomStart
    {
        int section, atom, index;
        float x;
    };

    const std::vector<AtomStart>& getAtomStarts() const;

    // The entry of the first atom that ends past x or holds the index (or the
    // end's); x counts on one unwrapped line only, pass the largest float elsewhere.
    size_t findAtom (float x, int index) const;

    //==============================================================================
    // The component that the text is painted in; its timer ends undo
    // transactions when typing pauses.
    class TextHolderComponent : public juce::Component,
                                public juce::Timer,
                                public juce::Value::Listener
    {
    public:
        explicit TextHolderComponent (VMLTextEditor& ownerBox);
        ~TextHolderComponent() override;

        void paint (juce::Graphics&) override;
        void timerCallback() override;
        void valueChanged (juce::Value&) override;

        void restartTimer();

        static constexpr int timerIntervalMs = 350;

    private:
        VMLTextEditor& owner;

        JUCE_DECLARE_NON_COPYABLE (TextHolderComponent)
    };

    TextHolderComponent& getTextHolder() const noexcept         { return *textHolder; }
    VMLTextEditorViewport& getViewport() const noexcept         { return *viewport; }

    //==============================================================================
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    void lookAndFeelChanged() override;
    void parentHierarchyChanged() override;
    void enablementChanged() override;
    void paint (juce::Graphics&) override;
    void paintOverChildren (juce::Graphics&) override;
    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void focusGained (FocusChangeType) override;
    void focusLost (FocusChangeType) override;
    void resized() override;
    void colourChanged() override;

    // Paints the text, selection and composition underlines (the text holder's paint).
    void drawContent (juce::Graphics&);

protected:
    void handleCommandMessage (int commandId) override;
    void returnPressed() override;
    void escapePressed() override;
    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

private:
    struct InsertAction;
    struct RemoveAction;

    enum DragType
    {
        notDragging,
        draggingSelectionStart,
        draggingSelectionEnd
    };

    std::unique_ptr<VMLTextEditorViewport> viewport;
    TextHolderComponent* textHolder = nullptr;
    juce::BorderSize<int> borderSize { 1, 1, 1, 3 };
    bool readOnly = false;
    bool multiline = false;
    bool wordWrap = false;
    bool wasFocused = false;
    bool valueTextNeedsUpdating = false;
    bool textColourRefreshPending = false;
    juce::UndoManager undoManager { 30000, 30 };
    std::unique_ptr<juce::CaretComponent> caret;
    juce::Range<int> selection;
    juce::uint32 lastTransactionTime = 0;
    juce::Font currentFont { 14.0f };
    mutable int totalNumChars = 0;
    mutable juce::String keptText;
    mutable bool textIsKept = false;
    mutable bool lineBreaksAreKnown = false, holdsLineBreak = false;
    mutable std::vector<AtomStart> atomStarts;
    mutable bool atomStartsAreKnown = false;
    int caretPosition = 0;
    juce::OwnedArray<UniformTextSection> sections;
    juce::String textToShowWhenEmpty;
    juce::Colour colourForTextWhenEmpty;
    juce::juce_wchar passwordCharacter;
    juce::Value textValue;
    VirtualKeyboardType keyboardType = juce::TextInputTarget::textKeyboard;
    DragType dragType = notDragging;
    juce::ListenerList<Listener> listeners;
    juce::Array<juce::Range<int>> underlinedSections;
    std::function<juce::uint32()> transactionClock;

    bool isWritable() const noexcept;
    juce::UndoManager* getUndoManager() noexcept;
    juce::uint32 now() const;
    void newTransaction();
    void textChanged();
    void updateValueFromText();
    void textWasChangedByValue();
    void timerTick();
    void recreateCaret();
    void updateCaretPosition();
    void moveCaret (int newCaretPos);
    void moveCaretTo (int newPosition, bool isSelecting);
    bool moveCaretWithTransaction (int newPosition, bool selecting);
    void setSelection (juce::Range<int> newSelection);
    void deleteSelection();
    void copySelection();
    bool undoOrRedo (bool shouldUndo);
    void placeView (int x, int y);
    int getTextIndexAt (juce::Point<float> pointInBox) const;
    bool isPopupClick (const juce::MouseEvent&) const;

    void insert (const juce::String& text, int insertIndex, const juce::Font& font, juce::Colour colour,
                 juce::UndoManager* um, int caretPositionToMoveTo);
    void remove (juce::Range<int> range, juce::UndoManager* um, int caretPositionToMoveTo);
    void reinsert (int insertIndex, const juce::OwnedArray<UniformTextSection>& sectionsToInsert);
    void insertSections (int insertIndex, juce::OwnedArray<UniformTextSection>& newSections);
    void splitSection (int sectionIndex, int charToSplitAt);
    void coalesceSimilarSections();
    void clearInternal (juce::UndoManager* um);

    // Forgets what was worked out from the text: its length, its copy, its line breaks and atom starts.
    void forgetTextFacts();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VMLTextEditor)
};
