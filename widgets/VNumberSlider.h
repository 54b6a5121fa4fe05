#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "widgets/VSlider.h"

// A numeric box: drag up or down (100 pixels span the range), or click
// without dragging to type a number. It draws only its value and suffix.
class VNumberSlider : public VSlider,
                      private juce::TextEditor::Listener
{
public:
    explicit VNumberSlider (juce::Slider::Listener* listener);
    ~VNumberSlider() override;

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void resized() override;

    // Registers the listener for value changes and for the box's own drag
    // start and end, which fire on real drags only (not on a bare press).
    void addListener (juce::Slider::Listener* listener);

private:
    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;
    void textEditorFocusLost (juce::TextEditor&) override;

    // Runs a toolkit handler with the own listeners unhooked, so that its
    // drag start and end calls do not reach them.
    template <typename Handler>
    void runDetached (Handler&& handler);

    void openEditor();

    // These tell the own listeners, and one of them may delete the box:
    // callers touch no member afterwards.
    void closeEditor();
    void tellDragStarted();
    void finishDrag();
    void tellListeners (void (juce::Slider::Listener::*callback) (juce::Slider*));

    int mouseDownY = 0;
    double valueAtMouseDown = 0.0;
    juce::TextEditor textEditor;
    juce::Array<juce::Slider::Listener*> ownListeners;
    bool dragStarted = false;
    bool escapePressed = false;

    JUCE_DECLARE_NON_COPYABLE (VNumberSlider)
};
