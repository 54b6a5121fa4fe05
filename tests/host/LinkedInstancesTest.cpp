#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "tests/host/PluginHost.h"

namespace
{
using Instance = std::unique_ptr<juce::AudioPluginInstance>;
const auto element = PluginHost::element;
const auto addLink = PluginHost::addLink;

// Every case runs against the built VST3 and the built LV2 alike.
struct LinkedInstances : ::testing::TestWithParam<PluginHost::Format>
{
    void SetUp() override { ASSERT_TRUE (host.isLoaded()) << host.getError(); }
    Instance create() { auto i = host.createInstance(); EXPECT_NE (i, nullptr) << host.getError(); return i; }
    PluginHost host { GetParam() };
};

constexpr float gainAtPlus12dB = 3.98107f;

juce::AudioProcessorParameter* parameterNamed (juce::AudioPluginInstance& instance, const juce::String& name)
{
    for (auto* p : instance.getParameters())
        if (p->getName (100) == name)
            return p;
    return nullptr;
}
} // namespace

INSTANTIATE_TEST_SUITE_P (Formats, LinkedInstances, ::testing::Values (PluginHost::Format::vst3, PluginHost::Format::lv2), PluginHost::nameOf);

TEST_P (LinkedInstances, PublishesTheFourParametersByName)
{
    // The hosts add a bypass parameter of their own, and the LV2 host sorts them.
    auto instance = create();
    ASSERT_TRUE (instance);
    const char* names[] = { "Volume", "Pan", "LPFCutoff", "HPFCutoff" };

    for (int i = 0; i < 4; ++i)
    {
        auto* param = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameterNamed (*instance, names[i]));
        ASSERT_NE (param, nullptr) << names[i];

        // VST3 keeps the ids projects already hold: the hash of the decimal index.
        // LV2 addresses each parameter by a resource named after it.
        const auto expectedId = GetParam() == PluginHost::Format::vst3
                                    ? juce::String ((juce::uint32) juce::String (i).hashCode() & 0x7fffffffu)
                                    : "des:" + juce::String (ZO_LV2_URI) + ":" + names[i];
        EXPECT_EQ (param->getParameterID(), expectedId);
    }
}

TEST_P (LinkedInstances, PlaysStereoInTheLayoutItComesWith)
{
    // A host that plays the plug-in as it comes connects what it reports: stereo.
    auto instance = host.createInstance (false);
    ASSERT_TRUE (instance);
    EXPECT_EQ (instance->getTotalNumInputChannels(), 2);
    EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);
    for (int channel : { 0, 1 })
        EXPECT_NEAR (host.processBlock (*instance, channel), 1.0f, 0.01f) << channel;
}

TEST_P (LinkedInstances, LinksComeBackByNameInAnotherTrackOrder)
{
    std::map<juce::String, juce::MemoryBlock> saved;

    {
        auto drums = create();
        auto bass = create();
        auto keys = create();
        PluginHost::restoreState (*drums, host.hostStateFor (*drums, element ("Drums")));

        auto b = element ("Bass");
        addLink (b, 1, "Reverse (-x)", 1.0, 0, 0, -1, 0.0, "Drums");
        PluginHost::restoreState (*bass, host.hostStateFor (*bass, b));

        auto k = element ("Keys");
        addLink (k, 0, "Scale (*x)", 0.5, 1, 3, 2, 6.0, "Bass");
        PluginHost::restoreState (*keys, host.hostStateFor (*keys, k));

        saved["Drums"] = PluginHost::saveState (*drums);
        saved["Bass"] = PluginHost::saveState (*bass);
        saved["Keys"] = PluginHost::saveState (*keys);
    }

    // The project is opened again with the tracks in another order.
    auto keys = create();
    auto bass = create();
    auto drums = create();
    PluginHost::restoreState (*keys, saved["Keys"]);
    PluginHost::restoreState (*bass, saved["Bass"]);
    PluginHost::restoreState (*drums, saved["Drums"]); // the last row resolves every link

    auto k = host.savedElementOf (*keys);
    auto b = host.savedElementOf (*bass);
    ASSERT_TRUE (k && b);
    EXPECT_EQ (k->getStringAttribute ("MasterTrackName_0"), "Bass");
    EXPECT_EQ (k->getStringAttribute ("Rule_0"), "Scale (*x)");
    EXPECT_EQ (k->getIntAttribute ("DelayBufferLength_0"), 3);
    EXPECT_EQ (k->getIntAttribute ("DelayUnit_0"), 1);
    EXPECT_EQ (b->getStringAttribute ("MasterTrackName_1"), "Drums");

    // Keys follows Bass's volume at half: 0.5 after three ticks at the init value, 6 dB.
    std::vector<float> levels;
    for (int tick = 0; tick < 6; ++tick)
    {
        host.processBlock (*drums);
        host.processBlock (*bass);
        levels.push_back (host.processBlock (*keys));
    }
    EXPECT_NEAR (levels[1], 1.995f, 0.04f);
    EXPECT_NEAR (levels[5], 0.5f, 0.01f);

    // The host automates Bass's volume to +12 dB: Bass takes it at its next tick,
    // and Keys, at half of it, three ticks later.
    parameterNamed (*bass, "Volume")->setValue (1.0f);
    std::vector<float> bassLevels, keysLevels;
    for (int tick = 0; tick < 6; ++tick)
    {
        bassLevels.push_back (host.processBlock (*bass));
        keysLevels.push_back (host.processBlock (*keys));
    }
    EXPECT_NEAR (bassLevels[1], gainAtPlus12dB, 0.05f);
    EXPECT_NEAR (keysLevels[3], 0.5f, 0.01f);
    EXPECT_NEAR (keysLevels[4], 0.5f * gainAtPlus12dB, 0.03f);

    // Bass's pan is the reverse of Drums' pan: panning Drums right pans Bass left.
    parameterNamed (*drums, "Pan")->setValue (1.0f);
    for (int tick = 0; tick < 3; ++tick)
        host.processBlock (*drums);
    host.processBlock (*bass);
    EXPECT_LT (host.processBlock (*bass, 1), 1e-3f) << "right side silent at hard left";
    EXPECT_GT (host.processBlock (*bass, 0), 1.1f);
}

TEST_P (LinkedInstances, RandomSessionsRoundTripByteForByte)
{
    const juce::StringArray rules { "Same (=x)", "Reciprocal (1/x)", "Half (0.5x)", "Scale (*x)", "Reverse (-x)" };
    juce::Random random (20261206);

    for (int session = 0; session < 3; ++session)
    {
        const int tracks = 2 + random.nextInt (4);
        std::vector<Instance> instances;
        juce::StringArray names;

        for (int t = 0; t < tracks; ++t)
        {
            instances.push_back (create());
            names.add ("Track " + juce::String::charToString ((juce::juce_wchar) (0x4e00 + random.nextInt (500)))
                       + " " + juce::String (session) + "." + juce::String (t));
        }

        for (int t = 0; t < tracks; ++t)
        {
            auto xml = element (names[t]);
            xml.setAttribute ("Volume", random.nextDouble());
            xml.setAttribute ("Pan", random.nextDouble());
            xml.setAttribute ("LPFCutoff", random.nextDouble());
            xml.setAttribute ("HPFCutoff", random.nextDouble() * 0.2);

            for (int p = 0; p < 4; ++p)
            {
                const int leader = random.nextInt (tracks);
                if (leader == t || random.nextBool())
                    continue;

                const bool beats = random.nextBool();
                addLink (xml, p, rules[random.nextInt (rules.size())], random.nextDouble() * 4.0, beats ? 1 : 0,
                         random.nextInt (200), beats ? random.nextInt (8) : -1, random.nextDouble(), names[leader]);
            }

            PluginHost::restoreState (*instances[(size_t) t], host.hostStateFor (*instances[(size_t) t], xml));
        }

        for (int block = 0; block < 5; ++block)
            for (auto& i : instances)
                host.processBlock (*i);

        std::vector<juce::MemoryBlock> first;
        for (auto& i : instances)
            first.push_back (PluginHost::saveState (*i));

        instances.clear();
        for (int t = 0; t < tracks; ++t)
            instances.push_back (create());
        for (int t = 0; t < tracks; ++t)
            PluginHost::restoreState (*instances[(size_t) t], first[(size_t) t]);

        for (int t = 0; t < tracks; ++t)
        {
            const auto again = PluginHost::saveState (*instances[(size_t) t]);
            EXPECT_EQ (again, first[(size_t) t]) << "session " << session << " track " << t << "\n"
                << host.pluginElementOf (first[(size_t) t])->toString() << "\n"
                << host.pluginElementOf (again)->toString();
        }
    }
}
