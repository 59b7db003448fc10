// The output devices DirectSound lists, and opening one by its stored text.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "audio/DirectSoundDevice.h"
#include "audio/SoundOutputs.h"

// A stored choice that is gone gives the default device, and says so; a
// choice just made gives that device or none.
TEST(SoundOutputsTest, EveryListedOutputOpensByItsTextAndAnyOtherTextOnlyAsTheDefault) {
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
        for (auto choice : {audio::OutputChoice::OrDefault, audio::OutputChoice::Exactly}) {
            audio::SoundError error = audio::SoundError::Create;
            const auto device = audio::DirectSoundDevice::Create(window, output.id, choice, error);
            ASSERT_TRUE(device);
            EXPECT_EQ(audio::SoundError::None, error);
            EXPECT_FALSE(device->OnDefaultInstead());
        }
    }
    for (const char* text : {"{00000000-0000-0000-0000-0000000000AB}", "{0000", "{00000000-0000-0000-0000-0000000000AB}x"}) {
        audio::SoundError error = audio::SoundError::None;
        const auto device = audio::DirectSoundDevice::Create(window, text, audio::OutputChoice::OrDefault, error);
        ASSERT_TRUE(device) << text;
        EXPECT_TRUE(device->OnDefaultInstead()) << text;
        EXPECT_FALSE(audio::DirectSoundDevice::Create(window, text, audio::OutputChoice::Exactly, error)) << text;
        EXPECT_EQ(audio::SoundError::Create, error);
    }
    EXPECT_TRUE(messages.texts().empty());
    ::DestroyWindow(window);
}
