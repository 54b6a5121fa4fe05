#include "widgets/VMLTextEditor.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "widgets/VFontFallback.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VMLTextEditorViewport.h"

namespace
{
constexpr int maxActionsPerTransaction = 100;
constexpr juce::uint32 transactionPauseMs = 200;
constexpr int wordBreakLookRange = 512;

float measure (const juce::Font& font, const VMLTextAtom& atom, juce::juce_wchar passwordCharacter)
{
    return VFontFallback::getStringWidth (font, atom.getText (passwordCharacter));
}

std::vector<juce::juce_wchar> toCharacters (const juce::String& text)
{
    std::vector<juce::juce_wchar> chars;
    chars.reserve ((size_t) text.length());

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
        chars.push_back (p.getAndAdvance());

    return chars;
}

enum class CharacterKind
{
    letterOrDigit,
    whitespace,
    other
};

CharacterKind kindOf (juce::juce_wchar c)
{
    if (juce::CharacterFunctions::isLetterOrDigit (c))
        return CharacterKind::letterOrDigit;

    if (juce::CharacterFunctions::isWhitespace (c))
        return CharacterKind::whitespace;

    return CharacterKind::other;
}

void VMLTextEditorMenuCallback (int result, VMLTextEditor* editor)
{
    if (editor != nullptr && result != 0)
        editor->performPopupMenuAction (result);
}

//==============================================================================
// Reads the box's own model: the base editor's state stays empty.
class VMLTextEditorAccessibility : public juce::AccessibilityHandler
{
public:
    explicit VMLTextEditorAccessibility (VMLTextEditor& box)
        : juce::AccessibilityHandler (box, juce::AccessibilityRole::editableText, {},
                                      Interfaces (std::unique_ptr<juce::AccessibilityTextInterface> (new TextInterface (box)))),
          editor (box)
    {
    }

    juce::String getHelp() const override { return editor.getTooltip(); }

private:
    class TextInterface : public juce::AccessibilityTextInterface
    {
    public:
        explicit TextInterface (VMLTextEditor& box) : editor (box) {}

        bool isDisplayingProtectedText() const override    { return editor.getPasswordCharacter() != 0; }
        bool isReadOnly() const override                   { return ! editor.isTextInputActive(); }
        int getTotalNumCharacters() const override         { return editor.getTotalNumChars(); }
        juce::Range<int> getSelection() const override     { return editor.getHighlightedRegion(); }
        int getTextInsertionOffset() const override        { return editor.getCaretPosition(); }

        void setSelection (juce::Range<int> newRange) override
        {
            if (newRange.isEmpty())
                editor.setCaretPosition (newRange.getStart());
            else
                editor.setHighlightedRegion (newRange);
        }

        juce::String getText (juce::Range<int> range) const override
        {
            if (isDisplayingProtectedText())
                return juce::String::repeatedString (juce::String::charToString (editor.getPasswordCharacter()),
                                                     range.getLength());

            return editor.getTextInRange (range);
        }

        void setText (const juce::String& newText) override
        {
            if (editor.isTextInputActive())
                editor.setText (newText, true);
        }

        juce::RectangleList<int> getTextBounds (juce::Range<int> textRange) const override
        {
            auto bounds = editor.getTextBounds (textRange);
            bounds.offsetAll (editor.getScreenPosition());
            return bounds;
        }

        int getOffsetAtPoint (juce::Point<int> point) const override
        {
            return editor.getCharIndexForPoint (editor.getLocalPoint (nullptr, point));
        }

    private:
        VMLTextEditor& editor;
    };

    VMLTextEditor& editor;
};
} // namespace

//==============================================================================
struct VMLTextEditor::InsertAction : public juce::UndoableAction
{
    InsertAction (VMLTextEditor& ownerBox, const juce::String& newText, int insertPos,
                  const juce::Font& newFont, juce::Colour newColour, int oldCaret, int newCaret)
        : owner (ownerBox), text (newText), insertIndex (insertPos),
          oldCaretPos (oldCaret), newCaretPos (newCaret), font (newFont), colour (newColour)
    {
    }

    bool perform() override
    {
        const auto before = owner.getTotalNumChars();
        owner.insert (text, insertIndex, font, colour, nullptr, newCaretPos);
        // The model drops the CR of a CR LF pair, so undo removes what was added, not text.length().
        insertedLength = owner.getTotalNumChars() - before;
        return true;
    }

    bool undo() override
    {
        owner.remove ({ insertIndex, insertIndex + insertedLength }, nullptr, oldCaretPos);
        return true;
    }

    int getSizeInUnits() override { return text.length() + 16; }

    VMLTextEditor& owner;
    const juce::String text;
    const int insertIndex, oldCaretPos, newCaretPos;
    const juce::Font font;
    const juce::Colour colour;
    int insertedLength = 0;

    JUCE_DECLARE_NON_COPYABLE (InsertAction)
};

struct VMLTextEditor::RemoveAction : public juce::UndoableAction
{
    RemoveAction (VMLTextEditor& ownerBox, juce::Range<int> rangeToRemove, int oldCaret, int newCaret,
                  juce::OwnedArray<UniformTextSection>&& sectionsRemoved)
        : owner (ownerBox), range (rangeToRemove), oldCaretPos (oldCaret), newCaretPos (newCaret)
    {
        removedSections.swapWith (sectionsRemoved);
    }

    bool perform() override
    {
        owner.remove (range, nullptr, newCaretPos);
        return true;
    }

    bool undo() override
    {
        owner.reinsert (range.getStart(), removedSections);
        owner.moveCaretTo (oldCaretPos, false);
        return true;
    }

    int getSizeInUnits() override
    {
        int units = 16;

        for (auto* s : removedSections)
            units += s->getTotalLength();

        return units;
    }

    VMLTextEditor& owner;
    const juce::Range<int> range;
    const int oldCaretPos, newCaretPos;
    juce::OwnedArray<UniformTextSection> removedSections;

    JUCE_DECLARE_NON_COPYABLE (RemoveAction)
};

//==============================================================================
VMLTextEditor::UniformTextSection::UniformTextSection (const juce::String& text, const juce::Font& f,
                                                       juce::Colour c, juce::juce_wchar passwordChar)
    : font (f), colour (c)
{
    for (auto& piece : VMLTextAtom::splitIntoAtomTexts (text))
    {
        VMLTextAtom atom;
        atom.atomText = piece;
        atom.numChars = piece.length();
        atom.width = measure (font, atom, passwordChar);
        atoms.push_back (std::move (atom));
    }
}

VMLTextEditor::UniformTextSection::UniformTextSection (const UniformTextSection& other)
    : font (other.font), colour (other.colour), atoms (other.atoms)
{
}

void VMLTextEditor::UniformTextSection::append (UniformTextSection& other, juce::juce_wchar passwordChar)
{
    if (other.atoms.empty())
        return;

    size_t first = 0;

    if (! atoms.empty())
    {
        auto& last = atoms.back();
        const auto lastChar = last.atomText.getLastCharacter();
        const auto firstChar = other.atoms.front().atomText[0];

        if (! VMLTextAtom::isWhitespaceCharacter (lastChar) && ! VMLTextAtom::isWhitespaceCharacter (firstChar))
        {
            last.atomText += other.atoms.front().atomText;
            last.numChars += other.atoms.front().numChars;
            last.width = measure (font, last, passwordChar);
            first = 1;
        }
    }

    for (auto i = first; i < other.atoms.size(); ++i)
        atoms.push_back (std::move (other.atoms[i]));

    other.atoms.clear();
}

std::unique_ptr<VMLTextEditor::UniformTextSection>
VMLTextEditor::UniformTextSection::split (int indexToBreakAt, juce::juce_wchar passwordChar)
{
    auto second = std::make_unique<UniformTextSection> (juce::String(), font, colour, passwordChar);
    int index = 0;

    for (size_t i = 0; i < atoms.size(); ++i)
    {
        auto& atom = atoms[i];
        const int nextIndex = index + atom.numChars;

        if (indexToBreakAt <= index || indexToBreakAt < nextIndex)
        {
            size_t firstMoved = i;

            if (indexToBreakAt > index)
            {
                // The atom straddles the break: cut it in two.
                const int cut = indexToBreakAt - index;
                VMLTextAtom tail;
                tail.atomText = atom.atomText.substring (cut);
                tail.numChars = atom.numChars - cut;
                tail.width = measure (font, tail, passwordChar);

                atom.atomText = atom.atomText.substring (0, cut);
                atom.numChars = cut;
                atom.width = measure (font, atom, passwordChar);

                second->atoms.push_back (std::move (tail));
                firstMoved = i + 1;
            }

            for (auto j = firstMoved; j < atoms.size(); ++j)
                second->atoms.push_back (std::move (atoms[j]));

            atoms.erase (atoms.begin() + (std::ptrdiff_t) firstMoved, atoms.end());
            break;
        }

        index = nextIndex;
    }

    return second;
}

void VMLTextEditor::UniformTextSection::appendAllText (juce::MemoryOutputStream& out) const
{
    for (auto& atom : atoms)
        out << atom.atomText;
}

int VMLTextEditor::UniformTextSection::getTotalLength() const noexcept
{
    int total = 0;

    for (auto& atom : atoms)
        total += atom.numChars;

    return total;
}

//==============================================================================
VMLTextEditor::Iterator::Iterator (const VMLTextEditor& box)
    : owner (box),
      sections (box.sections),
      wordWrapWidth (box.getWordWrapWidth()),
      passwordCharacter (box.passwordCharacter)
{
    if (! sections.isEmpty())
    {
        currentSection = sections.getUnchecked (0);
        beginNewLine();
    }
}

VMLTextEditor::Iterator::Iterator (const Iterator& other)
    : indexInText (other.indexInText),
      lineY (other.lineY), lineHeight (other.lineHeight), maxDescent (other.maxDescent),
      atomX (other.atomX), atomRight (other.atomRight),
      atom (other.atom), currentSection (other.currentSection),
      owner (other.owner), sections (other.sections),
      sectionIndex (other.sectionIndex), atomIndex (other.atomIndex),
      wordWrapWidth (other.wordWrapWidth), passwordCharacter (other.passwordCharacter),
      longAtom (other.longAtom), restOfWord (other.restOfWord),
      restPending (other.restPending), lineBreakPending (other.lineBreakPending)
{
    // A piece of a broken word lives in the iterator itself.
    if (other.atom == &other.longAtom)
        atom = &longAtom;
}

bool VMLTextEditor::Iterator::next()
{
    if (atom != nullptr)
    {
        indexInText += atom->numChars;
        atomX = atomRight;

        if (atom->isNewLine())
            lineBreakPending = true;

        atom = nullptr;
    }

    if (restPending)
    {
        // The rest of a word too wide for a line goes on at the start of the next.
        restPending = false;
        longAtom = restOfWord;
        atom = &longAtom;
        beginNewLine();
        placeWord();
        return true;
    }

    while (sectionIndex < sections.size()
           && atomIndex >= (int) sections.getUnchecked (sectionIndex)->atoms.size())
    {
        ++sectionIndex;
        atomIndex = 0;
    }

    if (sectionIndex >= sections.size())
    {
        if (lineBreakPending)
        {
            lineBreakPending = false;
            beginNewLine();
        }

        return false;
    }

    currentSection = sections.getUnchecked (sectionIndex);
    atom = &currentSection->atoms[(size_t) atomIndex++];

    if (lineBreakPending)
    {
        lineBreakPending = false;
        beginNewLine();
    }

    if (atom->isWhitespace())
    {
        // Whitespace stays on its line, cut at the wrap width.
        atomRight = atomX + atom->width;

        if (shouldWrap (atomRight))
            atomRight = juce::jmax (atomX, wordWrapWidth);

        return true;
    }

    if (atomX > 0.0f)
    {
        const auto groupWidth = atom->width + continuationWidth();

        if (shouldWrap (atomX + groupWidth) && ! shouldWrap (groupWidth))
            beginNewLine();
        else if (shouldWrap (atomX + atom->width) && ! shouldWrap (atom->width))
            beginNewLine();
    }

    placeWord();
    return true;
}

void VMLTextEditor::Iterator::skipAtomsBefore (float x, int index)
{
    if (atom != nullptr || ! owner.isOneUnwrappedLine())
        return;

    const auto& start = owner.getAtomStarts()[owner.findAtom (x, index)];
    sectionIndex = start.section;
    atomIndex = start.atom;
    atomX = start.x;
    indexInText = start.index;
}

float VMLTextEditor::Iterator::continuationWidth() const
{
    // A word at the end of its section that goes on in the next sections (no
    // whitespace between) wraps as one word.
    if (atomIndex < (int) currentSection->atoms.size())
        return 0.0f;

    float width = 0.0f;

    for (int s = sectionIndex + 1; s < sections.size(); ++s)
    {
        const auto& following = sections.getUnchecked (s)->atoms;

        if (following.empty())
            continue;

        if (following.front().isWhitespace())
            break;

        width += following.front().width;

        if (following.size() > 1)
            break;
    }

    return width;
}

void VMLTextEditor::Iterator::placeWord()
{
    atomRight = atomX + atom->width;

    if (! shouldWrap (atomRight))
        return;

    // Wider than what is left of the line: break it between glyphs.
    juce::GlyphArrangement glyphs;
    arrangeGlyphs (glyphs, atom->getText (passwordCharacter), atomX, 0.0f);

    const int numGlyphs = glyphs.getNumGlyphs();
    int split = 0;

    while (split < numGlyphs && ! shouldWrap (glyphs.getGlyph (split).getRight()))
        ++split;

    if (split == 0)
    {
        if (atomX > 0.0f)
        {
            beginNewLine();
            placeWord();
            return;
        }

        // Not even the first glyph fits a whole line: it stands alone, so the layout still advances.
        split = 1;
    }

    if (split >= atom->numChars || split >= numGlyphs)
        return;

    VMLTextAtom piece, rest;
    piece.atomText = atom->atomText.substring (0, split);
    piece.numChars = split;
    piece.width = glyphs.getGlyph (split).getLeft() - atomX;

    rest.atomText = atom->atomText.substring (split);
    rest.numChars = atom->numChars - split;
    rest.width = measure (currentSection->font, rest, passwordCharacter);

    longAtom = std::move (piece);
    restOfWord = std::move (rest);
    atom = &longAtom;
    restPending = true;
    atomRight = atomX + longAtom.width;
}

void VMLTextEditor::Iterator::beginNewLine()
{
    lineY += lineHeight;
    atomX = 0.0f;
    atomRight = 0.0f;

    auto height = currentSection->font.getHeight();
    auto descent = currentSection->font.getDescent();
    float x = 0.0f;

    // Later sections whose atoms still fit on this line raise its height.
    const auto visit = [&] (const UniformTextSection& section, const VMLTextAtom& a)
    {
        if (a.isNewLine())
            return false;

        x += a.width;

        if (shouldWrap (x))
            return false;

        if (&section != currentSection)
        {
            height = juce::jmax (height, section.font.getHeight());
            descent = juce::jmax (descent, section.font.getDescent());
        }

        return true;
    };

    // A text that neither wraps nor breaks (a name box) is one line, as high
    // as its highest section, whatever its words.
    if (owner.isOneUnwrappedLine())
    {
        for (int s = sectionIndex; s < sections.size(); ++s)
        {
            const auto& section = *sections.getUnchecked (s);

            if (&section != currentSection && ! section.atoms.empty())
            {
                height = juce::jmax (height, section.font.getHeight());
                descent = juce::jmax (descent, section.font.getDescent());
            }
        }

        lineHeight = height;
        maxDescent = descent;
        return;
    }

    bool open = true;

    if (atom != nullptr)
        open = visit (*currentSection, *atom);

    for (int s = sectionIndex; open && s < sections.size(); ++s)
    {
        const auto& section = *sections.getUnchecked (s);

        for (int a = (s == sectionIndex ? atomIndex : 0); open && a < (int) section.atoms.size(); ++a)
            open = visit (section, section.atoms[(size_t) a]);
    }

    lineHeight = height;
    maxDescent = descent;
}

void VMLTextEditor::Iterator::arrangeGlyphs (juce::GlyphArrangement& glyphs, const juce::String& text,
                                             float x, float baseline) const
{
    glyphs.addLineOfText (currentSection->font, text, x, baseline);
    updateFontsForMultiLanguage (text, glyphs);
}

void VMLTextEditor::Iterator::updateFontsForMultiLanguage (const juce::String& text, juce::GlyphArrangement& glyphs) const
{
    if (glyphs.getNumGlyphs() == 0 || VFontFallback::hasAllGlyphs (currentSection->font, text))
        return;

    const auto& first = glyphs.getGlyph (0);
    const auto x = first.getLeft();
    const auto baseline = first.getBaselineY();

    glyphs.clear();
    VFontFallback::addLineOfText (glyphs, currentSection->font, text, x, baseline);
}

float VMLTextEditor::Iterator::baselineY() const
{
    return (float) juce::roundToInt (lineY + lineHeight - maxDescent);
}

float VMLTextEditor::Iterator::indexToX (int index) const
{
    if (index <= indexInText)
        return atomX;

    if (index >= indexInText + atom->numChars)
        return atomRight;

    if (auto* word = longWordGlyphs())
    {
        const int glyph = index - indexInText;
        return glyph < word->getNumGlyphs() ? juce::jmin (atomRight, word->getGlyph (glyph).getLeft() + atomX) : atomRight;
    }

    juce::GlyphArrangement glyphs;
    arrangeGlyphs (glyphs, atom->getText (passwordCharacter), atomX, 0.0f);

    const int glyph = index - indexInText;

    if (glyph >= glyphs.getNumGlyphs())
        return atomRight;

    return juce::jmin (atomRight, glyphs.getGlyph (glyph).getLeft());
}

int VMLTextEditor::Iterator::xToIndex (float x) const
{
    if (x <= atomX || atom->isNewLine())
        return indexInText;

    if (x >= atomRight)
        return indexInText + atom->numChars;

    if (auto* word = longWordGlyphs())
    {
        // The first glyph whose middle lies past x; the glyphs run left to right.
        int low = 0, high = word->getNumGlyphs();

        while (low < high)
        {
            const int mid = (low + high) / 2;
            const auto& g = word->getGlyph (mid);

            if ((g.getLeft() + g.getRight()) / 2.0f + atomX > x)
                high = mid;
            else
                low = mid + 1;
        }

        return indexInText + juce::jmin (low, atom->numChars);
    }

    juce::GlyphArrangement glyphs;
    arrangeGlyphs (glyphs, atom->getText (passwordCharacter), atomX, 0.0f);

    int j = 0;

    for (; j < glyphs.getNumGlyphs(); ++j)
    {
        const auto& g = glyphs.getGlyph (j);

        if ((g.getLeft() + g.getRight()) / 2.0f > x)
            break;
    }

    return indexInText + juce::jmin (j, atom->numChars);
}

juce::GlyphArrangement* VMLTextEditor::Iterator::longWordGlyphs() const
{
    // A piece of a word cut at the wrap width is the iterator's own and is not kept.
    if (passwordCharacter != 0 || atom == &longAtom || atom->numChars < longWordLength || atom->isWhitespace())
        return nullptr;

    return &owner.glyphsOfLongWord (atom->atomText, currentSection->font);
}

int VMLTextEditor::Iterator::arrangeVisible (juce::GlyphArrangement& glyphs, juce::Range<float> visible) const
{
    auto* word = longWordGlyphs();

    if (word == nullptr)
    {
        arrangeGlyphs (glyphs, atom->getTrimmedText (passwordCharacter), atomX, baselineY());
        return 0;
    }

    // The glyphs run left to right: the first that ends in view, then all that begin in it.
    int first = 0, count = word->getNumGlyphs();

    while (count > 0)
    {
        const int step = count / 2;

        if (word->getGlyph (first + step).getRight() + atomX < visible.getStart())
        {
            first += step + 1;
            count -= step + 1;
        }
        else
        {
            count = step;
        }
    }

    for (int j = first; j < word->getNumGlyphs() && word->getGlyph (j).getLeft() + atomX <= visible.getEnd(); ++j)
        glyphs.addGlyph (word->getGlyph (j));

    glyphs.moveRangeOfGlyphs (0, -1, atomX, baselineY());
    return first;
}

void VMLTextEditor::Iterator::draw (juce::Graphics& g, const UniformTextSection*& lastSection,
                                    juce::Range<float> visible) const
{
    if (passwordCharacter == 0 && atom->isWhitespace())
        return;

    if (lastSection != currentSection)
    {
        lastSection = currentSection;
        g.setColour (currentSection->colour);
        g.setFont (currentSection->font);
    }

    juce::GlyphArrangement glyphs;
    arrangeVisible (glyphs, visible);
    glyphs.draw (g);
}

void VMLTextEditor::Iterator::drawSelectedText (juce::Graphics& g, juce::Range<int> selected,
                                                juce::Colour selectedTextColour, juce::Range<float> visible) const
{
    if (passwordCharacter == 0 && atom->isWhitespace())
        return;

    juce::GlyphArrangement glyphs;
    const int first = arrangeVisible (glyphs, visible);

    const int count = glyphs.getNumGlyphs();
    const int selStart = juce::jlimit (0, count, selected.getStart() - indexInText - first);
    const int selEnd = juce::jlimit (0, count, selected.getEnd() - indexInText - first);

    g.setFont (currentSection->font);

    if (selEnd < count)
    {
        juce::GlyphArrangement after (glyphs);
        after.removeRangeOfGlyphs (0, selEnd);
        g.setColour (currentSection->colour);
        after.draw (g);
    }

    if (selStart > 0)
    {
        juce::GlyphArrangement before (glyphs);
        before.removeRangeOfGlyphs (selStart, count - selStart);
        g.setColour (currentSection->colour);
        before.draw (g);
    }

    glyphs.removeRangeOfGlyphs (selEnd, count - selEnd);
    glyphs.removeRangeOfGlyphs (0, selStart);
    g.setColour (selectedTextColour);
    glyphs.draw (g);
}

void VMLTextEditor::Iterator::drawUnderline (juce::Graphics& g, juce::Range<int> range, juce::Colour colour) const
{
    const auto startX = juce::roundToInt (indexToX (range.getStart()));
    const auto endX = juce::roundToInt (indexToX (range.getEnd()));
    const auto y = juce::roundToInt (lineY + currentSection->font.getAscent() + 0.5f);

    if (endX <= startX)
        return;

    // A dotted line: 3 x 1 cells from the text origin, every other one empty.
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (startX, y, endX - startX, 1);
    g.fillCheckerBoard (juce::Rectangle<float> (0.0f, (float) y, (float) endX, 1.0f),
                        3.0f, 1.0f, colour, juce::Colours::transparentBlack);
}

//==============================================================================
VMLTextEditor::TextHolderComponent::TextHolderComponent (VMLTextEditor& ownerBox)
    : owner (ownerBox)
{
    setWantsKeyboardFocus (false);
    setInterceptsMouseClicks (false, true);
    setMouseCursor (juce::MouseCursor::ParentCursor);
    owner.getTextValue().addListener (this);
}

VMLTextEditor::TextHolderComponent::~TextHolderComponent()
{
    owner.getTextValue().removeListener (this);
}

void VMLTextEditor::TextHolderComponent::paint (juce::Graphics& g)
{
    owner.drawContent (g);
}

void VMLTextEditor::TextHolderComponent::restartTimer()
{
    startTimer (timerIntervalMs);
}

void VMLTextEditor::TextHolderComponent::timerCallback()
{
    owner.timerTick();
}

void VMLTextEditor::TextHolderComponent::valueChanged (juce::Value&)
{
    owner.textWasChangedByValue();
}

//==============================================================================
VMLTextEditor::VMLTextEditor (const juce::String& name, juce::juce_wchar passwordChar)
    : juce::TextEditor (name, passwordChar),
      passwordCharacter (passwordChar)
{
    setOpaque (true);
    setMouseCursor (juce::MouseCursor::IBeamCursor);

    viewport = std::make_unique<VMLTextEditorViewport> (*this);
    addAndMakeVisible (viewport.get());

    textHolder = new TextHolderComponent (*this);
    viewport->setViewedComponent (textHolder, true);
    viewport->setWantsKeyboardFocus (false);
    viewport->setScrollBarsShown (false, false);

    setWantsKeyboardFocus (true);
    recreateCaret();
}

VMLTextEditor::~VMLTextEditor()
{
    if (hasKeyboardFocus (true))
        if (auto* peer = getPeer())
            peer->closeInputMethodContext();

    textValue.removeListener (textHolder);
    textValue.referTo (juce::Value());

    viewport.reset();
    textHolder = nullptr;
}

//==============================================================================
void VMLTextEditor::setTransactionClock (std::function<juce::uint32()> newClock)
{
    transactionClock = std::move (newClock);
}

juce::uint32 VMLTextEditor::now() const
{
    return transactionClock != nullptr ? transactionClock() : juce::Time::getApproximateMillisecondCounter();
}

void VMLTextEditor::newTransaction()
{
    lastTransactionTime = now();
    undoManager.beginNewTransaction();
}

void VMLTextEditor::timerTick()
{
    if (! wasFocused && hasKeyboardFocus (false) && ! isCurrentlyBlockedByAnotherModalComponent())
        wasFocused = true;

    if (now() - lastTransactionTime > transactionPauseMs)
        newTransaction();
}

bool VMLTextEditor::isWritable() const noexcept
{
    return ! readOnly && isEnabled();
}

juce::UndoManager* VMLTextEditor::getUndoManager() noexcept
{
    return readOnly ? nullptr : &undoManager;
}

//==============================================================================
void VMLTextEditor::setReadOnly (bool shouldBeReadOnly)
{
    if (readOnly != shouldBeReadOnly)
    {
        readOnly = shouldBeReadOnly;
        enablementChanged();
    }
}

void VMLTextEditor::setMultiLine (bool shouldBeMultiLine, bool shouldWordWrap)
{
    shouldWordWrap = shouldWordWrap && shouldBeMultiLine;

    if (multiline == shouldBeMultiLine && wordWrap == shouldWordWrap)
        return;

    multiline = shouldBeMultiLine;
    wordWrap = shouldWordWrap;

    viewport->setScrollBarsShown (multiline, multiline);
    viewport->setViewPosition (0, 0);
    resized();
    scrollToMakeSureCursorIsVisible();
}

void VMLTextEditor::setText (const juce::String& newText, bool sendTextChangeMessage)
{
    if (newText.length() == getTotalNumChars() && newText == getText() && ! textColourRefreshPending)
        return;

    textValue = newText;

    auto oldCaret = caretPosition;
    const bool caretWasAtEnd = oldCaret >= getTotalNumChars();

    clearInternal (nullptr);
    insert (newText, 0, currentFont, findColour (juce::TextEditor::textColourId), nullptr, caretPosition);

    if (caretWasAtEnd && ! multiline)
        oldCaret = getTotalNumChars();

    moveCaretTo (oldCaret, false);

    if (sendTextChangeMessage)
        textChanged();

    updateTextHolderSize();
    scrollToMakeSureCursorIsVisible();
    undoManager.clearUndoHistory();
    textColourRefreshPending = false;
    repaint();
}

juce::String VMLTextEditor::getText() const
{
    // Kept between edits: every rename asks each box whether its text is new.
    if (! textIsKept)
    {
        juce::MemoryOutputStream out;

        for (auto* s : sections)
            s->appendAllText (out);

        keptText = out.toUTF8();
        textIsKept = true;
    }

    return keptText;
}

juce::Value& VMLTextEditor::getTextValue()
{
    updateValueFromText();
    return textValue;
}

void VMLTextEditor::updateValueFromText()
{
    if (valueTextNeedsUpdating)
    {
        valueTextNeedsUpdating = false;
        textValue = getText();
    }
}

void VMLTextEditor::textWasChangedByValue()
{
    if (textValue.getValueSource().getReferenceCount() > 1)
        setText (textValue.getValue(), true);
}

void VMLTextEditor::setBorder (const juce::BorderSize<int>& newBorder)
{
    borderSize = newBorder;
    resized();
}

void VMLTextEditor::setFont (const juce::Font& newFont)
{
    currentFont = newFont;
    scrollToMakeSureCursorIsVisible();
}

void VMLTextEditor::setTextToShowWhenEmpty (const juce::String& text, juce::Colour colourToUse)
{
    textToShowWhenEmpty = text;
    colourForTextWhenEmpty = colourToUse;
}

void VMLTextEditor::addListener (Listener* newListener)
{
    if (newListener != nullptr)
        listeners.add (newListener);
}

void VMLTextEditor::removeListener (Listener* listenerToRemove)
{
    if (listenerToRemove != nullptr)
        listeners.remove (listenerToRemove);
}

//==============================================================================
bool VMLTextEditor::isTextInputActive() const
{
    return ! readOnly && isEnabled();
}

void VMLTextEditor::setHighlightedRegion (const juce::Range<int>& newSelection)
{
    moveCaretTo (newSelection.getStart(), false);
    moveCaretTo (newSelection.getEnd(), true);
}

void VMLTextEditor::setTemporaryUnderlining (const juce::Array<juce::Range<int>>& underlinedRegions)
{
    underlinedSections = underlinedRegions;
    repaint();
}

juce::String VMLTextEditor::getTextInRange (const juce::Range<int>& range) const
{
    if (range.isEmpty())
        return {};

    // From the atom that holds the range's start, found without a walk.
    const auto& starts = getAtomStarts();
    juce::MemoryOutputStream out;

    for (auto k = findAtom (std::numeric_limits<float>::max(), range.getStart()); k + 1 < starts.size(); ++k)
    {
        const auto& start = starts[k];

        if (start.index >= range.getEnd())
            break;

        const auto& atom = sections.getUnchecked (start.section)->atoms[(size_t) start.atom];
        const auto part = range.getIntersectionWith ({ start.index, start.index + atom.numChars }) - start.index;
        out << atom.atomText.substring (part.getStart(), part.getEnd());
    }

    return out.toUTF8();
}

void VMLTextEditor::insertTextAtCaret (const juce::String& textToInsert)
{
    const auto newText = multiline ? textToInsert.replace ("\r\n", "\n")
                                   : textToInsert.replaceCharacters ("\r\n", "  ");

    // The model keeps only the line feed of a carriage return and line feed
    // pair, and the replacement can form a new pair ("X\r\r\nY" gives
    // "X\r\nY"): the caret goes after what is stored, not newText's length.
    int storedLength = 0;

    for (auto& atomText : VMLTextAtom::splitIntoAtomTexts (newText))
        storedLength += atomText.length();

    const int insertIndex = selection.getStart();
    const int newCaretPos = insertIndex + storedLength;

    remove (selection, getUndoManager(), newText.isNotEmpty() ? insertIndex - 1 : insertIndex);
    insert (newText, insertIndex, currentFont, findColour (juce::TextEditor::textColourId),
            getUndoManager(), newCaretPos);

    textChanged();
}

juce::Rectangle<int> VMLTextEditor::getCaretRectangle() const
{
    float x, y, lineHeight;
    getCharPosition (caretPosition, x, y, lineHeight);
    return { juce::roundToInt (x), juce::roundToInt (y), 2, juce::roundToInt (lineHeight) };
}

juce::Rectangle<int> VMLTextEditor::getCaretRectangleForCharIndex (int index) const
{
    float x, y, lineHeight;
    getCharPosition (index, x, y, lineHeight);
    const juce::Rectangle<float> inHolder (x + (float) leftIndent, y + (float) topIndent, 2.0f, lineHeight);
    return getLocalArea (textHolder, inHolder).toNearestInt();
}

int VMLTextEditor::getTotalNumChars() const
{
    if (totalNumChars < 0)
    {
        totalNumChars = 0;

        for (auto* s : sections)
            totalNumChars += s->getTotalLength();
    }

    return totalNumChars;
}

int VMLTextEditor::getCharIndexForPoint (juce::Point<int> pointInBox) const
{
    return getTextIndexAt (pointInBox.toFloat());
}

juce::RectangleList<int> VMLTextEditor::getTextBounds (juce::Range<int> textRange) const
{
    juce::RectangleList<int> bounds;

    if (textRange.isEmpty() || getWordWrapWidth() <= 0.0f)
        return bounds;

    Iterator i (*this);
    i.skipAtomsBefore (std::numeric_limits<float>::max(), textRange.getStart());

    while (i.next() && i.indexInText < textRange.getEnd())
    {
        const auto overlap = textRange.getIntersectionWith ({ i.indexInText, i.indexInText + i.atom->numChars });

        if (overlap.isEmpty())
            continue;

        const auto x1 = i.indexToX (overlap.getStart());
        const auto x2 = i.indexToX (overlap.getEnd());
        const juce::Rectangle<float> area (x1 + (float) leftIndent, i.lineY + (float) topIndent,
                                           x2 - x1, i.lineHeight);
        bounds.add (getLocalArea (textHolder, area).getSmallestIntegerContainer());
    }

    bounds.consolidate();
    return bounds;
}

void VMLTextEditor::setCaretPosition (int newIndex)
{
    moveCaretTo (newIndex, false);
}

int VMLTextEditor::getTextIndexAt (juce::Point<float> pointInBox) const
{
    // Through the text holder's real position, whatever moved it.
    const auto p = textHolder->getLocalPoint (this, pointInBox);
    return indexAtPosition (p.x - (float) leftIndent, p.y - (float) topIndent);
}

//==============================================================================
// Model

void VMLTextEditor::insert (const juce::String& text, int insertIndex, const juce::Font& font,
                            juce::Colour colour, juce::UndoManager* um, int caretPositionToMoveTo)
{
    if (text.isEmpty())
        return;

    if (um != nullptr)
    {
        if (um->getNumActionsInCurrentTransaction() > maxActionsPerTransaction)
            newTransaction();

        um->perform (new InsertAction (*this, text, insertIndex, font, colour, caretPosition, caretPositionToMoveTo));
        return;
    }

    repaintText ({ insertIndex, getTotalNumChars() });

    juce::OwnedArray<UniformTextSection> added;
    added.add (new UniformTextSection (text, font, colour, passwordCharacter));
    insertSections (insertIndex, added);

    updateTextHolderSize();
    moveCaretTo (caretPositionToMoveTo, false);
    repaintText ({ insertIndex, getTotalNumChars() });
}

void VMLTextEditor::reinsert (int insertIndex, const juce::OwnedArray<UniformTextSection>& sectionsToInsert)
{
    juce::OwnedArray<UniformTextSection> copies;

    for (auto* s : sectionsToInsert)
        copies.add (new UniformTextSection (*s));

    insertSections (insertIndex, copies);
}

void VMLTextEditor::insertSections (int insertIndex, juce::OwnedArray<UniformTextSection>& newSections)
{
    int position = sections.size();
    int index = 0;

    for (int i = 0; i < sections.size(); ++i)
    {
        const int nextIndex = index + sections.getUnchecked (i)->getTotalLength();

        if (insertIndex == index)
        {
            position = i;
            break;
        }

        if (insertIndex > index && insertIndex < nextIndex)
        {
            splitSection (i, insertIndex - index);
            position = i + 1;
            break;
        }

        index = nextIndex;
    }

    for (int j = newSections.size(); --j >= 0;)
        sections.insert (position, newSections.removeAndReturn (j));

    coalesceSimilarSections();
    forgetTextFacts();
    valueTextNeedsUpdating = true;
}

void VMLTextEditor::remove (juce::Range<int> range, juce::UndoManager* um, int caretPositionToMoveTo)
{
    range = range.getIntersectionWith ({ 0, getTotalNumChars() });

    if (range.isEmpty())
        return;

    // Split so that whole sections cover the range exactly.
    int index = 0;

    for (int i = 0; i < sections.size() && index < range.getEnd(); ++i)
    {
        const int nextIndex = index + sections.getUnchecked (i)->getTotalLength();

        if (range.getStart() > index && range.getStart() < nextIndex)
        {
            splitSection (i, range.getStart() - index);
            --i;
            continue;
        }

        if (range.getEnd() > index && range.getEnd() < nextIndex)
        {
            splitSection (i, range.getEnd() - index);
            --i;
            continue;
        }

        index = nextIndex;
    }

    int first = -1, last = -1;
    index = 0;

    for (int i = 0; i < sections.size(); ++i)
    {
        const int nextIndex = index + sections.getUnchecked (i)->getTotalLength();

        if (index >= range.getStart() && nextIndex <= range.getEnd())
        {
            if (first < 0)
                first = i;

            last = i;
        }

        index = nextIndex;
    }

    if (first < 0)
        return;

    if (um != nullptr)
    {
        if (um->getNumActionsInCurrentTransaction() > maxActionsPerTransaction)
            newTransaction();

        juce::OwnedArray<UniformTextSection> removed;

        for (int i = first; i <= last; ++i)
            removed.add (new UniformTextSection (*sections.getUnchecked (i)));

        um->perform (new RemoveAction (*this, range, caretPosition, caretPositionToMoveTo, std::move (removed)));
        return;
    }

    const auto oldTotal = getTotalNumChars();

    sections.removeRange (first, last - first + 1);
    coalesceSimilarSections();
    forgetTextFacts();
    valueTextNeedsUpdating = true;

    moveCaretTo (caretPositionToMoveTo, false);
    repaintText ({ range.getStart(), oldTotal });
}

void VMLTextEditor::splitSection (int sectionIndex, int charToSplitAt)
{
    sections.insert (sectionIndex + 1,
                     sections.getUnchecked (sectionIndex)->split (charToSplitAt, passwordCharacter).release());
}

void VMLTextEditor::coalesceSimilarSections()
{
    for (int i = 0; i < sections.size() - 1; ++i)
    {
        auto* s1 = sections.getUnchecked (i);
        auto* s2 = sections.getUnchecked (i + 1);

        if (s1->font == s2->font && s1->colour == s2->colour)
        {
            s1->append (*s2, passwordCharacter);
            sections.remove (i + 1);
            --i;
        }
    }
}

void VMLTextEditor::clearInternal (juce::UndoManager* um)
{
    remove ({ 0, getTotalNumChars() }, um, caretPosition);
}

void VMLTextEditor::forgetTextFacts()
{
    totalNumChars = -1;
    textIsKept = false;
    lineBreaksAreKnown = false;
    atomStartsAreKnown = false;
}

void VMLTextEditor::textChanged()
{
    updateTextHolderSize();

    if (! listeners.isEmpty())
        postCommandMessage (textChangeMessageId);

    if (textValue.getValueSource().getReferenceCount() > 1)
    {
        valueTextNeedsUpdating = false;
        textValue = getText();
    }

    if (auto* handler = getAccessibilityHandler())
        handler->notifyAccessibilityEvent (juce::AccessibilityEvent::textChanged);
}

//==============================================================================
// Caret and selection

void VMLTextEditor::moveCaret (int newCaretPos)
{
    newCaretPos = juce::jlimit (0, getTotalNumChars(), newCaretPos);

    if (newCaretPos == caretPosition)
        return;

    caretPosition = newCaretPos;
    textHolder->restartTimer();
    scrollToMakeSureCursorIsVisible();
    updateCaretPosition();
}

void VMLTextEditor::moveCaretTo (int newPosition, bool isSelecting)
{
    if (isSelecting)
    {
        moveCaret (newPosition);
        const auto oldSelection = selection;

        if (dragType == notDragging)
        {
            const auto toStart = std::abs (caretPosition - selection.getStart());
            const auto toEnd = std::abs (caretPosition - selection.getEnd());
            dragType = toStart < toEnd ? draggingSelectionStart : draggingSelectionEnd;
        }

        if (dragType == draggingSelectionStart)
        {
            const auto anchor = selection.getEnd();

            if (caretPosition > anchor)
                dragType = draggingSelectionEnd;

            setSelection (juce::Range<int>::between (caretPosition, anchor));
        }
        else
        {
            const auto anchor = selection.getStart();

            if (caretPosition < anchor)
                dragType = draggingSelectionStart;

            setSelection (juce::Range<int>::between (caretPosition, anchor));
        }

        repaintText (selection.getUnionWith (oldSelection));
    }
    else
    {
        dragType = notDragging;
        repaintText (selection);
        moveCaret (newPosition);
        setSelection (juce::Range<int>::emptyRange (caretPosition));
    }
}

bool VMLTextEditor::moveCaretWithTransaction (int newPosition, bool selecting)
{
    newTransaction();
    moveCaretTo (newPosition, selecting);
    return true;
}

void VMLTextEditor::setSelection (juce::Range<int> newSelection)
{
    if (newSelection == selection)
        return;

    selection = newSelection;

    if (auto* handler = getAccessibilityHandler())
        handler->notifyAccessibilityEvent (juce::AccessibilityEvent::textSelectionChanged);
}

void VMLTextEditor::recreateCaret()
{
    if (isWritable())
    {
        if (caret == nullptr)
        {
            caret.reset (getLookAndFeel().createCaretComponent (this));
            textHolder->addChildComponent (caret.get());
            updateCaretPosition();
        }
    }
    else
    {
        caret.reset();
    }
}

void VMLTextEditor::updateCaretPosition()
{
    if (caret != nullptr)
        caret->setCaretPosition (getCaretRectangle().translated (leftIndent, topIndent));
}

//==============================================================================
// Key actions

bool VMLTextEditor::moveCaretLeft (bool moveInWholeWordSteps, bool selecting)
{
    const auto pos = moveInWholeWordSteps ? findWordBreakBefore (caretPosition) : caretPosition - 1;
    return moveCaretWithTransaction (pos, selecting);
}

bool VMLTextEditor::moveCaretRight (bool moveInWholeWordSteps, bool selecting)
{
    const auto pos = moveInWholeWordSteps ? findWordBreakAfter (caretPosition) : caretPosition + 1;
    return moveCaretWithTransaction (pos, selecting);
}

bool VMLTextEditor::moveCaretUp (bool selecting)
{
    if (! multiline)
        return moveCaretToStartOfLine (selecting);

    const auto caretRect = getCaretRectangle().toFloat();
    return moveCaretWithTransaction (indexAtPosition (caretRect.getX(), caretRect.getY() - 1.0f), selecting);
}

bool VMLTextEditor::moveCaretDown (bool selecting)
{
    if (! multiline)
        return moveCaretToEndOfLine (selecting);

    const auto caretRect = getCaretRectangle().toFloat();
    return moveCaretWithTransaction (indexAtPosition (caretRect.getX(), caretRect.getBottom() + 1.0f), selecting);
}

bool VMLTextEditor::pageUp (bool selecting)
{
    if (! multiline)
        return moveCaretToStartOfLine (selecting);

    const auto caretRect = getCaretRectangle().toFloat();
    const auto y = caretRect.getY() - (float) viewport->getViewHeight();
    return moveCaretWithTransaction (indexAtPosition (caretRect.getX(), y), selecting);
}

bool VMLTextEditor::pageDown (bool selecting)
{
    if (! multiline)
        return moveCaretToEndOfLine (selecting);

    const auto caretRect = getCaretRectangle().toFloat();
    const auto y = caretRect.getBottom() + (float) viewport->getViewHeight();
    return moveCaretWithTransaction (indexAtPosition (caretRect.getX(), y), selecting);
}

// The key map sends Ctrl+Down here: the text moves up, the scroll bar one step down.
bool VMLTextEditor::scrollUp()
{
    viewport->getVerticalScrollBar().moveScrollbarInSteps (1);
    return true;
}

bool VMLTextEditor::scrollDown()
{
    viewport->getVerticalScrollBar().moveScrollbarInSteps (-1);
    return true;
}

bool VMLTextEditor::moveCaretToTop (bool selecting)
{
    return moveCaretWithTransaction (0, selecting);
}

bool VMLTextEditor::moveCaretToStartOfLine (bool selecting)
{
    const auto caretRect = getCaretRectangle().toFloat();
    return moveCaretWithTransaction (indexAtPosition (0.0f, caretRect.getCentreY()), selecting);
}

bool VMLTextEditor::moveCaretToEnd (bool selecting)
{
    return moveCaretWithTransaction (getTotalNumChars(), selecting);
}

bool VMLTextEditor::moveCaretToEndOfLine (bool selecting)
{
    const auto caretRect = getCaretRectangle().toFloat();
    return moveCaretWithTransaction (indexAtPosition (std::numeric_limits<float>::max(), caretRect.getCentreY()),
                                     selecting);
}

void VMLTextEditor::deleteSelection()
{
    // Nothing selected: no edit, and no text-change message.
    if (selection.isEmpty())
        return;

    moveCaret (selection.getEnd());
    insertTextAtCaret (juce::String());
}

bool VMLTextEditor::deleteBackwards (bool moveInWholeWordSteps)
{
    if (isWritable())
    {
        if (selection.isEmpty() && caretPosition > 0)
        {
            const auto from = moveInWholeWordSteps ? findWordBreakBefore (caretPosition) : caretPosition - 1;
            setSelection ({ juce::jmax (0, from), caretPosition });
        }

        deleteSelection();
    }

    return true;
}

bool VMLTextEditor::deleteForwards (bool)
{
    if (isWritable())
    {
        if (selection.isEmpty() && caretPosition < getTotalNumChars())
            setSelection ({ caretPosition, caretPosition + 1 });

        deleteSelection();
    }

    return true;
}

void VMLTextEditor::copySelection()
{
    newTransaction();

    if (passwordCharacter == 0)
    {
        const auto selected = getTextInRange (selection);

        if (selected.isNotEmpty())
            juce::SystemClipboard::copyTextToClipboard (selected);
    }
}

bool VMLTextEditor::copyToClipboard()
{
    copySelection();
    return true;
}

bool VMLTextEditor::cutToClipboard()
{
    copySelection();

    if (isWritable())
        deleteSelection();

    return true;
}

bool VMLTextEditor::pasteFromClipboard()
{
    newTransaction();

    if (isWritable())
        insertTextAtCaret (juce::SystemClipboard::getTextFromClipboard());

    return true;
}

bool VMLTextEditor::selectAll()
{
    newTransaction();
    moveCaretTo (getTotalNumChars(), false);
    moveCaretTo (0, true);
    return true;
}

bool VMLTextEditor::undoOrRedo (bool shouldUndo)
{
    if (isWritable())
    {
        newTransaction();

        if (shouldUndo ? undoManager.undo() : undoManager.redo())
        {
            scrollToMakeSureCursorIsVisible();
            repaint();
            textChanged();
        }
    }

    return true;
}

bool VMLTextEditor::undo()    { return undoOrRedo (true); }
bool VMLTextEditor::redo()    { return undoOrRedo (false); }

int VMLTextEditor::findWordBreakAfter (int position) const
{
    const auto chars = toCharacters (getTextInRange ({ position, position + wordBreakLookRange }));
    const auto n = chars.size();
    size_t i = 0;

    while (i < n && juce::CharacterFunctions::isWhitespace (chars[i]))
        ++i;

    if (i < n)
    {
        const auto kind = kindOf (chars[i]);

        while (i < n && kindOf (chars[i]) == kind)
            ++i;
    }

    while (i < n && juce::CharacterFunctions::isWhitespace (chars[i]))
        ++i;

    return position + (int) i;
}

int VMLTextEditor::findWordBreakBefore (int position) const
{
    if (position <= 0)
        return 0;

    const auto start = juce::jmax (0, position - wordBreakLookRange);
    const auto chars = toCharacters (getTextInRange ({ start, position }));
    auto i = chars.size();

    while (i > 0 && juce::CharacterFunctions::isWhitespace (chars[i - 1]))
        --i;

    if (i > 0)
    {
        const auto kind = kindOf (chars[i - 1]);

        while (i > 0 && kindOf (chars[i - 1]) == kind)
            --i;
    }

    return start + (int) i;
}

//==============================================================================
// Layout

float VMLTextEditor::getWordWrapWidth() const
{
    return wordWrap ? (float) (viewport->getMaximumVisibleWidth() - leftIndent - 3)
                    : std::numeric_limits<float>::max();
}

void VMLTextEditor::getCharPosition (int index, float& x, float& y, float& lineHeight) const
{
    if (getWordWrapWidth() <= 0.0f || sections.isEmpty())
    {
        x = 0.0f;
        y = 0.0f;
        lineHeight = currentFont.getHeight();
        return;
    }

    Iterator i (*this);
    i.skipAtomsBefore (std::numeric_limits<float>::max(), index);

    while (i.next())
    {
        if (i.indexInText + i.atom->numChars > index)
        {
            x = i.indexToX (index);
            y = i.lineY;
            lineHeight = i.lineHeight;
            return;
        }
    }

    x = i.atomX;
    y = i.lineY;
    lineHeight = i.lineHeight;
}

int VMLTextEditor::indexAtPosition (float x, float y) const
{
    if (getWordWrapWidth() > 0.0f)
    {
        Iterator i (*this);
        i.skipAtomsBefore (x, std::numeric_limits<int>::max());

        while (i.next())
        {
            if (i.lineY + i.lineHeight <= y)
                continue;

            if (i.lineY > y)
                return juce::jmax (0, i.indexInText - 1);

            if (x <= i.atomX)
                return i.indexInText;

            if (x < i.atomRight)
                return i.xToIndex (x);
        }
    }

    return getTotalNumChars();
}

void VMLTextEditor::updateTextHolderSize()
{
    if (getWordWrapWidth() <= 0.0f)
        return;

    Iterator i (*this);
    i.skipAtomsBefore (std::numeric_limits<float>::max(), std::numeric_limits<int>::max());
    float maxWidth = i.atomX;

    while (i.next())
        maxWidth = juce::jmax (maxWidth, i.atomRight);

    const auto w = leftIndent + juce::roundToInt (maxWidth) + 2;
    const auto h = topIndent + juce::roundToInt (juce::jmax (i.lineY + i.lineHeight, currentFont.getHeight())) + 1;

    textHolder->setSize (w, h);
}

void VMLTextEditor::scrollToMakeSureCursorIsVisible()
{
    updateCaretPosition();

    const auto viewPos = viewport->getViewPosition();
    const auto caretRect = getCaretRectangle();
    const auto rx = caretRect.getX() - viewPos.getX();
    const auto ry = caretRect.getY() - viewPos.getY();
    const auto visibleWidth = viewport->getMaximumVisibleWidth();

    auto x = viewPos.getX();

    if (rx < juce::jmax (1, proportionOfWidth (0.05f)))
        x = caretRect.getX() - proportionOfWidth (0.2f);
    else if (rx > juce::jmax (0, visibleWidth - (wordWrap ? 2 : 10)))
        x = caretRect.getX() + (multiline ? proportionOfWidth (0.2f) : 10) - visibleWidth;

    x = juce::jlimit (0, juce::jmax (0, textHolder->getWidth() + 8 - visibleWidth), x);

    int y;

    if (! multiline)
    {
        y = -((getHeight() - textHolder->getHeight() - topIndent) / 2);
    }
    else
    {
        const auto visibleHeight = viewport->getMaximumVisibleHeight();

        if (ry < 0)
            y = juce::jmax (0, caretRect.getY());
        else if (ry > juce::jmax (0, visibleHeight - topIndent - caretRect.getHeight()))
            y = caretRect.getY() + 2 + caretRect.getHeight() + topIndent - visibleHeight;
        else
            y = viewPos.getY();
    }

    placeView (x, y);
}

void VMLTextEditor::placeView (int x, int y)
{
    if (! multiline)
    {
        // The toolkit's viewport keeps its content inside its bounds, so it can
        // neither move a short line down nor a line taller than the box up far
        // enough to centre it. Moving the viewport itself by the offset does.
        viewport->setBounds (borderSize.subtractedFrom (getLocalBounds()).translated (0, -y));
        y = 0;
    }

    viewport->setViewPosition (x, y);
}

void VMLTextEditor::repaintText (juce::Range<int> range)
{
    if (range.isEmpty() || getWordWrapWidth() <= 0.0f)
        return;

    float x, y, lineHeight;
    getCharPosition (range.getStart(), x, y, lineHeight);
    const auto y1 = (int) y + topIndent;

    int y2;

    if (range.getEnd() >= getTotalNumChars())
    {
        y2 = textHolder->getHeight();
    }
    else
    {
        float endX, endY, endHeight;
        getCharPosition (range.getEnd(), endX, endY, endHeight);
        y2 = (int) (endY + endHeight * 2.0f) + topIndent;
    }

    textHolder->repaint (0, y1, textHolder->getWidth(), y2 - y1);
}

//==============================================================================
// Painting

void VMLTextEditor::drawContent (juce::Graphics& g)
{
    if (getWordWrapWidth() <= 0.0f)
        return;

    g.setOrigin (leftIndent, topIndent);
    const auto clip = g.getClipBounds();
    const auto clipTop = (float) clip.getY();
    const auto clipBottom = (float) clip.getBottom();

    // On one unwrapped line nothing past the view's right edge is drawn, so the
    // walks stop there: what a drawing costs follows what is in view, however
    // long the name. Glyphs can reach past their advance by a line height.
    const bool oneLine = isOneUnwrappedLine();
    float reach = 0.0f;

    for (auto* section : sections)
        reach = juce::jmax (reach, section->font.getHeight());

    const auto pastView = [&] (const Iterator& it) { return oneLine && it.atomX > (float) clip.getRight() + reach; };

    Iterator i (*this);
    i.skipAtomsBefore ((float) clip.getX() - i.lineHeight, std::numeric_limits<int>::max());
    juce::Colour selectedTextColour;

    if (! selection.isEmpty())
    {
        Iterator i2 (i);
        juce::RectangleList<float> selectionArea;

        while (i2.next() && i2.lineY < clipBottom && ! pastView (i2))
        {
            if (i2.lineY + i2.lineHeight >= clipTop
                && selection.intersects ({ i2.indexInText, i2.indexInText + i2.atom->numChars }))
            {
                // Atoms follow one another, so their areas never overlap: nothing to merge.
                const auto startX = i2.indexToX (selection.getStart());
                const auto endX = i2.indexToX (selection.getEnd());
                selectionArea.addWithoutMerging ({ startX, i2.lineY, endX - startX, i2.lineHeight });
            }
        }

        const auto alpha = hasKeyboardFocus (true) ? 1.0f : 0.5f;
        g.setColour (findColour (juce::TextEditor::highlightColourId).withMultipliedAlpha (alpha));
        g.fillRectList (selectionArea);

        selectedTextColour = findColour (juce::TextEditor::highlightedTextColourId);
    }

    const UniformTextSection* lastSection = nullptr;

    while (i.next() && i.lineY < clipBottom && ! pastView (i))
    {
        if (i.lineY + i.lineHeight < clipTop)
            continue;

        // Glyphs can reach past their advance, so a line height either side counts as in view.
        const auto atomReach = i.currentSection->font.getHeight();
        const juce::Range<float> visible ((float) clip.getX() - atomReach, (float) clip.getRight() + atomReach);

        if (i.atomRight < visible.getStart() || i.atomX > visible.getEnd())
            continue;

        if (selection.intersects ({ i.indexInText, i.indexInText + i.atom->numChars }))
        {
            i.drawSelectedText (g, selection, selectedTextColour, visible);
            lastSection = nullptr;
        }
        else
        {
            i.draw (g, lastSection, visible);
        }
    }

    for (int u = underlinedSections.size(); --u >= 0;)
    {
        const auto underlined = underlinedSections.getReference (u);
        Iterator i3 (*this);
        i3.skipAtomsBefore ((float) clip.getX(), underlined.getStart());

        while (i3.next() && i3.lineY < clipBottom && ! pastView (i3))
        {
            if (i3.lineY + i3.lineHeight >= clipTop
                && underlined.intersects ({ i3.indexInText, i3.indexInText + i3.atom->numChars }))
                i3.drawUnderline (g, underlined, findColour (juce::TextEditor::textColourId));
        }
    }
}

bool VMLTextEditor::isOneUnwrappedLine() const
{
    if (wordWrap)
        return false;

    // Known until the text changes: setText keeps line breaks, even in a single-line box.
    if (! lineBreaksAreKnown)
    {
        holdsLineBreak = false;

        for (auto* section : sections)
            for (auto& atom : section->atoms)
                holdsLineBreak = holdsLineBreak || atom.isNewLine();

        lineBreaksAreKnown = true;
    }

    return ! holdsLineBreak;
}

const std::vector<VMLTextEditor::AtomStart>& VMLTextEditor::getAtomStarts() const
{
    if (! atomStartsAreKnown)
    {
        atomStarts.clear();
        int index = 0;
        float x = 0.0f;

        // x is summed in the order the iterator sums it, so both give the same floats.
        for (int s = 0; s < sections.size(); ++s)
        {
            const auto& atoms = sections.getUnchecked (s)->atoms;

            for (size_t a = 0; a < atoms.size(); ++a)
            {
                atomStarts.push_back ({ s, (int) a, index, x });
                index += atoms[a].numChars;
                x += atoms[a].width;
            }
        }

        atomStarts.push_back ({ sections.size(), 0, index, x });
        atomStartsAreKnown = true;
    }

    return atomStarts;
}

size_t VMLTextEditor::findAtom (float x, int index) const
{
    // Both an atom's end x and its end index grow along the text.
    const auto& starts = getAtomStarts();
    const auto found = std::partition_point (starts.begin(), starts.end() - 1, [&] (const AtomStart& start)
    {
        const auto& next = (&start)[1];
        return ! (next.x >= x || next.index > index);
    });

    return (size_t) (found - starts.begin());
}

juce::GlyphArrangement& VMLTextEditor::glyphsOfLongWord (const juce::String& text, const juce::Font& font) const
{
    for (auto& word : longWords)
        if (word.text.getCharPointer() == text.getCharPointer() && word.font == font)
            return word.glyphs;

    if (longWords.size() >= longWordsKept)
        longWords.erase (longWords.begin());

    // Laid out as arrangeGlyphs lays out a word at x 0.
    longWords.push_back ({ text, font, {} });
    auto& glyphs = longWords.back().glyphs;

    if (VFontFallback::hasAllGlyphs (font, text))
        glyphs.addLineOfText (font, text, 0.0f, 0.0f);
    else
        VFontFallback::addLineOfText (glyphs, font, text, 0.0f, 0.0f);

    return glyphs;
}

void VMLTextEditor::paint (juce::Graphics& g)
{
    getLookAndFeel().fillTextEditorBackground (g, getWidth(), getHeight(), *this);
}

void VMLTextEditor::paintOverChildren (juce::Graphics& g)
{
    if (textToShowWhenEmpty.isNotEmpty() && ! hasKeyboardFocus (false) && getTotalNumChars() == 0)
    {
        g.setColour (colourForTextWhenEmpty);
        g.setFont (currentFont);

        const auto area = multiline ? getLocalBounds().toFloat()
                                    : juce::Rectangle<int> (leftIndent, 0, viewport->getWidth() - leftIndent, getHeight()).toFloat();

        VLookAndFeel::drawText (g, textToShowWhenEmpty, colourForTextWhenEmpty, currentFont.getHeight(), area,
                                multiline ? juce::Justification::centred : juce::Justification::centredLeft, false);
    }

    getLookAndFeel().drawTextEditorOutline (g, getWidth(), getHeight(), *this);
}

void VMLTextEditor::resized()
{
    viewport->setBoundsInset (borderSize);
    viewport->setSingleStepSizes (16, juce::roundToInt (currentFont.getHeight()));

    updateTextHolderSize();

    if (multiline)
        updateCaretPosition();
    else
        scrollToMakeSureCursorIsVisible();
}

//==============================================================================
// Mouse

bool VMLTextEditor::isPopupClick (const juce::MouseEvent& e) const
{
    return e.mods.isPopupMenu() || e.mods.isCtrlDown();
}

void VMLTextEditor::mouseDown (const juce::MouseEvent& e)
{
    beginDragAutoRepeat (100);
    newTransaction();

    if (! isPopupClick (e))
    {
        moveCaretTo (getTextIndexAt (e.position), e.mods.isShiftDown());
        return;
    }

    juce::PopupMenu menu;
    menu.setLookAndFeel (&getLookAndFeel());
    addPopupMenuItems (menu, &e);
    menu.showMenuAsync (juce::PopupMenu::Options(),
                        juce::ModalCallbackFunction::forComponent (VMLTextEditorMenuCallback, this));
}

void VMLTextEditor::mouseDrag (const juce::MouseEvent& e)
{
    if (! isPopupClick (e))
        moveCaretTo (getTextIndexAt (e.position), true);
}

void VMLTextEditor::mouseUp (const juce::MouseEvent& e)
{
    newTransaction();
    textHolder->restartTimer();

    if (e.mouseWasClicked() && ! isPopupClick (e))
        moveCaret (getTextIndexAt (e.position));

    wasFocused = true;
}

void VMLTextEditor::mouseDoubleClick (const juce::MouseEvent& e)
{
    const auto total = getTotalNumChars();
    int start = 0, end = total;

    if (e.getNumberOfClicks() <= 3 && total > 0)
    {
        const auto clicked = juce::jlimit (0, total, getTextIndexAt (e.position));
        const bool wholeLine = e.getNumberOfClicks() == 3;
        const auto belongs = [wholeLine] (juce::juce_wchar c)
        {
            return wholeLine ? c != '\r' && c != '\n' : juce::CharacterFunctions::isLetterOrDigit (c) || c > 128;
        };

        // Read outwards character by character from the clicked atom: the cost
        // follows the word, not the whole text.
        const auto& starts = getAtomStarts();
        const auto k = findAtom (std::numeric_limits<float>::max(), clicked);
        juce::String text;
        auto begin = text.getCharPointer(), p = begin;

        const auto enter = [&] (size_t a, int offset)
        {
            text = sections.getUnchecked (starts[a].section)->atoms[(size_t) starts[a].atom].atomText;
            begin = text.getCharPointer();
            p = begin + offset;
        };

        if (k + 1 < starts.size())
            enter (k, clicked - starts[k].index);

        const auto atClick = std::make_pair (text, p);
        end = clicked;

        for (auto a = k; end < total; ++p, ++end)
        {
            if (p.isEmpty())
                enter (++a, 0);

            if (! belongs (*p))
                break;
        }

        std::tie (text, p) = atClick;
        begin = text.getCharPointer();
        start = clicked;

        for (auto a = k; start > 0; --start)
        {
            if (p == begin)
            {
                --a;
                enter (a, starts[a + 1].index - starts[a].index);
            }

            if (! belongs (*--p))
                break;
        }
    }

    moveCaretTo (end, false);
    moveCaretTo (start, true);
}

void VMLTextEditor::mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    if (! viewport->useMouseWheelMoveIfNeeded (e, wheel))
        juce::Component::mouseWheelMove (e, wheel);
}

//==============================================================================
// Keys

bool VMLTextEditor::keyPressed (const juce::KeyPress& key)
{
    if (! isWritable() && key != juce::KeyPress ('c', juce::ModifierKeys::commandModifier, 0))
        return false;

    if (juce::TextEditorKeyMapper<VMLTextEditor>::invokeKeyFunction (*this, key))
        return true;

    if (key.isKeyCode (juce::KeyPress::returnKey))
    {
        newTransaction();
        returnPressed();
        return true;
    }

    if (key.isKeyCode (juce::KeyPress::escapeKey))
    {
        newTransaction();
        moveCaretTo (caretPosition, false);
        escapePressed();
        return true;
    }

    const auto character = key.getTextCharacter();

    if (character < 0x20 || ! isWritable())
        return false;

    insertTextAtCaret (juce::String::charToString (character));
    lastTransactionTime = now();
    return true;
}

bool VMLTextEditor::keyStateChanged (bool isKeyDown)
{
    return isKeyDown && ! juce::ModifierKeys::getCurrentModifiers().isCommandDown();
}

//==============================================================================
// Focus, messages and other overrides

void VMLTextEditor::focusGained (FocusChangeType)
{
    newTransaction();
    repaint();
    updateCaretPosition();

    if (auto* peer = getPeer())
        if (isWritable())
            peer->refreshTextInputTarget();
}

void VMLTextEditor::focusLost (FocusChangeType)
{
    newTransaction();
    wasFocused = false;
    textHolder->stopTimer();
    underlinedSections.clear();

    if (auto* peer = getPeer())
    {
        peer->closeInputMethodContext();
        peer->refreshTextInputTarget();
    }

    updateCaretPosition();
    postCommandMessage (focusLossMessageId);
    repaint();
}

void VMLTextEditor::returnPressed()
{
    postCommandMessage (returnKeyMessageId);
}

void VMLTextEditor::escapePressed()
{
    postCommandMessage (escapeKeyMessageId);
}

void VMLTextEditor::handleCommandMessage (int commandId)
{
    void (Listener::*callback) (VMLTextEditor&) = nullptr;

    switch (commandId)
    {
        case textChangeMessageId:   callback = &Listener::textEditorTextChanged; break;
        case returnKeyMessageId:    callback = &Listener::textEditorReturnKeyPressed; break;
        case escapeKeyMessageId:    callback = &Listener::textEditorEscapeKeyPressed; break;
        case focusLossMessageId:    callback = &Listener::textEditorFocusLost; updateValueFromText(); break;
        default:                    return;
    }

    // Last added first. A listener may delete the box or change the list: stop
    // once the box is gone, and never call one that has been removed meanwhile.
    const Component::BailOutChecker checker (this);
    const auto snapshot = listeners.getListeners();

    for (int i = snapshot.size(); --i >= 0;)
    {
        auto* listener = snapshot.getUnchecked (i);

        if (! listeners.contains (listener))
            continue;

        (listener->*callback) (*this);

        if (checker.shouldBailOut())
            return;
    }
}

void VMLTextEditor::colourChanged()
{
    setOpaque (findColour (juce::TextEditor::backgroundColourId).isOpaque());
    repaint();
    textColourRefreshPending = true;
}

void VMLTextEditor::lookAndFeelChanged()
{
    caret.reset();
    recreateCaret();
    repaint();
}

void VMLTextEditor::parentHierarchyChanged()
{
    lookAndFeelChanged();
}

void VMLTextEditor::enablementChanged()
{
    recreateCaret();
    repaint();
}

std::unique_ptr<juce::AccessibilityHandler> VMLTextEditor::createAccessibilityHandler()
{
    return std::make_unique<VMLTextEditorAccessibility> (*this);
}

//==============================================================================
// Popup menu

void VMLTextEditor::addPopupMenuItems (juce::PopupMenu& m, const juce::MouseEvent*)
{
    const bool writable = isWritable();

    if (passwordCharacter == 0)
    {
        m.addItem (cutItemId, juce::translate ("Cut"), writable);
        m.addItem (copyItemId, juce::translate ("Copy"), ! selection.isEmpty());
    }

    m.addItem (pasteItemId, juce::translate ("Paste"), writable);
    m.addItem (deleteItemId, juce::translate ("Delete"), writable);
    m.addSeparator();
    m.addItem (selectAllItemId, juce::translate ("Select All"));
    m.addSeparator();

    if (! readOnly)
    {
        m.addItem (undoItemId, juce::translate ("Undo"), undoManager.canUndo());
        m.addItem (redoItemId, juce::translate ("Redo"), undoManager.canRedo());
    }
}

void VMLTextEditor::performPopupMenuAction (int menuItemID)
{
    switch (menuItemID)
    {
        case cutItemId:         cutToClipboard(); break;
        case copyItemId:        copyToClipboard(); break;
        case pasteItemId:       pasteFromClipboard(); break;
        case deleteItemId:      if (isWritable()) deleteSelection(); break;
        case selectAllItemId:   selectAll(); break;
        case undoItemId:        undo(); break;
        case redoItemId:        redo(); break;
        default:                break;
    }
}
