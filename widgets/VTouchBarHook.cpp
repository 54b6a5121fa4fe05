#include "widgets/VTouchBarHook.h"

#include "widgets/VTouchBarItemSource.h"

VTouchBarHook::VTouchBarHook (VClassRuntime& runtimeToUse)
    : runtime (runtimeToUse)
{
}

//==============================================================================
juce::ComponentPeer* VTouchBarHook::ownerOf (void* window) const
{
    if (window == nullptr || juce::MessageManager::getInstanceWithoutCreating() == nullptr)
        return nullptr;

    // Only compared, never followed: another copy's peer is no peer of ours.
    auto* owner = static_cast<juce::ComponentPeer*> (runtime.ownerVariableOf (window));
    return juce::ComponentPeer::isValidPeer (owner) ? owner : nullptr;
}

void VTouchBarHook::windowBecameKey (void* window)
{
    if (ownerOf (window) == nullptr)
        return;

    auto* windowClass = runtime.classOf (window);

    if (windowClass != nullptr && extendedClasses.addIfNotAlreadyThere (windowClass))
        runtime.addTouchBarMethods (windowClass);
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
