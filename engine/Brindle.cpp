#include "engine/Brindle.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "editor/BrindleView.h"
#include "engine/VSharedData.h"
#include "engine/VStateText.h"

namespace
{
constexpr double filterQ = 0.7071;
constexpr double cutoffCapRatio = 0.48;
constexpr int numControlParams = 4;

// Pan law factor for the boosted side: +1.5 dB at full pan, all of it in double.
double panBoost (float p) noexcept
{
    return std::pow (10.0, 1.5 * (double) p * 0.05);
}
} // namespace

//==============================================================================
Brindle::Brindle()
    // Stereo in and out, enabled as the plug-in comes: an LV2 host connects every
    // port of an enabled bus, while a disabled one's ports are optional to it.
    : juce::AudioProcessor (BusesProperties().withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                             .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      lowPassGlide (0, filterQ),
      highPassGlide (1, filterQ)
{
    initialize();
    createParameters();
}

Brindle::~Brindle()
{
    destroyInternalTypes();
}

void Brindle::initialize()
{
    const int inputs = getTotalNumInputChannels();
    numChannels = inputs == 0 ? 2 : inputs;
    gain = 1.0f;
    pan = 0.0f;
    lpfCutoff = 20000.0f;
    hpfCutoff = 20.0f;
    controlCounter = 0;

    sharedData = VSharedData::sharedInstance();
    sharedData->addChangeListener (this);
    sharedData->addTrack (trackId, this, 1.0f, 0.0f, 20000.0f, 20.0f);

    buildFilters (numChannels);
}

void Brindle::createParameters()
{
    // LV2 names every parameter by its ID in Turtle, where a name cannot start
    // with a digit, so LV2 gets the parameter names. VST3 and AU keep the decimal
    // index, whose hash is the parameter id they have always published and that
    // hosts keep in their projects' automation.
    const auto idFor = [this] (const char* name, int index)
    {
        return wrapperType == wrapperType_LV2 ? juce::String (name) : juce::String (index);
    };

    ktParameters = { new KtParameter ("Volume", -12.0f, 12.0f, 0.0f, this, false, 0, true, false, 1.0f, idFor ("Volume", 0)),
                     new KtParameter ("Pan", -1.0f, 1.0f, 0.0f, this, false, 0, true, false, 1.0f, idFor ("Pan", 1)),
                     new KtParameter ("LPFCutoff", 20.0f, 20000.0f, 20000.0f, this, false, 0, true, false, 1.0f, idFor ("LPFCutoff", 2)),
                     new KtParameter ("HPFCutoff", 20.0f, 20000.0f, 20.0f, this, false, 0, true, false, 1.0f, idFor ("HPFCutoff", 3)) };

    for (auto* param : ktParameters)
        addParameter (param);

    // Writes every default into this track's row; no host listens yet.
    for (auto* p : getParameters())
        p->setValueNotifyingHost (p->getValue());
}

void Brindle::destroyInternalTypes()
{
    sharedData->removeTrack (trackId);
    sharedData->removeChangeListener (this);
    lpfFilters.clear();
    hpfFilters.clear();
}

//==============================================================================
const juce::String Brindle::getName() const              { return "Zo Tarvel"; }
void Brindle::releaseResources()                          {}
double Brindle::getTailLengthSeconds() const              { return 0.0; }
bool Brindle::acceptsMidi() const                         { return false; }
bool Brindle::producesMidi() const                        { return false; }
int Brindle::getNumPrograms()                             { return 1; }
int Brindle::getCurrentProgram()                          { return 0; }
void Brindle::setCurrentProgram (int)                     {}
const juce::String Brindle::getProgramName (int)          { return {}; }
void Brindle::changeProgramName (int, const juce::String&) {}

juce::AudioProcessorEditor* Brindle::createEditor()       { return new BrindleView (*this); }
bool Brindle::hasEditor() const                           { return true; }

BrindleView* Brindle::getView() const
{
    return dynamic_cast<BrindleView*> (getActiveEditor());
}


//==============================================================================
float Brindle::dbToGain (float db) noexcept
{
    return db > -100.0f ? std::pow (10.0f, db * 0.05f) : 0.0f;
}

float Brindle::gainToDb (float g) noexcept
{
    return g > 0.0f ? juce::jmax (-100.0f, 20.0f * std::log10 (g)) : -100.0f;
}

KtParameter* Brindle::getKtParameter (int parameterIndex) const
{
    return juce::isPositiveAndBelow (parameterIndex, numControlParams) ? ktParameters[(size_t) parameterIndex] : nullptr;
}

std::atomic<float>& Brindle::controlValue (int parameterIndex) noexcept
{
    switch (parameterIndex)
    {
        case 0:  return gain;
        case 1:  return pan;
        case 2:  return lpfCutoff;
        default: return hpfCutoff;
    }
}

float Brindle::capCutoff (float cutoff) const noexcept
{
    return (float) juce::jmin ((double) cutoff, cutoffCapRatio * sampleRate.load());
}

//==============================================================================
void Brindle::buildFilters (int channels)
{
    lpfFilters.clear();
    hpfFilters.clear();

    for (int c = 0; c < channels; ++c)
    {
        lpfFilters.push_back (std::make_unique<RBJBiquad>());
        hpfFilters.push_back (std::make_unique<RBJBiquad>());
    }

    designFiltersAtOnce();
}

void Brindle::designFiltersAtOnce()
{
    const juce::ScopedLock fl (filterLock);
    lowPassGlide.jumpTo (lpfCutoff.load(), sampleRate.load(), lpfFilters);
    highPassGlide.jumpTo (hpfCutoff.load(), sampleRate.load(), hpfFilters);
}

void Brindle::retargetFilters (int parameterIndex)
{
    // The audio path takes the filters there, a step at a time.
    const juce::ScopedLock fl (filterLock);

    if (parameterIndex == 2)
        lowPassGlide.setTarget (lpfCutoff.load());
    else
        highPassGlide.setTarget (hpfCutoff.load());
}

inline void Brindle::advanceGlides (double rate) noexcept
{
    if (lowPassGlide.isMoving())
        lowPassGlide.advance (rate, lpfFilters);

    if (highPassGlide.isMoving())
        highPassGlide.advance (rate, hpfFilters);
}

void Brindle::prepareToPlay (double newSampleRate, int)
{
    // A rate the host cannot mean (NaN, zero, negative) keeps the one in force.
    const bool usable = std::isfinite (newSampleRate) && newSampleRate > 0.0;

    if (usable && newSampleRate != sampleRate.load())
    {
        sampleRate = newSampleRate;
        updateSampleRate();
    }

    controlCounter = 0;
    updateControlParams();
}

void Brindle::updateSampleRate()
{
    const juce::ScopedLock fl (filterLock);
    lpfCutoff = capCutoff (lpfCutoff.load());
    hpfCutoff = capCutoff (hpfCutoff.load());
    designFiltersAtOnce();
}

void Brindle::processorLayoutsChanged()
{
    const juce::ScopedLock fl (filterLock);
    numChannels = getTotalNumInputChannels();
    buildFilters (numChannels);
}

//==============================================================================
void Brindle::filterSample (size_t channel, float& sample, double rate)
{
    // A buffer wider than the filter set leaves its extra channels unfiltered.
    const juce::ScopedLock fl (filterLock);

    if (channel == 0)
        advanceGlides (rate);

    if (lpfOn && channel < lpfFilters.size())
        sample = lpfFilters[channel]->process (sample);

    if (hpfOn && channel < hpfFilters.size())
        sample = hpfFilters[channel]->process (sample);
}

void Brindle::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (isSuspended())
        return;

    // A filter's tail decays into subnormal numbers, which cost dearly here and
    // in whatever reads this output next; whatever mode the host runs in, they are zero.
    const juce::ScopedNoDenormals noDenormals;

    double tempo = 120.0;
    bool playing = false;

    if (auto* head = getPlayHead())
    {
        if (const auto position = head->getPosition())
        {
            tempo = position->getBpm().orFallback (120.0);
            playing = position->getIsPlaying();
        }
    }

    {
        // Hosts report 0 while they have no tempo map, and some report worse; a
        // delay in beats needs a finite tempo above 0, so such a report keeps the last.
        const juce::ScopedLock sl (stateLock);

        if (std::isfinite (tempo) && tempo > 0.0)
            bpm = tempo;
    }
    isPlaying = playing;

    const int channels = buffer.getNumChannels();
    const int n = buffer.getNumSamples();
    numChannels = channels;
    const double rate = sampleRate.load();
    const int tickLength = juce::jmax (1, (int) (rate * 0.01));

    const auto countTick = [this, tickLength]
    {
        if (++controlCounter >= tickLength)
        {
            updateControlParams();
            controlCounter = 0;
        }
    };

    if (channels == 2)
    {
        auto* left = buffer.getWritePointer (0);
        auto* right = buffer.getWritePointer (1);

        // The boost factor needs a pow(); work it out again only when the pan moves.
        float lastPan = 0.0f;
        double boost = 1.0;

        for (int i = 0; i < n; ++i)
        {
            {
                const juce::ScopedLock fl (filterLock);
                advanceGlides (rate);

                if (lpfOn && lpfFilters.size() >= 2)
                {
                    left[i] = lpfFilters[0]->process (left[i]);
                    right[i] = lpfFilters[1]->process (right[i]);
                }

                if (hpfOn && hpfFilters.size() >= 2)
                {
                    left[i] = hpfFilters[0]->process (left[i]);
                    right[i] = hpfFilters[1]->process (right[i]);
                }
            }

            const float p = pan.load (std::memory_order_relaxed);

            if (p != lastPan)
            {
                lastPan = p;
                boost = panBoost (std::abs (p));
            }

            if (p < 0.0f)
            {
                left[i] = (float) ((double) left[i] * boost);
                right[i] *= 1.0f + p;
            }
            else if (p > 0.0f)
            {
                left[i] *= 1.0f - p;
                right[i] = (float) ((double) right[i] * boost);
            }

            const float g = gain.load (std::memory_order_relaxed);
            left[i] *= g;
            right[i] *= g;

            countTick();
        }
    }
    else
    {
        for (int i = 0; i < n; ++i)
        {
            for (int c = 0; c < channels; ++c)
            {
                auto* channelData = buffer.getWritePointer (c);
                filterSample ((size_t) c, channelData[i], rate);
                channelData[i] *= gain.load (std::memory_order_relaxed);
            }

            countTick();
        }
    }
}

//==============================================================================
void Brindle::updateControlParams()
{
    const juce::ScopedLock sl (stateLock);

    for (int p = 0; p < numControlParams; ++p)
    {
        auto& control = controlValue (p);
        const auto next = applicableValue (p, sharedData->getData (trackId, p), control.load());
        auto* param = getKtParameter (p);
        const bool follows = sharedData->isSlave (trackId, p);

        // Compared after clamping, so that a table value out of range does not
        // count as a change on every tick.
        const bool changes = next.control != control.load();

        // Stored once: a tick off the audio thread never shows an unclamped value.
        if (changes)
            control = next.control;

        // A follower's parameter shows what is applied, also when only the control
        // value moved (a new sample rate caps it). Stored only: the host is not
        // told and no table write follows.
        if (follows)
        {
            const float shown = juce::jlimit (0.0f, 1.0f, param->convertToNormalised (next.real));

            if (changes || shown != param->getValue())
            {
                param->storeValue (shown);
                refreshControlOf (*param);
            }
        }

        if (changes && p >= 2)
            retargetFilters (p);
    }

    recoverFilters();
}

Brindle::Applicable Brindle::applicableValue (int parameterIndex, float tableValue, float inForce) const
{
    // A value a link left behind can be anything (a chain of rules, a link that
    // ended); the audio path only ever takes a finite value inside the range.
    const auto* param = getKtParameter (parameterIndex);

    if (! std::isfinite (tableValue))
        return { inForce, parameterIndex == 0 ? gainToDb (inForce) : inForce };

    if (parameterIndex == 0)
    {
        // Clamped in dB; a gain of exactly -12 or +12 dB is not rewritten.
        const float d = gainToDb (tableValue);

        if (d < param->minValue)
            return { dbToGain (param->minValue), param->minValue };

        if (d > param->maxValue)
            return { dbToGain (param->maxValue), param->maxValue };

        return { tableValue, d };
    }

    float x = juce::jlimit (param->minValue, param->maxValue, tableValue);

    if (parameterIndex >= 2)
        x = capCutoff (x);

    return { x, x };
}

void Brindle::recoverFilters()
{
    // NaN or infinite input from the host would otherwise stay in a filter's
    // history for good; such a filter starts again from rest.
    const juce::ScopedLock fl (filterLock);

    for (auto* filters : { &lpfFilters, &hpfFilters })
        for (auto& f : *filters)
            if (! f->hasFiniteHistory())
                f->clearHistory();
}

void Brindle::setParameter (int parameterIndex, float newValue)
{
    auto* param = getKtParameter (parameterIndex);

    if (param == nullptr || parameterIndex >= numControlParams)
        return;

    param->storeValue (newValue);
    const float real = param->value.load();

    const juce::ScopedLock sl (stateLock);

    switch (parameterIndex)
    {
        case 0:  sharedData->setData (trackId, 0, dbToGain (real)); break;
        case 1:  sharedData->setData (trackId, 1, real); break;
        default: sharedData->setData (trackId, parameterIndex, capCutoff (real)); break;
    }

    if (! param->fromUi.load())
        refreshControlOf (*param);
}

void Brindle::setParameterFromUi (int parameterIndex, float realValue, bool notify)
{
    auto* param = getKtParameter (parameterIndex);

    if (param == nullptr)
        return;

    const float n = param->convertToNormalised (realValue);

    if (param->isAutomatable())
    {
        param->fromUi = true;
        param->setValueNotifyingHost (n);
        param->fromUi = false;
    }
    else if (notify)
    {
        param->setValueNotifyingHost (n);
    }
    else
    {
        setParameter (parameterIndex, n);
    }
}

void Brindle::refreshControlOf (KtParameter& parameter)
{
    // A paired control exists only while the editor that owns it is open.
    parameter.refreshPairedControl();
}

//==============================================================================
void Brindle::changeListenerCallback (VChangeBroadcaster* source, const juce::String& message)
{
    if (source != sharedData)
        return;

    // A change made in a window can rename this track or change a link it
    // follows, or its leader's name. What a track's coming or going changes (a
    // default name that moves, a link to a track that went) is the host's own
    // doing, and the host may be deleting this instance at the same time.
    tellHostIfNameOrLinksChanged (message != "Add_Track" && message != "Remove_Track");

    auto* view = getView();

    if (message == "Add_Track" || message == "Remove_Track")
    {
        if (view != nullptr)
        {
            view->numTracksChanged();
            view->updateTrackNames();
        }
    }
    else if (message == "Set_TrackName")
    {
        if (view != nullptr)
            view->updateTrackNames();
    }
    else if (message == "Add_Master" || message == "Remove_Master")
    {
        for (int p = 0; p < numControlParams; ++p)
            paramNotFollowing[(size_t) p] = ! sharedData->isSlave (trackId, p);

        if (view != nullptr)
        {
            view->updateLink();

            for (int p = 0; p < sharedData->numParams; ++p)
                view->setSliderEnabled (p, ! sharedData->isSlave (trackId, p));
        }
    }
}

double Brindle::getBpm()
{
    const juce::ScopedLock sl (stateLock);
    return bpm;
}

void Brindle::showWarning (juce::String code)
{
    if (auto* view = getView())
        view->showWarning (code);
}

//==============================================================================
juce::String Brindle::getStateTagName() const
{
    return getName().replace (" ", "_").replace ("Zo", "Kt") + "_SETTINGS";
}

void Brindle::getStateInformation (juce::MemoryBlock& destData)
{
    copyXmlToBinary (*saveState(), destData);
}

void Brindle::setStateInformation (const void* data, int sizeInBytes)
{
    if (auto xml = VStateText::readElement (data, sizeInBytes, getLoadedAttributeNames()))
        loadState (xml.get());
}

const std::unordered_set<juce::String>& Brindle::getLoadedAttributeNames() const
{
    // What loadState reads; the same for every instance.
    static const auto names = [this]
    {
        std::unordered_set<juce::String> n { "track_name" };

        for (auto* param : ktParameters)
            n.insert (param->getName (40));

        for (int p = 0; p < numControlParams; ++p)
            for (auto* key : { "MasterIndexInVector_", "Rule_", "Scale_", "DelayUnit_", "DelayTimeInBeats_",
                               "DelayBufferLength_", "InitValue_", "MasterTrackName_" })
                n.insert (key + juce::String (p));

        return n;
    }();

    return names;
}

std::unique_ptr<juce::XmlElement> Brindle::saveState()
{
    const juce::ScopedLock sl (stateLock);

    auto xml = std::make_unique<juce::XmlElement> (getStateTagName());

    for (auto* p : getParameters())
    {
        if (auto* param = dynamic_cast<KtParameter*> (p))
        {
            const auto name = param->getName (40);
            xml->setAttribute (name, (double) param->getValue());
            xml->setAttribute (name + "_denormalized", (double) param->value.load());
            xml->setAttribute (name + "_skew", (double) param->skew);
        }
    }

    writeNameAndLinks (*xml);
    xml->setAttribute ("Num_Tracks", sharedData->getNumTracks());
    return xml;
}

void Brindle::writeNameAndLinks (juce::XmlElement& xml) const
{
    const auto [name, links] = sharedData->getSavedRow (trackId);
    xml.setAttribute ("track_name", name);

    for (int p = 0; p < sharedData->numParams; ++p)
    {
        const auto& info = links[(size_t) p];
        const juce::String n (p);

        // Leaders travel by name only; their row is found again on load.
        xml.setAttribute ("MasterIndexInVector_" + n, -1);
        xml.setAttribute ("ControlParamIndex_" + n, info.controlParamIndex);
        xml.setAttribute ("Rule_" + n, info.rule);
        xml.setAttribute ("Scale_" + n, (double) info.scale);
        xml.setAttribute ("DelayUnit_" + n, info.delayUnit);
        xml.setAttribute ("DelayTimeInMs_" + n, 10 * info.delayBufferLength);
        xml.setAttribute ("DelayBufferLength_" + n, info.delayBufferLength);
        xml.setAttribute ("DelayTimeInBeats_" + n, info.delayTimeInBeats);
        xml.setAttribute ("InitValue_" + n, (double) info.initValue);
        xml.setAttribute ("MasterTrackName_" + n, info.masterTrackName);
    }
}

namespace
{
// Whether two copies of a track's name and links save alike: the leader's row
// and the milliseconds (ten times the length) are not saved by themselves.
bool savedAlike (const VSharedData::SavedRow& a, const VSharedData::SavedRow& b)
{
    const auto sameFloat = [] (float x, float y) { return std::memcmp (&x, &y, sizeof (float)) == 0; };
    const auto sameLink = [&] (const VSharedData::LinkInfo& x, const VSharedData::LinkInfo& y)
    {
        return x.controlParamIndex == y.controlParamIndex && x.rule == y.rule && sameFloat (x.scale, y.scale)
            && x.delayUnit == y.delayUnit && x.delayBufferLength == y.delayBufferLength
            && x.delayTimeInBeats == y.delayTimeInBeats && sameFloat (x.initValue, y.initValue)
            && x.masterTrackName == y.masterTrackName;
    };
    return a.first == b.first && std::equal (a.second.begin(), a.second.end(), b.second.begin(), b.second.end(), sameLink);
}
} // namespace

void Brindle::tellHostIfNameOrLinksChanged (bool tell)
{
    {
        const juce::ScopedLock sl (stateLock);
        auto now = sharedData->getSavedRow (trackId);

        // The first look, while this instance may still be under construction
        // (an LV2 plug-in's message thread is not the host's), is the baseline.
        const bool known = knownNameAndLinks.has_value();

        if (known && savedAlike (now, *knownNameAndLinks))
            return;

        knownNameAndLinks = std::move (now);

        if (! known || ! tell)
            return;
    }

    // Parameters reach the host by themselves; this is the rest of the project's copy.
    updateHostDisplay (juce::AudioProcessorListener::ChangeDetails().withNonParameterStateChanged (true));
}

namespace
{
// Numbers from a project file: anything that is not a finite number takes the default.
double readNumber (const juce::XmlElement& xml, const juce::String& name, double fallback)
{
    const double v = xml.hasAttribute (name) ? VStateText::readNumber (xml.getStringAttribute (name)) : fallback;
    return std::isfinite (v) ? v : fallback;
}

int readInteger (const juce::XmlElement& xml, const juce::String& name, int fallback, int lowest, int highest)
{
    const double v = readNumber (xml, name, fallback);
    return (int) juce::jlimit ((double) lowest, (double) highest, v);
}

float readFloat (const juce::XmlElement& xml, const juce::String& name, float fallback)
{
    const double v = readNumber (xml, name, fallback);
    const double largest = (double) std::numeric_limits<float>::max();
    return (float) juce::jlimit (-largest, largest, v);
}
} // namespace

void Brindle::loadState (const juce::XmlElement* xml)
{
    const juce::ScopedLock sl (stateLock);

    if (xml == nullptr || ! xml->hasTagName (getStateTagName()))
        return;

    for (auto* p : getParameters())
    {
        auto* param = dynamic_cast<KtParameter*> (p);

        if (param == nullptr)
            continue;

        param->setValue ((float) readNumber (*xml, param->getName (40), (double) param->getValue()));
        refreshControlOf (*param);

        const float n = param->convertToNormalised (param->value.load());

        if (param->isAutomatable())
        {
            param->fromUi = true;
            param->setValueNotifyingHost (n);
            param->fromUi = false;
        }
        else
        {
            setParameter (param->getParameterIndex(), n);
        }
    }

    const int row = sharedData->getDataIndex (trackId);

    if (row < 0)
        return;

    sharedData->setTrackName (row, xml->getStringAttribute ("track_name", juce::String (row + 1)));

    for (int p = 0; p < sharedData->numParams; ++p)
    {
        const juce::String n (p);
        auto rule = xml->getStringAttribute ("Rule_" + n);
        auto leaderName = xml->getStringAttribute ("MasterTrackName_" + n);

        // A rule this system does not know makes no link.
        if (std::find (sharedData->ruleNames.begin(), sharedData->ruleNames.end(), rule) == sharedData->ruleNames.end())
        {
            rule.clear();
            leaderName.clear();
        }

        sharedData->loadLinkListFromState (trackId,
                                           readInteger (*xml, "MasterIndexInVector_" + n, -1, -1, 0x7fffffff),
                                           p,
                                           rule,
                                           readFloat (*xml, "Scale_" + n, -1.0f),
                                           readInteger (*xml, "DelayUnit_" + n, -1, -1, 1),
                                           readInteger (*xml, "DelayTimeInBeats_" + n, -1, -1, 0x7fffffff),
                                           readInteger (*xml, "DelayBufferLength_" + n, -1, -1, VSharedData::maxDelayBufferLength),
                                           readFloat (*xml, "InitValue_" + n, -1.0f),
                                           leaderName);
    }

    if (sharedData->getDataIndex (trackId) == sharedData->getNumTracks() - 1)
        sharedData->addMasterFromLinkList();

    // The host has just set this state; its own copy is current.
    knownNameAndLinks = sharedData->getSavedRow (trackId);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new Brindle();
}
