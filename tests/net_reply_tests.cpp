// What a server sends is parsed with no trust: mutated, truncated and
// oversized replies and ICY streams keep the parsers' promises. Plain C++:
// this file also builds natively with the sanitisers (tests/native/).
#include <gtest/gtest.h>
#include <string.h>
#include <algorithm>
#include <memory>
#include <random>
#include "engine/src/net_reply.h"
#include "tests/icy_stream.h"
#include "tests/soak.h"

TEST(NetReplyBadInput, HttpRepliesAndIcyBlocks) {
    const std::string good = "ICY 200 OK\r\nicy-name: x\r\nicy-metaint: 64\r\nicy-br: 128\r\nContent-Length: 99\r\n\r\n";
    HttpReply r;
    ASSERT_TRUE(ParseHttpReply(good.data(), good.size(), &r));
    EXPECT_TRUE(r.icy);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.metaInt, 64u);
    EXPECT_EQ(r.bitrateKbps, 128u);
    EXPECT_EQ(r.contentLength, 99);
    SoakOptions options;
    options.seed = 11;
    options.hotBytes = 100;
    std::vector<std::string> replies = {
        good, "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/next\r\nContent-Length: 0\r\n\r\n",
        "HTTP/1.0 200 OK\nContent-Type: audio/mpeg\nicy-br: 128,128\nicy-metaint:8192\n\nbody"};
    size_t ran = Soak("HTTP reply", replies, SoakInputs(20000), [&](const std::string& in) {
        std::unique_ptr<char[]> exact(new char[in.size() ? in.size() : 1]);
        memcpy(exact.get(), in.data(), in.size());
        HttpReply p;
        if (!ParseHttpReply(exact.get(), in.size(), &p)) return true;
        EXPECT_GE(p.tagBlock.size(), 2u);
        EXPECT_TRUE(p.tagBlock.size() >= 2 && p.tagBlock.back() == '\0' && p.tagBlock[p.tagBlock.size() - 2] == '\0');
        EXPECT_LE(p.metaInt, 1u << 20);
        EXPECT_GE(p.contentLength, -1);
        EXPECT_LE(p.tagBlock.size(), in.size() + 2);
        return !::testing::Test::HasFailure();
    }, options);
    EXPECT_EQ(ran, SoakInputs(20000));
    // Header blocks past every limit: many empty-looking lines, huge lines and numbers.
    std::mt19937 rng(7);
    for (int i = 0; i < 200; i++) {
        std::string bad = i % 2 ? good : "HTTP/1.1 200 OK\r\n" + std::string(rng() % 3000, '\n') + "icy-metaint: 99999999999999\r\n";
        if (i % 2) bad.insert(rng() % bad.size(), std::string(rng() % 20000, (char)rng()));
        HttpReply p;
        if (!ParseHttpReply(bad.data(), bad.size(), &p)) continue;
        ASSERT_LE(p.metaInt, 1u << 20);
        ASSERT_LE(p.tagBlock.size(), 200u * 8193 + 1);
    }
    // A well-formed ICY stream split anywhere gives back its audio and titles.
    std::string audio(5000, '\0');
    for (size_t i = 0; i < audio.size(); i++) audio[i] = (char)(i * 7);
    std::string stream = WithIcyBlocks(audio, 300, {"A", "", "A", "B", std::string(4000, 'l')});
    for (int i = 0; i < 200; i++) {
        IcyDemux d(300);
        std::string out;
        std::vector<std::string> metas;
        for (size_t at = 0; at < stream.size();) {
            size_t n = 1 + rng() % 700;
            n = std::min(n, stream.size() - at);
            d.Feed((const uint8_t*)stream.data() + at, n, &out, &metas);
            at += n;
        }
        ASSERT_EQ(out, audio);
        ASSERT_EQ(metas.size(), 4u);
        EXPECT_EQ(metas[3], "StreamTitle='" + std::string(4000, 'l') + "';");
    }
    // Damaged ones never give more than came in, nor a title over 4080 bytes,
    // however the bytes are split.
    options.seed = 12;
    options.hotBytes = 1 << 20;
    ran = Soak("ICY blocks", {stream, WithIcyBlocks(audio, 16, {"x", "y", "", "z"})}, SoakInputs(10000),
               [&](const std::string& in) {
        IcyDemux d(1 + rng() % 400);
        std::string out;
        std::vector<std::string> metas;
        std::vector<size_t> at;
        for (size_t from = 0; from < in.size();) {
            size_t n = std::min<size_t>(1 + rng() % 2000, in.size() - from);
            d.Feed((const uint8_t*)in.data() + from, n, &out, &metas, &at);
            from += n;
        }
        size_t total = out.size();
        bool ok = metas.size() == at.size();
        for (size_t k = 0; k < metas.size(); k++) {
            ok = ok && metas[k].size() <= 4080u && at[k] <= out.size() && (k == 0 || at[k] >= at[k - 1]);
            total += metas[k].size();
        }
        ok = ok && total <= in.size();
        EXPECT_TRUE(ok);
        return ok;
    }, options);
    EXPECT_EQ(ran, SoakInputs(10000));
}

