#include <map>

#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
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
    void* sharedInstanceOf (void* itemClass) override { return itemClass; }

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
} // namespace

TEST (VTouchBarHook, OnlyATopLevelWindowThatNamesItemsGetsABarOfThem)
{
    ASSERT_TRUE (zolooks::haveDisplay()) << "windows need a display (run under xvfb-run)";
    Naming<juce::TopLevelWindow> window ({ "VFakeTouchBarItem" }, "naming", false);
    Naming<juce::Component> panel ({ "VFakeTouchBarItem" });
    Naming<juce::TopLevelWindow> silentWindow ({}, "silent", false);
    juce::DocumentWindow plainWindow ("plain", juce::Colours::black, 0, false);
    for (auto* c : std::initializer_list<juce::Component*> { &window, &panel, &silentWindow, &plainWindow })
        zolooks::addToDesktopForTest (*c);
    juce::TooltipWindow tooltip (nullptr, 0);
    tooltip.displayTip ({ 40, 40 }, "Volume");

    const auto bar = VTouchBarHook::makeTouchBar (window.getPeer());
    ASSERT_TRUE (bar.has_value());
    EXPECT_EQ (bar->delegate, &window);
    ASSERT_EQ (bar->defaultItemIdentifiers.size(), 1);

    for (auto* owner : { (juce::ComponentPeer*) nullptr, tooltip.getPeer(), panel.getPeer(), silentWindow.getPeer(), plainWindow.getPeer() })
        EXPECT_FALSE (VTouchBarHook::makeTouchBar (owner).has_value());
}

TEST (VTouchBarHook, AnItemIsTheSharedInstanceOfTheClassItsIdentifierNames)
{
    ASSERT_TRUE (zolooks::haveDisplay()) << "windows need a display (run under xvfb-run)";
    FakeClassRuntime runtime;
    juce::Component window;
    zolooks::addToDesktopForTest (window);
    const VTouchBarHook hook (runtime);
    EXPECT_EQ (hook.makeItemForIdentifier (window.getPeer(), "VFakeTouchBarItem"), &runtime.sharedInstances["VFakeTouchBarItem"]);
    EXPECT_EQ (hook.makeItemForIdentifier (nullptr, "VFakeTouchBarItem"), nullptr);
    EXPECT_EQ (hook.makeItemForIdentifier (window.getPeer(), "Volume"), nullptr) << "a class, but not an item's";
    EXPECT_EQ (hook.makeItemForIdentifier (window.getPeer(), "VMissingTouchBarItem"), nullptr);
}
