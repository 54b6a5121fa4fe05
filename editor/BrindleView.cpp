#include "editor/BrindleView.h"

#include <algorithm>
#include <cmath>

#include "engine/Brindle.h"
#include "widgets/VLookAndFeel.h"

namespace
{
const juce::Colour teal { 0xff1993a9 };
const juce::Colour captionGrey { 0xff9a9ca1 };
const juce::Colour removeRed { 0xffed4344 };
const juce::Colour background { 0xff33363a };
const juce::Colour otherTrackFrame { 0xff858585 };

// Name boxes: one row per track, 50 pixels apart from y 55.
constexpr int nameBoxX = 320;
constexpr int firstRowY = 55;
constexpr int rowPitch = 50;
constexpr int nameBoxWidth = 60;
constexpr int nameBoxHeight = 20;
constexpr int columnGap = 100;

bool sameLink (const VSharedData::LinkInfo& a, const VSharedData::LinkInfo& b)
{
    return a.masterIndexInVector == b.masterIndexInVector && a.controlParamIndex == b.controlParamIndex
        && a.rule == b.rule && a.scale == b.scale && a.delayUnit == b.delayUnit
        && a.delayTimeInBeats == b.delayTimeInBeats && a.delayBufferLength == b.delayBufferLength
        && a.initValue == b.initValue && a.masterTrackName == b.masterTrackName;
}

void styleNameBox (VMLTextEditor& box, juce::Colour textColour)
{
    box.setMultiLine (false, true);
    for (auto id : { juce::TextEditor::backgroundColourId, juce::TextEditor::outlineColourId,
                     juce::TextEditor::focusedOutlineColourId })
        box.setColour (id, juce::Colours::transparentWhite);
    box.setColour (juce::TextEditor::textColourId, textColour);
}
} // namespace

//==============================================================================
// Construction and layout

BrindleView::BrindleView (Brindle& owner)
    : juce::AudioProcessorEditor (owner),
      ownerProcessor (owner)
{
    openGLContext.attachTo (*getTopLevelComponent());
    juce::LookAndFeel::setDefaultLookAndFeel (VLookAndFeel::sharedInstance());

    paramColours = { teal, juce::Colour (0xfff5df18), teal.brighter (0.4f).brighter (0.4f),
                     juce::Colours::greenyellow };

    VParamSlider** knobs[] = { &volumeKnob, &panKnob, &lpfKnob, &hpfKnob };
    const char* suffixes[] = { " dB", "", " Hz", " Hz" };

    for (int i = 0; i < 4; ++i)
    {
        auto* param = owner.getKtParameter (i);
        auto* knob = new VParamSlider (&owner, i);
        *knobs[i] = knob;
        knob->addListener (this);
        knob->setSliderStyle (juce::Slider::RotaryVerticalDrag);
        knob->setRange (param->minValue, param->maxValue, i < 2 ? 0.01 : 1.0);
        knob->setValue (param->value.load(), juce::dontSendNotification);
        knob->setTextValueSuffix (suffixes[i]);

        if (i > 0)
            knob->setColour (juce::Slider::rotarySliderFillColourId, paramColours[(size_t) i]);

        addAndMakeVisible (knob);
        knob->setEnabled (owner.paramNotFollowing[(size_t) i]);
    }

    const auto makeComboBox = [this]
    {
        auto* box = new juce::ComboBox();
        addAndMakeVisible (box);
        return box;
    };

    followerComboBox = makeComboBox();
    followerComboBox->addListener (this);
    leaderComboBox = makeComboBox();
    leaderComboBox->addListener (this);

    parameterComboBox = makeComboBox();
    parameterComboBox->addItemList ({ "Volume", "Pan", "LPF", "HPF" }, 1);
    parameterComboBox->setSelectedId (1, juce::sendNotificationAsync);
    parameterComboBox->addListener (this);

    ruleComboBox = makeComboBox();
    for (size_t i = 0; i < table().volumeRuleNames.size(); ++i)
        ruleComboBox->addItem (table().volumeRuleNames[i], (int) i + 1);
    ruleComboBox->setSelectedId (1, juce::sendNotificationAsync);
    ruleComboBox->addListener (this);

    delayUnitComboBox = makeComboBox();
    delayUnitComboBox->addItem (TRANS ("Time"), 1);
    delayUnitComboBox->addItem (TRANS ("Beat"), 2);
    delayUnitComboBox->setSelectedId (1, juce::sendNotificationAsync);
    delayUnitComboBox->addListener (this);

    scaleSlider = new VNumberSlider (this);
    scaleSlider->setRange (0.1, 10.0, 0.1);
    scaleSlider->setValue (1.0, juce::dontSendNotification);
    addAndMakeVisible (scaleSlider);
    scaleSlider->setEnabled (false);
    scaleSlider->setVisible (false);

    delaySlider = new VNumberSlider (this);
    delaySlider->setRange (0.0, 5000.0, 10.0);
    delaySlider->setValue (0.0, juce::dontSendNotification);
    delaySlider->setTextValueSuffix (" ms");
    addAndMakeVisible (delaySlider);

    initValueSlider = new VNumberSlider (this);
    setUpInitValueBox (parameterComboBox->getSelectedId());
    initValueSlider->setValue (0.0, juce::dontSendNotification);
    addAndMakeVisible (initValueSlider);

    addLinkButton = new juce::TextButton (TRANS ("Add Link"));
    addAndMakeVisible (addLinkButton);
    addLinkButton->setColour (juce::TextButton::buttonColourId, teal);
    addLinkButton->addListener (this);

    removeLinkButton = new juce::TextButton (TRANS ("Remove Link"));
    addAndMakeVisible (removeLinkButton);
    removeLinkButton->setColour (juce::TextButton::buttonColourId, removeRed);
    removeLinkButton->setTooltip (TRANS ("Double clicking link lines can remove link more easily"));
    removeLinkButton->addListener (this);

    struct Caption
    {
        VLabel** field;
        const char* text;
        juce::Colour colour;
        juce::Justification justification;
        bool heading;
    };

    const Caption captions[] = {
        { &volumeLabel, "Vol.", teal, juce::Justification::centredRight, false },
        { &panLabel, "Pan", paramColours[1], juce::Justification::centredRight, false },
        { &lpfLabel, "LPF", paramColours[2], juce::Justification::centredRight, false },
        { &hpfLabel, "HPF", paramColours[3], juce::Justification::centredRight, false },
        { &followerLabel, "Follower", captionGrey, juce::Justification::centredLeft, false },
        { &leaderLabel, "Leader", captionGrey, juce::Justification::centredLeft, false },
        { &parameterLabel, "Parameter", captionGrey, juce::Justification::centredLeft, false },
        { &ruleLabel, "Rule", captionGrey, juce::Justification::centredLeft, false },
        { &delayLabel, "Delay", captionGrey, juce::Justification::centredLeft, false },
        { &initValueLabel, "Init. Value", captionGrey, juce::Justification::centredLeft, false },
        { &leaderColumnHeading, "Leader", captionGrey, juce::Justification::centred, true },
        { &followerColumnHeading, "Follower", captionGrey, juce::Justification::centred, true },
    };

    for (const auto& caption : captions)
    {
        auto* label = new VLabel ({}, {});
        *caption.field = label;
        addAndMakeVisible (label);

        if (caption.heading)
            label->setFont (juce::Font (16.0f, juce::Font::plain));

        label->setText (juce::translate (caption.text), juce::dontSendNotification);
        label->setColour (juce::Label::textColourId, caption.colour);
        label->setJustificationType (caption.justification);
    }

    editorHeight = 550;
    editorWidth = 700;

    const juce::File materials (VLookAndFeel::sharedInstance()->resourcesFolder);
    logoImage = juce::ImageCache::getFromFile (materials.getChildFile ("orlin_logo.png"));

    maxTracks = 10;
    numTracks = table().getNumTracks();
    addLabelsandToggles();
    udpateTrackListBoxItems();

    hoveredLink = { -1, -1, -1 };
    linkHovered = false;

    if (numTracks > maxTracks)
        juce::AlertWindow::showMessageBoxAsync (juce::AlertWindow::WarningIcon, TRANS ("Warning"),
                                                juce::translate ("Maximum number of tracks supported: "
                                                                 + juce::String (maxTracks)),
                                                "OK", nullptr, nullptr);

    setSize (editorWidth, editorHeight);
    setWantsKeyboardFocus (true);
    addMouseListener (&pointerExitWatch, true);

    blinking = false;
    blinkAlpha = 0.0f;
    blinkAlphaStep = 0.1f;

    updateUiFromLoadedState();
    startTimer (100);
}

BrindleView::~BrindleView()
{
    removeMouseListener (&pointerExitWatch);
    deleteAllChildren();
    openGLContext.detach();
}

VSharedData& BrindleView::table() const
{
    return *ownerProcessor.sharedData;
}

void BrindleView::resized()
{
    resizeLablesandToggles();

    const int knobHeight = (int) VLookAndFeel::getKnobAdjacentSideLength (48);

    volumeLabel->setBounds (10, 55, 40, 20);
    volumeKnob->setBounds (volumeLabel->getRight() + 2, volumeLabel->getY(), 48, knobHeight);
    panLabel->setBounds (volumeLabel->getRight() + 60, volumeLabel->getY(), 40, 20);
    panKnob->setBounds (panLabel->getRight() + 2, panLabel->getY(), 48, knobHeight);
    lpfLabel->setBounds (volumeLabel->getX(), volumeKnob->getBottom() + 10, 40, 20);
    lpfKnob->setBounds (lpfLabel->getRight() + 2, lpfLabel->getY(), 48, knobHeight);
    hpfLabel->setBounds (lpfLabel->getRight() + 60, lpfLabel->getY(), 40, 20);
    hpfKnob->setBounds (hpfLabel->getRight() + 2, hpfLabel->getY(), 48, knobHeight);

    parameterLabel->setBounds (30, lpfKnob->getBottom() + 30, 70, 30);
    parameterComboBox->setBounds (parameterLabel->getRight(), parameterLabel->getY(), 100, 30);

    // The form's rows: each a caption and its box, 15 pixels apart.
    const auto formRow = [] (juce::Component& caption, juce::Component& above, juce::Component& box)
    {
        caption.setBounds (above.getX(), above.getBottom() + 15, above.getWidth(), above.getHeight());
        box.setBounds (caption.getRight(), caption.getY(), 100, 30);
    };

    formRow (*leaderLabel, *parameterLabel, *leaderComboBox);
    formRow (*followerLabel, *leaderLabel, *followerComboBox);
    formRow (*ruleLabel, *followerLabel, *ruleComboBox);
    scaleSlider->setBounds (ruleComboBox->getRight() + 5, ruleComboBox->getY() + 4, 45, 22);

    delayLabel->setBounds (leaderLabel->getX(), ruleLabel->getBottom() + 15, leaderLabel->getWidth(), leaderLabel->getHeight());
    delayUnitComboBox->setBounds (delayLabel->getRight(), delayLabel->getY() + 3, 80, 24);
    delaySlider->setBounds (delayUnitComboBox->getRight() + 5, delayLabel->getY() + 4, 60, 22);

    // The "Init. Value" row sits 2 pixels below the "Delay" row.
    initValueLabel->setBounds (delayLabel->getX(), delayLabel->getBottom() + 2, leaderLabel->getWidth(), leaderLabel->getHeight());
    initValueSlider->setBounds (initValueLabel->getRight(), initValueLabel->getY() + 4, 60, 22);

    addLinkButton->setBounds (initValueLabel->getX(), initValueLabel->getBottom() + 20, 100, 30);
    removeLinkButton->setBounds (addLinkButton->getRight() + 15, addLinkButton->getY(),
                                 addLinkButton->getWidth(), addLinkButton->getHeight());

    // The headings stand over the first name row (there is always one: the own track's).
    const auto firstRow = leaderNameEditors.isEmpty()
                              ? juce::Rectangle<int> (nameBoxX, firstRowY, nameBoxWidth, nameBoxHeight)
                              : leaderNameEditors.getFirst()->getBounds();
    leaderColumnHeading->setBounds (firstRow.getX(), firstRow.getY() - 45, firstRow.getWidth(), 30);
    followerColumnHeading->setBounds (firstRow.getRight() + columnGap, firstRow.getY() - 45, firstRow.getWidth(), 30);
}

void BrindleView::resizeLablesandToggles()
{
    for (int i = 0; i < leaderNameEditors.size(); ++i)
    {
        leaderNameEditors[i]->setBounds (nameBoxX, firstRowY + rowPitch * i, nameBoxWidth, nameBoxHeight);
        followerNameEditors[i]->setBounds (leaderNameEditors[i]->getRight() + columnGap, leaderNameEditors[i]->getY(),
                                           nameBoxWidth, nameBoxHeight);
    }

    const int lastNameRowY = firstRowY + rowPitch * (leaderNameEditors.size() - 1);

    for (int j = 0; j < leaderPlaceholderEditors.size(); ++j)
    {
        const int y = lastNameRowY + rowPitch * (j + 1);
        leaderPlaceholderEditors[j]->setBounds (nameBoxX, y, nameBoxWidth, nameBoxHeight);
        followerPlaceholderEditors[j]->setBounds (nameBoxX + nameBoxWidth + columnGap, y, nameBoxWidth, nameBoxHeight);
    }
}

//==============================================================================
// Name columns

int BrindleView::rowsShown() const
{
    // Only rows that both the columns and the table hold.
    return juce::jmin (leaderNameEditors.size(), followerNameEditors.size(), table().getNumTracks());
}

bool BrindleView::rowsAreCurrent() const
{
    // False between a track's coming or going and its message.
    return numTracks == table().getNumTracks() && leaderNameEditors.size() == numTracks;
}

void BrindleView::addLabelsandToggles()
{
    const auto makeBox = [this] (bool readOnly, juce::Colour textColour, const juce::String& text)
    {
        auto* box = new VMLTextEditor();
        box->setReadOnly (readOnly);
        styleNameBox (*box, textColour);
        box->setText (text, true);
        box->setBorder ({ 0, 2, 0, 2 });
        return box;
    };

    for (int i = 0; i < numTracks; ++i)
    {
        for (auto* column : { &leaderNameEditors, &followerNameEditors })
        {
            auto* box = makeBox (column == &followerNameEditors, juce::Colours::white, table().getTrackName (i));
            box->addListener (this);
            addAndMakeVisible (box);
            column->add (box);
        }
    }

    for (int j = numTracks; j < maxTracks; ++j)
    {
        for (auto* column : { &leaderPlaceholderEditors, &followerPlaceholderEditors })
        {
            auto* box = makeBox (true, juce::Colours::white.darker (0.4f), "none");
            box->setEnabled (false);
            box->addListener (this);
            addAndMakeVisible (box);
            column->add (box);
        }
    }
}

void BrindleView::udpateTrackListBoxItems()
{
    followerComboBox->clear (juce::dontSendNotification);
    leaderComboBox->clear (juce::dontSendNotification);

    for (int i = 0; i < juce::jmin (numTracks, table().getNumTracks()); ++i)
    {
        // On one line, as the name boxes show it: only a project file can hold
        // a name with line breaks, and the boxes show one line.
        const auto name = table().getTrackName (i).replaceCharacters ("\r\n", "  ");
        followerComboBox->addItem (name, i + 1);
        leaderComboBox->addItem (name, i + 1);
    }

    followerComboBox->setSelectedId (1, juce::sendNotificationAsync);
    leaderComboBox->setSelectedId (1, juce::sendNotificationAsync);
}

void BrindleView::numTracksChanged()
{
    const juce::ScopedLock sl (editorLock);

    numTracks = table().getNumTracks();

    for (auto* column : { &leaderNameEditors, &followerNameEditors, &leaderPlaceholderEditors, &followerPlaceholderEditors })
    {
        for (auto* box : *column)
            delete box;

        column->clearQuick();
        column->minimiseStorageOverheads();
    }

    addLabelsandToggles();
    resizeLablesandToggles();
    udpateTrackListBoxItems();
    repaint();
}

void BrindleView::updateTrackNames()
{
    // Boxes past the table's last row keep their text until the removal's own
    // message rebuilds the columns.
    for (int i = 0; i < rowsShown(); ++i)
    {
        leaderNameEditors[i]->setText (table().getTrackName (i), true);
        followerNameEditors[i]->setText (table().getTrackName (i), true);
    }

    udpateTrackListBoxItems();
    repaint();
}

void BrindleView::textEditorReturnKeyPressed (VMLTextEditor& box)
{
    const int row = leaderNameEditors.indexOf (&box);

    if (row >= 0)
        changeTrackName (row);
}

void BrindleView::textEditorEscapeKeyPressed (VMLTextEditor& box)
{
    textEditorReturnKeyPressed (box);
}

void BrindleView::changeTrackName (int row)
{
    grabKeyboardFocus();

    // A refused name is reported to this window, where it was typed.
    if (row < rowsShown())
        table().setTrackName (row, leaderNameEditors[row]->getText(), &ownerProcessor);

    repaint();
}

void BrindleView::showWarning (juce::String code)
{
    juce::String message;

    if (code == "Repeat_Name")
        message = TRANS ("This name has been used for another track, please choose a different name.");
    else if (code == "Empty_Name")
        message = TRANS ("Cannot use an empty name.");
    else
        return;

    juce::AlertWindow::showMessageBoxAsync (juce::AlertWindow::WarningIcon, TRANS ("Warning"), message, {}, this, nullptr);
}

//==============================================================================
// Drawing and mouse

juce::Path BrindleView::linkBand (int leaderRow, int followerRow, int parameterIndex) const
{
    const auto leader = leaderNameEditors[leaderRow]->getBounds();
    const auto follower = followerNameEditors[followerRow]->getBounds();
    const float d = (float) (-2 + 8 * parameterIndex);
    const float x0 = (float) leader.getRight() + 5.0f, y0 = (float) leader.getY() + d;
    const float x1 = (float) follower.getX() - 5.0f, y1 = (float) follower.getY() + d;

    juce::Path band;
    band.startNewSubPath (x0, y0 - 3.0f);
    band.cubicTo (x0 + 25.0f, y0 - 3.0f, x1 - 25.0f, y1 - 3.0f, x1, y1 - 3.0f);
    band.lineTo (x1, y1 + 3.0f);
    band.cubicTo (x1 - 25.0f, y1 + 3.0f, x0 + 25.0f, y0 + 3.0f, x0, y0 + 3.0f);
    band.closeSubPath();
    return band;
}

void BrindleView::paint (juce::Graphics& g)
{
    const juce::ScopedLock sl (editorLock);

    g.fillAll (background);

    const int ownRow = table().getDataIndex (ownerProcessor.trackId);
    const auto frame = [&g] (juce::Component* box)
    {
        g.fillRoundedRectangle (box->getBounds().expanded (5).toFloat(), 2.0f);
    };

    for (int i = 0; i < juce::jmin (numTracks, leaderNameEditors.size()); ++i)
    {
        g.setColour (i == ownRow ? juce::Colours::green : otherTrackFrame);
        frame (leaderNameEditors[i]);
        frame (followerNameEditors[i]);
    }

    g.setColour (juce::Colours::darkgrey);
    for (int i = 0; i < leaderPlaceholderEditors.size(); ++i)
    {
        frame (leaderPlaceholderEditors[i]);
        frame (followerPlaceholderEditors[i]);
    }

    // Links wait for the message of a track that came or went: until then the
    // boxes stand for other rows than the records name.
    linkPaths.clear();
    const int rows = rowsAreCurrent() ? numTracks : 0;
    const auto processors = table().getProcessorPointers();

    for (int t = 0; t < rows; ++t)
    {
        for (int p = 0; p < table().numParams; ++p)
        {
            const auto& info = table().linkInfos[(size_t) t][(size_t) p];
            const int leaderRow = info.masterIndexInVector;
            const int q = info.controlParamIndex;

            // A leader the columns do not show yet waits for its message.
            if (leaderRow < 0 || leaderRow >= rows || q < 0 || q > 3)
                continue;

            const auto leader = leaderNameEditors[leaderRow]->getBounds();
            const auto follower = followerNameEditors[t]->getBounds();
            const float d = (float) (-2 + 8 * q);
            const auto colour = paramColours[(size_t) q];

            juce::Path curve;
            curve.startNewSubPath ((float) leader.getRight() + 5.0f, (float) leader.getY() + d);
            curve.cubicTo ((float) leader.getRight() + 30.0f, (float) leader.getY() + d,
                           (float) follower.getX() - 30.0f, (float) follower.getY() + d,
                           (float) follower.getX() - 5.0f, (float) follower.getY() + d);
            g.setColour (colour);
            g.strokePath (curve, juce::PathStrokeType (3.0f));

            linkPaths.push_back ({ linkBand (leaderRow, t, q), t, leaderRow, q,
                                   processors[(size_t) t]->trackId, processors[(size_t) leaderRow]->trackId, info });

            juce::String label;
            const auto& rules = table().ruleNames;

            if (info.rule == rules[0])      label = "=x";
            else if (info.rule == rules[1]) label = "1/x";
            else if (info.rule == rules[2]) label = "0.5x";
            else if (info.rule == rules[3]) label = juce::String (info.scale) + "x";
            else if (info.rule == rules[4]) label = "-x";

            if (info.delayUnit == 1 && info.delayTimeInBeats > 0)
                label << ", delay " << info.delayTimeInBeats << " beats";
            else if (info.delayUnit == 0 && info.delayTimeInMs > 0)
                label << ", delay " << info.delayTimeInMs << " ms";

            const int labelOffsets[] = { -18, -6, 6, 18 };
            g.drawText (label, follower.getRight() + 13, follower.getY() + labelOffsets[q], 120, follower.getHeight(),
                        juce::Justification::centredLeft, true);
        }
    }

    if (blinking)
        addLinkButton->setColour (juce::TextButton::buttonColourId, juce::Colours::violet.withAlpha (blinkAlpha));

    // A hovered link whose rows have gone since the mouse moved is not drawn.
    const int hoveredParameter = hoveredLink[2];

    if (linkHovered && hoveredParameter >= 0 && hoveredParameter <= 3
        && hoveredLink[0] >= 0 && hoveredLink[0] < rows && hoveredLink[1] >= 0 && hoveredLink[1] < rows)
    {
        g.setColour (paramColours[(size_t) hoveredParameter].brighter (0.4f));
        g.fillPath (linkBand (hoveredLink[1], hoveredLink[0], hoveredParameter));
    }

    g.setColour (captionGrey.withAlpha (0.5f));
    g.setFont (juce::Font (16.0f, juce::Font::plain));
    g.drawText (ownerProcessor.getName() + "  1.0", 10, 2, 230, 30, juce::Justification::centredLeft, true);

    g.setOpacity (0.1f);
    g.drawImage (logoImage, { (float) getWidth() - 100.0f, 5.0f, 92.0f, 35.0f });
}

int BrindleView::hitLink (juce::Point<float> position) const
{
    for (size_t i = 0; i < linkPaths.size(); ++i)
        if (linkPaths[i].path.contains (position, juce::Path::defaultToleranceForTesting))
            return (int) i;

    return -1;
}

void BrindleView::mouseMove (const juce::MouseEvent& e)
{
    const bool wasHovered = linkHovered;
    const int hit = hitLink (e.getEventRelativeTo (this).position);

    linkHovered = hit >= 0;
    hoveredLink = linkHovered ? std::vector<int> { linkPaths[(size_t) hit].followerIndex,
                                                   linkPaths[(size_t) hit].leaderIndex,
                                                   linkPaths[(size_t) hit].paramIndex }
                              : std::vector<int> { -1, -1, -1 };

    if (linkHovered != wasHovered)
        repaint();
}

// A move onto a child leaves the highlight as it is; out of the window,
// nothing points at the link any more.
void BrindleView::clearHoverIfPointerLeft()
{
    if (! linkHovered || isMouseOver (true))
        return;

    linkHovered = false;
    hoveredLink = { -1, -1, -1 };
    repaint();
}

void BrindleView::mouseDoubleClick (const juce::MouseEvent& e)
{
    const int hit = hitLink (e.getEventRelativeTo (this).position);

    if (hit < 0)
        return;

    const auto link = linkPaths[(size_t) hit];
    linkHovered = false;
    linkPaths.clear();

    // Only the link that was drawn there: not one that replaced it since the
    // last paint, nor one of tracks that have moved to other rows.
    const bool stillThere = table().getDataIndex (link.followerTrackId) == link.followerIndex
                            && table().getDataIndex (link.leaderTrackId) == link.leaderIndex
                            && sameLink (table().linkInfos[(size_t) link.followerIndex][(size_t) link.paramIndex],
                                         link.drawnFrom);

    if (stillThere)
        table().removeMaster (link.followerIndex, link.leaderIndex, link.paramIndex);
}

//==============================================================================
// The link form and its timer

int BrindleView::selectedRow (const juce::ComboBox& box) const
{
    // -1 for no selection, or a row the table no longer holds.
    const int row = box.getSelectedId() - 1;
    return row >= 0 && row < table().getNumTracks() ? row : -1;
}

int BrindleView::selectedParameter() const
{
    const int p = parameterComboBox->getSelectedId() - 1;
    return p >= 0 && p < table().numParams ? p : -1;
}

void BrindleView::showAlert (const juce::String& message)
{
    juce::AlertWindow::showMessageBoxAsync (juce::AlertWindow::WarningIcon, TRANS ("Warning"), message, "OK",
                                            nullptr, nullptr);
}

void BrindleView::buttonClicked (juce::Button* button)
{
    const juce::ScopedLock sl (editorLock);

    const int follower = selectedRow (*followerComboBox);
    const int leader = selectedRow (*leaderComboBox);
    const int p = selectedParameter();

    // No selection, or a row that went before its message came: nothing to do.
    if (follower < 0 || p < 0)
        return;

    if (button == removeLinkButton)
    {
        table().removeMaster (follower, leader, p);
        return;
    }

    if (button != addLinkButton || leader < 0)
        return;

    if (leader == follower)
    {
        showAlert (TRANS ("Please link different tracks."));
        return;
    }

    if (table().isReverseLink (follower, leader, p))
    {
        showAlert (TRANS ("Cannot add reverse link."));
        return;
    }

    const auto& rules = p == 0 ? table().volumeRuleNames : p == 1 ? table().panRuleNames : table().cutoffRuleNames;
    const int rule = ruleComboBox->getSelectedId() - 1;

    if (rule < 0 || rule >= (int) rules.size())
        return;

    table().addMaster (follower, leader, p, rules[(size_t) rule], (float) scaleSlider->getValue(),
                       delayUnitComboBox->getSelectedId() - 1, getDelayBufferSize(),
                       (float) initValueSlider->getValue(), (int) delaySlider->getValue());
}

int BrindleView::getDelayBufferSize()
{
    const double value = delaySlider->getValue();

    if (value == 0.0)
        return 0;

    double ticks = 0.0;

    switch (delayUnitComboBox->getSelectedId())
    {
        // One tick is 10 ms. In this order the exact cases stay exact: 3 beats
        // at 100 bpm are 18000 / 100 = 180 ticks, where x (60 / 100) / 0.01
        // comes out just below 180.
        case 1:  ticks = value / 10.0; break;
        case 2:  ticks = value * 6000.0 / ownerProcessor.getBpm(); break;
        default: return 0;
    }

    // The table keeps no longer ring; asking for more would look like a change on every tick.
    return (int) juce::jlimit (0.0, (double) VSharedData::maxDelayBufferLength, ticks);
}

void BrindleView::setUpInitValueBox (int parameterId)
{
    const int p = parameterId - 1;

    if (p < 0 || p > 3)
        return;

    const auto* param = ownerProcessor.getKtParameter (p);
    const char* suffixes[] = { " dB", "", " Hz", " Hz" };
    initValueSlider->setTextValueSuffix (suffixes[p]);
    initValueSlider->setRange (param->minValue, param->maxValue, p < 2 ? 0.01 : 1.0);
}

void BrindleView::comboBoxChanged (juce::ComboBox* box)
{
    const auto& volumeRules = table().volumeRuleNames;
    const int rule = ruleComboBox->getSelectedId() - 1;
    const bool scaleRule = rule >= 0 && rule < (int) volumeRules.size() && volumeRules[(size_t) rule] == table().ruleNames[3];
    scaleSlider->setEnabled (scaleRule);
    scaleSlider->setVisible (scaleRule);

    if (box == parameterComboBox)
    {
        const int p = selectedParameter();

        if (p < 0)
            return;

        const auto& rules = p == 0 ? volumeRules : p == 1 ? table().panRuleNames : table().cutoffRuleNames;
        ruleComboBox->clear (juce::sendNotificationAsync);
        for (size_t i = 0; i < rules.size(); ++i)
            ruleComboBox->addItem (rules[i], (int) i + 1);

        const float initValues[] = { 0.0f, 0.0f, 20000.0f, 20.0f };
        setUpInitValueBox (p + 1);
        initValueSlider->setValue (initValues[p], juce::dontSendNotification);
        ruleComboBox->setSelectedId (1, juce::sendNotificationAsync);
    }
    else if (box == delayUnitComboBox)
    {
        if (delayUnitComboBox->getSelectedId() == 1)
        {
            delaySlider->setRange (0.0, 5000.0, 10.0);
            delaySlider->setValue (0.0, juce::dontSendNotification);
            delaySlider->setTextValueSuffix (" ms");
        }
        else if (delayUnitComboBox->getSelectedId() == 2)
        {
            delaySlider->setRange (0.0, 100.0, 1.0);
            delaySlider->setValue (0.0, juce::dontSendNotification);
            delaySlider->setTextValueSuffix ({});
        }

        repaint();
    }
    else if ((box == leaderComboBox || box == followerComboBox)
             && leaderComboBox->getSelectedId() == followerComboBox->getSelectedId())
    {
        showAddLink();
    }
}

void BrindleView::showAddLink()
{
    blinking = false;

    if (addLinkButton->getButtonText() != TRANS ("Add Link"))
    {
        addLinkButton->setButtonText (TRANS ("Add Link"));
        addLinkButton->setColour (juce::TextButton::buttonColourId, teal);
    }

    repaint();
}

void BrindleView::stopBlinking()
{
    if (blinking)
        showAddLink();
}

void BrindleView::timerCallback()
{
    const int follower = selectedRow (*followerComboBox);
    const int leader = selectedRow (*leaderComboBox);
    const int p = selectedParameter();

    // Same track, no selection, or a row the table no longer holds: nothing to add.
    if (follower < 0 || leader < 0 || p < 0 || follower == leader)
    {
        stopBlinking();
        addLinkButton->setEnabled (false);
        return;
    }

    addLinkButton->setEnabled (true);
    const auto& link = table().linkInfos[(size_t) follower][(size_t) p];

    if (link.masterIndexInVector < 0)
    {
        stopBlinking();
        return;
    }

    const auto ruleText = ruleComboBox->getText();
    const int length = getDelayBufferSize();
    const bool differs = ruleText != link.rule
                         || (ruleText == table().ruleNames[3] && (float) scaleSlider->getValue() != link.scale)
                         || length != link.delayBufferLength
                         || (length > 0 && (float) initValueSlider->getValue() != link.initValue);

    if (! differs)
    {
        stopBlinking();
        addLinkButton->setEnabled (false);
        return;
    }

    blinking = true;

    if (addLinkButton->getButtonText() != TRANS ("Update Link"))
        addLinkButton->setButtonText (TRANS ("Update Link"));

    blinkAlpha += blinkAlphaStep;

    if (blinkAlpha > 0.8f)
    {
        blinkAlphaStep = -std::abs (blinkAlphaStep);
        blinkAlpha = 0.8f;
    }
    else if (blinkAlpha < 0.2f)
    {
        blinkAlphaStep = std::abs (blinkAlphaStep);
        blinkAlpha = 0.2f;
    }

    repaint (addLinkButton->getBounds().expanded (5));
}

//==============================================================================
// The knobs' flow and the refresh from the engine

void BrindleView::sliderValueChanged (juce::Slider* slider)
{
    const juce::ScopedLock sl (editorLock);

    const VParamSlider* knobs[] = { volumeKnob, panKnob, lpfKnob, hpfKnob };

    for (int i = 0; i < 4; ++i)
    {
        // A knob that follows its parameter (a leader, the host, a loaded
        // state) says nothing back: only the user's own turn tells the host.
        if (slider == knobs[i] && ! knobs[i]->isFollowingParameter())
            ownerProcessor.setParameterFromUi (i, (float) slider->getValue(), false);
    }

    // While stopped, the other stopped instances take their links at once.
    if (ownerProcessor.isPlaying.load() || numTracks < 1)
        return;

    const int ownRow = table().getDataIndex (ownerProcessor.trackId);
    const auto processors = table().getProcessorPointers();

    for (int i = 0; i < juce::jmin (numTracks, (int) processors.size()); ++i)
        if (i != ownRow && ! processors[(size_t) i]->isPlaying.load())
            processors[(size_t) i]->updateControlParams();
}

void BrindleView::updateLink()
{
    repaint();
}

void BrindleView::setSliderEnabled (int parameterIndex, bool enabled)
{
    if (parameterIndex < 0 || parameterIndex > 3)
        return;

    juce::Component* knobs[] = { volumeKnob, panKnob, lpfKnob, hpfKnob };
    juce::Component* labels[] = { volumeLabel, panLabel, lpfLabel, hpfLabel };
    knobs[parameterIndex]->setEnabled (enabled);
    labels[parameterIndex]->setEnabled (enabled);
}

void BrindleView::updateUiFromLoadedState()
{
    if (table().getDataIndex (ownerProcessor.trackId) == table().getNumTracks() - 1)
        table().sendChangeMessage ("Add_Master");
}
