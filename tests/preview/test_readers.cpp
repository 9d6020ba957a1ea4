// Readers: files that loop, image sequences read on request, sources that never answer, and the
// switcher inputs' map.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <set>
#include <thread>

#include "preview/input_sources.h"
#include "preview/media/ffmpeg_reader.h"
#include "preview/media/frame_factory.h"
#include "preview/media/test_source.h"
#include "test_media.h"

namespace quorvel {
namespace {

using media::FramePtr;
using namespace std::chrono_literals;

// Polls until pred holds or the (generous) time is up.
template <typename Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

enum class Colour { Red, Blue, Other };
Colour ColourOf(const FramePtr& f) {
    const std::uint32_t p = f->row(f->height() / 2)[f->width() / 2];
    const int r = int((p >> 16) & 0xFF);
    const int b = int(p & 0xFF);
    if (r > 180 && b < 80) {
        return Colour::Red;
    }
    if (b > 180 && r < 80) {
        return Colour::Blue;
    }
    return Colour::Other;
}

TEST(FfmpegReader, LoopTrueRestartsAClipAtItsEnd) {
    const QString clip = testing::RedBlueClip();
    ASSERT_FALSE(clip.isEmpty());
    media::FfmpegReader reader;
    ASSERT_TRUE(reader.Open(clip, QStringLiteral("loop=true")));
    // red, then blue, then red again: the clip (0.4 s) came round.
    std::vector<Colour> changes;
    const bool looped = WaitFor([&] {
        if (const FramePtr f = reader.FrameInFormat({})) {
            const Colour c = ColourOf(f);
            if (changes.empty() || changes.back() != c) {
                changes.push_back(c);
            }
        }
        return changes.size() >= 3;
    });
    ASSERT_TRUE(looped);
    EXPECT_EQ(changes[0], Colour::Red);
    EXPECT_EQ(changes[1], Colour::Blue);
    EXPECT_EQ(changes[2], Colour::Red);
    EXPECT_NEAR(reader.Duration(), 0.4, 0.1);
    EXPECT_TRUE(reader.Close(2s));
}

TEST(FfmpegReader, WithoutLoopAClipEndsAndGivesNoMoreFrames) {
    media::FfmpegReader reader;
    ASSERT_TRUE(reader.Open(testing::RedBlueClip(), QString()));
    ASSERT_TRUE(WaitFor([&] { return reader.NextFrame() != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return reader.NextFrame() == nullptr; }));
}

TEST(FfmpegReader, PlaybackFrameGivesEachFrameOnceAndScalesToTheFormat) {
    media::FfmpegReader reader;
    ASSERT_TRUE(reader.Open(testing::RedBlueClip(), QStringLiteral("loop=true")));
    media::AVProps format;
    format.width = 32;
    format.height = 24;
    FramePtr first;
    ASSERT_TRUE(WaitFor([&] { return (first = reader.PlaybackFrame(format, -1.0)) != nullptr; }));
    EXPECT_EQ(first->size(), QSize(32, 24));
    EXPECT_TRUE(first->opaque());
    const FramePtr again = reader.PlaybackFrame(format, -1.0);
    EXPECT_TRUE(again == nullptr || again != first) << "the same frame is not given twice";
}

TEST(FfmpegReader, AnImageSequenceAdvancesOnePicturePerRequest) {
    const QString pattern = testing::SequencePattern();
    ASSERT_FALSE(pattern.isEmpty());
    media::FfmpegReader reader;
    ASSERT_TRUE(reader.Open(pattern, QStringLiteral("loop=true")));
    std::vector<std::uint32_t> colours;
    while (colours.size() < 7) {
        FramePtr f;
        ASSERT_TRUE(WaitFor([&] { return (f = reader.NextFrame()) != nullptr; }));
        colours.push_back(f->row(8)[8]);
    }
    EXPECT_GT((colours[0] >> 16) & 0xFF, 200u) << "red first";
    EXPECT_GT((colours[1] >> 8) & 0xFF, 200u) << "then green";
    EXPECT_EQ(std::set<std::uint32_t>(colours.begin(), colours.begin() + 5).size(), 5u)
        << "five different pictures, one per request";
    EXPECT_EQ(colours[5], colours[0]) << "looped to the first picture";
    EXPECT_EQ(colours[6], colours[1]);
}

TEST(FfmpegReader, AMissingFileGivesNothingAndClosesAtOnce) {
    media::FfmpegReader reader;
    ASSERT_TRUE(reader.Open(QStringLiteral("/nonexistent/clip.mp4"), QStringLiteral("loop=true")));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(reader.NextFrame());
    EXPECT_TRUE(reader.Close(2s)) << "a reader waiting to try again is woken";
}

// A stream that never sends anything: the reader's thread is blocked inside FFmpeg. Closing must
// not hang the caller, and the thread must end on its own soon after.
TEST(FfmpegReader, ASourceThatNeverAnswersDoesNotHoldUpClosing) {
    auto reader = std::make_unique<media::FfmpegReader>();
    ASSERT_TRUE(reader->Open(QStringLiteral("udp://127.0.0.1:45931?timeout=60000000"), QString()));
    std::this_thread::sleep_for(200ms); // let it block in the open
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(reader->Close(3s)) << "the blocking call was interrupted";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_FALSE(reader->NextFrame());
}

TEST(PictureReader, GivesThePictureOnEveryRequest) {
    media::PictureReader reader;
    ASSERT_TRUE(reader.Open(testing::AlphaPicture(QStringLiteral("png")), QString()));
    FramePtr f;
    ASSERT_TRUE(WaitFor([&] { return (f = reader.NextFrame()) != nullptr; }));
    EXPECT_EQ(reader.NextFrame(), f);
    media::AVProps big;
    big.width = 64;
    big.height = 48;
    EXPECT_EQ(reader.FrameInFormat(big)->size(), QSize(64, 48));
}

TEST(Options, LoopTrueIsRecognisedAmongOtherWords) {
    EXPECT_TRUE(media::OptionsLoop(QStringLiteral("loop=true")));
    EXPECT_TRUE(media::OptionsLoop(QStringLiteral("rate=1, LOOP=TRUE")));
    EXPECT_FALSE(media::OptionsLoop(QString()));
    EXPECT_FALSE(media::OptionsLoop(QStringLiteral("loop=false")));
}

TEST(InputUrl, NamesTheSwitcherInputs) {
    EXPECT_EQ(InputUrl(3), QStringLiteral("mp://StreviaInput3"));
    EXPECT_EQ(InputNumberOfUrl(QStringLiteral("mp://StreviaInput12")), 12);
    EXPECT_EQ(InputNumberOfUrl(QStringLiteral("mp://streviainput2")), 2);
    EXPECT_EQ(InputNumberOfUrl(QStringLiteral("mp://StreviaInput")), 0);
    EXPECT_EQ(InputNumberOfUrl(QStringLiteral("mp://StreviaInput-1")), 0);
    EXPECT_EQ(InputNumberOfUrl(QStringLiteral("/tmp/a.mp4")), 0);
}

TEST(ReadInputMap, TakesValuesAsWrittenFromTheInputsSection) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quorvel.sav"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Quorvel]\r\nStreviaInput1=not this one\r\n"
               "[inputs]\r\n"
               "StreviaInput1=rtsp://cam.local/live?a=1&b=2\r\n"
               " streviainput2 = C:\\Clips\\Intro Clip.mp4 \r\n"
               "StreviaInput3=\r\n"
               "; StreviaInput4=commented\r\n"
               "StreviaInput0=zero is no input\r\n"
               "StreviaInputX=nonsense\r\n"
               "[Other]\r\nStreviaInput7=elsewhere\r\n");
    file.close();
    const std::map<int, QString> map = ReadInputMap(path);
    const std::map<int, QString> expected{
        {1, QStringLiteral("rtsp://cam.local/live?a=1&b=2")},
        {2, QStringLiteral("C:\\Clips\\Intro Clip.mp4")},
    };
    EXPECT_EQ(map.size(), 2u);
    EXPECT_EQ(map.at(1), expected.at(1));
    EXPECT_EQ(map.at(2), expected.at(2)) << "a Windows path stays as it is";
    EXPECT_EQ(map.count(3), 0u) << "an empty value is no mapping";
    EXPECT_TRUE(ReadInputMap(dir.filePath(QStringLiteral("missing.sav"))).empty());
}

TEST(ReadInputMap, ReadsUtf8AndAnsiFiles) {
    QTemporaryDir dir;
    const QString utf8 = dir.filePath(QStringLiteral("u.sav"));
    const QString ansi = dir.filePath(QStringLiteral("a.sav"));
    QFile u(utf8);
    ASSERT_TRUE(u.open(QIODevice::WriteOnly));
    u.write("[Inputs]\nStreviaInput1=/m\xc3\xa9"
            "dia/a.mp4\n");
    u.close();
    QFile a(ansi);
    ASSERT_TRUE(a.open(QIODevice::WriteOnly));
    a.write("[Inputs]\nStreviaInput1=/m\xe9"
            "dia/a.mp4\n");
    a.close();
    EXPECT_EQ(ReadInputMap(utf8).at(1), QStringLiteral("/m\u00e9dia/a.mp4"));
    EXPECT_EQ(ReadInputMap(ansi).at(1), QStringLiteral("/m\u00e9dia/a.mp4"));
}

TEST(OpenSource, AnUnmappedInputIsItsTestSourceAndAMappedOneReadsItsSource) {
    std::map<int, QString> map{{2, testing::RedBlueClip()}};
    const media::ReaderPtr unmapped = OpenSource(InputUrl(5), QString(), map);
    ASSERT_TRUE(dynamic_cast<media::TestSourceReader*>(unmapped.get()));
    EXPECT_EQ(dynamic_cast<media::TestSourceReader*>(unmapped.get())->inputNumber(), 5);

    const media::ReaderPtr mapped = OpenSource(InputUrl(2), QString(), map);
    ASSERT_TRUE(dynamic_cast<media::FfmpegReader*>(mapped.get()));
    // A mapped file loops: it still gives frames after the clip's length.
    std::this_thread::sleep_for(700ms);
    EXPECT_TRUE(WaitFor([&] { return mapped->FrameInFormat({}) != nullptr; }, 2s));
    mapped->CloseAsync();

    EXPECT_TRUE(dynamic_cast<media::PictureReader*>(
        OpenSource(QStringLiteral("/x/checkerboard.png"), QString(), {}).get()));
}

} // namespace
} // namespace quorvel
