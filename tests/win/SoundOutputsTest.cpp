// The output devices DirectSound lists, and opening one by its stored text.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "audio/SoundBuffer.h"
#include "audio/SoundOutputs.h"

TEST(SoundOutputsTest, EveryListedOutputOpensByItsTextAndAnyOtherTextGivesTheDefaultSilently) {
    wintest::RecordedMessages messages;
    HWND window = ::CreateWindowA("STATIC", "outputs", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const auto outputs = audio::EnumerateSoundOutputs();
    ASSERT_FALSE(outputs.empty());
    EXPECT_EQ(outputs.front().id, "") << "the system's default first";
    for (const audio::SoundOutput& output : outputs) {
        SCOPED_TRACE(output.name);
        if (!output.id.empty()) {
            const auto guid = audio::GuidFromText(output.id);
            ASSERT_TRUE(guid);
            EXPECT_EQ(audio::GuidToText(*guid), output.id);
        }
        EXPECT_TRUE(audio::DirectSoundDevice::Create(window, output.id));
    }
    for (const char* text : {"{00000000-0000-0000-0000-0000000000AB}", "{0000", "{00000000-0000-0000-0000-0000000000AB}x"})
        EXPECT_TRUE(audio::DirectSoundDevice::Create(window, text)) << text;
    EXPECT_TRUE(messages.texts().empty());
    ::DestroyWindow(window);
}
