#include <gtest/gtest.h>

#include "tests/LooksTestSupport.h"
#include "widgets/VLabel.h"
#include "widgets/VLookAndFeel.h"

TEST (VLabel, FontFollowsTheUserLanguage)
{
    const auto fontFor = [] (const char* lang)
    {
        zolooks::ScopedLocale locale ({ "LANG", lang });
        return VLabel ("", "").getFont();
    };

    for (auto* lang : { "zh_CN.UTF-8", "zh-Hans" })
    {
        EXPECT_EQ (fontFor (lang).getHeight(), 17.0f) << lang;
        EXPECT_EQ (fontFor (lang).getTypefaceName(), VLookAndFeel::sharedInstance()->cjkFont.getTypefaceName()) << lang;
    }

    for (auto* lang : { "en_US.UTF-8", "zhx_XX" })
    {
        EXPECT_EQ (fontFor (lang).getHeight(), 14.0f) << lang;
        EXPECT_EQ (fontFor (lang).getTypefaceName(), juce::Font (14.0f).getTypefaceName()) << lang;
        EXPECT_EQ (fontFor (lang).getStyleFlags(), juce::Font::plain) << lang;
    }
}
