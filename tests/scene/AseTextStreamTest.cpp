// The ASE text a window at a time: windows of whole lines that together are
// exactly the file's text, whatever falls on the edges of the pieces read.
#include "scene/AseTextStream.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

using TestSupport::TempDir;

namespace {

constexpr size_t kPiece = 512 * 1024;

// Every window, concatenated; each must end with a line end but the last,
// and start where the text before it ends.
std::string ReadAll(const std::string& path, size_t* windows = nullptr) {
    AseTextStream stream;
    EXPECT_TRUE(stream.Open(path.c_str()));
    std::string text;
    const char* begin = nullptr;
    const char* end = nullptr;
    size_t count = 0;
    while (stream.Next(begin, end)) {
        EXPECT_EQ(text.size(), stream.Offset(begin));
        EXPECT_LT(begin, end);
        if (!text.empty()) {
            EXPECT_EQ('\n', text.back());
        }
        text.append(begin, end);
        ++count;
    }
    if (windows != nullptr) {
        *windows = count;
    }
    return text;
}

// Lines of many lengths, one far longer than a piece, a carriage return
// alone, and line ends that land on the edges of the pieces.
std::string Sample() {
    std::string text;
    for (int i = 0; text.size() < kPiece - 40; ++i) {
        text += "*MESH_VERTEX " + std::to_string(i) + "\t1.0000\t" + std::string(i % 17, 'x') + "\n";
    }
    text.resize(kPiece - 1);
    text += "\n";                          // a line end that ends the first piece
    text += std::string(700000, 'y') + "\n";  // a line longer than a piece
    text += "lone\rreturn\n";
    while (text.size() < 2 * kPiece + 3 * kPiece / 2) {
        text += "\t*MESH_FACE 1:    A: 2 B: 3 C: 4\n";
    }
    text += "no line end at the end";
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::string Utf16(const std::string& text, bool little) {
    std::string out = little ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
    for (const char c : text) {
        const char zero = '\0';
        out += little ? std::string{c, zero} : std::string{zero, c};
    }
    return out;
}

TEST(AseTextStream, WindowsOfWholeLinesMakeUpTheWholeText) {
    TempDir dir;
    const std::string text = Sample();
    dir.Write("plain.ase", text);
    size_t windows = 0;
    EXPECT_EQ(text, ReadAll(dir.File("plain.ase"), &windows));
    EXPECT_GT(windows, 3u);

    // Rewound, the same text again.
    AseTextStream stream;
    ASSERT_TRUE(stream.Open(dir.File("plain.ase").c_str()));
    const char* begin = nullptr;
    const char* end = nullptr;
    ASSERT_TRUE(stream.Next(begin, end));
    const std::string first(begin, end);
    stream.Rewind();
    ASSERT_TRUE(stream.Next(begin, end));
    EXPECT_EQ(first, std::string(begin, end));
    EXPECT_FALSE(AseTextStream().Open(dir.File("missing.ase").c_str()));
}

TEST(AseTextStream, CarriageReturnsBeforeLineFeedsGoEvenAcrossPieces) {
    TempDir dir;
    const std::string text = Sample();
    dir.Write("crlf.ase", WithCrLf(text));
    EXPECT_EQ(text, ReadAll(dir.File("crlf.ase")));

    // A carriage return as the last byte of a piece, once before a line feed
    // and once before a letter, and one that ends the file.
    std::string edge(kPiece - 1, 'a');
    edge += "\r\nb";
    edge += std::string(kPiece - 3, 'c');
    edge += "\rd\r";
    dir.Write("edge.ase", edge);
    std::string expected(kPiece - 1, 'a');
    expected += "\nb" + std::string(kPiece - 3, 'c') + "\rd\r";
    EXPECT_EQ(expected, ReadAll(dir.File("edge.ase")));
}

TEST(AseTextStream, Utf16IsNarrowedInEitherByteOrder) {
    TempDir dir;
    const std::string text = Sample();
    dir.Write("little.ase", Utf16(WithCrLf(text), true));
    dir.Write("big.ase", Utf16(text, false));
    EXPECT_EQ(text, ReadAll(dir.File("little.ase")));
    EXPECT_EQ(text, ReadAll(dir.File("big.ase")));

    // Code units above 255 become '?'; an odd last byte is dropped.
    dir.Write("wide.ase", std::string("\xFF\xFE" "a\0\x3A\x04\n\0z", 9));
    EXPECT_EQ("a?\n", ReadAll(dir.File("wide.ase")));
    dir.Write("short.ase", "\xFF");
    EXPECT_EQ("\xFF", ReadAll(dir.File("short.ase")));
}

}  // namespace
