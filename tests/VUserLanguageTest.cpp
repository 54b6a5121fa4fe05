#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/LooksTestSupport.h"
#include "widgets/VLabel.h"
#include "widgets/VLookAndFeel.h"
#include "widgets/VUserLanguage.h"

TEST (VUserLanguage, ReadsTheLocaleVariablesInGettextOrder)
{
    // the variables, then the language code
    const std::pair<std::map<std::string, std::string>, const char*> cases[] = {
        { { { "LANG", "sr_RS.UTF-8@latin" } }, "sr-RS" },
        { { { "LC_ALL", "fr_FR.UTF-8" }, { "LC_MESSAGES", "de_DE.UTF-8" }, { "LANG", "zh_CN.UTF-8" } }, "fr-FR" },
        { { { "LC_MESSAGES", "de_DE.UTF-8" }, { "LANG", "zh_CN.UTF-8" } }, "de-DE" },
        { { { "LANGUAGE", ":ja_JP:en" }, { "LC_ALL", "en_US.UTF-8" } }, "ja-JP" },
        { { { "LANGUAGE", "zh_CN" }, { "LC_ALL", "POSIX" } }, "en" }, // the list counts only outside the C locale
        { { { "LANGUAGE", "zh_CN" }, { "LANG", "C.UTF-8" } }, "en" },
        { { { "LANGUAGE", "zh_CN" } }, "en" },
    };
    for (const auto& [variables, code] : cases)
        EXPECT_EQ (VUserLanguage::codeFromEnvironment ([&v = variables] (const char* name)
        {
            const auto found = v.find (name);
            return found != v.end() ? juce::String (found->second) : juce::String();
        }), code) << code;
}

TEST (VUserLanguage, ChineseIsTheWholeWordZhReadAfreshOnEveryCall)
{
    for (auto [lang, chinese] : { std::pair { "zh_CN.UTF-8", true }, std::pair { "ZH_tw", true }, std::pair { "zhx_CN.UTF-8", false } })
    {
        zolooks::ScopedLocale locale ({ "LC_ALL", lang });
        EXPECT_EQ (VUserLanguage::isChinese(), chinese) << lang;
    }
    zolooks::ScopedLocale locale ({ "LANG", "en_GB.UTF-8", "LANGUAGE", "zh_CN:en" });
    EXPECT_TRUE (VUserLanguage::isChinese());
    EXPECT_EQ (VLabel ("", "").getFont().getTypefaceName(), VLookAndFeel::sharedInstance()->cjkFont.getTypefaceName());
    EXPECT_EQ (VLabel ("", "").getFont().getHeight(), 17.0f);
    ::setenv ("LANGUAGE", "en", 1);
    EXPECT_FALSE (VUserLanguage::isChinese());
    EXPECT_EQ (VLabel ("", "").getFont().getHeight(), 14.0f);
}
