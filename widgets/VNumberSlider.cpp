#include "widgets/VNumberSlider.h"

#include "widgets/VNumberSliderLookAndFeel.h"

VNumberSlider::VNumberSlider (juce::Slider::Listener* listener)
    : textEditor (juce::String(), 0)
{
    setLookAndFeel (VNumberSliderLookAndFeel::sharedInstance());
    setSliderStyle (juce::Slider::LinearVertical);

    addAndMakeVisible (textEditor);
    textEditor.setVisible (false);
    textEditor.setWantsKeyboardFocus (true);
    textEditor.setSelectAllWhenFocused (true);
    textEditor.setInputRestrictions (10, "-.0123456789");
    textEditor.addListener (this);

    setColour (juce::Slider::backgroundColourId, juce::Colour (35, 37, 39));
    setColour (juce::Label::textColourId, juce::Colour (25, 147, 169));

    addListener (listener);
}

VNumberSlider::~VNumberSlider()
{
    textEditor.removeListener (this);
}

void VNumberSlider::addListener (juce::Slider::Listener* listener)
{
    if (listener == nullptr)
        return;

    ownListeners.addIfNotAlreadyThere (listener);
    juce::Slider::addListener (listener);
}

template <typename Handler>
void VNumberSlider::runDetached (Handler&& handler)
{
    const auto detachedListeners = ownListeners;

    for (auto* l : detachedListeners)
        juce::Slider::removeListener (l);

    handler();

    for (auto* l : detachedListeners)
        juce::Slider::addListener (l);
}

//==============================================================================
void VNumberSlider::mouseEnter (const juce::MouseEvent& e)
{
    VSlider::mouseEnter (e);
    setMouseCursor (juce::MouseCursor::UpDownResizeCursor);
}

void VNumberSlider::mouseExit (const juce::MouseEvent& e)
{
    VSlider::mouseExit (e);
    setMouseCursor (juce::MouseCursor::NormalCursor);
}

void VNumberSlider::mouseDown (const juce::MouseEvent& e)
{
    const double v = getValue();

    runDetached ([&] { VSlider::mouseDown (e); });

    mouseDownY = e.y;
    valueAtMouseDown = v;

    // A linear slider jumps to the pointer on a press; this box does not.
    setValue (v, juce::dontSendNotification);
}

void VNumberSlider::mouseDrag (const juce::MouseEvent& e)
{
    if (! e.mouseWasDraggedSinceMouseDown())
        return;

    if (! dragStarted)
    {
        dragStarted = true;
        const juce::Component::SafePointer<VNumberSlider> alive (this);
        tellDragStarted();

        if (alive == nullptr)
            return;
    }

    if (textEditor.isVisible() || ! isEnabled())
        return;

    const int dy = e.y - mouseDownY;

    if (dy == 0)
        return;

    const double before = getValue();
    runDetached ([&] { VSlider::mouseDrag (e); });

    // The toolkit's own drag moved the value to the pointer and told nobody.
    // Undo it quietly, so that the result below is always announced when it
    // differs from what the listeners last heard.
    setValue (before, juce::dontSendNotification);

    const double p = juce::jlimit (0.0, 1.0, valueToProportionOfLength (valueAtMouseDown) - dy / 100.0);

    // Synchronous, as the toolkit's drags are: the toolkit's next handler
    // would otherwise cancel a notification still waiting in the queue.
    setValue (proportionOfLengthToValue (p), juce::sendNotificationSync);
}

void VNumberSlider::mouseUp (const juce::MouseEvent& e)
{
    runDetached ([&] { VSlider::mouseUp (e); });

    if (! dragStarted && isEnabled())
    {
        openEditor();
        return;
    }

    // A disabled box that was only clicked started no drag, so ends none.
    finishDrag();
}

void VNumberSlider::mouseDoubleClick (const juce::MouseEvent&)
{
    // No double-click value: the clicks open the text editor.
}

void VNumberSlider::resized()
{
    VSlider::resized();
    textEditor.setBounds (getLocalBounds().reduced (1));
}

//==============================================================================
void VNumberSlider::textEditorReturnKeyPressed (juce::TextEditor& editor)
{
    setValue (editor.getText().getDoubleValue(), juce::sendNotificationAsync);
    closeEditor();
}

void VNumberSlider::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    // Hiding the editor takes its focus; the focus loss that follows must not take the text.
    escapePressed = true;
    closeEditor();
}

void VNumberSlider::textEditorFocusLost (juce::TextEditor& editor)
{
    const bool takeText = ! escapePressed;
    escapePressed = false;

    if (takeText)
        setValue (editor.getText().getDoubleValue(), juce::sendNotificationAsync);

    // Last: ending a drag tells the listeners, and one may delete the box.
    closeEditor();
}

//==============================================================================
void VNumberSlider::openEditor()
{
    textEditor.setText (juce::String (getValue()), false);
    textEditor.setVisible (true);
    textEditor.grabKeyboardFocus();
}

void VNumberSlider::closeEditor()
{
    textEditor.setVisible (false);
    finishDrag();
}

void VNumberSlider::tellDragStarted()
{
    tellListeners (&juce::Slider::Listener::sliderDragStarted);
}

void VNumberSlider::finishDrag()
{
    // Every drag start that the listeners heard gets its end, and no other.
    if (! dragStarted)
        return;

    dragStarted = false;
    tellListeners (&juce::Slider::Listener::sliderDragEnded);
}

void VNumberSlider::tellListeners (void (juce::Slider::Listener::*callback) (juce::Slider*))
{
    // A listener may delete the box: stop as soon as it is gone.
    const auto listeners = ownListeners;
    juce::Component::BailOutChecker checker (this);

    for (auto* l : listeners)
    {
        (l->*callback) (this);

        if (checker.shouldBailOut())
            return;
    }
}
