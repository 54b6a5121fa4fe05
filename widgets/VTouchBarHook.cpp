#include "widgets/VTouchBarHook.h"

#include "widgets/VTouchBarItemSource.h"

VTouchBarHook::VTouchBarHook (VClassRuntime& runtimeToUse)
    : runtime (runtimeToUse)
{
}

//==============================================================================
std::optional<VTouchBarLayout> VTouchBarHook::makeTouchBar (juce::ComponentPeer* owner)
{
    if (owner == nullptr)
        return std::nullopt;

    auto* window = dynamic_cast<juce::TopLevelWindow*> (&owner->getComponent());

    if (window == nullptr)
        return std::nullopt;

    const auto* source = dynamic_cast<const VTouchBarItemSource*> (window);
    const auto identifiers = source != nullptr ? source->touchBarItemIdentifiers() : juce::StringArray();

    if (identifiers.isEmpty())
        return std::nullopt;

    return VTouchBarLayout { window, identifiers };
}

//==============================================================================
void* VTouchBarHook::makeItemForIdentifier (juce::ComponentPeer* owner, const juce::String& identifier) const
{
    // The ending keeps the lookup to item classes: any other class name would
    // be sent sharedInstance too.
    if (owner == nullptr || ! identifier.endsWith ("TouchBarItem"))
        return nullptr;

    auto* itemClass = runtime.findClass (identifier);
    return itemClass != nullptr ? runtime.sharedInstanceOf (itemClass) : nullptr;
}
