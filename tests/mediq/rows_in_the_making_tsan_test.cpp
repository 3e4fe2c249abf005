// The rows a grab's encoder reads while the conversion's thread still writes the later ones, under
// ThreadSanitizer: every row is read only after WaitFor says it is made.
#include "rowsinthemaking.h"
#include "yuvtobgr.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RowsInTheMaking, RowsAreReadOnlyOnceMade)
{
    FrameHandle frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = 640;
    frame->height = 360;
    ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane ? 180 : 360, columns = plane ? 320 : 640;
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < columns; ++x)
                frame->data[plane][y * frame->linesize[plane] + x] = std::uint8_t(x * 3 + y * 5 + plane * 70);
        }
    }
    const int stride = 640 * 3;
    std::vector<std::uint8_t> whole(std::size_t(stride) * 360), inTurn(whole.size());
    YuvToBgr(*frame, whole.data(), stride);

    std::vector<std::uint8_t> read(inTurn.size());
    {
        RowsInTheMaking rows(SharedFrame(av_frame_clone(frame.get()), AVFrameFreer()), inTurn.data(), stride);
        for (int done = 0; done < 360;) {
            const int next = std::min(done + 7, 360);
            rows.WaitFor(next);
            std::copy(inTurn.begin() + std::ptrdiff_t(done) * stride, inTurn.begin() + std::ptrdiff_t(next) * stride,
                      read.begin() + std::ptrdiff_t(done) * stride);
            done = next;
        }
    }
    EXPECT_TRUE(read == whole);
}
