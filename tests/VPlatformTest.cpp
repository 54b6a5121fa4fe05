#include <map>

#include <gtest/gtest.h>

#include "tests/WidgetTestSupport.h"
#include "widgets/VBundleLocation.h"
#include "widgets/VTouchBarHook.h"
#include "widgets/VTouchBarItemSource.h"

using namespace zowidgets;

namespace
{
// A native window as the fake runtime sees it: what its "owner" variable holds, and its class.
struct FakeWindow
{
    void* owner;
    void* windowClass;
};

// Two classes; a class handle is the address of its shared instance. Asked for no class's, it answers a stray one.
struct FakeClassRuntime : VClassRuntime
{
    void* findClass (const juce::String& name) override { return classes.count (name) != 0 ? &classes[name] : nullptr; }
    void* sharedInstanceOf (void* itemClass) override { return itemClass != nullptr ? itemClass : &stray; }
    void* ownerVariableOf (void* window) override { return static_cast<FakeWindow*> (window)->owner; }
    void* classOf (void* window) override { return static_cast<FakeWindow*> (window)->windowClass; }
    void addTouchBarMethods (void* windowClass) override { extended.add (windowClass); }
    std::map<juce::String, int> classes { { "VFakeTouchBarItem", 1 }, { "Volume", 2 } };
    int stray = 0;
    juce::Array<void*> extended;
};

template <typename ComponentType>
struct Naming : ComponentType, VTouchBarItemSource
{
    template <typename... Args>
    explicit Naming (juce::StringArray itemsToName, Args&&... args) : ComponentType (std::forward<Args> (args)...), items (std::move (itemsToName)) {}
    juce::StringArray touchBarItemIdentifiers() const override { return items; }
    juce::StringArray items;
};
} // namespace

TEST (VTouchBarHook, OnlyATopLevelWindowThatNamesItemsGetsABarOfThemWithItsClassesInstances)
{
    Naming<juce::TopLevelWindow> window ({ "VFakeTouchBarItem" }, "naming", false), silentWindow ({}, "silent", false);
    Naming<juce::Component> panel ({ "VFakeTouchBarItem" });
    juce::DocumentWindow plainWindow ("plain", juce::Colours::black, 0, false);
    tolerateMissingWindowManager();
    for (auto* c : std::initializer_list<juce::Component*> { &window, &panel, &silentWindow, &plainWindow })
        c->addToDesktop (0);
    const auto bar = VTouchBarHook::makeTouchBar (window.getPeer());
    ASSERT_TRUE (bar.has_value());
    EXPECT_TRUE (bar->delegate == &window && bar->defaultItemIdentifiers == juce::StringArray ("VFakeTouchBarItem"));
    for (auto* owner : { (juce::ComponentPeer*) nullptr, panel.getPeer(), silentWindow.getPeer(), plainWindow.getPeer() })
        EXPECT_FALSE (VTouchBarHook::makeTouchBar (owner).has_value());

    FakeClassRuntime runtime;
    const VTouchBarHook hook (runtime);
    EXPECT_EQ (hook.makeItemForIdentifier (window.getPeer(), "VFakeTouchBarItem"), &runtime.classes["VFakeTouchBarItem"]);
    EXPECT_EQ (hook.makeItemForIdentifier (nullptr, "VFakeTouchBarItem"), nullptr);
    EXPECT_EQ (hook.makeItemForIdentifier (window.getPeer(), "Volume"), nullptr) << "a class, but not an item's";
    EXPECT_EQ (hook.makeItemForIdentifier (window.getPeer(), "VMissingTouchBarItem"), nullptr);
}

TEST (VTouchBarHook, OnlyOurToolkitsOwnWindowClassGetsTheMethodsAndOnce)
{
    tolerateMissingWindowManager();
    juce::AlertWindow alert ("Warning", "Cannot use an empty name.", juce::MessageBoxIconType::WarningIcon);
    juce::Component popup;
    alert.addToDesktop (0);
    popup.addToDesktop (juce::ComponentPeer::windowIsTemporary);

    // A host's window has no "owner" variable, though it holds our editor's view;
    // another toolkit copy's window holds a peer of that copy.
    int ourClass = 0, hostClass = 0, otherCopysClass = 0, otherCopysPeer = 0;
    FakeWindow host { nullptr, &hostClass }, otherCopy { &otherCopysPeer, &otherCopysClass },
               ourAlert { alert.getPeer(), &ourClass }, ourPopup { popup.getPeer(), &ourClass };
    FakeClassRuntime runtime;
    VTouchBarHook hook (runtime);
    for (auto* window : { &host, &otherCopy, &ourAlert, &ourPopup, &ourAlert })
        hook.windowBecameKey (window);
    ASSERT_EQ (runtime.extended.size(), 1);
    EXPECT_EQ (runtime.extended[0], &ourClass);

    EXPECT_EQ (hook.ownerOf (&ourPopup), popup.getPeer());
    EXPECT_EQ (hook.ownerOf (&host), nullptr);
    EXPECT_EQ (hook.ownerOf (&otherCopy), nullptr);
    popup.removeFromDesktop();
    EXPECT_EQ (hook.ownerOf (&ourPopup), nullptr) << "its peer has gone";
}

// The look reads the materials beside the running program, as a plug-in reads them in its bundle.
TEST (VBundleLocation, EveryBuiltBundleHoldsTheLogoAndTheCjkFontWhereTheLookFindsThem)
{
    const auto beside = VBundleLocation::materialsFolderOf (juce::File::getSpecialLocation (juce::File::currentApplicationFile).getParentDirectory());
    EXPECT_EQ (VLookAndFeel::sharedInstance()->resourcesFolder, beside.getFullPathName());
    EXPECT_EQ (VBundleLocation::bundleFolderFor (juce::File ("/srv/Contents/x86_64-linux/tool")).getFullPathName(), "/srv/Contents/x86_64-linux") << "no .vst3, no bundle";
   #if defined(ZO_VST3_BINARY)
    for (auto [binary, extension] : { std::pair { ZO_VST3_BINARY, "vst3" }, { ZO_LV2_BINARY, "lv2" }, { ZO_STANDALONE_BINARY, "" } })
    {
        const auto bundle = VBundleLocation::bundleFolderFor (juce::File (binary)); // the standalone program's folder
        const auto materials = VBundleLocation::materialsFolderOf (bundle);
        juce::MemoryBlock font;
        ASSERT_TRUE (bundle.hasFileExtension (extension) && juce::ImageFileFormat::loadFrom (materials.getChildFile ("orlin_logo.png")).isValid()
                     && materials.getChildFile ("SourceHanSansCN-Regular.otf").loadFileAsData (font)) << materials.getFullPathName();
        EXPECT_EQ (juce::Typeface::createSystemTypefaceFor (font.getData(), font.getSize())->getName(), "Noto Sans CJK SC");
    }
   #endif
}
