#include <gtest/gtest.h>

#include <cstring>

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/VStateText.h"

namespace
{
// A blob with the toolkit's binary XML header around the text.
bool readable (const char* text)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int) std::strlen (text) + 1);
    out.write (text, std::strlen (text) + 1);
    return VStateText::isReadable (out.getData(), (int) out.getDataSize());
}

bool utf8 (const char* bytes)
{
    return VStateText::isWellFormedUtf8 (reinterpret_cast<const juce::uint8*> (bytes), std::strlen (bytes));
}
} // namespace

TEST (VStateText, WhatThePluginWritesIsReadable)
{
    juce::XmlElement xml ("Kt_Tarvel_SETTINGS");
    xml.setAttribute ("Volume", 0.25);
    xml.setAttribute ("track_name", juce::CharPointer_UTF8 ("Track \xe9\xbc\x93\xe7\xbb\x84 <2> & \"x\""));
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (xml, block);
    EXPECT_TRUE (VStateText::isReadable (block.getData(), (int) block.getSize()));
    EXPECT_TRUE (readable ("  <?xml version='1.0'?>\n<A b='1'  c=\"2\" />\r\n"));
}

TEST (VStateText, EverythingElseIsRefused)
{
    for (auto* text : { "", "<?" "?><S 0=\"\"><?" "?>T", "<A><B/></A>", "<A>text</A>", "<A b=\"1\"c=\"2\"/>",
                        "<A b=\"<\"/>", "<A b=\"1/>", "<A b/>", "<A/><B/>", "<!-- x --><A/>" })
        EXPECT_FALSE (readable (text)) << text;

    const char junk[] = "not a state at all";
    EXPECT_FALSE (VStateText::isReadable (junk, (int) sizeof (junk)));
    EXPECT_FALSE (VStateText::isReadable (nullptr, 100));
}

TEST (VStateText, Utf8MustBeComplete)
{
    EXPECT_TRUE (utf8 ("\xe9\xbc\x93\xe7\xbb\x84 \xc3\xa9 \xf0\x9f\x8e\xb5"));
    // continuation first, lead byte at the end, lead without continuation, cut short, no such lead
    for (auto* bytes : { "\x80", "ab\xdc", "\xd3\x41", "\xe9\xbc", "\xf8\x80\x80\x80\x80" })
        EXPECT_FALSE (utf8 (bytes));
}
