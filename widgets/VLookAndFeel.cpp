#include "widgets/VLookAndFeel.h"

#include <cmath>
#include <memory>

#include "widgets/VBundleLocation.h"
#include "widgets/VFontFallback.h"
#include "widgets/VTextShortener.h"
#include "widgets/VSlider.h"
#include "widgets/VUserLanguage.h"

juce::MemoryBlock VLookAndFeel::fontMB;

namespace
{
const juce::Colour accent { 25, 147, 169 };
const juce::Colour bodyText { 154, 156, 161 };

// Below this a label's text is cut rather than shrunk further: the toolkit
// clamps font heights, so an unbounded "lower by one" loop would never end.
constexpr float minimumLabelFontHeight = 6.0f;

juce::Font plainFont (float height)
{
    return juce::Font (height, juce::Font::plain);
}

void fillTriangle (juce::Graphics& g, float x1, float y1, float x2, float y2, float x3, float y3)
{
    juce::Path p;
    p.addTriangle (x1, y1, x2, y2, x3, y3);
    g.fillPath (p);
}

// The part of the slider's length that its value has reached (0..1).
float valueProportion (juce::Slider& slider)
{
    return (float) slider.valueToProportionOfLength (slider.getValue());
}

bool showsTickScale (juce::Slider& slider)
{
    auto* vslider = dynamic_cast<VSlider*> (&slider);
    return vslider != nullptr && vslider->showScale;
}
} // namespace

//==============================================================================
VLookAndFeel::VLookAndFeel()
{
    if (fontMB.getSize() == 0 && resourcesFolder == "")
    {
        resourcesFolder = VBundleLocation::getBundleFolder().getFullPathName() + "/Contents/Resources/materials";
        juce::File (resourcesFolder + "/SourceHanSansCN-Regular.otf").loadFileAsData (fontMB);
    }

    if (fontMB.getSize() > 0)
        cjkFont = juce::Font (juce::Typeface::createSystemTypefaceFor (fontMB.getData(), fontMB.getSize()));
    else
        cjkFont = juce::Font();

    setUsingNativeAlertWindows (true);

    setColour (juce::ComboBox::backgroundColourId, juce::Colour (35, 37, 39));
    setColour (juce::ComboBox::outlineColourId, juce::Colour (41, 43, 47));
    setColour (juce::ComboBox::buttonColourId, juce::Colour (30, 32, 35));
    setColour (juce::ComboBox::textColourId, bodyText);
    setColour (juce::ComboBox::arrowColourId, juce::Colour (100, 104, 110));
    // Text buttons draw white text: one that has no colour of its own (an alert's,
    // a standalone window's) stands on the dark of the text fields.
    setColour (juce::TextButton::buttonColourId, juce::Colour (35, 37, 39));
    setColour (juce::TextButton::textColourOnId, juce::Colour (255, 255, 255));
    setColour (juce::TextButton::textColourOffId, juce::Colour (255, 255, 255));
    setColour (juce::Toolbar::backgroundColourId, juce::Colour (51, 54, 58));
    setColour (juce::Toolbar::buttonMouseOverBackgroundColourId, juce::Colour (37, 204, 61).darker (0.2f));
    setColour (juce::Toolbar::buttonMouseDownBackgroundColourId, juce::Colour (37, 204, 61).darker (0.5f));
    setColour (juce::Toolbar::separatorColourId, juce::Colour (186, 186, 186));
    setColour (juce::TextEditor::backgroundColourId, juce::Colour (35, 37, 39));
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colour (34, 66, 75));
    setColour (juce::TextEditor::outlineColourId, juce::Colour (41, 43, 47));
    setColour (juce::TextEditor::textColourId, bodyText);
    setColour (juce::TextEditor::highlightedTextColourId, juce::Colour (39, 42, 44));
    setColour (juce::TextEditor::highlightColourId, bodyText);
    setColour (juce::CaretComponent::caretColourId, accent);
    setColour (juce::PopupMenu::backgroundColourId, juce::Colour (45, 47, 51));
    setColour (juce::PopupMenu::textColourId, juce::Colour (255, 255, 255).darker (0.15f));
    setColour (juce::PopupMenu::highlightedBackgroundColourId, accent);
    setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (255, 255, 255));
    setColour (juce::PopupMenu::headerTextColourId, juce::Colour (13, 102, 116));
    setColour (juce::ToggleButton::textColourId, bodyText);
    setColour (juce::TooltipWindow::backgroundColourId, juce::Colour (45, 47, 51));
    setColour (juce::TooltipWindow::outlineColourId, juce::Colour (41, 43, 47));
    setColour (juce::TooltipWindow::textColourId, bodyText);
    setColour (juce::AlertWindow::backgroundColourId, juce::Colour (45, 47, 51));
    setColour (juce::AlertWindow::textColourId, bodyText);
    setColour (juce::FileSearchPathListComponent::backgroundColourId, juce::Colour (35, 37, 39));
    setColour (juce::ListBox::backgroundColourId, juce::Colour (35, 37, 39));
    setColour (juce::ListBox::textColourId, bodyText);
    setColour (juce::ProgressBar::backgroundColourId, juce::Colour (35, 37, 39));
    setColour (juce::ProgressBar::foregroundColourId, accent);
}

VLookAndFeel::~VLookAndFeel() = default;

VLookAndFeel* VLookAndFeel::sharedInstance()
{
    static VLookAndFeel instance;
    return &instance;
}

//==============================================================================
void VLookAndFeel::drawArributedText (juce::Graphics& g, juce::AttributedString text, juce::Rectangle<float> area)
{
    // The toolkit's layout takes no glyph from another font, so characters
    // that a font lacks (Chinese track names) get theirs first; a long text
    // is cut to what fits without being laid out once per character.
    VTextShortener::layOut (text, area).draw (g, area);
}

void VLookAndFeel::drawText (juce::Graphics& g, const juce::String& text, juce::Colour colour,
                             const juce::Font& font, juce::Rectangle<float> area,
                             juce::Justification justification)
{
    VTextShortener::layOut (text, font, colour, justification, area).draw (g, area);
}

void VLookAndFeel::drawText (juce::Graphics& g, const juce::String& text, juce::Colour colour,
                             float height, juce::Rectangle<float> area,
                             juce::Justification justification, bool bold)
{
    juce::Font font;
    font.setHeight (height);
    font.setBold (bold);
    drawText (g, text, colour, font, area, justification);
}

float VLookAndFeel::getKnobAdjacentSideLength (int width)
{
    return (float) ((double) width * 1.48);
}

juce::DrawableButton* VLookAndFeel::loadAndCreateButtonFromFile (juce::String name)
{
    const juce::File folder (sharedInstance()->resourcesFolder);
    std::unique_ptr<juce::Drawable> images[3];
    const char* suffixes[] = { "_normal.svg", "_hover.svg", "_pressed.svg" };

    for (int i = 0; i < 3; ++i)
    {
        const auto file = folder.getChildFile ("icons/" + name + suffixes[i]);

        // A relative or empty folder (a look built after the first) must not
        // send the lookup to the working directory.
        if (folder.isDirectory())
            images[i] = juce::Drawable::createFromImageFile (file);
    }

    if (images[0] == nullptr || images[1] == nullptr)
        return nullptr;

    auto* button = new juce::DrawableButton (name, juce::DrawableButton::ImageOnButtonBackground);
    button->setColour (juce::TextButton::buttonColourId, juce::Colour());
    button->setColour (juce::TextButton::buttonOnColourId, juce::Colour (35, 37, 39));
    button->setImages (images[0].get(), images[1].get(), images[2].get());
    button->setEdgeIndent (20);
    return button;
}

//==============================================================================
juce::Path VLookAndFeel::getTickShape (float height)
{
    // A short stroke down to the right, then a long one up: a plain check mark.
    juce::Path tick;
    tick.startNewSubPath (0.0f, 0.55f);
    tick.lineTo (0.14f, 0.41f);
    tick.lineTo (0.38f, 0.64f);
    tick.lineTo (0.86f, 0.08f);
    tick.lineTo (1.0f, 0.21f);
    tick.lineTo (0.38f, 0.92f);
    tick.closeSubPath();

    tick.applyTransform (tick.getTransformToScaleToFit (0.0f, 0.0f, height, height, true));
    return tick;
}

void VLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    auto colour = backgroundColour.withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f);

    if (button.getName() != "WindowButton" && (shouldDrawButtonAsHighlighted || shouldDrawButtonAsDown))
    {
        const bool on = button.getToggleState();
        const float amount = shouldDrawButtonAsDown ? (on ? 0.3f : 0.2f)
                                                    : (on ? 0.2f : 0.1f);
        colour = colour.contrasting (amount);
    }

    g.setColour (colour);
    g.fillRect (button.getLocalBounds());
}

juce::Font VLookAndFeel::getTextButtonFont (juce::TextButton&, int)
{
    if (VUserLanguage::isChinese())
        return cjkFont.withHeight (16.0f);

    return plainFont (14.0f);
}

void VLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);

    const auto colourId = button.getToggleState() ? juce::TextButton::textColourOnId
                                                  : juce::TextButton::textColourOffId;
    const auto colour = button.findColour (colourId).withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f);

    const juce::Rectangle<float> area (0.0f,
                                       ((float) button.getHeight() * 0.48f - font.getHeight() * 0.5f) - 1.0f,
                                       (float) button.getWidth(),
                                       font.getHeight() + 4.0f);

    drawText (g, button.getButtonText(), colour, font, area, juce::Justification::centred);
}

void VLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                     bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const float boxSize = 15.4f;
    drawTickBox (g, button, 4.0f, ((float) button.getHeight() - boxSize) * 0.5f, boxSize, boxSize,
                 button.getToggleState(), button.isEnabled(),
                 shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    auto colour = button.findColour (juce::ToggleButton::textColourId);

    if (! button.isEnabled())
        colour = colour.darker (0.4f);

    const auto font = VUserLanguage::isChinese() ? cjkFont.withHeight (17.0f) : plainFont (14.0f);

    drawText (g, button.getButtonText(), colour, font,
              { 23.0f, 0.0f, (float) button.getWidth() - 25.0f, (float) button.getHeight() },
              juce::Justification::centredLeft);
}

void VLookAndFeel::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float,
                                bool ticked, bool isEnabled, bool, bool)
{
    const auto square = juce::Rectangle<float> (x, y, w, w);
    const auto disc = square.withSizeKeepingCentre (w * 0.8f, w * 0.8f);

    auto boxColour = juce::Colour (39, 42, 44);
    g.setColour (isEnabled ? boxColour : boxColour.darker (0.2f));
    g.fillEllipse (disc);

    if (ticked)
    {
        auto ringColour = juce::Colour (36, 13, 0);
        g.setColour (isEnabled ? ringColour : ringColour.darker (0.2f));
        g.fillEllipse (disc.withSizeKeepingCentre (disc.getWidth() * 0.45f, disc.getHeight() * 0.45f));

        g.setColour (accent);
        g.fillEllipse (disc.withSizeKeepingCentre (disc.getWidth() * 0.4f, disc.getHeight() * 0.4f));
    }
}

//==============================================================================
void VLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool, int, int, int, int,
                                 juce::ComboBox& box)
{
    g.fillAll (box.findColour (juce::ComboBox::backgroundColourId));

    if (box.isEnabled() && box.hasKeyboardFocus (false))
    {
        g.setColour (box.findColour (juce::ComboBox::buttonColourId));
        g.drawRect (0, 0, width, height, 2);
    }
    else
    {
        g.setColour (box.findColour (juce::ComboBox::outlineColourId));
        g.drawRect (0, 0, width, height, 1);
    }

    const auto x0 = (float) (box.getWidth() - 18);
    const auto cy = (float) box.getHeight() * 0.5f;

    g.setColour (box.isEnabled() ? box.findColour (juce::ComboBox::arrowColourId) : juce::Colour (46, 49, 54));
    fillTriangle (g, x0 + 5.0f, cy + 3.0f, x0 + 10.0f, cy - 3.0f, x0, cy - 3.0f);
}

juce::Font VLookAndFeel::getComboBoxFont (juce::ComboBox&)
{
    if (VUserLanguage::isChinese())
        return cjkFont.withHeight (16.0f);

    return plainFont (14.0f);
}

void VLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    const auto w = (float) box.getWidth();
    const auto h = (float) box.getHeight();

    // A zero height would make the ratio infinite; that box takes the wide layout.
    const bool narrow = h > 0.0f && w / h <= 3.145f;

    float left = narrow ? w * 0.122f : w * 0.056f;
    const float top = narrow ? h / 4.0f : h * 0.1f;
    const float bottom = narrow ? h * 3.0f / 4.0f : h * 0.9f;
    const float right = w - 18.0f;
    left = juce::jmin (left, right);

    label.setBounds (juce::roundToInt (left), juce::roundToInt (top),
                     juce::roundToInt (right - left), juce::roundToInt (bottom - top));

    label.setFont (getComboBoxFont (box));
    label.setJustificationType (juce::Justification::centredLeft);
}

//==============================================================================
void VLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    g.fillAll (label.findColour (juce::Label::backgroundColourId));

    if (! label.isBeingEdited())
    {
        const float alpha = label.isEnabled() ? 1.0f : 0.5f;
        auto textColour = label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha);

        if (! label.isEnabled())
            textColour = textColour.darker (0.3f);

        auto font = label.getFont();
        const auto area = label.getLocalBounds().toFloat();
        const auto text = label.getText();

        while (VTextShortener::isWiderThan (font, text, area.getWidth())
               && font.getHeight() - 1.0f >= minimumLabelFontHeight)
            font.setHeight (font.getHeight() - 1.0f);

        drawText (g, text, textColour, font, area, label.getJustificationType());

        g.setColour (label.findColour (juce::Label::outlineColourId).withMultipliedAlpha (alpha));
    }
    else if (label.isEnabled())
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
    }

    g.drawRect (label.getLocalBounds(), 1);
}

juce::Font VLookAndFeel::getLabelFont (juce::Label&)
{
    return plainFont (11.0f);
}

//==============================================================================
void VLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height,
                                     float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                                     juce::Slider& slider)
{
    const bool enabled = slider.isEnabled();

    auto valueColour = slider.isColourSpecified (juce::Slider::rotarySliderFillColourId)
                           ? slider.findColour (juce::Slider::rotarySliderFillColourId)
                           : accent;
    if (! enabled)
        valueColour = valueColour.darker (0.6f);

    const auto box = juce::Rectangle<int> (x, y, width, height).toFloat();

    const auto outer = juce::Colour (54, 55, 58);
    g.setColour (enabled ? outer : outer.darker (0.4f));
    g.fillEllipse (box);

    const int r = width / 2;
    const float k = (float) r * 0.1538f;

    g.setColour (juce::Colour (32, 34, 37));
    g.fillEllipse (box.reduced (k));

    const auto inner = juce::Colour (37, 39, 42);
    g.setColour (enabled ? inner : inner.darker (0.2f));
    g.fillEllipse (box.reduced (2.0f * k));

    const float cx = (float) x + (float) width * 0.5f;
    const float cy = (float) y + (float) height * 0.5f;
    const auto ring = juce::Rectangle<float> (cx - (float) r, cy - (float) r, 2.0f * (float) r, 2.0f * (float) r);
    const float ringInner = 0.8462f;

    juce::Path track;
    track.addPieSegment (ring, rotaryEndAngle - juce::MathConstants<float>::twoPi, rotaryStartAngle, ringInner);
    g.setColour (juce::Colour (62, 67, 84));
    g.fillPath (track);

    const float angle = juce::jmin (rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle),
                                    rotaryEndAngle);

    juce::Path value;
    value.addPieSegment (ring, rotaryStartAngle, angle, ringInner);
    g.setColour (valueColour);
    g.fillPath (value);

    juce::Path pointer;
    pointer.addLineSegment ({ 0.0f, -0.45f * (float) r, 0.0f, -0.71f * (float) r }, 2.0f);
    pointer.applyTransform (juce::AffineTransform::rotation (angle).translated (cx, cy));
    g.fillPath (pointer);
}

void VLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle style, juce::Slider& slider)
{
    g.fillAll (slider.findColour (juce::Slider::backgroundColourId));

    if (style == juce::Slider::LinearBar || style == juce::Slider::LinearBarVertical)
    {
        const auto base = slider.findColour (juce::Slider::thumbColourId)
                              .withMultipliedSaturation (slider.isEnabled() ? 1.0f : 0.5f)
                              .withMultipliedAlpha (0.8f);

        const auto bar = style == juce::Slider::LinearBar
                             ? juce::Rectangle<float> ((float) x, (float) y, sliderPos - (float) x, (float) height)
                             : juce::Rectangle<float> ((float) x, sliderPos, (float) width, 1.0f + (float) height - sliderPos);

        g.setGradientFill (juce::ColourGradient (base.brighter (0.08f), 0.0f, 0.0f,
                                                 base.darker (0.08f), 0.0f, (float) height, false));
        g.fillRect (bar);

        g.setColour (base.darker (0.2f));

        if (style == juce::Slider::LinearBar)
            g.fillRect (sliderPos, (float) y, 1.0f, (float) height);
        else
            g.fillRect ((float) x, sliderPos, (float) width, 1.0f);

        return;
    }

    drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
    drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}

void VLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                               float, float, float,
                                               juce::Slider::SliderStyle style, juce::Slider& slider)
{
    const bool horizontal = style == juce::Slider::LinearHorizontal;

    if (! horizontal && style != juce::Slider::LinearVertical)
        return;

    if (width <= 0 || height <= 0)
        return;

    const float p = valueProportion (slider);
    const auto unfilled = juce::Colour (30, 32, 34);
    const auto tickBelow = accent;
    const auto tickAbove = juce::Colour (151, 151, 151);

    const auto fx = (float) x;
    const auto fy = (float) y;
    const auto fw = (float) width;
    const auto fh = (float) height;
    const float bottom = fy + fh;

    if (showsTickScale (slider))
    {
        // Ten major divisions of five along the track; minor ticks are shorter by
        // a fifth of the width across it at each end.
        const float along = horizontal ? fw : fh;
        const float across = horizontal ? fh : fw;
        const float origin = horizontal ? fx : fy;
        const float major = along / 10.0f;
        const float minor = major / 5.0f;

        for (int i = 0; i <= 10; ++i)
        {
            for (int j = 0; j < (i < 10 ? 5 : 1); ++j)
            {
                const float t = origin + (float) i * major + (float) j * minor;
                const float e = j == 0 ? 0.0f : across / 5.0f;
                const float proportion = horizontal ? (t - fx) / fw : (bottom - t) / fh;
                g.setColour (proportion <= p ? tickBelow : tickAbove);

                if (horizontal)
                    g.fillRect ((int) t, (int) (fy + e), 1, (int) (across - 2.0f * e));
                else
                    g.fillRect ((int) (fx + e), (int) t, (int) (across - 2.0f * e), 1);
            }
        }
    }

    if (horizontal)
    {
        const float thickness = fh * 0.1724f;
        const float filledTo = fx + fw * p;
        const float top = fy + fh * 0.5f - thickness * 0.5f;

        g.setColour (unfilled);
        g.fillRect (juce::Rectangle<float> (filledTo, top, fx + fw - filledTo, thickness));
        g.setColour (accent);
        g.fillRect (juce::Rectangle<float> (fx, top, filledTo - fx, thickness));
        return;
    }

    const float thickness = fw * 0.1724f;
    const float filledFrom = bottom - fh * p;
    const float left = fx + fw * 0.5f - thickness * 0.5f;

    g.setColour (unfilled);
    g.fillRect (juce::Rectangle<float> (left, fy, thickness, filledFrom - fy));
    g.setColour (accent);
    g.fillRect (juce::Rectangle<float> (left, filledFrom, thickness, bottom - filledFrom));
}

void VLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                          float, float, float,
                                          juce::Slider::SliderStyle style, juce::Slider& slider)
{
    const float p = valueProportion (slider);
    float diameter = 0.0f;
    juce::Point<float> centre;

    if (style == juce::Slider::LinearHorizontal)
    {
        diameter = (float) height * 0.5f;
        centre = { (float) x + (float) width * p, (float) y + (float) height * 0.5f };
    }
    else if (style == juce::Slider::LinearVertical)
    {
        diameter = (float) width * 0.5f;
        centre = { (float) x + (float) width * 0.5f, (float) y + (float) height - (float) height * p };
    }
    else
    {
        return;
    }

    g.setColour (juce::Colour (255, 255, 255));
    g.fillEllipse (juce::Rectangle<float> (diameter, diameter).withCentre (centre));

    const float dot = diameter * 0.1935f;
    g.setColour (juce::Colour (101, 137, 255));
    g.fillEllipse (juce::Rectangle<float> (dot, dot).withCentre (centre));
}

juce::Slider::SliderLayout VLookAndFeel::getSliderLayout (juce::Slider& slider)
{
    const int w = slider.getWidth();
    const int h = slider.getHeight();
    const auto style = slider.getSliderStyle();

    if (slider.getTextBoxPosition() == juce::Slider::TextBoxBelow && style == juce::Slider::RotaryVerticalDrag)
    {
        juce::Slider::SliderLayout layout;
        const int t = (int) ((float) h * 0.8267f);
        layout.sliderBounds = { 0, 0, w, w };
        layout.textBoxBounds = { 0, t, w, juce::jmax (0, h - t) };
        return layout;
    }

    // The plain V3 layout, without any override of this look taking part.
    juce::LookAndFeel_V3 v3;
    auto layout = v3.getSliderLayout (slider);
    auto& bounds = layout.sliderBounds;

    // Keep the round thumb inside the component at both ends of the track.
    if (style == juce::Slider::LinearVertical)
    {
        const float halfWidth = (float) bounds.getWidth() * 0.5f;

        if ((float) bounds.getY() < halfWidth)
        {
            const int c = (int) std::ceil (halfWidth - (float) bounds.getY());
            bounds = { bounds.getX(), bounds.getY() + c, bounds.getWidth(), juce::jmax (0, bounds.getHeight() - 2 * c) };
        }
    }
    else if (style == juce::Slider::LinearHorizontal)
    {
        const float halfHeight = (float) bounds.getHeight() * 0.5f;

        if ((float) bounds.getX() < halfHeight)
        {
            const int c = (int) std::ceil (halfHeight - (float) bounds.getX());
            bounds = { bounds.getX() + c, bounds.getY(), juce::jmax (0, bounds.getWidth() - 2 * c), bounds.getHeight() };
        }
    }

    return layout;
}

//==============================================================================
void VLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int, int)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
}

void VLookAndFeel::drawPopupMenuBackgroundWithOptions (juce::Graphics& g, int width, int height,
                                                       const juce::PopupMenu::Options&)
{
    drawPopupMenuBackground (g, width, height);
}

void VLookAndFeel::drawPopupMenuItem (juce::Graphics& g, const juce::Rectangle<int>& area,
                                      bool isSeparator, bool isActive, bool isHighlighted, bool isTicked,
                                      bool hasSubMenu, const juce::String& text, const juce::String& shortcutKeyText,
                                      const juce::Drawable* icon, const juce::Colour* textColourToUse)
{
    if (isSeparator)
    {
        g.setColour (findColour (juce::PopupMenu::textColourId).darker (0.4f));
        g.drawHorizontalLine (area.getY() + area.getHeight() / 2, (float) area.getX(), (float) area.getRight());
        return;
    }

    auto textColour = textColourToUse != nullptr ? *textColourToUse : findColour (juce::PopupMenu::textColourId);
    const auto r = area.reduced (1);

    if (isHighlighted)
    {
        g.setColour (findColour (juce::PopupMenu::highlightedBackgroundColourId));
        g.fillRect (r);
        textColour = findColour (juce::PopupMenu::highlightedTextColourId);
    }

    g.setColour (textColour);

    if (! isActive)
    {
        g.setOpacity (0.3f);
        textColour = textColour.withAlpha (0.3f);
    }

    auto font = getPopupMenuFont();
    const float maxFontHeight = (float) area.getHeight() / 1.3f;

    if (font.getHeight() > maxFontHeight)
        font.setHeight (maxFontHeight);

    g.setFont (font);

    const int iconWidth = juce::jmin ((int) ((float) r.getHeight() * 0.8f), r.getWidth());
    const juce::Rectangle<int> iconArea (r.getX(), r.getY() + 1, iconWidth, r.getHeight());

    if (icon != nullptr)
    {
        icon->drawWithin (g, iconArea.toFloat(),
                          juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
    }
    else if (isTicked)
    {
        const auto tick = getTickShape (1.0f);
        const auto tickArea = iconArea.reduced (iconWidth / 6, r.getHeight() / 6).toFloat();

        if (! tickArea.isEmpty())
            g.fillPath (tick, tick.getTransformToScaleToFit (tickArea, true));
    }

    int remaining = r.getWidth() - iconWidth;

    if (hasSubMenu)
    {
        const float arrowH = 0.6f * getPopupMenuFont().getAscent();
        const int arrowW = juce::jmin ((int) arrowH, remaining);
        const float ax = (float) (r.getRight() - arrowW) - (float) r.getHeight() * 0.8f + 4.0f;
        const auto cy = (float) (r.getY() + r.getHeight() / 2);

        fillTriangle (g, ax, cy - arrowH * 0.5f, ax, cy + arrowH * 0.5f, ax + 0.6f * arrowH, cy);
        remaining -= arrowW;
    }

    // As wide a margin on the right as the icon column on the left.
    remaining -= juce::jmin (iconWidth, remaining);

    const juce::Rectangle<float> textArea ((float) (r.getX() + iconWidth), (float) r.getY(),
                                           (float) remaining, (float) r.getHeight());

    // On one line, cut at the right: a long name wrapped at the text path's
    // widest line would be drawn over the items around it.
    VTextShortener::layOut (text, font, textColour, juce::Justification::centredLeft, textArea, false).draw (g, textArea);

    if (shortcutKeyText.isNotEmpty())
        drawText (g, shortcutKeyText, textColour, font.getHeight() - 1.0f, textArea,
                  juce::Justification::centredRight, false);
}

void VLookAndFeel::drawPopupMenuItemWithOptions (juce::Graphics& g, const juce::Rectangle<int>& area,
                                                 bool isHighlighted, const juce::PopupMenu::Item& item,
                                                 const juce::PopupMenu::Options&)
{
    const auto* colour = item.colour != juce::Colour() ? &item.colour : nullptr;
    const bool hasSubMenu = item.subMenu != nullptr && (item.itemID == 0 || item.subMenu->getNumItems() > 0);

    drawPopupMenuItem (g, area, item.isSeparator, item.isEnabled, isHighlighted, item.isTicked, hasSubMenu,
                       item.text, item.shortcutKeyDescription, item.image.get(), colour);
}

juce::Font VLookAndFeel::getPopupMenuFont()
{
    if (VUserLanguage::isChinese())
        return cjkFont.withHeight (17.0f);

    return plainFont (15.0f);
}

void VLookAndFeel::getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                              int& idealWidth, int& idealHeight)
{
    if (isSeparator)
    {
        idealWidth = 0;
        idealHeight = 1;
    }
    else
    {
        auto font = getPopupMenuFont();

        if (standardMenuItemHeight <= 0)
        {
            idealHeight = juce::roundToInt (font.getHeight() * 1.4f);
        }
        else
        {
            idealHeight = standardMenuItemHeight;
            const float maxFontHeight = (float) standardMenuItemHeight / 1.4f;

            if (font.getHeight() > maxFontHeight)
                font.setHeight (maxFontHeight);
        }

        // Room for the icon column, the margin and a shortcut. A name wider
        // than the text path's widest line is cut there, not measured whole.
        const float widest = VTextShortener::maximumLineWidth;
        const float textWidth = VTextShortener::isWiderThan (font, text, widest) ? widest : VFontFallback::getStringWidth (font, text);
        idealWidth = (int) std::ceil (textWidth) + 2 * idealHeight + font.getStringWidth ("ctrl + F10");
    }

    idealWidth = juce::jmax (idealWidth, 180);
}

void VLookAndFeel::getIdealPopupMenuItemSizeWithOptions (const juce::String& text, bool isSeparator,
                                                         int standardMenuItemHeight, int& idealWidth, int& idealHeight,
                                                         const juce::PopupMenu::Options&)
{
    getIdealPopupMenuItemSize (text, isSeparator, standardMenuItemHeight, idealWidth, idealHeight);
}

//==============================================================================
void VLookAndFeel::drawMenuBarBackground (juce::Graphics& g, int width, int height, bool,
                                          juce::MenuBarComponent& menuBar)
{
    const auto colour = menuBar.findColour (juce::PopupMenu::backgroundColourId);
    g.setGradientFill (juce::ColourGradient::vertical (colour, 0.0f, colour.darker (0.08f), (float) height));
    g.fillRect (0, 0, width, height);
}

juce::Font VLookAndFeel::getMenuBarFont (juce::MenuBarComponent&, int, const juce::String&)
{
    if (VUserLanguage::isChinese() && juce::LocalisedStrings::getCurrentMappings() != nullptr)
        return cjkFont.withHeight (17.0f);

    return plainFont (16.0f);
}

void VLookAndFeel::drawMenuBarItem (juce::Graphics& g, int width, int height,
                                    int itemIndex, const juce::String& itemText,
                                    bool isMouseOverItem, bool isMenuOpen, bool,
                                    juce::MenuBarComponent& menuBar)
{
    juce::Colour textColour;

    if (! menuBar.isEnabled())
    {
        textColour = menuBar.findColour (juce::PopupMenu::textColourId).withMultipliedAlpha (0.5f);
    }
    else
    {
        if (isMouseOverItem || isMenuOpen)
        {
            g.setColour (menuBar.findColour (juce::PopupMenu::highlightedBackgroundColourId));
            g.fillRect (0, 0, width, height);
        }

        textColour = juce::Colours::white.darker (0.15f);
    }

    drawText (g, itemText, textColour, getMenuBarFont (menuBar, itemIndex, itemText),
              { 0.0f, 0.0f, (float) width, (float) height }, juce::Justification::centred);
}

//==============================================================================
void VLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    g.fillAll (findColour (juce::TooltipWindow::backgroundColourId));

    juce::AttributedString tip;
    tip.setJustification (juce::Justification::centred);
    tip.append (text, juce::Font (13.0f, juce::Font::bold), findColour (juce::TooltipWindow::textColourId));

    // Wrapped over lines rather than cut, so not through drawArributedText;
    // the same fallback gives a track name its glyphs.
    juce::TextLayout layout;
    layout.createLayoutWithBalancedLineLengths (VFontFallback::withFallbackFonts (tip), 400.0f);
    layout.draw (g, { 0.0f, 0.0f, (float) width, (float) height });
}

//==============================================================================
void VLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert, const juce::Rectangle<int>& textArea,
                                 juce::TextLayout& textLayout)
{
    g.fillAll (alert.findColour (juce::AlertWindow::backgroundColourId));

    auto area = textArea;
    int iconSize = juce::jmin (alert.getHeight() + 20, 130);

    if (alert.containsAnyExtraComponents() || alert.getNumButtons() > 2)
        iconSize = juce::jmin (iconSize, textArea.getHeight() + 50);

    const auto iconType = alert.getAlertType();

    if (iconType != juce::MessageBoxIconType::NoIcon)
    {
        const auto square = juce::Rectangle<int> (-iconSize / 10, -iconSize / 10, iconSize, iconSize).toFloat();
        juce::Path icon;
        juce::String character;
        juce::Colour colour;

        if (iconType == juce::MessageBoxIconType::WarningIcon)
        {
            juce::Path triangle;
            triangle.addTriangle (square.getCentreX(), square.getY(),
                                  square.getX(), square.getBottom(),
                                  square.getRight(), square.getBottom());
            icon = triangle.createPathWithRoundedCorners (5.0f);
            character = "!";
            colour = juce::Colour ((juce::uint8) 255, (juce::uint8) 85, (juce::uint8) 85, (juce::uint8) 85);
        }
        else
        {
            icon.addEllipse (square);
            const bool question = iconType == juce::MessageBoxIconType::QuestionIcon;
            character = question ? "?" : "i";
            colour = question ? juce::Colour ((juce::uint8) 182, (juce::uint8) 153, (juce::uint8) 0, (juce::uint8) 64)
                              : juce::Colour ((juce::uint8) 85, (juce::uint8) 85, (juce::uint8) 255, (juce::uint8) 96);
        }

        // The character is cut out of the shape by the even-odd rule.
        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (juce::Font ((float) iconSize * 0.9f, juce::Font::bold), character,
                              square.getX(), square.getY(), square.getWidth(), square.getHeight(),
                              juce::Justification::centred, 1, 0.0f);
        glyphs.createPath (icon);
        icon.setUsingNonZeroWinding (false);

        g.setColour (colour);
        g.fillPath (icon);

        area.removeFromLeft (80);
    }

    g.setColour (alert.findColour (juce::AlertWindow::textColourId));
    textLayout.draw (g, area.toFloat());

    g.setColour (alert.findColour (juce::AlertWindow::outlineColourId));
    g.drawRect (0, 0, alert.getWidth(), alert.getHeight(), 1);
}

juce::Font VLookAndFeel::getAlertWindowTitleFont()
{
    auto font = getAlertWindowMessageFont();
    font.setHeight (font.getHeight() * 1.2f);
    return font;
}

void VLookAndFeel::drawProgressBar (juce::Graphics& g, juce::ProgressBar& bar, int width, int height,
                                    double progress, const juce::String& textToShow)
{
    g.fillAll (bar.findColour (juce::ProgressBar::backgroundColourId));
    g.setColour (bar.findColour (juce::ProgressBar::foregroundColourId));

    const auto inner = (float) (width - 2);

    if (progress < 0.0 || progress >= 1.0)
        g.fillRect (juce::Rectangle<float> (1.0f, 1.0f, inner, (float) (height - 2)));
    else
        g.fillRect (juce::Rectangle<float> (1.0f, 1.0f, juce::jlimit (0.0f, juce::jmax (0.0f, inner), (float) progress * inner),
                                            (float) (height - 2)));

    if (textToShow.isNotEmpty())
    {
        g.setColour (juce::Colours::white);
        g.setFont ((float) height * 0.6f);
        g.drawText (textToShow, 0, 0, width, height, juce::Justification::centred, false);
    }
}

void VLookAndFeel::drawTreeviewPlusMinusBox (juce::Graphics& g, const juce::Rectangle<float>& area,
                                             juce::Colour, bool isOpen, bool)
{
    const float x = area.getX();
    const float cy = area.getY() + area.getHeight() / 2.0f;

    g.setColour (juce::Colour (100, 104, 110));

    if (isOpen)
        fillTriangle (g, x + 5.0f, cy + 3.0f, x + 10.0f, cy - 3.0f, x, cy - 3.0f);
    else
        fillTriangle (g, x, cy + 5.0f, x, cy - 5.0f, x + 6.0f, cy);
}

//==============================================================================
void VLookAndFeel::drawFileBrowserRow (juce::Graphics& g, int width, int height,
                                       const juce::File&, const juce::String& filename, juce::Image* icon,
                                       const juce::String& fileSizeDescription, const juce::String& fileTimeDescription,
                                       bool isDirectory, bool isItemSelected, int,
                                       juce::DirectoryContentsDisplayComponent& list)
{
    auto* listComponent = dynamic_cast<juce::Component*> (&list);
    const auto listColour = [this, listComponent] (int id)
    {
        return listComponent != nullptr ? listComponent->findColour (id) : findColour (id);
    };

    if (isItemSelected)
        g.fillAll (listColour (juce::DirectoryContentsDisplayComponent::highlightColourId));

    const auto iconArea = juce::Rectangle<int> (2, 2, 28, juce::jmax (0, height - 4));

    if (icon != nullptr && icon->isValid())
    {
        g.drawImageWithin (*icon, iconArea.getX(), iconArea.getY(), iconArea.getWidth(), iconArea.getHeight(),
                           juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, false);
    }
    else if (auto* fallback = isDirectory ? getDefaultFolderImage() : getDefaultDocumentFileImage())
    {
        fallback->drawWithin (g, iconArea.toFloat(),
                              juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize, 1.0f);
    }

    const auto textColour = isItemSelected ? juce::Colours::white
                                           : listColour (juce::DirectoryContentsDisplayComponent::textColourId);
    const float textHeight = (float) height * 0.65f;
    const auto h = (float) height;

    if (width < 451 || isDirectory)
    {
        drawText (g, filename, textColour, textHeight, { 32.0f, 0.0f, (float) width - 32.0f, h },
                  juce::Justification::centredLeft, false);
        return;
    }

    const int sizeX = juce::roundToInt ((float) width * 0.7f);
    const int dateX = juce::roundToInt ((float) width * 0.8f);

    drawText (g, filename, textColour, textHeight, { 32.0f, 0.0f, (float) (sizeX - 32), h },
              juce::Justification::centredLeft, false);
    drawText (g, fileSizeDescription, textColour, textHeight, { (float) sizeX, 0.0f, (float) (dateX - 8 - sizeX), h },
              juce::Justification::centredRight, false);
    drawText (g, fileTimeDescription, textColour, textHeight, { (float) dateX, 0.0f, (float) (width - 8 - dateX), h },
              juce::Justification::centredRight, false);
}

juce::Button* VLookAndFeel::createFileBrowserGoUpButton()
{
    return loadAndCreateButtonFromFile ("back");
}

void VLookAndFeel::layoutFileBrowserComponent (juce::FileBrowserComponent& browser,
                                               juce::DirectoryContentsDisplayComponent* list,
                                               juce::FilePreviewComponent* preview,
                                               juce::ComboBox* currentPathBox,
                                               juce::TextEditor*,
                                               juce::Button* goUpButton)
{
    int w = browser.getWidth() - 36;

    if (preview != nullptr)
    {
        const int previewWidth = (browser.getWidth() - 36) / 3;
        preview->setBounds (browser.getWidth() - 18 - previewWidth, 0, previewWidth, browser.getHeight());
        w = browser.getWidth() - 40 - previewWidth;
    }

    if (currentPathBox != nullptr)
        currentPathBox->setBounds (18, 18, w - 32, 26);

    if (goUpButton != nullptr)
        goUpButton->setBounds (w - 8, 18, 26, 26);

    if (auto* listComponent = dynamic_cast<juce::Component*> (list))
        listComponent->setBounds (18, 54, w + 18, browser.getHeight() - 54);
}

//==============================================================================
void VLookAndFeel::drawCornerResizer (juce::Graphics&, int, int, bool, bool)
{
}

void VLookAndFeel::drawDocumentWindowTitleBar (juce::DocumentWindow& window, juce::Graphics& g, int w, int h,
                                               int titleSpaceX, int titleSpaceW,
                                               const juce::Image* icon, bool drawTitleTextOnLeft)
{
    if (w * h == 0)
        return;

    const bool active = window.isActiveWindow();
    const auto background = window.getBackgroundColour();

    g.fillAll (active ? background : background.contrasting (0.05f));

    const auto font = plainFont (15.0f);
    g.setFont (font);

    int iconW = 0;
    int iconH = 0;

    if (icon != nullptr && icon->isValid())
    {
        iconH = (int) font.getHeight();
        iconW = icon->getWidth() * iconH / icon->getHeight() + 4;
    }

    int textW = juce::jmin (titleSpaceW, font.getStringWidth (window.getName()) + iconW);
    int textX = drawTitleTextOnLeft ? titleSpaceX : juce::jmax (titleSpaceX, (w - textW) / 2);

    if (textX + textW > titleSpaceX + titleSpaceW)
        textX = titleSpaceX + titleSpaceW - textW;

    if (iconW > 0)
    {
        g.setOpacity (active ? 1.0f : 0.6f);
        g.drawImageWithin (*icon, textX, (h - iconH) / 2, iconW, iconH, juce::RectanglePlacement::centred, false);
        textX += iconW;
        textW -= iconW;
    }

    const bool textColourSet = window.isColourSpecified (juce::DocumentWindow::textColourId)
                               || isColourSpecified (juce::DocumentWindow::textColourId);
    const auto textColour = textColourSet ? window.findColour (juce::DocumentWindow::textColourId)
                                          : background.contrasting (active ? 0.7f : 0.4f);

    drawText (g, window.getName(), textColour, font,
              { (float) textX, 0.0f, (float) juce::jmax (0, textW), (float) h }, juce::Justification::centredLeft);
}

juce::Button* VLookAndFeel::createDocumentWindowButton (int buttonType)
{
    juce::String name;

    if (buttonType == juce::DocumentWindow::minimiseButton)
        name = "minimize";
    else if (buttonType == juce::DocumentWindow::maximiseButton)
        name = "maximize";
    else if (buttonType == juce::DocumentWindow::closeButton)
        name = "close";
    else
        return nullptr;

    auto* button = loadAndCreateButtonFromFile (name);

    if (button != nullptr)
    {
        // drawButtonBackground keeps buttons of this name still on hover and press.
        button->setName ("WindowButton");
        button->setEdgeIndent (0);
        button->setColour (juce::TextButton::buttonColourId, juce::Colours::transparentBlack);
        button->setColour (juce::TextButton::buttonOnColourId, juce::Colours::transparentBlack);
    }

    return button;
}

void VLookAndFeel::positionDocumentWindowButtons (juce::DocumentWindow&,
                                                  int titleBarX, int titleBarY, int titleBarW, int titleBarH,
                                                  juce::Button* minimiseButton,
                                                  juce::Button* maximiseButton,
                                                  juce::Button* closeButton,
                                                  bool positionTitleBarButtonsOnLeft)
{
    const int buttonW = 21;
    const int buttonH = 23;
    const int y = titleBarY + (titleBarH - buttonH) / 2;
    int x = positionTitleBarButtonsOnLeft ? titleBarX + 4 : titleBarX + titleBarW - 26;
    const int step = positionTitleBarButtonsOnLeft ? buttonW : -buttonW;

    juce::Button* order[] = { closeButton,
                              positionTitleBarButtonsOnLeft ? minimiseButton : maximiseButton,
                              positionTitleBarButtonsOnLeft ? maximiseButton : minimiseButton };

    for (auto* button : order)
    {
        if (button != nullptr)
        {
            button->setBounds (x, y, buttonW, buttonH);
            x += step;
        }
    }
}

//==============================================================================
int VLookAndFeel::getTabButtonBestWidth (juce::TabBarButton&, int)
{
    return 110;
}

void VLookAndFeel::drawTabButton (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown)
{
    const auto background = button.getTabBackgroundColour();

    g.setColour (button.isFrontTab() ? background : juce::Colour (37, 40, 42));
    g.fillRect (button.getActiveArea());

    const float alpha = ! button.isEnabled() ? 0.3f : ((isMouseOver || isMouseDown) ? 1.0f : 0.8f);
    auto textColour = background.contrasting (1.0f).withAlpha (alpha);

    auto& bar = button.getTabbedButtonBar();
    const int textColourId = button.isFrontTab() ? juce::TabbedButtonBar::frontTextColourId
                                                 : juce::TabbedButtonBar::tabTextColourId;

    // A colour chosen for the bar, or in the look, replaces the state's.
    if (bar.isColourSpecified (textColourId) || isColourSpecified (textColourId))
        textColour = bar.findColour (textColourId);

    drawText (g, button.getButtonText().trim(), textColour, 14.0f, button.getTextArea().toFloat(),
              juce::Justification::centred, false);
}

void VLookAndFeel::drawTableHeaderColumn (juce::Graphics& g, juce::TableHeaderComponent&, const juce::String& columnName,
                                          int, int width, int height, bool isMouseOver,
                                          bool isMouseDown, int columnFlags)
{
    if (isMouseDown)
        g.fillAll (juce::Colour ((juce::uint8) 153, (juce::uint8) 170, (juce::uint8) 221, (juce::uint8) 136));
    else if (isMouseOver)
        g.fillAll (juce::Colour ((juce::uint8) 153, (juce::uint8) 170, (juce::uint8) 221, (juce::uint8) 85));

    float rightOfText = (float) juce::jmax (0, width - 8);

    if ((columnFlags & (juce::TableHeaderComponent::sortedForwards | juce::TableHeaderComponent::sortedBackwards)) != 0)
    {
        const float w = juce::jmin ((float) height / 2.0f, rightOfText);
        const bool forwards = (columnFlags & juce::TableHeaderComponent::sortedForwards) != 0;

        juce::Path arrow;
        arrow.addTriangle (0.0f, 0.0f, 0.5f, forwards ? -0.8f : 0.8f, 1.0f, 0.0f);

        const juce::Rectangle<float> arrowArea (rightOfText + 6.0f - w, 2.0f, w - 4.0f, (float) height - 4.0f);

        if (! arrowArea.isEmpty())
        {
            g.setColour (juce::Colour ((juce::uint8) 0, (juce::uint8) 0, (juce::uint8) 0, (juce::uint8) 153));
            g.fillPath (arrow, arrow.getTransformToScaleToFit (arrowArea, true));
        }

        rightOfText -= w;
    }

    // From x 4, as wide as the text space's right edge.
    drawText (g, columnName, juce::Colours::black, (float) height * 0.5f,
              { 4.0f, 0.0f, rightOfText, (float) height },
              juce::Justification::centredLeft, true);
}
