#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <dlfcn.h>

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

// The plug-in's LV2 binary driven through the bare LV2 interface, as any host
// may drive it: ports connected or not as that host sees fit.
namespace
{
constexpr double rate = 48000.0;
constexpr uint32_t frames = 480;

struct UridMap
{
    std::map<std::string, LV2_URID> ids;
    LV2_URID_Map feature { this, [] (LV2_URID_Map_Handle h, const char* uri)
                           {
                               auto& known = static_cast<UridMap*> (h)->ids;
                               return known.emplace (uri, (LV2_URID) known.size() + 1).first->second;
                           } };
    LV2_URID operator() (const char* uri) { return feature.map (this, uri); }
};

// The port's index as the bundle's description numbers it, found by its symbol.
uint32_t portIndex (const juce::String& symbol)
{
    const auto ttl = juce::File (ZO_LV2_BUNDLE).getChildFile ("dsp.ttl").loadFileAsString();
    const int at = ttl.indexOf ("lv2:symbol \"" + symbol + "\"");
    const int start = ttl.substring (0, at).lastIndexOf ("[");
    const auto block = ttl.substring (start, ttl.indexOf (at, "]"));
    return (uint32_t) block.fromFirstOccurrenceOf ("lv2:index ", false, false).getIntValue();
}

struct Lv2Instance
{
    Lv2Instance()
    {
        library = dlopen (ZO_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return;
        const auto entry = reinterpret_cast<LV2_Descriptor_Function> (dlsym (library, "lv2_descriptor"));
        descriptor = entry != nullptr ? entry (0) : nullptr;
        if (descriptor == nullptr)
            return;

        const LV2_Options_Option options[] {
            { LV2_OPTIONS_INSTANCE, 0, map (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), map (LV2_ATOM__Int), &maxBlock },
            { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr },
        };
        const LV2_Feature mapFeature { LV2_URID__map, &map.feature };
        const LV2_Feature optionsFeature { LV2_OPTIONS__options, const_cast<LV2_Options_Option*> (options) };
        const LV2_Feature bounded { LV2_BUF_SIZE__boundedBlockLength, nullptr };
        const LV2_Feature* features[] { &mapFeature, &optionsFeature, &bounded, nullptr };
        handle = descriptor->instantiate (descriptor, rate, ZO_LV2_BUNDLE, features);
        if (handle == nullptr)
            return;

        // The event ports are required: an empty sequence in, room for one out.
        eventsIn.atom = { sizeof (LV2_Atom_Sequence_Body), map (LV2_ATOM__Sequence) };
        descriptor->connect_port (handle, portIndex ("in"), &eventsIn);
        descriptor->connect_port (handle, portIndex ("out"), eventsOut.data());
        descriptor->activate (handle);
    }

    ~Lv2Instance()
    {
        if (handle != nullptr)
        {
            descriptor->deactivate (handle);
            descriptor->cleanup (handle);
        }
        if (library != nullptr)
            dlclose (library);
    }

    void run()
    {
        auto* out = reinterpret_cast<LV2_Atom_Sequence*> (eventsOut.data());
        out->atom = { (uint32_t) (eventsOut.size() * sizeof (uint64_t) - sizeof (LV2_Atom)), 0 };
        descriptor->run (handle, frames);
    }

    UridMap map;
    int32_t maxBlock = (int32_t) frames;
    void* library = nullptr;
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    LV2_Atom_Sequence eventsIn {};
    std::vector<uint64_t> eventsOut = std::vector<uint64_t> (1024);
};

float rms (const std::vector<float>& v)
{
    double sum = 0.0;
    for (auto s : v)
        sum += (double) s * s;
    return (float) std::sqrt (sum / (double) v.size());
}
} // namespace

TEST (Lv2Ports, AnInputTheHostLeavesUnconnectedPlaysAsSilence)
{
    Lv2Instance plugin;
    ASSERT_NE (plugin.handle, nullptr) << dlerror();

    std::vector<float> left (frames), right (frames, 1.0f), outLeft (frames, 1.0f), outRight (frames, 1.0f);
    for (uint32_t i = 0; i < frames; ++i)
        left[i] = (float) (0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * 1000.0 * i / rate));

    // Nothing connected but the outputs: silence out, and no read through a null port.
    plugin.descriptor->connect_port (plugin.handle, portIndex ("audio_out_1"), outLeft.data());
    plugin.descriptor->connect_port (plugin.handle, portIndex ("audio_out_2"), outRight.data());
    plugin.run();
    EXPECT_EQ (rms (outLeft), 0.0f);
    EXPECT_EQ (rms (outRight), 0.0f);

    // The left input connected, the right one not: the left plays, the right stays silent.
    plugin.descriptor->connect_port (plugin.handle, portIndex ("audio_in_1"), left.data());
    for (int block = 0; block < 10; ++block)
        plugin.run();
    EXPECT_NEAR (rms (outLeft) / rms (left), 1.0f, 0.01f);
    EXPECT_EQ (rms (outRight), 0.0f);
}
