#pragma once

#include <vector>

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_gui_extra/juce_gui_extra.h>

#include "tests/TestSupport.h"
#include "widgets/VMLTextEditor.h"

// Windows on screen under Xvfb, and a user's hand on them.
namespace zotest
{
// Puts a component on screen as a top-level window with the keyboard focus.
void showOnScreen (juce::Component& window, juce::Point<int> at = { 20, 20 });

//==============================================================================
// The user's hand. Events enter at the window's peer, where the toolkit's X11
// layer hands in what the server reports, so hit-testing, focus, drag and
// double-click detection all run as they do for a real mouse and keyboard.
struct User
{
    static void mouse (juce::Component& c, juce::Point<int> local, juce::ModifierKeys buttons)
    {
        auto* peer = c.getPeer();
        ASSERT_NE (peer, nullptr) << "the component is not on screen";
        const auto at = peer->getComponent().getLocalPoint (&c, local).toFloat();
        juce::ModifierKeys::currentModifiers = buttons;
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, at, buttons,
                                juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                juce::Time::currentTimeMillis());
    }

    // Twice: the first event a window gets only tells the toolkit that the
    // pointer has entered it.
    static void moveTo (juce::Component& c, juce::Point<int> local)
    {
        mouse (c, local, {});
        mouse (c, local, {});
    }

    // As a window manager does on a click: the window takes the keyboard focus
    // first. The server's own focus event comes in later and hands the focus
    // to the window itself, so the user waits for it before clicking into a
    // box; it would otherwise take the focus back from the box.
    static void focusWindowOf (juce::Component& c)
    {
        auto* window = c.getTopLevelComponent();
        auto* peer = c.getPeer();

        for (int attempt = 0; attempt < 30 && peer != nullptr; ++attempt)
        {
            if (peer->isFocused() && window->hasKeyboardFocus (true))
                return;

            window->grabKeyboardFocus();
            pumpMessages (100);
        }
    }

    static void click (juce::Component& c, juce::Point<int> local)
    {
        focusWindowOf (c);
        moveTo (c, local);
        mouse (c, local, juce::ModifierKeys::leftButtonModifier);
        mouse (c, local, {});
        pumpMessages (5);
    }

    static void click (juce::Component& c)
    {
        click (c, c.getLocalBounds().getCentre());
    }

    static void doubleClick (juce::Component& c, juce::Point<int> local)
    {
        focusWindowOf (c);
        moveTo (c, local);
        for (int i = 0; i < 2; ++i)
        {
            mouse (c, local, juce::ModifierKeys::leftButtonModifier);
            mouse (c, local, {});
        }
        pumpMessages (5);
    }

    // A drag with the left button by the given vertical offsets (negative is up).
    static void drag (juce::Component& c, juce::Point<int> from, std::vector<int> dys)
    {
        focusWindowOf (c);
        moveTo (c, from);
        mouse (c, from, juce::ModifierKeys::leftButtonModifier);
        auto at = from;
        for (int dy : dys)
            mouse (c, at = from.translated (0, dy), juce::ModifierKeys::leftButtonModifier);
        mouse (c, at, {});
        pumpMessages (5);
    }

    // Keys go to whatever has the keyboard focus in the window.
    static void key (juce::Component& window, const juce::KeyPress& press)
    {
        auto* peer = window.getPeer();
        ASSERT_NE (peer, nullptr);
        peer->handleKeyPress (press);
        pumpMessages (5);
    }

    static void type (juce::Component& window, const juce::String& text)
    {
        for (auto p = text.getCharPointer(); ! p.isEmpty();)
        {
            const auto c = p.getAndAdvance();
            key (window, juce::KeyPress ((int) c, {}, c));
        }
    }

    static void selectAllAndType (juce::Component& window, const juce::String& text)
    {
        key (window, juce::KeyPress ('a', juce::ModifierKeys::commandModifier, 'a'));
        key (window, juce::KeyPress (juce::KeyPress::backspaceKey));
        type (window, text);
    }

    // Clicks into the box until it has the keyboard focus, then replaces its
    // text by typing. The server's focus events come in late, and one can take
    // the focus back from the box, as it does from a user who starts typing
    // before the window is ready; the user then clicks again.
    static bool typeInto (VMLTextEditor& box, const juce::String& text)
    {
        for (int attempt = 0; attempt < 10; ++attempt)
        {
            click (box);
            pumpMessages (150);

            if (! box.hasKeyboardFocus (true))
                continue;

            selectAllAndType (*box.getTopLevelComponent(), text);

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

    auto* menu = openMenu();
    const int index = [&]
    {
        for (int i = 0; i < box.getNumItems(); ++i)
            if (box.getItemText (i) == itemText)
                return i;
        return -1;
    }();

    // The menu's item rows are its children, in item order.
    if (index < 0 || index >= menu->getNumChildComponents())
        return false;

    auto* item = menu->getChildComponent (index);
    pumpMessages (300); // the menu ignores a release in its first 250 ms
    const auto centre = item->getBounds().getCentre();
    moveTo (*menu, centre);
    pumpMessages (60);
    mouse (*menu, centre, juce::ModifierKeys::leftButtonModifier);
    pumpMessages (60);
    mouse (*menu, centre, {});
    return pumpUntil ([] { return openMenu() == nullptr; }, 2000);
}

//==============================================================================
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

inline juce::Image snapshot (juce::Component& window)
{
    return window.createComponentSnapshot (window.getLocalBounds());
}

// True once the X server shows the colour at that point of the window, as
// the window's renderer last drew it there (not a fresh paint).
inline bool showsOnScreen (juce::Component& window, juce::Point<int> at, juce::Colour colour)
{
    return pumpUntil ([&] {
        const auto shot = juce::createSnapshotOfNativeWindow (window.getPeer()->getNativeHandle());
        return shot.isValid() && shot.getPixelAt (at.x, at.y) == colour;
    }, 3000);
}

// A real X screenshot, drawn through the OpenGL renderer, for a person to look
// at: only when ZO_SCREENSHOT_DIR names a folder.
inline void screenshot (const juce::String& name)
{
    const auto dir = juce::SystemStats::getEnvironmentVariable ("ZO_SCREENSHOT_DIR", {});
    if (dir.isEmpty())
        return;
    pumpMessages (300);
    juce::ChildProcess import;
    if (import.start ("import -window root " + dir + "/" + name + ".png"))
        import.waitForProcessToFinish (20000);
}

// The alert windows on screen now, and their texts as "title. message".
inline std::vector<juce::AlertWindow*> alerts()
{
    std::vector<juce::AlertWindow*> found;
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* alert = dynamic_cast<juce::AlertWindow*> (desktop.getComponent (i)))
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
