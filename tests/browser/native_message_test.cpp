// The host's request reader on its own: frames read from a real pipe (short reads, early
// ends, lengths out of range), which requests are pings, and how string values decode,
// including the values that must not be taken for keys and the escapes that would cut or
// shift the hand-over record.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "browser/native_message.h"
#include "model/text_encoding.h"

namespace vonu {
namespace {

std::string Frame(std::string_view body, uint32_t length) {
    std::string frame(4, '\0');
    for (int i = 0; i < 4; ++i) frame[i] = static_cast<char>(length >> (8 * i) & 0xFF);
    return frame + std::string(body);
}
std::string Frame(std::string_view body) { return Frame(body, static_cast<uint32_t>(body.size())); }

// What ReadNativeMessage makes of these bytes arriving in pieces of `piece` bytes, the
// writing end closed after them.
std::optional<std::string> ReadFromPipe(const std::string& bytes, size_t piece = 0) {
    HANDLE read = nullptr, write = nullptr;
    EXPECT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    std::thread writer([&] {
        size_t step = piece ? piece : bytes.size();
        for (size_t at = 0; at < bytes.size(); at += step) {
            DWORD written = 0;
            WriteFile(write, bytes.data() + at, static_cast<DWORD>(std::min(step, bytes.size() - at)), &written,
                      nullptr);
            if (piece) Sleep(1);
        }
        CloseHandle(write);
    });
    std::optional<std::string> got = ReadNativeMessage(read);
    writer.join();
    CloseHandle(read);
    return got;
}

TEST(NativeMessage, ReadsOneFrame) {
    EXPECT_EQ(ReadFromPipe(Frame("{\"ping\":true}")), "{\"ping\":true}");
    EXPECT_EQ(ReadFromPipe(Frame("x")), "x");
    // Only one frame is taken; what follows stays unread.
    EXPECT_EQ(ReadFromPipe(Frame("first") + Frame("second")), "first");
}

TEST(NativeMessage, ReadsFramesArrivingInOneBytePieces) {
    EXPECT_EQ(ReadFromPipe(Frame("{\"ping\":true}"), 1), "{\"ping\":true}");
}

TEST(NativeMessage, BinaryLengthBytesPassUnchanged) {
    for (size_t length : {0x0Au, 0x0Du, 0x1Au, 0xFFu}) {
        SCOPED_TRACE(length);
        const std::string body(length, 'a');
        EXPECT_EQ(ReadFromPipe(Frame(body)), body);
    }
    // A body holding NUL, CR, LF, Ctrl-Z and invalid UTF-8 arrives byte for byte.
    const std::string binary("a\0b\r\n\x1A\xFF\xFE", 9);
    EXPECT_EQ(ReadFromPipe(Frame(binary)), binary);
}

TEST(NativeMessage, RefusesLengthsOutOfRangeAndEarlyEnds) {
    EXPECT_EQ(ReadFromPipe(Frame("", 0)), std::nullopt);
    EXPECT_EQ(ReadFromPipe(Frame("", 4194305)), std::nullopt);
    EXPECT_EQ(ReadFromPipe(Frame("", 0xFFFFFFFFu)), std::nullopt);
    EXPECT_EQ(ReadFromPipe(""), std::nullopt);
    EXPECT_EQ(ReadFromPipe(std::string("\x0D\x00", 2)), std::nullopt);
    EXPECT_EQ(ReadFromPipe(Frame("{\"pi", 13)), std::nullopt);
}

TEST(NativeMessage, ReadsTheLargestFrame) {
    const std::string body(kMaxNativeMessageBytes, 'z');
    EXPECT_EQ(ReadFromPipe(Frame(body)), body);
}

TEST(NativeMessage, WritesLengthThenText) {
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    ASSERT_TRUE(WriteNativeMessage(write, "{\"ok\":true}"));
    CloseHandle(write);
    char buffer[64];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(read, buffer, sizeof buffer, &got, nullptr));
    CloseHandle(read);
    EXPECT_EQ(std::string(buffer, got), Frame("{\"ok\":true}"));
}

TEST(NativeMessage, PingIsTheKeyPingFollowedByAColon) {
    EXPECT_TRUE(IsPingRequest("{\"ping\":true}"));
    EXPECT_TRUE(IsPingRequest("{ \"ping\" :\ttrue }"));
    EXPECT_TRUE(IsPingRequest("{\"ping\"\r\n:1}"));
    // A value reading "ping" is not a ping: it is a hand-over the browser would else lose.
    EXPECT_FALSE(IsPingRequest("{\"url\":\"http://h/ping\",\"filename\":\"ping\"}"));
    EXPECT_FALSE(IsPingRequest("{\"url\":\"ping\"}"));
    EXPECT_FALSE(IsPingRequest("\"ping\""));
    EXPECT_FALSE(IsPingRequest("\"ping"));
    EXPECT_TRUE(IsPingRequest("{\"filename\":\"ping\",\"ping\":true}"));
}

struct FieldCase {
    const char* text;
    const char* key;
    std::wstring expected;
};

TEST(NativeMessage, StringFieldsDecode) {
    const FieldCase cases[] = {
        {R"({"url":"http://h/a"})", "url", L"http://h/a"},
        {R"({"url" : "http://h/a"})", "url", L"http://h/a"},
        {R"({"x":1})", "url", L""},
        {R"({"url":5})", "url", L""},
        {R"({"url":"http:\/\/h\/a"})", "url", L"http://h/a"},
        {R"({"filename":"caf\u00e9.zip"})", "filename", L"caf\u00e9.zip"},
        {"{\"filename\":\"caf\xC3\xA9.zip\"}", "filename", L"caf\u00e9.zip"},
        {R"({"a":"q\"uote\\back\/slash"})", "a", L"q\"uote\\back/slash"},
        {R"({"a":"\b\f\n\r\t"})", "a", L"\b\f\n\r\t"},
        {R"({"a":"\ud83d\ude00"})", "a", L"\xD83D\xDE00"},
        {R"({"a":"x\uD800y"})", "a", L"x\xD800y"},
        // The record's end and separator become spaces, escaped or raw.
        {R"({"a":"x\u0000y\u001Fz\u001fw"})", "a", L"x y z w"},
        {"{\"a\":\"x\x1Fy\"}", "a", L"x y"},
        // A \u without four hex digits gives nothing; what follows is plain text.
        {R"({"a":"x\u12"})", "a", L"x12"},
        {R"({"a":"x\uZZZZ"})", "a", L"xZZZZ"},
        {R"({"a":"x\u12)", "a", L"x12"},
        // A backslash as the last byte ends the value; an unterminated string runs to the end.
        {"{\"a\":\"xy\\", "a", L"xy"},
        {"{\"a\":\"unterminated", "a", L"unterminated"},
        {"{\"a\":\"\\q\\\xC3\xA9\"}", "a", L"q\u00e9"},
        // The first key followed by a colon counts: a value "ua" does not shift the fields.
        {R"({"url":"http://h/","referrer":"ua","filename":"","cookie":"c=1","ua":"Agent/1"})", "ua", L"Agent/1"},
        {R"({"referrer":"url","url":"http://h/"})", "url", L"http://h/"},
        {R"({"url":"http://h/","url":"http://other/"})", "url", L"http://h/"},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(JsonStringField(c.text, c.key), c.expected);
    }
}

TEST(NativeMessage, NulBytesAndInvalidUtf8) {
    static const char raw[] = "{\"filename\":\"a\0b\xFF\xFE" "c\"}";
    const std::string text(raw, sizeof raw - 1);
    EXPECT_EQ(JsonStringField(text, "filename"), L"a b\xFFFD\xFFFD" L"c");
}

}  // namespace
}  // namespace vonu
