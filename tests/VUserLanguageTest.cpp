#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/LooksTestSupport.h"
#include "widgets/VUserLanguage.h"

namespace
{
juce::String codeFor (const std::map<std::string, std::string>& variables)
{
    return VUserLanguage::codeFromEnvironment ([&] (const char* name)
    {
        const auto found = variables.find (name);
        return found != variables.end() ? juce::String (found->second) : juce::String();
    });
}
} // namespace

TEST (VUserLanguage, ReadsTheLocaleVariablesInGettextOrder)
{
    EXPECT_EQ (codeFor ({ { "LANG", "sr_RS.UTF-8@latin" } }), "sr-RS");
    EXPECT_EQ (codeFor ({ { "LANG", "de" } }), "de");
    EXPECT_EQ (codeFor ({ { "LC_ALL", "fr_FR.UTF-8" }, { "LC_MESSAGES", "de_DE.UTF-8" }, { "LANG", "zh_CN.UTF-8" } }), "fr-FR");
    EXPECT_EQ (codeFor ({ { "LC_MESSAGES", "de_DE.UTF-8" }, { "LANG", "zh_CN.UTF-8" } }), "de-DE");
    EXPECT_EQ (codeFor ({ { "LANGUAGE", ":ja_JP:en" }, { "LC_ALL", "en_US.UTF-8" } }), "ja-JP");

    // The language list counts only outside the C locale.
    EXPECT_EQ (codeFor ({ { "LANGUAGE", "zh_CN" }, { "LC_ALL", "POSIX" } }), "en");
    EXPECT_EQ (codeFor ({ { "LANGUAGE", "zh_CN" }, { "LANG", "C.UTF-8" } }), "en");
    EXPECT_EQ (codeFor ({ { "LANGUAGE", "zh_CN" } }), "en");
}

TEST (VUserLanguage, ChineseOnlyForTheWholeWordZh)
{
    const auto chinese = [] (std::initializer_list<const char*> variables)
    {
        zolooks::ScopedLocale locale (variables);
        return VUserLanguage::isChinese();
    };
    EXPECT_TRUE (chinese ({ "LANG", "zh_CN.UTF-8" }));
    EXPECT_TRUE (chinese ({ "LC_ALL", "ZH_tw" }));
    EXPECT_FALSE (chinese ({ "LANG", "en_US.UTF-8" }));
    EXPECT_FALSE (chinese ({ "LANG", "zhx_CN.UTF-8" }));

    // Read afresh on every call: a change of the environment shows at once.
    zolooks::ScopedLocale locale ({ "LANG", "en_GB.UTF-8", "LANGUAGE", "zh_CN:en" });
    EXPECT_TRUE (VUserLanguage::isChinese());
    ::setenv ("LANGUAGE", "en", 1);
    EXPECT_FALSE (VUserLanguage::isChinese());
}
