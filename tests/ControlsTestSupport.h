#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/Brindle.h"
#include "tests/LooksTestSupport.h"
#include "tests/TestSupport.h"
#include "widgets/VParamSlider.h"

namespace zocontrols
{
// A left-button event on `c`, as the toolkit would deliver it.
inline juce::MouseEvent mouseEvent (juce::Component& c, juce::Point<float> at, juce::Point<float> downAt,
                                    bool dragged, int clicks = 1)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), at, juce::ModifierKeys::leftButtonModifier,
             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downAt, now, clicks, dragged };
}

// A press, movements by each vertical offset from it (negative is up), and the release.
inline void drag (juce::Component& c, juce::Point<float> from, std::vector<int> dys = {})
{
    c.mouseDown (mouseEvent (c, from, from, false));
    auto at = from;
    for (int dy : dys)
        c.mouseDrag (mouseEvent (c, at = from.translated (0.0f, (float) dy), from, true));
    c.mouseUp (mouseEvent (c, at, from, ! dys.empty()));
}

// The toolkit's order: the double click comes after the second release.
inline void doubleClick (juce::Component& c, juce::Point<float> at)
{
    drag (c, at);
    drag (c, at);
    c.mouseDoubleClick (mouseEvent (c, at, at, false, 2));
}

// A knob set up as the editor sets its knobs up: its changes go on to the processor.
inline std::unique_ptr<VParamSlider> knobFor (Brindle& processor, int index)
{
    auto* param = processor.getKtParameter (index);
    auto knob = std::make_unique<VParamSlider> (&processor, index);
    knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
    knob->setRange (param->minValue, param->maxValue, index < 2 ? 0.01 : 1.0);
    knob->setValue (param->value.load(), juce::dontSendNotification);
    knob->setSize (48, 71);
    knob->onValueChange = [&processor, index, k = knob.get()] { processor.setParameterFromUi (index, (float) k->getValue(), false); };
    return knob;
}

inline juce::TextEditor& editorOf (juce::Component& box)
{
    for (auto* child : box.getChildren())
        if (auto* editor = dynamic_cast<juce::TextEditor*> (child))
            return *editor;
    throw std::logic_error ("no text editor");
}

// A top-level window around the child, for keyboard focus.
struct ShownWindow
{
    explicit ShownWindow (juce::Component& child)
    {
        content.setSize (child.getWidth(), child.getHeight());
        content.addAndMakeVisible (child);
        zolooks::addToDesktopForTest (content);
        zotest::pumpUntil ([this] { return content.isShowing(); });
    }
    ~ShownWindow() { content.removeFromDesktop(); content.removeAllChildren(); }

    juce::Component content;
};
} // namespace zocontrols
