// A damaged settings file must give "unreadable", never a crash, a hang or a huge allocation.
#include "allocation_probe.h"
#include "archive.h"
#include "settings_fixture.h"
#include "settingsfile.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

// Room for the fixed allocations of a read (the default image directory's path, the objects).
constexpr std::size_t kFixedAllowance = 4096;

QByteArray SmallRichFile()
{
    auto settings = std::make_unique<CSetObj>(CSetObj::InMemoryTag{});
    settings->m_imageDir = QStringLiteral("/home/user/ImageDir");
    CNodeObj& root = *settings->m_pRootNode;
    auto folder = std::make_unique<CNodeObj>();
    folder->SetName(QStringLiteral("Trips"));
    CNodeObj* trips = root.AddChild(std::move(folder));
    for (int i = 0; i < 3; ++i) {
        auto clip = std::make_unique<CClipObj>();
        clip->SetPath(QStringLiteral("/home/user/ImageDir/trip_%1.bmp").arg(i));
        clip->SetCaption(QStringLiteral("trip_%1").arg(i));
        if (i != 1)
            clip->SetThumbnail(80, 60, PatternThumb(i));
        (i == 2 ? root : *trips).AddClip(std::move(clip));
    }
    return WriteSettings(*settings);
}

}  // namespace

TEST(DamagedSettingsFile, CutAtAnyByteIsUnreadable)
{
    const QByteArray whole = SmallRichFile();
    ASSERT_TRUE(ReadSettings(whole));
    for (qsizetype length = 0; length < whole.size(); ++length) {
        QString reason;
        EXPECT_FALSE(ReadSettings(whole.left(length), &reason)) << "cut at " << length;
        EXPECT_FALSE(reason.isEmpty());
    }
}

TEST(DamagedSettingsFile, RandomMutationsNeverCrash)
{
    const QByteArray whole = SmallRichFile();
    QRandomGenerator random(20261208);
    int readable = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray mutated = whole;
        const int flips = 1 + int(random.bounded(8));
        for (int i = 0; i < flips; ++i)
            mutated[qsizetype(random.bounded(quint32(mutated.size())))] = char(random.bounded(256));
        if (ReadSettings(mutated))
            ++readable;
    }
    // Most flips land in pixel data or text and leave a readable file; the point is no crash.
    EXPECT_GT(readable, 0);
}

TEST(DamagedSettingsFile, ClaimedSizesNeverAllocateMoreThanTheFile)
{
    if (!AllocationProbe::Available())
        GTEST_SKIP() << "needs the AddressSanitizer build (scripts/test) to see allocations";

    {
        AllocationProbe selfCheck;  // a probe that sees nothing would pass everything
        const QByteArray big(1 << 20, 'x');
        ASSERT_GE(selfCheck.Largest(), std::size_t(1 << 20));
    }
    const QByteArray whole = SmallRichFile();
    // Overwrite each aligned 32-bit field in turn with values that a count, a length or a
    // thumbnail size could claim.
    const std::uint32_t claims[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x10000000, 0x00FFFFFF};
    std::size_t largest = 0;
    for (qsizetype at = 0; at + 4 <= whole.size(); ++at) {
        for (const std::uint32_t claim : claims) {
            QByteArray mutated = whole;
            for (int b = 0; b < 4; ++b)
                mutated[at + b] = char((claim >> (8 * b)) & 0xFF);
            AllocationProbe probe;
            (void)ReadSettings(mutated);
            largest = std::max(largest, probe.Largest());
        }
    }
    EXPECT_LE(largest, std::size_t(whole.size()) + kFixedAllowance);
}
