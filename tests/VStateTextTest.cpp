#include <gtest/gtest.h>

#include <cstring>

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/VStateText.h"

namespace
{
juce::MemoryBlock blobOf (const char* text)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int) std::strlen (text) + 1);
    out.write (text, std::strlen (text) + 1);
    return out.getMemoryBlock();
}

bool readable (const char* text)
{
    const auto blob = blobOf (text);
    return VStateText::isReadable (blob.getData(), (int) blob.getSize());
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
    xml.setAttribute ("Rule_0", "Reverse (-x)");
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (xml, block);
    EXPECT_TRUE (VStateText::isReadable (block.getData(), (int) block.getSize()));

    EXPECT_TRUE (readable ("<A/>"));
    EXPECT_TRUE (readable ("  <?xml version='1.0'?>\n<A b='1'  c=\"2\" />\r\n"));
}

TEST (VStateText, EverythingElseIsRefused)
{
    EXPECT_FALSE (readable (""));
    EXPECT_FALSE (readable ("<?" "?><S 0=\"\"><?" "?>T")) << "sends the toolkit's reader into an endless loop";
    EXPECT_FALSE (readable ("<A><B/></A>"));
    EXPECT_FALSE (readable ("<A>text</A>"));
    EXPECT_FALSE (readable ("<A b=\"1\"c=\"2\"/>"));
    EXPECT_FALSE (readable ("<A b=\"<\"/>"));
    EXPECT_FALSE (readable ("<A b=\"1/>"));
    EXPECT_FALSE (readable ("<A b/>"));
    EXPECT_FALSE (readable ("<A/><B/>"));
    EXPECT_FALSE (readable ("<!-- x --><A/>"));

    const char junk[] = "not a state at all";
    EXPECT_FALSE (VStateText::isReadable (junk, (int) sizeof (junk)));
    EXPECT_FALSE (VStateText::isReadable (nullptr, 100));
    const auto blob = blobOf ("<A/>");
    EXPECT_FALSE (VStateText::isReadable (blob.getData(), 8));
    EXPECT_FALSE (VStateText::isReadable (blob.getData(), -1));
}

TEST (VStateText, Utf8MustBeComplete)
{
    EXPECT_TRUE (utf8 ("plain"));
    EXPECT_TRUE (utf8 ("\xe9\xbc\x93\xe7\xbb\x84 \xc3\xa9 \xf0\x9f\x8e\xb5"));
    EXPECT_FALSE (utf8 ("\x80"));                  // continuation byte first
    EXPECT_FALSE (utf8 ("ab\xdc"));                // lead byte at the very end
    EXPECT_FALSE (utf8 ("\xd3\x41"));              // lead byte without its continuation
    EXPECT_FALSE (utf8 ("\xe9\xbc"));              // three-byte sequence cut short
    EXPECT_FALSE (utf8 ("\xf8\x80\x80\x80\x80"));  // no such lead byte
}
