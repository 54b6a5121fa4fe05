#pragma once

#include <functional>

#include <juce_core/juce_core.h>

// The user's language as a locale code ("zh-CN", "en-US").
// juce::SystemStats::getUserLanguage() gives a code on macOS but the
// language's name ("Chinese") on Linux, so on Linux the code comes from the
// locale variables, as gettext would read them.
class VUserLanguage
{
public:
    using VariableLookup = std::function<juce::String (const char* name)>;

    // The code from the locale variables that lookup returns: LANGUAGE (its
    // first entry) unless the locale is C or POSIX, then LC_ALL, LC_MESSAGES,
    // LANG. The encoding and modifier are dropped and "_" becomes "-";
    // "en" when nothing names a language.
    static juce::String codeFromEnvironment (const VariableLookup& lookup);

    // The code for this process's environment (Linux) or from the toolkit (elsewhere).
    static juce::String getLanguageCode();

    // True when the code holds "zh" as a whole word, ignoring case. Read afresh on every call.
    static bool isChinese();

private:
    VUserLanguage() = delete;
};
