#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/KtParameter.h"
#include "engine/RBJBiquad.h"
#include "engine/VChangeBroadcaster.h"
#include "engine/VCutoffGlide.h"
#include "engine/VChangeListener.h"
#include "engine/VSharedData.h"

class BrindleView;

// The audio processor of one plug-in instance, that is of one host track.
class Brindle : public juce::AudioProcessor,
                public VChangeListener,
                public VChangeBroadcaster,
                public KtParameter::Owner
{
public:
    Brindle();
    ~Brindle() override;

    //==============================================================================
    const juce::String getName() const override;
    void prepareToPlay (double newSampleRate, int maximumBlockSize) override;
    void releaseResources() override;
    using juce::AudioProcessor::processBlock;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    // Every parameter change lands here (host automation through the parameter's
    // setValue, the notifying setters, a restored state): it stores the value and
    // writes it into this track's row of the table.
    void setParameter (int parameterIndex, float newValue) override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;
    void processorLayoutsChanged() override;

    void changeListenerCallback (VChangeBroadcaster* source, const juce::String& message) override;

    //==============================================================================
    // The control tick: pulls this track's four values from the table.
    void updateControlParams();
    void setParameterFromUi (int parameterIndex, float realValue, bool notify);
    double getBpm();
    void showWarning (juce::String code);

    // The saved state: one element with the parameters, the track name and the
    // links this track follows (leaders by track name).
    std::unique_ptr<juce::XmlElement> saveState();
    void loadState (const juce::XmlElement* xml);
    juce::String getStateTagName() const;

    // The attributes of a saved state that loadState reads; a state's others are skipped.
    const std::unordered_set<juce::String>& getLoadedAttributeNames() const;

    KtParameter* getKtParameter (int parameterIndex) const;

    static float dbToGain (float db) noexcept;
    static float gainToDb (float gain) noexcept;

    //==============================================================================
    // Read directly by the editor and by tests; written only by this class.
    std::atomic<double> sampleRate { 44100.0 };
    VSharedData* sharedData = nullptr;
    const bool lpfOn = true;
    const bool hpfOn = true;
    std::atomic<bool> isPlaying { false };
    std::array<bool, 4> paramNotFollowing { { true, true, true, true } };
    std::atomic<int> numChannels { 2 };
    int trackId = -1;

    // The control values the audio path applies; the tick may write them from
    // another thread while the audio thread reads them per sample.
    std::atomic<float> gain { 1.0f };
    std::atomic<float> pan { 0.0f };
    std::atomic<float> lpfCutoff { 20000.0f };
    std::atomic<float> hpfCutoff { 20.0f };

private:
    void initialize();
    void createParameters();
    void destroyInternalTypes();
    void updateSampleRate();

    // The open window, when it is this system's; null otherwise. Message thread.
    BrindleView* getView() const;

    void buildFilters (int channels);
    void designFiltersAtOnce();
    void retargetFilters (int parameterIndex);
    void advanceGlides (double rate) noexcept;
    void filterSample (size_t channel, float& sample, double rate);
    void recoverFilters();

    // A table value made fit for the audio path: the control value, and the real
    // value a follower's parameter shows (dB for the volume).
    struct Applicable
    {
        float control;
        float real;
    };

    // The saved track name and link records, as saveState writes them; and,
    // when `tell` is set, a word to the host when they differ from the copy it
    // was last told of.
    void writeNameAndLinks (juce::XmlElement& xml) const;
    void tellHostIfNameOrLinksChanged (bool tell);

    Applicable applicableValue (int parameterIndex, float tableValue, float inForce) const;
    void refreshControlOf (KtParameter& parameter);
    float capCutoff (float cutoff) const noexcept;
    std::atomic<float>& controlValue (int parameterIndex) noexcept;

    // The four parameters in index order; the toolkit's processor base owns them.
    std::array<KtParameter*, 4> ktParameters {};

    double bpm = 120.0;
    std::optional<VSharedData::SavedRow> knownNameAndLinks; // under stateLock
    int controlCounter = 0;

    std::vector<std::unique_ptr<RBJBiquad>> lpfFilters;
    std::vector<std::unique_ptr<RBJBiquad>> hpfFilters;

    // What takes each filter kind to a new cutoff without a burst; with the filters, under filterLock.
    VCutoffGlide lowPassGlide;
    VCutoffGlide highPassGlide;

    juce::CriticalSection stateLock;
    juce::CriticalSection filterLock;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Brindle)
};
