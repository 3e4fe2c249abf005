#include "yuvtobgr.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KESTIVO_X86 1
#endif

// Fixed point in 16-bit lanes, so that a vector register holds sixteen samples. Chroma is carried
// centred on zero with 7 fractional bits, light levels with 6; every product is rounded as the
// processor's rounding high multiply rounds it, (a * b + 2^14) >> 15. The vector loops and the
// plain ones (for the ends of rows and processors without AVX2) do the same integer arithmetic,
// so they give the same bytes. Against the float arithmetic this departs by a few hundredths of a
// level before the last rounding, well inside what the careful path itself differs by.
namespace {

using Sample = std::int16_t;
constexpr int kChromaBits = 7;  // chroma samples: (level - 128) * 2^7
constexpr int kLevelBits = 6;   // colour levels before their rounding: level * 2^6

// The general scaler's bicubic filter (B = 0, C = 0.6) doubling a row of centred chroma samples:
// the weights of samples k-2 .. k+1 for the output at k - 1/4; mirrored for k + 1/4.
constexpr double kTaps[4] = {-0.028125, 0.240625, 0.871875, -0.084375};

constexpr int Fixed(double value, int bits)
{
    return int(value * (1 << bits) + (value < 0 ? -0.5 : 0.5));
}

// Across: multiplied by the rounding high multiply (Q15). Down: summed exactly in 32 bits (Q14).
// Both sets sum to exactly one, so flat chroma stays exactly flat.
constexpr int kAcross[4] = {Fixed(kTaps[0], 15), Fixed(kTaps[1], 15), Fixed(kTaps[2], 15), Fixed(kTaps[3], 15)};
constexpr int kDownBefore[4] = {Fixed(kTaps[0], 14), Fixed(kTaps[1], 14), Fixed(kTaps[2], 14), Fixed(kTaps[3], 14)};
constexpr int kDownAfter[4] = {kDownBefore[3], kDownBefore[2], kDownBefore[1], kDownBefore[0]};
static_assert(kAcross[0] + kAcross[1] + kAcross[2] + kAcross[3] == 1 << 15);
static_assert(kDownBefore[0] + kDownBefore[1] + kDownBefore[2] + kDownBefore[3] == 1 << 14);
// The down filter's sum, less the centre and plus half of the dropped bits, is shifted to Q7.
constexpr int kDownShift = 14 - kChromaBits;
constexpr int kDownBias = (1 << (kDownShift - 1)) - (128 << 14);

inline int MulRound(int a, int b)
{
    return (a * b + (1 << 14)) >> 15;
}

inline int AddSaturated(int a, int b)
{
    return std::clamp(a + b, -32768, 32767);
}

// The frame's matrix (HD is BT.709) and range as the general scaler has them, in Q14. Blue's
// weight on Cb passes 2, which a 16-bit multiplier cannot hold: the Q7 chroma read as Q6 is twice
// Cb, and only the rest (blueLess2) is multiplied.
struct Matrix {
    int yOffset, yScale;
    int rv, gu, gv, blueLess2;
};

Matrix MatrixFor(const AVFrame& frame)
{
    const int space = frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709
        : frame.colorspace == AVCOL_SPC_BT2020_NCL      ? SWS_CS_BT2020
                                                        : SWS_CS_DEFAULT;
    // Red from Cr, blue from Cb, and green from both, for limited-range chroma (16.16 fixed point).
    const int* table = sws_getCoefficients(space);
    const bool full = frame.color_range == AVCOL_RANGE_JPEG;
    const double chroma = (full ? 224.0 / 255.0 : 1.0) / 65536.0;
    const auto q14 = [](double value) { return int(std::lround(value * (1 << 14))); };
    return {full ? 0 : 16, q14(full ? 1.0 : 255.0 / 219.0), q14(table[0] * chroma), q14(-table[2] * chroma),
            q14(-table[3] * chroma), q14(table[1] * chroma - 2.0)};
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

// The plain loops, from sample `from` to n.

void CentreRow(const std::uint8_t* in, int from, int n, Sample* out)
{
    for (int i = from; i < n; ++i)
        out[i] = Sample((in[i] - 128) << kChromaBits);
}

void FilterDownRow(const std::uint8_t* const rows[4], const int* w, int from, int n, Sample* out)
{
    for (int i = from; i < n; ++i) {
        const int sum = w[0] * rows[0][i] + w[1] * rows[1][i] + w[2] * rows[2][i] + w[3] * rows[3][i];
        out[i] = Sample((sum + kDownBias) >> kDownShift);
    }
}

// in has two repeated samples before in[0] and after in[n - 1]; out gets 2n samples.
void DoubleAcrossRow(const Sample* in, int from, int n, Sample* out)
{
    const int* t = kAcross;
    for (int j = from; j < n; ++j) {
        out[2 * j] = Sample(MulRound(in[j - 2], t[0]) + MulRound(in[j - 1], t[1]) + MulRound(in[j], t[2])
                            + MulRound(in[j + 1], t[3]));
        out[2 * j + 1] = Sample(MulRound(in[j - 1], t[3]) + MulRound(in[j], t[2]) + MulRound(in[j + 1], t[1])
                                + MulRound(in[j + 2], t[0]));
    }
}

inline std::uint8_t Level(int value)
{
    return std::uint8_t(std::clamp(AddSaturated(value, 1 << (kLevelBits - 1)) >> kLevelBits, 0, 255));
}

void ToBgrRow(const std::uint8_t* y, const Sample* u, const Sample* v, int from, int n, const Matrix& m,
              std::uint8_t* out)
{
    for (int i = from; i < n; ++i) {
        const int luma = MulRound((y[i] - m.yOffset) << kChromaBits, m.yScale);
        const int cb = u[i], cr = v[i];
        out[3 * i] = Level(AddSaturated(AddSaturated(luma, cb), MulRound(cb, m.blueLess2)));
        out[3 * i + 1] = Level(AddSaturated(AddSaturated(luma, MulRound(cb, m.gu)), MulRound(cr, m.gv)));
        out[3 * i + 2] = Level(AddSaturated(luma, MulRound(cr, m.rv)));
    }
}

#ifdef KESTIVO_X86
// The same, sixteen samples at a time; each returns how far it got, the plain loop does the rest.

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

__attribute__((target("avx2"))) inline __m128i Gather(__m128i b, __m128i g, __m128i r, __m128i mb, __m128i mg,
                                                      __m128i mr)
{
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(b, mb), _mm_shuffle_epi8(g, mg)), _mm_shuffle_epi8(r, mr));
}

__attribute__((target("avx2"))) inline __m256i LoadBytes(const std::uint8_t* at)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
}

__attribute__((target("avx2"))) inline __m256i Load(const Sample* at)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2"))) inline void Store(Sample* at, __m256i value)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), value);
}

__attribute__((target("avx2"))) int CentreAvx2(const std::uint8_t* in, int n, Sample* out)
{
    const __m256i centre = _mm256_set1_epi16(128);
    int i = 0;
    for (; i + 16 <= n; i += 16)
        Store(out + i, _mm256_slli_epi16(_mm256_sub_epi16(LoadBytes(in + i), centre), kChromaBits));
    return i;
}

// Two weights as the 16-bit pair that _mm256_madd_epi16 multiplies interleaved samples by.
__attribute__((target("avx2"))) inline __m256i WeightPair(int first, int second)
{
    return _mm256_set1_epi32(int((std::uint32_t(std::uint16_t(second)) << 16) | std::uint16_t(first)));
}

// Interleaved pairs of rows 0 and 1, and of rows 2 and 3, filtered down to Q7 in 32-bit lanes.
__attribute__((target("avx2"))) inline __m256i DownSum(__m256i a01, __m256i a23, __m256i w01, __m256i w23,
                                                       __m256i bias)
{
    const __m256i exact = _mm256_add_epi32(_mm256_madd_epi16(a01, w01), _mm256_madd_epi16(a23, w23));
    return _mm256_srai_epi32(_mm256_add_epi32(exact, bias), kDownShift);
}

__attribute__((target("avx2"))) int FilterDownAvx2(const std::uint8_t* const rows[4], const int* w, int n, Sample* out)
{
    const __m256i w01 = WeightPair(w[0], w[1]), w23 = WeightPair(w[2], w[3]);
    const __m256i bias = _mm256_set1_epi32(kDownBias);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i r0 = LoadBytes(rows[0] + i), r1 = LoadBytes(rows[1] + i);
        const __m256i r2 = LoadBytes(rows[2] + i), r3 = LoadBytes(rows[3] + i);
        // Interleaving and packing work within each 128-bit half alike, so the order comes back.
        const __m256i low = DownSum(_mm256_unpacklo_epi16(r0, r1), _mm256_unpacklo_epi16(r2, r3), w01, w23, bias);
        const __m256i high = DownSum(_mm256_unpackhi_epi16(r0, r1), _mm256_unpackhi_epi16(r2, r3), w01, w23, bias);
        Store(out + i, _mm256_packs_epi32(low, high));
    }
    return i;
}

__attribute__((target("avx2"))) int DoubleAcrossAvx2(const Sample* in, int n, Sample* out)
{
    const __m256i t0 = _mm256_set1_epi16(Sample(kAcross[0])), t1 = _mm256_set1_epi16(Sample(kAcross[1]));
    const __m256i t2 = _mm256_set1_epi16(Sample(kAcross[2])), t3 = _mm256_set1_epi16(Sample(kAcross[3]));
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        const __m256i a = Load(in + j - 2), b = Load(in + j - 1), c = Load(in + j), d = Load(in + j + 1);
        const __m256i e = Load(in + j + 2);
        const __m256i even = _mm256_add_epi16(_mm256_add_epi16(_mm256_mulhrs_epi16(a, t0), _mm256_mulhrs_epi16(b, t1)),
                                              _mm256_add_epi16(_mm256_mulhrs_epi16(c, t2), _mm256_mulhrs_epi16(d, t3)));
        const __m256i odd = _mm256_add_epi16(_mm256_add_epi16(_mm256_mulhrs_epi16(b, t3), _mm256_mulhrs_epi16(c, t2)),
                                             _mm256_add_epi16(_mm256_mulhrs_epi16(d, t1), _mm256_mulhrs_epi16(e, t0)));
        // Interleaved within each half: samples 0-3 and 8-11 in the first, 4-7 and 12-15 in the second.
        const __m256i first = _mm256_unpacklo_epi16(even, odd), second = _mm256_unpackhi_epi16(even, odd);
        Store(out + 2 * j, _mm256_permute2x128_si256(first, second, 0x20));
        Store(out + 2 * j + 16, _mm256_permute2x128_si256(first, second, 0x31));
    }
    return j;
}

// Sixteen levels in Q6 rounded and narrowed to bytes, in order.
__attribute__((target("avx2"))) inline __m128i Levels(__m256i value)
{
    const __m256i rounded = _mm256_srai_epi16(_mm256_adds_epi16(value, _mm256_set1_epi16(1 << (kLevelBits - 1))),
                                              kLevelBits);
    return _mm_packus_epi16(_mm256_castsi256_si128(rounded), _mm256_extracti128_si256(rounded, 1));
}

__attribute__((target("avx2"))) int ToBgrAvx2(const std::uint8_t* y, const Sample* u, const Sample* v, int n,
                                              const Matrix& m, std::uint8_t* out)
{
    const __m256i yOffset = _mm256_set1_epi16(Sample(m.yOffset)), yScale = _mm256_set1_epi16(Sample(m.yScale));
    const __m256i rv = _mm256_set1_epi16(Sample(m.rv)), gu = _mm256_set1_epi16(Sample(m.gu));
    const __m256i gv = _mm256_set1_epi16(Sample(m.gv)), blueLess2 = _mm256_set1_epi16(Sample(m.blueLess2));
    const PackMasks masks;
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i luma =
            _mm256_mulhrs_epi16(_mm256_slli_epi16(_mm256_sub_epi16(LoadBytes(y + i), yOffset), kChromaBits), yScale);
        const __m256i cb = Load(u + i), cr = Load(v + i);
        const __m128i b = Levels(_mm256_adds_epi16(_mm256_adds_epi16(luma, cb), _mm256_mulhrs_epi16(cb, blueLess2)));
        const __m128i g = Levels(
            _mm256_adds_epi16(_mm256_adds_epi16(luma, _mm256_mulhrs_epi16(cb, gu)), _mm256_mulhrs_epi16(cr, gv)));
        const __m128i r = Levels(_mm256_adds_epi16(luma, _mm256_mulhrs_epi16(cr, rv)));
        std::uint8_t* const at = out + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), Gather(b, g, r, masks.b0, masks.g0, masks.r0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 16), Gather(b, g, r, masks.b1, masks.g1, masks.r1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 32), Gather(b, g, r, masks.b2, masks.g2, masks.r2));
    }
    return i;
}

bool HasAvx2()
{
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

// How far the vector loop got: nowhere on processors without AVX2.
#define KESTIVO_VECTOR(call) (HasAvx2() ? (call) : 0)
#else
#define KESTIVO_VECTOR(call) 0
#endif

// Converts rows of one frame; each band of rows has its own, with room for one row.
class RowConverter {
public:
    RowConverter(const AVFrame& frame, int shiftX, int shiftY)
        : m_frame(frame), m_matrix(MatrixFor(frame)), m_shiftX(shiftX), m_shiftY(shiftY),
          m_chromaWidth((frame.width + shiftX) >> shiftX), m_chromaHeight((frame.height + shiftY) >> shiftY),
          m_narrow(std::size_t(m_chromaWidth) + 4), m_u(std::size_t(m_chromaWidth) << shiftX), m_v(m_u.size())
    {
    }

    void Row(int y, std::uint8_t* out)
    {
        ChromaRow(1, y, m_u.data());
        ChromaRow(2, y, m_v.data());
        const std::uint8_t* luma = m_frame.data[0] + std::ptrdiff_t(y) * m_frame.linesize[0];
        const int width = m_frame.width;
        const int done = KESTIVO_VECTOR(ToBgrAvx2(luma, m_u.data(), m_v.data(), width, m_matrix, out));
        ToBgrRow(luma, m_u.data(), m_v.data(), done, width, m_matrix, out);
    }

private:
    const std::uint8_t* ChromaLine(int plane, int row) const
    {
        return m_frame.data[plane] + std::ptrdiff_t(std::clamp(row, 0, m_chromaHeight - 1)) * m_frame.linesize[plane];
    }

    // The chroma of plane for luma row y, at full width.
    void ChromaRow(int plane, int y, Sample* out)
    {
        Sample* const narrow = m_shiftX ? m_narrow.data() + 2 : out;
        const int n = m_chromaWidth;
        if (m_shiftY) {
            // Luma row y sits a quarter of a chroma row before or after chroma row y / 2.
            const int k = y >> 1, first = (y & 1) ? k - 1 : k - 2;
            const std::uint8_t* const rows[4] = {ChromaLine(plane, first), ChromaLine(plane, first + 1),
                                                 ChromaLine(plane, first + 2), ChromaLine(plane, first + 3)};
            const int* weights = (y & 1) ? kDownAfter : kDownBefore;
            FilterDownRow(rows, weights, KESTIVO_VECTOR(FilterDownAvx2(rows, weights, n, narrow)), n, narrow);
        } else {
            const std::uint8_t* row = ChromaLine(plane, y);
            CentreRow(row, KESTIVO_VECTOR(CentreAvx2(row, n, narrow)), n, narrow);
        }
        if (!m_shiftX)
            return;
        // The edges repeat, as the general scaler's filter does at the picture's sides.
        narrow[-2] = narrow[-1] = narrow[0];
        narrow[n] = narrow[n + 1] = narrow[n - 1];
        DoubleAcrossRow(narrow, KESTIVO_VECTOR(DoubleAcrossAvx2(narrow, n, out)), n, out);
    }

    const AVFrame& m_frame;
    const Matrix m_matrix;
    const int m_shiftX, m_shiftY;
    const int m_chromaWidth, m_chromaHeight;
    std::vector<Sample> m_narrow, m_u, m_v;
};

void ConvertBand(const AVFrame& frame, int shiftX, int shiftY, int from, int to, std::uint8_t* out, std::ptrdiff_t stride)
{
    RowConverter rows(frame, shiftX, shiftY);
    for (int y = from; y < to; ++y)
        rows.Row(y, out + std::ptrdiff_t(y) * stride);
}

}  // namespace

namespace {

// Whether the conversion takes the frame, and its chroma subsampling when it does. Odd sizes are
// left to the general scaler, which places the last chroma sample its own way.
bool Takes(const AVFrame& frame, int& shiftX, int& shiftY)
{
    return frame.width > 0 && frame.height > 0 && Subsampling(frame.format, shiftX, shiftY)
        && frame.width % (1 << shiftX) == 0 && frame.height % (1 << shiftY) == 0;
}

}  // namespace

bool YuvToBgrTakes(const AVFrame& frame)
{
    int shiftX = 0, shiftY = 0;
    return Takes(frame, shiftX, shiftY);
}

void YuvToBgr(const AVFrame& frame, std::uint8_t* out, std::ptrdiff_t stride)
{
    int shiftX = 0, shiftY = 0;
    if (!Takes(frame, shiftX, shiftY))
        return;
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

void YuvToBgrInTurn(const AVFrame& frame, std::uint8_t* out, std::ptrdiff_t stride, const std::function<void(int)>& made)
{
    int shiftX = 0, shiftY = 0;
    if (!Takes(frame, shiftX, shiftY))
        return;
    constexpr int kRowsPerReport = 16;
    RowConverter rows(frame, shiftX, shiftY);
    for (int y = 0; y < frame.height; ++y) {
        rows.Row(y, out + std::ptrdiff_t(y) * stride);
        if ((y + 1) % kRowsPerReport == 0 || y + 1 == frame.height)
            made(y + 1);
    }
}
