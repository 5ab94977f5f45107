// The streaming JSON writer: separators, escapes, bounded fields, numbers at
// their limits, and nesting mistakes caught.
#include <gtest/gtest.h>

#include <cJSON.h>

#include <string>

#include "json_writer.h"

namespace {

void append(void* context, const char* bytes, size_t count) {
    static_cast<std::string*>(context)->append(bytes, count);
}

struct Capture {
    std::string out;
    JsonWriter w;
};

void start(Capture* c) { json_start(&c->w, JsonSink{append, &c->out}); }

// One string value written alone as a document, without its line end.
std::string string_document(const char* bytes, size_t size) {
    static Capture c;
    c.out.clear();
    start(&c);
    json_field(&c.w, nullptr, bytes, size);
    EXPECT_TRUE(json_finish(&c.w));
    return c.out.substr(0, c.out.size() - 1);
}

TEST(JsonWriter, SeparatorsBetweenMembersAndItems) {
    static Capture c;
    start(&c);
    json_begin_object(&c.w, nullptr);
    json_text(&c.w, "schema", "ravlin/1");
    json_begin_array(&c.w, "devices");
    json_begin_object(&c.w, nullptr);
    json_int(&c.w, "number", 0);
    json_null(&c.w, "preferred_path");
    json_begin_array(&c.w, "paths");
    json_end_array(&c.w);
    json_end_object(&c.w);
    json_begin_object(&c.w, nullptr);
    json_bool(&c.w, "removed", true);
    json_end_object(&c.w);
    json_end_array(&c.w);
    json_begin_object(&c.w, "empty");
    json_end_object(&c.w);
    json_end_object(&c.w);
    EXPECT_TRUE(json_finish(&c.w));
    EXPECT_EQ(c.out,
              "{\"schema\":\"ravlin/1\",\"devices\":[{\"number\":0,\"preferred_path\":null,\"paths\":[]},"
              "{\"removed\":true}],\"empty\":{}}\n");
}

TEST(JsonWriter, EveryByteComesOutAsValidJson) {
    EXPECT_EQ(string_document("a\"b\\c/", 6), "\"a\\\"b\\\\c/\"");
    EXPECT_EQ(string_document("\n\r\t\b\f\x01\x1f\x7f", 8), "\"\\n\\r\\t\\b\\f\\u0001\\u001f\\u007f\"");
    // Bytes above 0x7F stand for the code point of their own value.
    EXPECT_EQ(string_document("\x80\xC3\xFF", 3), "\"\xC2\x80\xC3\x83\xC3\xBF\"");

    char all[255];
    for (int i = 0; i < 255; i++) all[i] = char(i + 1);
    std::string document = string_document(all, sizeof all);
    cJSON* parsed = cJSON_Parse(document.c_str());
    ASSERT_NE(parsed, nullptr);
    ASSERT_TRUE(cJSON_IsString(parsed));
    // 127 one-byte characters and 128 two-byte ones, decoded back by the parser.
    std::string text = parsed->valuestring;
    EXPECT_EQ(text.size(), 127u + 2 * 128u);
    EXPECT_EQ(text.substr(0, 3), "\x01\x02\x03");
    EXPECT_EQ(text.substr(text.size() - 2), "\xC3\xBF");
    cJSON_Delete(parsed);
}

TEST(JsonWriter, FieldsAreBoundedByTheirSize) {
    // Unterminated: exactly the field's bytes, nothing of what follows it.
    const char record[] = "ABCDEFGHxyz";
    EXPECT_EQ(string_document(record, 8), "\"ABCDEFGH\"");
    // Terminated early: up to the NUL.
    EXPECT_EQ(string_document("AB\0CD", 5), "\"AB\"");
    EXPECT_EQ(string_document("", 0), "\"\"");
}

TEST(JsonWriter, TextsLongerThanTheBufferComeOutWhole) {
    std::string text(3 * kJsonBufferSize + 7, 'x');
    text[kJsonBufferSize - 1] = '"';
    text[2 * kJsonBufferSize] = '\xE9';
    std::string document = string_document(text.data(), text.size());
    cJSON* parsed = cJSON_Parse(document.c_str());
    ASSERT_NE(parsed, nullptr);
    std::string back = parsed->valuestring;
    EXPECT_EQ(back.size(), text.size() + 1);
    EXPECT_EQ(back[kJsonBufferSize - 1], '"');
    cJSON_Delete(parsed);
}

TEST(JsonWriter, NumbersAtTheirLimits) {
    static Capture c;
    start(&c);
    json_begin_array(&c.w, nullptr);
    json_int(&c.w, nullptr, INT64_MIN);
    json_int(&c.w, nullptr, -1);
    json_int(&c.w, nullptr, 0);
    json_uint(&c.w, nullptr, UINT64_MAX);
    json_uint(&c.w, nullptr, 4294967295u);
    json_bool(&c.w, nullptr, false);
    json_end_array(&c.w);
    EXPECT_TRUE(json_finish(&c.w));
    EXPECT_EQ(c.out, "[-9223372036854775808,-1,0,18446744073709551615,4294967295,false]\n");
}

TEST(JsonWriter, NestingMistakesAreReported) {
    static Capture c;
    auto finish_fails = [](void (*build)(JsonWriter*)) {
        c.out.clear();
        start(&c);
        build(&c.w);
        return !json_finish(&c.w);
    };
    EXPECT_TRUE(finish_fails([](JsonWriter* w) { json_begin_object(w, nullptr); }));
    EXPECT_TRUE(finish_fails([](JsonWriter* w) { json_end_array(w); }));
    EXPECT_TRUE(finish_fails([](JsonWriter* w) {
        json_begin_object(w, nullptr);
        json_end_array(w);
    }));
    // A member without a key, an array item with one, two documents in one.
    EXPECT_TRUE(finish_fails([](JsonWriter* w) {
        json_begin_object(w, nullptr);
        json_int(w, nullptr, 1);
        json_end_object(w);
    }));
    EXPECT_TRUE(finish_fails([](JsonWriter* w) {
        json_begin_array(w, nullptr);
        json_int(w, "n", 1);
        json_end_array(w);
    }));
    EXPECT_TRUE(finish_fails([](JsonWriter* w) {
        json_int(w, nullptr, 1);
        json_int(w, nullptr, 2);
    }));
    EXPECT_TRUE(finish_fails([](JsonWriter*) {}));
    EXPECT_TRUE(finish_fails([](JsonWriter* w) {
        for (int i = 0; i < kJsonMaxDepth + 2; i++) json_begin_array(w, nullptr);
        for (int i = 0; i < kJsonMaxDepth + 2; i++) json_end_array(w);
    }));
    // Whatever the mistakes, nothing written ever claims to be more than was asked.
    EXPECT_LE(c.out.size(), size_t(2 * kJsonMaxDepth + 1));
}

}  // namespace
