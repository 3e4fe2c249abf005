#include "yuvtobgr.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// The row loops are written for the compiler to vectorise; on x86 with GCC a second copy for
// AVX2 is chosen at run time, which halves the time on the processors that have it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KESTIVO_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define KESTIVO_ROW_KERNEL
#endif

namespace {

// The general scaler's bicubic filter (B = 0, C = 0.6) doubling a row of centred chroma samples:
// the weights of samples k-2 .. k+1 for the output at k - 1/4; mirrored for k + 1/4.
constexpr float kTap0 = -0.028125f, kTap1 = 0.240625f, kTap2 = 0.871875f, kTap3 = -0.084375f;

struct Matrix {
    float yScale, yOffset;
    float rv, gu, gv, bu;
};

// The coefficients the general scaler uses for the frame's matrix (HD is BT.709) and range.
Matrix MatrixFor(const AVFrame& frame)
{
    const int space = frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709
        : frame.colorspace == AVCOL_SPC_BT2020_NCL      ? SWS_CS_BT2020
                                                        : SWS_CS_DEFAULT;
    // Red from Cr, blue from Cb, and green from both, for limited-range chroma (16.16 fixed point).
    const int* table = sws_getCoefficients(space);
    const bool full = frame.color_range == AVCOL_RANGE_JPEG;
    const float chroma = (full ? 224.0f / 255.0f : 1.0f) / 65536.0f;
    return {full ? 1.0f : 255.0f / 219.0f, full ? 0.0f : 16.0f, float(table[0]) * chroma, -float(table[2]) * chroma,
            -float(table[3]) * chroma, float(table[1]) * chroma};
}

// Chroma subsampling as powers of two, across and down; false for frames this path does not take.
bool Subsampling(int format, int& shiftX, int& shiftY)
{
    switch (format) {
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVJ420P: shiftX = 1, shiftY = 1; return true;
    case AV_PIX_FMT_YUV422P:
    case AV_PIX_FMT_YUVJ422P: shiftX = 1, shiftY = 0; return true;
    case AV_PIX_FMT_YUV444P:
    case AV_PIX_FMT_YUVJ444P: shiftX = 0, shiftY = 0; return true;
    default: return false;
    }
}

KESTIVO_ROW_KERNEL
void Widen(const std::uint8_t* __restrict in, int n, float* __restrict out)
{
    for (int i = 0; i < n; ++i)
        out[i] = float(in[i]);
}

KESTIVO_ROW_KERNEL
void FilterDown(const std::uint8_t* __restrict r0, const std::uint8_t* __restrict r1, const std::uint8_t* __restrict r2,
                const std::uint8_t* __restrict r3, const float* __restrict w, int n, float* __restrict out)
{
    const float w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    for (int i = 0; i < n; ++i)
        out[i] = w0 * float(r0[i]) + w1 * float(r1[i]) + w2 * float(r2[i]) + w3 * float(r3[i]);
}

// in has two repeated samples before in[0] and after in[n - 1]; out gets 2n samples.
KESTIVO_ROW_KERNEL
void DoubleAcross(const float* __restrict in, int n, float* __restrict out)
{
    for (int j = 0; j < n; ++j) {
        out[2 * j] = kTap0 * in[j - 2] + kTap1 * in[j - 1] + kTap2 * in[j] + kTap3 * in[j + 1];
        out[2 * j + 1] = kTap3 * in[j - 1] + kTap2 * in[j] + kTap1 * in[j + 1] + kTap0 * in[j + 2];
    }
}

KESTIVO_ROW_KERNEL
void ToRgb(const std::uint8_t* __restrict y, const float* __restrict u, const float* __restrict v, int n,
           const Matrix& m, std::uint8_t* __restrict b, std::uint8_t* __restrict g, std::uint8_t* __restrict r)
{
    const float yScale = m.yScale, yOffset = m.yOffset, rv = m.rv, gu = m.gu, gv = m.gv, bu = m.bu;
    const auto level = [](float value) { return std::uint8_t(int(std::min(std::max(value, 0.0f), 255.0f))); };
    for (int i = 0; i < n; ++i) {
        const float luma = (float(y[i]) - yOffset) * yScale + 0.5f;  // + 0.5: rounded, not cut
        const float cb = u[i] - 128.0f, cr = v[i] - 128.0f;
        r[i] = level(luma + rv * cr);
        g[i] = level(luma + gu * cb + gv * cr);
        b[i] = level(luma + bu * cb);
    }
}

void PackScalar(const std::uint8_t* b, const std::uint8_t* g, const std::uint8_t* r, int from, int n, std::uint8_t* out)
{
    for (int i = from; i < n; ++i) {
        out[3 * i] = b[i];
        out[3 * i + 1] = g[i];
        out[3 * i + 2] = r[i];
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Where each of sixteen pixels' blue, green and red bytes go in the three 16-byte blocks they make.
struct PackMasks {
    const __m128i b0 = _mm_setr_epi8(0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1, 5);
    const __m128i g0 = _mm_setr_epi8(-1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1, -1);
    const __m128i r0 = _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1);
    const __m128i b1 = _mm_setr_epi8(-1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10, -1);
    const __m128i g1 = _mm_setr_epi8(5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1, 10);
    const __m128i r1 = _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1);
    const __m128i b2 = _mm_setr_epi8(-1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1, -1);
    const __m128i g2 = _mm_setr_epi8(-1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15, -1);
    const __m128i r2 = _mm_setr_epi8(10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1, 15);
};

__attribute__((target("ssse3"))) inline __m128i Gather(__m128i b, __m128i g, __m128i r, __m128i mb, __m128i mg, __m128i mr)
{
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, mb), _mm_shuffle_epi8(g, mg)), _mm_shuffle_epi8(r, mr));
}

// Sixteen pixels' planes, b, g and r, as 48 bytes of blue-green-red at out.
__attribute__((target("ssse3"))) inline void StorePacked(__m128i b, __m128i g, __m128i r, const PackMasks& m,
                                                         std::uint8_t* out)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Gather(b, g, r, m.b0, m.g0, m.r0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), Gather(b, g, r, m.b1, m.g1, m.r1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), Gather(b, g, r, m.b2, m.g2, m.r2));
}

// Sixteen pixels at a time: each of the three output blocks gathers its bytes from the three planes.
__attribute__((target("ssse3"))) void PackSsse3(const std::uint8_t* b, const std::uint8_t* g, const std::uint8_t* r,
                                                int n, std::uint8_t* out)
{
    const PackMasks masks;
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i bs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i gs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + i));
        const __m128i rs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + i));
        StorePacked(bs, gs, rs, masks, out + 3 * i);
    }
    PackScalar(b, g, r, i, n, out);
}
#endif

#if defined(__x86_64__) || defined(__i386__)
// ToRgb and Pack in one pass, sixteen pixels at a time, with the same arithmetic in the same order
// (no fused multiply-add), so the bytes are those of the two passes; it saves the three planes'
// round trip and the compiler's clumsy float-to-byte narrowing.
__attribute__((target("avx2"))) inline __m256i Levels(__m256 value)
{
    const __m256 clamped = _mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(clamped);
}

// Sixteen levels of 0..255 as 32-bit lanes (low eight, high eight) narrowed to bytes in order.
__attribute__((target("avx2"))) inline __m128i Narrow(__m256i low, __m256i high)
{
    const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(low, high), 0xD8);
    return _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
}

__attribute__((target("avx2"))) int ToPackedBgrAvx2(const std::uint8_t* y, const float* u, const float* v, int n,
                                                    const Matrix& m, std::uint8_t* out)
{
    const __m256 yScale = _mm256_set1_ps(m.yScale), yOffset = _mm256_set1_ps(m.yOffset), half = _mm256_set1_ps(0.5f);
    const __m256 mid = _mm256_set1_ps(128.0f), rv = _mm256_set1_ps(m.rv), gu = _mm256_set1_ps(m.gu);
    const __m256 gv = _mm256_set1_ps(m.gv), bu = _mm256_set1_ps(m.bu);
    const PackMasks masks;
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256i b[2], g[2], r[2];
        for (int h = 0; h < 2; ++h) {
            const int at = i + 8 * h;
            const __m128i luma8 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + at));
            const __m256 luma = _mm256_add_ps(
                _mm256_mul_ps(_mm256_sub_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(luma8)), yOffset), yScale), half);
            const __m256 cb = _mm256_sub_ps(_mm256_loadu_ps(u + at), mid);
            const __m256 cr = _mm256_sub_ps(_mm256_loadu_ps(v + at), mid);
            r[h] = Levels(_mm256_add_ps(luma, _mm256_mul_ps(rv, cr)));
            g[h] = Levels(_mm256_add_ps(_mm256_add_ps(luma, _mm256_mul_ps(gu, cb)), _mm256_mul_ps(gv, cr)));
            b[h] = Levels(_mm256_add_ps(luma, _mm256_mul_ps(bu, cb)));
        }
        const __m128i bs = Narrow(b[0], b[1]), gs = Narrow(g[0], g[1]), rs = Narrow(r[0], r[1]);
        StorePacked(bs, gs, rs, masks, out + 3 * i);
    }
    return i;  // the pixels done; the rest go the two-pass way
}
#endif

void Pack(const std::uint8_t* b, const std::uint8_t* g, const std::uint8_t* r, int n, std::uint8_t* out)
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3)
        return PackSsse3(b, g, r, n, out);
#endif
    PackScalar(b, g, r, 0, n, out);
}

// Converts rows of one frame; each band of rows has its own, with room for one row.
class RowConverter {
public:
    RowConverter(const AVFrame& frame, int shiftX, int shiftY)
        : m_frame(frame), m_matrix(MatrixFor(frame)), m_shiftX(shiftX), m_shiftY(shiftY),
          m_chromaWidth((frame.width + shiftX) >> shiftX), m_chromaHeight((frame.height + shiftY) >> shiftY),
          m_narrow(std::size_t(m_chromaWidth) + 4), m_u(std::size_t(m_chromaWidth) << shiftX),
          m_v(m_u.size()), m_b(std::size_t(frame.width)), m_g(m_b.size()), m_r(m_b.size())
    {
    }

    void Row(int y, std::uint8_t* out)
    {
        ChromaRow(1, y, m_u);
        ChromaRow(2, y, m_v);
        const std::uint8_t* luma = m_frame.data[0] + std::ptrdiff_t(y) * m_frame.linesize[0];
        int done = 0;
#if defined(__x86_64__) || defined(__i386__)
        static const bool avx2 = __builtin_cpu_supports("avx2");
        if (avx2)
            done = ToPackedBgrAvx2(luma, m_u.data(), m_v.data(), m_frame.width, m_matrix, out);
#endif
        const int rest = m_frame.width - done;
        ToRgb(luma + done, m_u.data() + done, m_v.data() + done, rest, m_matrix, m_b.data(), m_g.data(), m_r.data());
        Pack(m_b.data(), m_g.data(), m_r.data(), rest, out + 3 * done);
    }

private:
    const std::uint8_t* ChromaLine(int plane, int row) const
    {
        return m_frame.data[plane] + std::ptrdiff_t(std::clamp(row, 0, m_chromaHeight - 1)) * m_frame.linesize[plane];
    }

    // The chroma of plane for luma row y, at full width.
    void ChromaRow(int plane, int y, std::vector<float>& out)
    {
        float* const narrow = m_shiftX ? m_narrow.data() + 2 : out.data();
        if (m_shiftY) {
            // Luma row y sits a quarter of a chroma row before or after chroma row y / 2.
            static constexpr float kBefore[4] = {kTap0, kTap1, kTap2, kTap3};
            static constexpr float kAfter[4] = {kTap3, kTap2, kTap1, kTap0};
            const int k = y >> 1, first = (y & 1) ? k - 1 : k - 2;
            FilterDown(ChromaLine(plane, first), ChromaLine(plane, first + 1), ChromaLine(plane, first + 2),
                       ChromaLine(plane, first + 3), (y & 1) ? kAfter : kBefore, m_chromaWidth, narrow);
        } else {
            Widen(ChromaLine(plane, y), m_chromaWidth, narrow);
        }
        if (!m_shiftX)
            return;
        // The edges repeat, as the general scaler's filter does at the picture's sides.
        narrow[-2] = narrow[-1] = narrow[0];
        narrow[m_chromaWidth] = narrow[m_chromaWidth + 1] = narrow[m_chromaWidth - 1];
        DoubleAcross(narrow, m_chromaWidth, out.data());
    }

    const AVFrame& m_frame;
    const Matrix m_matrix;
    const int m_shiftX, m_shiftY;
    const int m_chromaWidth, m_chromaHeight;
    std::vector<float> m_narrow, m_u, m_v;
    std::vector<std::uint8_t> m_b, m_g, m_r;
};

void ConvertBand(const AVFrame& frame, int shiftX, int shiftY, int from, int to, std::uint8_t* out, std::ptrdiff_t stride)
{
    RowConverter rows(frame, shiftX, shiftY);
    for (int y = from; y < to; ++y)
        rows.Row(y, out + std::ptrdiff_t(y) * stride);
}

}  // namespace

bool YuvToBgrTakes(const AVFrame& frame)
{
    // Odd sizes are left to the general scaler, which places the last chroma sample its own way.
    int shiftX = 0, shiftY = 0;
    return frame.width > 0 && frame.height > 0 && Subsampling(frame.format, shiftX, shiftY)
        && frame.width % (1 << shiftX) == 0 && frame.height % (1 << shiftY) == 0;
}

void YuvToBgr(const AVFrame& frame, std::uint8_t* out, std::ptrdiff_t stride)
{
    if (!YuvToBgrTakes(frame))
        return;
    int shiftX = 0, shiftY = 0;
    Subsampling(frame.format, shiftX, shiftY);
    // A band per core for pictures large enough to repay starting a thread.
    constexpr int kRowsWorthAThread = 256;
    const int cores = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    const int bands = std::clamp(frame.height / kRowsWorthAThread, 1, cores);
    const auto rowOf = [&](int band) { return int(std::int64_t(frame.height) * band / bands); };
    std::vector<std::thread> helpers;
    for (int band = 1; band < bands; ++band) {
        try {
            helpers.emplace_back(ConvertBand, std::cref(frame), shiftX, shiftY, rowOf(band), rowOf(band + 1), out, stride);
        } catch (const std::system_error&) {
            ConvertBand(frame, shiftX, shiftY, rowOf(band), rowOf(band + 1), out, stride);  // no thread to be had
        }
    }
    ConvertBand(frame, shiftX, shiftY, 0, rowOf(1), out, stride);
    for (std::thread& helper : helpers)
        helper.join();
}
