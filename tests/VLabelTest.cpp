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
    const auto chinese = fontFor ("zh_CN.UTF-8"), english = fontFor ("en_US.UTF-8");
    EXPECT_EQ (chinese.getHeight(), 17.0f);
    EXPECT_EQ (chinese.getTypefaceName(), VLookAndFeel::sharedInstance()->cjkFont.getTypefaceName());
    EXPECT_EQ (english.getHeight(), 14.0f);
    EXPECT_EQ (english.getTypefaceName(), juce::Font (14.0f).getTypefaceName());
}
