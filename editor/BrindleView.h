#pragma once

#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_opengl/juce_opengl.h>

#include "engine/VSharedData.h"
#include "widgets/VLabel.h"
#include "widgets/VMLTextEditor.h"
#include "widgets/VNumberSlider.h"
#include "widgets/VParamSlider.h"

class Brindle;

// The window of one instance, 700 x 550: its four knobs, the link form, and
// every track of the shared table as a leader and a follower name column with
// the links drawn between them.
//
// Threads: built, laid out, destroyed and called back on the message thread;
// paint runs on the OpenGL renderer's thread while that thread holds the
// message-thread lock. editorLock is held by paint, buttonClicked,
// sliderValueChanged and numTracksChanged, so that a paint never meets a
// half-built column or a half-made link. The table's names, records and rule
// lists are read without its lock: they change on the message thread only.
//
// Rows come from the table's change messages, so between a table change and
// its message the columns can name rows the table no longer holds, or miss
// rows it has. Every handler reads only rows that both the columns and the
// table hold, and leaves the rest for the message that is on its way.
class BrindleView : public juce::AudioProcessorEditor,
                    private juce::Button::Listener,
                    private VMLTextEditor::Listener,
                    private juce::Slider::Listener,
                    private juce::ComboBox::Listener,
                    private juce::Timer
{
public:
    explicit BrindleView (Brindle& owner);
    ~BrindleView() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    //==============================================================================
    // Called by the processor on the table's change messages.

    // Rebuilds both name columns and the track boxes after a track came or went.
    void numTracksChanged();

    // Shows the table's names again in the columns and the track boxes (which
    // start again from the first track), also where a typed name was refused.
    void updateTrackNames();

    // "Repeat_Name" or "Empty_Name": an alert over this window. Other codes do nothing.
    void showWarning (juce::String code);

    // Draws the table's current links.
    void updateLink();

    // Enables or disables a parameter's knob and its label; other indices do nothing.
    void setSliderEnabled (int parameterIndex, bool enabled);

    // The form's delay as a number of 10 ms ticks, at the tempo the host reports now.
    int getDelayBufferSize();

    //==============================================================================
    // One drawn link: the band around its curve that the mouse tests, and what
    // it was drawn from (the two tracks and the record), so that a double click
    // never removes a link that has been replaced or has moved since.
    struct linkPathInfo
    {
        juce::Path path;
        int followerIndex;
        int leaderIndex;
        int paramIndex;
        int followerTrackId;
        int leaderTrackId;
        VSharedData::LinkInfo drawnFrom;
    };

private:
    void buttonClicked (juce::Button*) override;
    void sliderValueChanged (juce::Slider*) override;
    void comboBoxChanged (juce::ComboBox*) override;
    void timerCallback() override;
    void textEditorReturnKeyPressed (VMLTextEditor&) override;
    void textEditorEscapeKeyPressed (VMLTextEditor&) override;

    void resizeLablesandToggles();
    void addLabelsandToggles();
    void udpateTrackListBoxItems();
    void changeTrackName (int row);
    void updateUiFromLoadedState();

    VSharedData& table() const;
    int rowsShown() const;
    bool rowsAreCurrent() const;
    int selectedRow (const juce::ComboBox&) const;
    int selectedParameter() const;
    void setUpInitValueBox (int parameterId);
    void showAddLink();
    void stopBlinking();
    void showAlert (const juce::String& message);
    juce::Path linkBand (int leaderRow, int followerRow, int parameterIndex) const;
    int hitLink (juce::Point<float> position) const;
    void clearHoverIfPointerLeft();

    //==============================================================================
    Brindle& ownerProcessor;
    int editorHeight = 550;
    int editorWidth = 700;

    VLabel* volumeLabel = nullptr;
    VLabel* panLabel = nullptr;
    VLabel* followerLabel = nullptr;
    VLabel* leaderLabel = nullptr;
    VLabel* parameterLabel = nullptr;
    VLabel* ruleLabel = nullptr;
    VLabel* delayLabel = nullptr;
    VLabel* leaderColumnHeading = nullptr;
    VLabel* followerColumnHeading = nullptr;
    VLabel* initValueLabel = nullptr;
    VLabel* lpfLabel = nullptr;
    VLabel* hpfLabel = nullptr;

    juce::ComboBox* followerComboBox = nullptr;
    juce::ComboBox* leaderComboBox = nullptr;
    juce::ComboBox* parameterComboBox = nullptr;
    juce::ComboBox* ruleComboBox = nullptr;
    juce::ComboBox* delayUnitComboBox = nullptr;

    // Not owning: the boxes are children of the window.
    juce::Array<VMLTextEditor*> leaderNameEditors;
    juce::Array<VMLTextEditor*> followerNameEditors;
    juce::Array<VMLTextEditor*> leaderPlaceholderEditors;
    juce::Array<VMLTextEditor*> followerPlaceholderEditors;

    VParamSlider* volumeKnob = nullptr;
    VParamSlider* panKnob = nullptr;
    VNumberSlider* scaleSlider = nullptr;
    VNumberSlider* delaySlider = nullptr;
    VNumberSlider* initValueSlider = nullptr;
    VParamSlider* lpfKnob = nullptr;
    VParamSlider* hpfKnob = nullptr;

    juce::TextButton* addLinkButton = nullptr;
    juce::TextButton* removeLinkButton = nullptr;

    int maxTracks = 10;
    int numTracks = 0;
    juce::Image logoImage;

    bool blinking = false;
    float blinkAlpha = 0.0f;
    float blinkAlphaStep = 0.1f;

    std::vector<juce::Colour> paramColours;
    std::vector<linkPathInfo> linkPaths;
    std::vector<int> hoveredLink;
    bool linkHovered = false;

    // Hears the pointer leave the window's own area or any child's: only the
    // window as a whole tells whether it has left the window.
    struct PointerExitWatch : juce::MouseListener
    {
        explicit PointerExitWatch (BrindleView& v) : view (v) {}
        void mouseExit (const juce::MouseEvent&) override { view.clearHoverIfPointerLeft(); }
        BrindleView& view;
    } pointerExitWatch { *this };

    juce::TooltipWindow tooltipWindow { nullptr, 700 };
    juce::CriticalSection editorLock;
    juce::OpenGLContext openGLContext;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BrindleView)
};
