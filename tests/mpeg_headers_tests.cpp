// MPEG lengths from the headers alone, on streams made here: the counts they
// claim, hostile counts and cuts, and seeded damage. Plain C++: this file also
// builds natively with the sanitisers (tests/native/), where a read one byte
// past the bytes handed over stops the test.
#include <gtest/gtest.h>
#include <string.h>
#include <memory>
#include <string>
#include "media/mpeg_headers.h"
#include "tests/soak.h"

namespace {

// MPEG 1 layer 3, 128 kbit/s, 44.1 kHz, joint stereo: 417 bytes, 418 padded.
std::string Frame(bool padded) {
    std::string f(padded ? 418 : 417, '\0');
    f[0] = '\xFF';
    f[1] = '\xFB';
    f[2] = (char)(0x90 | (padded ? 2 : 0));
    f[3] = '\x40';
    return f;
}

std::string Be32(uint32_t n) { return {(char)(n >> 24), (char)(n >> 16), (char)(n >> 8), (char)n}; }

// `frames` frames padded as an encoder pads them to keep 128 kbit/s, after a
// Xing/Info frame claiming `claimed` frames with LAME's delay and padding.
std::string Stream(int frames, uint32_t claimed, int delay, int padding, bool info = true) {
    std::string out;
    if (info) {
        std::string x = Frame(false);
        std::string tag = "Info" + Be32(1 | 2) + Be32(claimed) + Be32(0) + "LAME3.100";
        tag += std::string(12, '\0');
        tag += (char)(delay >> 4);
        tag += (char)((delay & 15) << 4 | padding >> 8);
        tag += (char)padding;
        x.replace(36, tag.size(), tag);
        out = x;
    }
    long long bits = 0;
    for (int i = 0; i < frames; i++) {
        // Pad when the bytes so far fall behind the bit rate.
        bits += 128000LL * 1152;
        bool padded = bits / 44100 / 8 - (long long)(out.size() + 417) >= 1;
        out += Frame(padded);
    }
    return out;
}

// The bytes in a block of their own size, so that a read past them is caught.
bool LengthOf(const std::string& bytes, int64_t audioBytes, MpegLength* l) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
    memcpy(exact.get(), bytes.data(), bytes.size());
    return MpegLengthFromHeaders(exact.get(), bytes.size(), audioBytes, l);
}

// No more than the bytes could hold at the lowest bit rate (8 kbit/s: a byte
// a millisecond), at a real rate.
void ExpectSane(const MpegLength& l, int64_t audioBytes) {
    EXPECT_GE(l.samples, 0);
    EXPECT_GE(l.rate, 8000);
    EXPECT_LE(l.rate, 48000);
    if (l.rate > 0) {
        EXPECT_LE(MpegMilliseconds(l.samples, l.rate), audioBytes + 200) << l.source;
    }
}

}  // namespace

// The Info count less the delay and padding; without the Info frame the
// bytes over the frame size, within a frame; what the bytes cannot hold is
// not believed.
TEST(MpegHeaderLengths, CountsBytesAndHostileFields) {
    MpegLength l;
    std::string s = Stream(200, 200, 576, 1000);
    ASSERT_TRUE(LengthOf(s, (int64_t)s.size(), &l));
    EXPECT_EQ(l.source, MpegLengthXing);
    EXPECT_EQ(l.samples, 200 * 1152 - 576 - 1000);
    EXPECT_EQ(l.rate, 44100);
    EXPECT_EQ(l.channels, 2);
    EXPECT_EQ(MpegMilliseconds(l.samples, l.rate), 5189);  // 228,824 samples

    std::string bare = Stream(200, 0, 0, 0, false);
    ASSERT_TRUE(LengthOf(bare, (int64_t)bare.size(), &l));
    EXPECT_EQ(l.source, MpegLengthBytes);
    EXPECT_NEAR((double)l.samples, 200.0 * 1152, 1152);

    for (uint32_t claimed : {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 100000u}) {
        SCOPED_TRACE(claimed);
        s = Stream(200, claimed, 576, 1000);
        ASSERT_TRUE(LengthOf(s, (int64_t)s.size(), &l));
        EXPECT_EQ(l.source, MpegLengthBytes);
        EXPECT_NEAR((double)l.samples, 200.0 * 1152, 1152);  // the Info frame itself is not audio
    }
    // Delay and padding longer than the frames claimed: the count alone.
    s = Stream(200, 2, 4095, 4095);
    ASSERT_TRUE(LengthOf(s, (int64_t)s.size(), &l));
    EXPECT_EQ(l.samples, 2 * 1152);

    // Other data is not MPEG: a frame needs two more of its kind after it.
    EXPECT_FALSE(LengthOf(std::string(4000, '\xFF'), 4000, &l));
    EXPECT_FALSE(LengthOf(Frame(false) + std::string(2000, 'x'), 2417, &l));
    // One frame that ends the audio is a stream of one frame (by its bytes at
    // the nominal rate: 417 of 417.96).
    ASSERT_TRUE(LengthOf(Frame(false), 417, &l));
    EXPECT_NEAR((double)l.samples, 1152.0, 4.0);
}

// Cut anywhere in the first frames, the whole length claimed or only the cut:
// no length, or a sane one; the right one once three frames are there.
TEST(MpegHeaderLengths, CutsAndSeededDamage) {
    std::string s = Stream(50, 50, 576, 1000);
    MpegLength l;
    for (size_t n = 0; n < 4 * 418; n++) {
        std::string cut = s.substr(0, n);
        if (LengthOf(cut, (int64_t)n, &l)) ExpectSane(l, (int64_t)n);
        if (LengthOf(cut, (int64_t)s.size(), &l)) {
            EXPECT_EQ(l.samples, 50 * 1152 - 1576) << n;
        }
        if (::testing::Test::HasFailure()) return;
    }
    SoakOptions options;
    options.seed = 12;
    options.hotBytes = 200;
    options.lengthFields = {44, 48};  // the Info frame's count and bytes
    std::vector<std::string> samples = {s.substr(0, 6000), Stream(50, 0, 0, 0, false).substr(0, 6000)};
    Soak("MPEG headers", samples, SoakInputs(20000), [&](const std::string& in) {
        MpegLength m;
        // Half the inputs are the start of a longer stream.
        int64_t claimed = (int64_t)in.size() * ((in.size() & 1) ? 1 : 1000);
        if (LengthOf(in, claimed, &m)) ExpectSane(m, claimed);
        return !::testing::Test::HasFailure();
    }, options);
}
