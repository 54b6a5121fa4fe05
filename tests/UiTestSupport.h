#pragma once

#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include "tests/XServer.h"
#include "tests/TestSupport.h"
#include "widgets/VMLTextEditor.h"

// Windows on screen under Xvfb, and a user's hand on them.
namespace zotest
{
// Puts a component on screen as a top-level window with the keyboard focus.
void showOnScreen (juce::Component& window, juce::Point<int> at = { 20, 20 });

// The user's hand. Events enter at the window's peer, where the toolkit's X11
// layer hands in what the server reports, so hit-testing, focus, drags and
// double-click detection run as they do for a real mouse and keyboard.
struct User
{
    static void mouse (juce::Component& c, juce::Point<int> local, juce::ModifierKeys buttons)
    {
        auto* peer = c.getPeer();
        ASSERT_NE (peer, nullptr) << "the component is not on screen";
        juce::ModifierKeys::currentModifiers = buttons;
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                                peer->getComponent().getLocalPoint (&c, local).toFloat(), buttons,
                                juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                juce::Time::currentTimeMillis());
    }

    // Twice: the first event a window gets only tells it that the pointer came in.
    static void moveTo (juce::Component& c, juce::Point<int> local)
    {
        mouse (c, local, {});
        mouse (c, local, {});
    }

    // As a window manager does on a click, the window first takes the keyboard focus; the
    // user waits for the server's focus event, which would take it back from a box.
    static void focusWindowOf (juce::Component& c)
    {
        auto* window = c.getTopLevelComponent();
        for (int attempt = 0; attempt < 30 && c.getPeer() != nullptr; ++attempt)
        {
            if (c.getPeer()->isFocused() && window->hasKeyboardFocus (true))
                return;
            window->grabKeyboardFocus();
            pumpMessages (100);
        }
    }

    // A press at `from`, moves by the vertical offsets (negative is up), a release;
    // no offsets make a click, and `clicks` presses in a row a double click.
    static void drag (juce::Component& c, juce::Point<int> from, std::vector<int> dys, int clicks = 1)
    {
        focusWindowOf (c);
        moveTo (c, from);
        auto at = from;
        for (int i = 0; i < clicks; ++i)
        {
            mouse (c, from, juce::ModifierKeys::leftButtonModifier);
            for (int dy : dys)
                mouse (c, at = from.translated (0, dy), juce::ModifierKeys::leftButtonModifier);
            mouse (c, at, {});
        }
        pumpMessages (5);
    }

    static void click (juce::Component& c, juce::Point<int> local)        { drag (c, local, {}); }
    static void click (juce::Component& c)                                 { click (c, c.getLocalBounds().getCentre()); }
    static void doubleClick (juce::Component& c, juce::Point<int> local)  { drag (c, local, {}, 2); }

    // Keys go to whatever has the keyboard focus in the window.
    static void key (juce::Component& window, const juce::KeyPress& press)
    {
        ASSERT_NE (window.getPeer(), nullptr);
        window.getPeer()->handleKeyPress (press);
        pumpMessages (5);
    }

    static void type (juce::Component& window, const juce::String& text)
    {
        for (auto c : juce::Array<juce::juce_wchar> (text.toUTF32().getAddress(), text.length()))
            key (window, juce::KeyPress ((int) c, {}, c));
    }

    // Clicks into the box until it has the keyboard focus (a late focus event
    // can take it back, and the user then clicks again), then replaces its text.
    static bool typeInto (VMLTextEditor& box, const juce::String& text)
    {
        auto& window = *box.getTopLevelComponent();
        for (int attempt = 0; attempt < 10; ++attempt)
        {
            click (box);
            pumpMessages (150);
            if (! box.hasKeyboardFocus (true))
                continue;
            key (window, juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 'a'));
            key (window, juce::KeyPress (juce::KeyPress::backspaceKey));
            type (window, text);
            if (box.hasKeyboardFocus (true) && (box.isReadOnly() || box.getText() == text))
                return true;
        }
        return false;
    }

    // A key pressed in the box, which still has the focus from typeInto.
    static void pressIn (VMLTextEditor& box, int keyCode)
    {
        ASSERT_TRUE (box.hasKeyboardFocus (true));
        key (*box.getTopLevelComponent(), juce::KeyPress (keyCode));
        pumpMessages (30);
    }

    // Opens the box's menu with a click and clicks the item with that text.
    static bool choose (juce::ComboBox& box, const juce::String& itemText);
};

// The open popup menu's window, if any.
inline juce::Component* openMenu()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = desktop.getNumComponents(); --i >= 0;)
        if (auto* c = desktop.getComponent (i); c->getName() == "menu" && c->isShowing())
            return c;
    return nullptr;
}

inline bool User::choose (juce::ComboBox& box, const juce::String& itemText)
{
    click (box);
    if (! pumpUntil ([] { return openMenu() != nullptr; }, 2000))
        return false;

    // The menu's item rows are its children, in item order.
    auto* menu = openMenu();
    int index = 0;
    while (index < box.getNumItems() && box.getItemText (index) != itemText)
        ++index;
    if (index >= menu->getNumChildComponents())
        return false;

    const auto centre = menu->getChildComponent (index)->getBounds().getCentre();
    pumpMessages (300); // the menu ignores a release in its first 250 ms
    moveTo (*menu, centre);
    pumpMessages (60);
    mouse (*menu, centre, juce::ModifierKeys::leftButtonModifier);
    pumpMessages (60);
    mouse (*menu, centre, {});
    return pumpUntil ([] { return openMenu() == nullptr; }, 2000);
}

// The deepest component of type T at a point of the window.
template <typename T>
T* componentAt (juce::Component& window, juce::Point<int> at)
{
    for (auto* c = window.getComponentAt (at); c != nullptr; c = c->getParentComponent())
        if (auto* found = dynamic_cast<T*> (c))
            return found;
    return nullptr;
}

// Every child of type T, in child order.
template <typename T>
std::vector<T*> childrenOf (juce::Component& window)
{
    std::vector<T*> found;
    for (auto* c : window.getChildren())
        if (auto* t = dynamic_cast<T*> (c))
            found.push_back (t);
    return found;
}

inline bool sameArea (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

inline juce::Image snapshot (juce::Component& window) { return window.createComponentSnapshot (window.getLocalBounds()); }

// True once the X server shows the colour there, as the window's renderer last drew it.
inline bool showsOnScreen (juce::Component& window, juce::Point<int> at, juce::Colour colour)
{
    return pumpUntil ([&] {
        const auto shot = grabWindow (window.getPeer());
        return shot.isValid() && shot.getPixelAt (at.x, at.y) == colour;
    }, 3000);
}

// The alert windows on screen now, and their texts as "title. message".
inline std::vector<juce::AlertWindow*> alerts()
{
    std::vector<juce::AlertWindow*> found;
    for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*> (juce::Desktop::getInstance().getComponent (i)))
            found.push_back (alert);
    return found;
}

inline juce::StringArray alertsShowing()
{
    juce::StringArray texts;
    for (auto* alert : alerts())
        texts.add (alert->getDescription());
    return texts;
}

inline void dismissAlerts()
{
    for (auto* alert : alerts())
        alert->exitModalState (0);
    pumpUntil ([] { return alerts().empty() && juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; });
}

inline void showOnScreen (juce::Component& window, juce::Point<int> at)
{
    tolerateMissingWindowManager();
    window.setTopLeftPosition (at);
    window.addToDesktop (0);
    window.setVisible (true);
    pumpUntil ([&window] { return window.isShowing(); });
    User::focusWindowOf (window);
}
} // namespace zotest
