#include <map>

#include <gtest/gtest.h>

#include "tests/TextBoxTestSupport.h"
#include "widgets/VTouchBarHook.h"
#include "widgets/VTouchBarItemSource.h"

namespace
{
// Two classes; a class handle is the address of its shared instance.
struct FakeClassRuntime : VClassRuntime
{
    void* findClass (const juce::String& name) override
    {
        const auto found = sharedInstances.find (name);
        return found != sharedInstances.end() ? &found->second : nullptr;
    }

    void* sharedInstanceOf (void* itemClass) override
    {
        if (itemClass == nullptr)
            ADD_FAILURE() << "asked for the shared instance of no class";
        return itemClass;
    }

    std::map<juce::String, int> sharedInstances { { "VFakeTouchBarItem", 1 }, { "Volume", 2 } };
};

template <typename ComponentType>
struct Naming : ComponentType, VTouchBarItemSource
{
    template <typename... Args>
    explicit Naming (juce::StringArray itemsToName, Args&&... args)
        : ComponentType (std::forward<Args> (args)...), items (std::move (itemsToName)) {}

    juce::StringArray touchBarItemIdentifiers() const override { return items; }

    juce::StringArray items;
};

struct VTouchBarHookTest : ::testing::Test
{
    void SetUp() override
    {
        if (! zotext::haveDisplay())
            GTEST_SKIP() << "windows need a display (run under xvfb-run)";
    }

    FakeClassRuntime runtime;
};
} // namespace

TEST_F (VTouchBarHookTest, NoBarUnlessATopLevelWindowNamesItems)
{
    Naming<juce::Component> panel ({ "VFakeTouchBarItem" });
    Naming<juce::TopLevelWindow> silentWindow ({}, "silent", false);
    juce::DocumentWindow plainWindow ("plain", juce::Colours::black, 0, false);
    for (auto* window : std::initializer_list<juce::Component*> { &panel, &silentWindow, &plainWindow })
        zotext::addToDesktopForTest (*window);

    juce::TooltipWindow tooltip (nullptr, 0);
    tooltip.displayTip ({ 40, 40 }, "Volume");
    juce::PopupMenu menu;
    menu.addItem (1, "Same (=x)");
    menu.showMenuAsync ({});
    auto* menuPeer = juce::ComponentPeer::getPeer (juce::ComponentPeer::getNumPeers() - 1); // the newest
    ASSERT_NE (tooltip.getPeer(), nullptr);
    ASSERT_NE (menuPeer, tooltip.getPeer());

    const std::pair<const char*, juce::ComponentPeer*> owners[] {
        { "no owner", nullptr },
        { "tooltip", tooltip.getPeer() },
        { "popup menu", menuPeer },
        { "component that names an item but is no window", panel.getPeer() },
        { "window that names nothing", silentWindow.getPeer() },
        { "window that cannot name items", plainWindow.getPeer() },
    };
    for (const auto& [what, owner] : owners)
        EXPECT_FALSE (VTouchBarHook::makeTouchBar (owner).has_value()) << what;

    juce::PopupMenu::dismissAllActiveMenus();
}

TEST_F (VTouchBarHookTest, AWindowNamingAnItemDelegatesABarOfThatItem)
{
    Naming<juce::TopLevelWindow> window ({ "VFakeTouchBarItem" }, "naming", false);
    zotext::addToDesktopForTest (window);

    const auto bar = VTouchBarHook::makeTouchBar (window.getPeer());
    ASSERT_TRUE (bar.has_value());
    EXPECT_EQ (bar->delegate, &window);
    ASSERT_EQ (bar->defaultItemIdentifiers.size(), 1);
    EXPECT_EQ (VTouchBarHook (runtime).makeItemForIdentifier (window.getPeer(), bar->defaultItemIdentifiers[0]),
               &runtime.sharedInstances["VFakeTouchBarItem"]);
}

TEST_F (VTouchBarHookTest, NoItemWithoutOwnerTouchBarItemEndingOrClass)
{
    juce::Component window;
    zotext::addToDesktopForTest (window);

    const std::pair<juce::ComponentPeer*, const char*> requests[] {
        { nullptr, "VFakeTouchBarItem" },
        { window.getPeer(), "Volume" }, // a class, but not an item's
        { window.getPeer(), "VMissingTouchBarItem" },
    };
    for (const auto& [owner, identifier] : requests)
        EXPECT_EQ (VTouchBarHook (runtime).makeItemForIdentifier (owner, identifier), nullptr) << identifier;
}
