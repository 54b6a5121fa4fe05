#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The system's look: dark greys with a teal accent, flat controls, and a CJK
// font from the bundle's materials for Chinese users. One instance per
// process; the knob-label and number-box looks derive from it.
class VLookAndFeel : public juce::LookAndFeel_V3
{
public:
    VLookAndFeel();
    ~VLookAndFeel() override;

    static VLookAndFeel* sharedInstance();

    // The bundle's materials folder. Set only in the first look built while
    // the font bytes were not yet loaded; ask sharedInstance() for it.
    juce::String resourcesFolder;

    // A typeface made from fontMB, or the plain default font without it.
    juce::Font cjkFont;

    // The font file's bytes, read once per process and shared by every look.
    static juce::MemoryBlock fontMB;

    //==============================================================================
    juce::Path getTickShape (float height) override;

    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&,
                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawTickBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h,
                      bool ticked, bool isEnabled,
                      bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;
    juce::Font getAlertWindowTitleFont() override;

    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height,
                          double progress, const juce::String& textToShow) override;

    void drawTreeviewPlusMinusBox (juce::Graphics&, const juce::Rectangle<float>& area,
                                   juce::Colour backgroundColour, bool isOpen, bool isMouseOver) override;

    void drawFileBrowserRow (juce::Graphics&, int width, int height,
                             const juce::File& file, const juce::String& filename, juce::Image* icon,
                             const juce::String& fileSizeDescription, const juce::String& fileTimeDescription,
                             bool isDirectory, bool isItemSelected, int itemIndex,
                             juce::DirectoryContentsDisplayComponent&) override;
    juce::Button* createFileBrowserGoUpButton() override;
    void layoutFileBrowserComponent (juce::FileBrowserComponent&,
                                     juce::DirectoryContentsDisplayComponent*,
                                     juce::FilePreviewComponent*,
                                     juce::ComboBox* currentPathBox,
                                     juce::TextEditor* filenameBox,
                                     juce::Button* goUpButton) override;

    // Popup menus call the ...WithOptions forms; they lead to the plain forms below.
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    void drawPopupMenuBackgroundWithOptions (juce::Graphics&, int width, int height,
                                             const juce::PopupMenu::Options&) override;
    void drawPopupMenuItem (juce::Graphics&, const juce::Rectangle<int>& area,
                            bool isSeparator, bool isActive, bool isHighlighted, bool isTicked, bool hasSubMenu,
                            const juce::String& text, const juce::String& shortcutKeyText,
                            const juce::Drawable* icon, const juce::Colour* textColour) override;
    void drawPopupMenuItemWithOptions (juce::Graphics&, const juce::Rectangle<int>& area,
                                       bool isHighlighted, const juce::PopupMenu::Item&,
                                       const juce::PopupMenu::Options&) override;
    juce::Font getPopupMenuFont() override;
    void getIdealPopupMenuItemSize (const juce::String& text, bool isSeparator, int standardMenuItemHeight,
                                    int& idealWidth, int& idealHeight) override;
    void getIdealPopupMenuItemSizeWithOptions (const juce::String& text, bool isSeparator,
                                               int standardMenuItemHeight, int& idealWidth, int& idealHeight,
                                               const juce::PopupMenu::Options&) override;

    void drawMenuBarBackground (juce::Graphics&, int width, int height, bool isMouseOverBar,
                                juce::MenuBarComponent&) override;
    juce::Font getMenuBarFont (juce::MenuBarComponent&, int itemIndex, const juce::String& itemText) override;
    void drawMenuBarItem (juce::Graphics&, int width, int height,
                          int itemIndex, const juce::String& itemText,
                          bool isMouseOverItem, bool isMenuOpen, bool isMouseOverBar,
                          juce::MenuBarComponent&) override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    juce::Font getComboBoxFont (juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                juce::Slider::SliderStyle, juce::Slider&) override;
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle,
                           juce::Slider&) override;
    juce::Slider::SliderLayout getSliderLayout (juce::Slider&) override;

    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;

    void drawCornerResizer (juce::Graphics&, int w, int h, bool isMouseOver, bool isMouseDragging) override;

    void drawDocumentWindowTitleBar (juce::DocumentWindow&, juce::Graphics&, int w, int h,
                                     int titleSpaceX, int titleSpaceW,
                                     const juce::Image* icon, bool drawTitleTextOnLeft) override;
    juce::Button* createDocumentWindowButton (int buttonType) override;
    void positionDocumentWindowButtons (juce::DocumentWindow&,
                                        int titleBarX, int titleBarY, int titleBarW, int titleBarH,
                                        juce::Button* minimiseButton,
                                        juce::Button* maximiseButton,
                                        juce::Button* closeButton,
                                        bool positionTitleBarButtonsOnLeft) override;

    int getTabButtonBestWidth (juce::TabBarButton&, int tabDepth) override;
    void drawTabButton (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;

    void drawTableHeaderColumn (juce::Graphics&, juce::TableHeaderComponent&, const juce::String& columnName,
                                int columnId, int width, int height, bool isMouseOver,
                                bool isMouseDown, int columnFlags) override;

    //==============================================================================
    // Draws text in one font and colour through drawArributedText.
    static void drawText (juce::Graphics&, const juce::String& text, juce::Colour colour,
                          const juce::Font& font, juce::Rectangle<float> area,
                          juce::Justification justification);

    // The same in the plain default font of the given height.
    static void drawText (juce::Graphics&, const juce::String& text, juce::Colour colour,
                          float height, juce::Rectangle<float> area,
                          juce::Justification justification, bool bold);

    // Lays the text out (600 wide at most, the area's height) and drops
    // characters from its end until it fits the area's width. No ellipsis.
    // Characters that a font lacks are drawn from another font (VFontFallback).
    static void drawArributedText (juce::Graphics&, juce::AttributedString text, juce::Rectangle<float> area);

    // The height of a knob component of the given width.
    static float getKnobAdjacentSideLength (int width);

    // A button from icons/<name>_normal.svg, _hover.svg and the optional
    // _pressed.svg in the materials folder; null without the first two.
    // The caller owns the button.
    static juce::DrawableButton* loadAndCreateButtonFromFile (juce::String name);

private:
    JUCE_DECLARE_NON_COPYABLE (VLookAndFeel)
};
