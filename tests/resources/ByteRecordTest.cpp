// The byte record: little-endian values in and out, varints, text fields, a fixed buffer
// that never overflows, a reader that never reads past its end, failures that stay, and
// one field list that reads what it wrote.
#include "resources/ByteRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

TEST(ByteRecord, ValuesAreWrittenLittleEndianAndReadBack) {
    struct Case {
        const char* name;
        std::function<void(CByteWriter&)> write;
        Bytes expected;
        std::function<bool(CByteReader&)> readsBack;
    };
    const Case cases[] = {
        {"u8", [](CByteWriter& w) { w.U8(0x1AB); }, {0xAB}, [](CByteReader& r) { return r.U8() == 0xAB; }},
        {"u16", [](CByteWriter& w) { w.U16(0xBEEF); }, {0xEF, 0xBE}, [](CByteReader& r) { return r.U16() == 0xBEEF; }},
        {"u32", [](CByteWriter& w) { w.U32(0x12345678); }, {0x78, 0x56, 0x34, 0x12},
         [](CByteReader& r) { return r.U32() == 0x12345678u; }},
        {"i32", [](CByteWriter& w) { w.I32(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}, [](CByteReader& r) { return r.I32() == -2; }},
        {"f32", [](CByteWriter& w) { w.F32(320.0f); }, {0x00, 0x00, 0xA0, 0x43},
         [](CByteReader& r) { return r.F32() == 320.0f; }},
        {"varint of one byte", [](CByteWriter& w) { w.Varint(127); }, {0x7F}, [](CByteReader& r) { return r.Varint() == 127; }},
        {"varint of two bytes", [](CByteWriter& w) { w.Varint(300); }, {0xAC, 0x02},
         [](CByteReader& r) { return r.Varint() == 300; }},
        {"varint of five bytes", [](CByteWriter& w) { w.Varint(0xFFFFFFFF); }, {0xFF, 0xFF, 0xFF, 0xFF, 0x0F},
         [](CByteReader& r) { return r.Varint() == 0xFFFFFFFFu; }},
        {"text cut and padded", [](CByteWriter& w) { w.Text("abcdef", 4); }, {'a', 'b', 'c', 0},
         [](CByteReader& r) {
             std::string text;
             r.Text(text, 4);
             return text == "abc";
         }},
        {"zeros", [](CByteWriter& w) { w.Zeros(3); }, {0, 0, 0}, [](CByteReader& r) {
             r.Skip(3);
             return true;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out = {0x99};   // what the vector held stays in front
        CByteWriter writer(out);
        c.write(writer);
        EXPECT_FALSE(writer.Failed());
        Bytes expected = {0x99};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(out, expected);
        EXPECT_EQ(writer.Size(), expected.size());
        CByteReader reader(out.data() + 1, out.size() - 1);
        EXPECT_TRUE(c.readsBack(reader));
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_FALSE(reader.Failed());
    }
}

TEST(ByteRecord, AFixedBufferTakesNoMoreThanItsRoomAndStaysFailed) {
    uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    CByteWriter writer(buffer, 6);
    writer.U32(0x04030201);
    writer.U32(0x08070605);   // two bytes too many: nothing of it is written
    EXPECT_TRUE(writer.Failed());
    writer.U8(9);             // would fit, but the record has failed already
    EXPECT_EQ(writer.Size(), 4u);
    const uint8_t expected[8] = {1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(std::memcmp(buffer, expected, sizeof buffer), 0);
}

TEST(ByteRecord, AReaderNeverReadsPastItsEndAndStaysFailed) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01};
    CByteReader reader(bytes, 3);
    EXPECT_EQ(reader.U16(), 0x0201);
    EXPECT_EQ(reader.U16(), 0) << "one byte left: nothing is read";
    EXPECT_TRUE(reader.Failed());
    EXPECT_EQ(reader.U8(), 0) << "failed stays failed";
    EXPECT_EQ(reader.Position(), 2u);

    Bytes out = {7};
    CByteReader shortOne(bytes, 2);
    shortOne.Bytes(out, 3);
    EXPECT_TRUE(shortOne.Failed());
    EXPECT_EQ(out, Bytes{7}) << "a read that does not fit leaves its target";

    CByteReader tooLong(bytes + 3, 6);
    EXPECT_EQ(tooLong.Varint(), 0u) << "a varint of six bytes";
    EXPECT_TRUE(tooLong.Failed());

    CByteReader empty(nullptr, 0);
    EXPECT_TRUE(empty.AtEnd());
    EXPECT_EQ(empty.U32(), 0u);
    EXPECT_TRUE(empty.Failed());
}

TEST(ByteRecord, ALaterPatchStaysInsideWhatWasWritten) {
    Bytes out;
    CByteWriter writer(out);
    writer.U32(0);
    writer.U8(5);
    writer.PatchU32(0, 0xA1B2C3D4);
    EXPECT_EQ(out, (Bytes{0xD4, 0xC3, 0xB2, 0xA1, 5}));
    EXPECT_FALSE(writer.Failed());
    writer.PatchU32(2, 1);
    EXPECT_TRUE(writer.Failed());
    EXPECT_EQ(out, (Bytes{0xD4, 0xC3, 0xB2, 0xA1, 5}));
}

TEST(ByteRecord, ACountingWriterSizesARecordWithoutWritingIt) {
    const auto write = [](CByteWriter& writer) {
        writer.U8(1);
        writer.Varint(70000);
        writer.Text("name", 16);
        writer.F32(1.5f);
        writer.PatchU32(0, 7);
    };
    Bytes out;
    CByteWriter real(out);
    write(real);
    CByteWriter counter;
    write(counter);
    EXPECT_EQ(counter.Size(), out.size());
    EXPECT_FALSE(counter.Failed());
}

TEST(ByteRecord, AnUnterminatedTextFieldIsReadWhole) {
    const uint8_t bytes[] = {'a', 'b', 'c', 'd'};
    CByteReader reader(bytes, sizeof bytes);
    std::string text;
    reader.Text(text, 4);
    EXPECT_EQ(text, "abcd");
}

struct Sample {
    uint8_t small = 0;
    uint16_t middle = 0;
    uint32_t word = 0;
    int32_t number = 0;
    float real = 0.0f;
    bool flag = false;
    bool exact = false;
    std::string name;
    char chars[5] = {};
};

template <typename Fields, typename Record>
void TransferSample(Fields& fields, Record& sample) {
    fields.U8(sample.small);
    fields.U16(sample.middle);
    fields.U32(sample.word);
    fields.I32(sample.number);
    fields.F32(sample.real);
    fields.Flag(sample.flag);
    fields.ExactFlag(sample.exact);
    fields.Text(sample.name, 6);
    fields.Chars(sample.chars);
}

TEST(ByteRecord, OneFieldListReadsWhatItWrote) {
    Sample sample;
    sample.small = 200;
    sample.middle = 60000;
    sample.word = 0xCAFEF00D;
    sample.number = -123456;
    sample.real = -0.75f;
    sample.flag = true;
    sample.exact = true;
    sample.name = "\xC5sa";
    std::memcpy(sample.chars, "xy\0zw", 5);
    Bytes out;
    CByteWriter writer(out);
    CFieldWriter write(writer);
    TransferSample(write, std::as_const(sample));
    ASSERT_EQ(out.size(), 1u + 2 + 4 + 4 + 4 + 1 + 1 + 6 + 5);

    Sample back;
    CByteReader reader(out);
    CFieldReader read(reader);
    TransferSample(read, back);
    EXPECT_FALSE(read.Failed());
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(back.small, sample.small);
    EXPECT_EQ(back.middle, sample.middle);
    EXPECT_EQ(back.word, sample.word);
    EXPECT_EQ(back.number, sample.number);
    EXPECT_EQ(back.real, sample.real);
    EXPECT_TRUE(back.flag);
    EXPECT_TRUE(back.exact);
    EXPECT_EQ(back.name, sample.name);
    EXPECT_EQ(std::memcmp(back.chars, sample.chars, 5), 0);

    // A flag read loosely takes any byte but 0; an exact one refuses all but 0 and 1.
    const size_t flagAt = 15;
    out[flagAt] = 7;
    out[flagAt + 1] = 2;
    Sample loose;
    CByteReader again(out);
    CFieldReader readAgain(again);
    TransferSample(readAgain, loose);
    EXPECT_TRUE(loose.flag);
    EXPECT_TRUE(readAgain.Failed());
}

}  // namespace
