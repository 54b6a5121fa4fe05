#include "widgets/VUserLanguage.h"

namespace
{
bool isCLocale (const juce::String& locale)
{
    return locale == "C" || locale == "POSIX" || locale.startsWith ("C.");
}

juce::String toCode (const juce::String& localeName)
{
    auto code = localeName.upToFirstOccurrenceOf (".", false, false)
                          .upToFirstOccurrenceOf ("@", false, false)
                          .trim();

    if (code.isEmpty() || isCLocale (code))
        return "en";

    return code.replaceCharacter ('_', '-');
}
} // namespace

juce::String VUserLanguage::codeFromEnvironment (const VariableLookup& lookup)
{
    juce::String locale;

    for (auto* name : { "LC_ALL", "LC_MESSAGES", "LANG" })
    {
        locale = lookup (name).trim();

        if (locale.isNotEmpty())
            break;
    }

    // gettext ignores LANGUAGE when messages are untranslated (the C locale).
    if (locale.isNotEmpty() && ! isCLocale (locale))
    {
        juce::StringArray preferred;
        preferred.addTokens (lookup ("LANGUAGE"), ":", "");
        preferred.trim();
        preferred.removeEmptyStrings();

        if (! preferred.isEmpty())
            return toCode (preferred[0]);
    }

    return toCode (locale);
}

juce::String VUserLanguage::getLanguageCode()
{
   #if JUCE_LINUX || JUCE_BSD
    return codeFromEnvironment ([] (const char* name)
    {
        return juce::SystemStats::getEnvironmentVariable (name, {});
    });
   #else
    return juce::SystemStats::getUserLanguage();
   #endif
}

bool VUserLanguage::isChinese()
{
    return getLanguageCode().containsWholeWordIgnoreCase ("zh");
}
