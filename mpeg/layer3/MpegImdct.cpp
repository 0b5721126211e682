// Vector lanes below do each value's own float operations in the scalar order;
// no product may be fused into a sum.
#include "mpeg/layer3/MpegImdct.h"

#include <xmmintrin.h>

#include <cmath>
#include <cstring>

#include "mpeg/layer3/MpegFloat4.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int Padded6 = 8;  // 6 outputs as two vectors of four

struct TImdctTables {
    TImdctTables()
    {
        for (int i = 0; i < 36; ++i) {
            const float longWindow = static_cast<float>(std::sin(Pi / 36 * (i + 0.5)));
            Window[0][i] = longWindow;
            Window[1][i] = i < 18   ? longWindow
                           : i < 24 ? 1.0f
                           : i < 30 ? static_cast<float>(std::sin(Pi / 12 * (i - 18 + 0.5)))
                                    : 0.0f;
            Window[3][i] = i < 6    ? 0.0f
                           : i < 12 ? static_cast<float>(std::sin(Pi / 12 * (i - 6 + 0.5)))
                           : i < 18 ? 1.0f
                                    : longWindow;
            Window[2][i] = i < 12 ? static_cast<float>(std::sin(Pi / 12 * (i + 0.5))) : 0.0f;
        }
        for (int k = 0; k < 18; ++k) {
            PreScale[k] = static_cast<float>(0.5 / std::cos(Pi * (2 * k + 1) / 72));
        }
        for (int m = 0; m < 9; ++m) {
            for (int k = 0; k < 9; ++k) {
                Dct2Of9[k][m] = static_cast<float>(std::cos(Pi * m * (2 * k + 1) / 18));
                Dct4Of9[k][m] = static_cast<float>(std::cos(Pi / 9 * (m + 0.5) * (k + 0.5)));
            }
        }
        for (int j = 0; j < 6; ++j) {
            for (int k = 0; k < 6; ++k) {
                Dct4Of6[k][j] = static_cast<float>(std::cos(Pi / 6 * (j + 0.5) * (k + 0.5)));
            }
        }
    }

    // The short transform's matrix is stored by input k, outputs padded with zeros
    // to whole vectors: each output still sums its products in k order, several at
    // a time.
    float Window[4][36];          // by block type; row 2 holds the 12-value short window
    float PreScale[18];           // 1 / (2 cos(pi (2k + 1) / 72)): DCT-IV through DCT-II
    float Dct2Of9[9][9];          // [k][m] cos(pi m (2k + 1) / 18)
    float Dct4Of9[9][9];          // [k][m] cos(pi / 9 (m + 1/2)(k + 1/2))
    float Dct4Of6[6][Padded6]{};  // [k][j] cos(pi / 6 (j + 1/2)(k + 1/2))
};

const TImdctTables& Tables()
{
    static const TImdctTables instance;
    return instance;
}

// The transform constants of the long blocks in all four lanes, for four subbands
// side by side (the window is taken a value at a time).
struct TImdctLaneTables {
    TImdctLaneTables()
    {
        const TImdctTables& t = Tables();
        for (int k = 0; k < 18; ++k) {
            PreScale[k] = Broadcast(t.PreScale[k]);
        }
        for (int k = 0; k < 9; ++k) {
            for (int m = 0; m < 9; ++m) {
                Dct2Of9[k][m] = Broadcast(t.Dct2Of9[k][m]);
                Dct4Of9[k][m] = Broadcast(t.Dct4Of9[k][m]);
            }
        }
    }

    static TFloat4 Broadcast(float Value) { return TFloat4{Value, Value, Value, Value}; }

    TFloat4 PreScale[18];
    TFloat4 Dct2Of9[9][9];
    TFloat4 Dct4Of9[9][9];
};

const TImdctLaneTables& LaneTables()
{
    static const TImdctLaneTables instance;
    return instance;
}

// Adds the six outputs Y of a short window's transform, windowed and mirrored,
// to the twelve results from Slot on: for one subband (floats) or four (lanes),
// the same float operations in the same order.
template <class TValue> void AddShortWindow(TValue* Slot, const TValue* Y, const float* Window)
{
    for (int i = 0; i < 3; ++i) {
        Slot[i] += Y[i + 3] * Window[i];
    }
    for (int i = 3; i < 9; ++i) {
        Slot[i] -= Y[8 - i] * Window[i];
    }
    for (int i = 9; i < 12; ++i) {
        Slot[i] -= Y[i - 9] * Window[i];
    }
}

// Block type 2 for four subbands side by side (X[k]: value k of each), each lane
// through InverseMdct's float operations in its order: the three windows' 6-point
// transforms, each output summed over k from zero, windowed and added to the
// results, which start at zero.
void ShortBlocksFour(const TFloat4 X[ImdctInputs], float Out[4 * ImdctOutputs])
{
    const TImdctTables& t = Tables();
    const float* window = t.Window[2];
    TFloat4 out[ImdctOutputs] = {};
    for (int w = 0; w < 3; ++w) {
        TFloat4 y[6];
        for (int j = 0; j < 6; ++j) {
            TFloat4 total = {};
            for (int k = 0; k < 6; ++k) {
                total += X[w + 3 * k] * t.Dct4Of6[k][j];
            }
            y[j] = total;
        }
        AddShortWindow(out + 6 + 6 * w, y, window);
    }
    for (int i = 0; i < ImdctOutputs; ++i) {
        Store4(Out + 4 * i, out[i]);
    }
}

}  // namespace

const float* ImdctWindow(int BlockType)
{
    return Tables().Window[BlockType & 3];
}

const float* ImdctShortWindow()
{
    return Tables().Window[2];
}

// The n-point IMDCT is the N = n/2 point DCT-IV y unfolded: x_i = y(i + N/2), with
// y(2N - 1 - m) = -y(m) and y(m + 2N) = -y(m) beyond 0..N-1.
void InverseMdct(const float In[ImdctInputs], float Out[ImdctOutputs], int BlockType)
{
    const TImdctTables& t = Tables();
    if (BlockType == 2) {
        for (int i = 0; i < 36; ++i) {
            Out[i] = 0.0f;
        }
        const float* window = t.Window[2];
        for (int w = 0; w < 3; ++w) {
            TFloat4 low = {}, high = {};
            for (int k = 0; k < 6; ++k) {
                const float value = In[w + 3 * k];
                const TFloat4 broadcast = {value, value, value, value};
                low += broadcast * Load4(t.Dct4Of6[k]);
                high += broadcast * Load4(t.Dct4Of6[k] + 4);
            }
            float y[Padded6];
            Store4(y, low);
            Store4(y + 4, high);
            AddShortWindow(Out + 6 + 6 * w, y, window);
        }
        return;
    }
    // A long block goes through lane 0 of the four-subband transform.
    float subbands[4 * ImdctInputs] = {};
    std::memcpy(subbands, In, ImdctInputs * sizeof(float));
    float lanes[4 * ImdctOutputs];
    InverseMdctFour(subbands, ImdctInputs, lanes, BlockType);
    for (int i = 0; i < ImdctOutputs; ++i) {
        Out[i] = lanes[4 * i];
    }
}

// The long transform, four subbands at a time: lane b of every value belongs to
// subband b. y_j = sum_k X_k cos(pi / 18 (j + 1/2)(k + 1/2)) is the DCT-IV of the 18
// values; with w_k = X_k / (2 cos(pi (2k + 1) / 72)) it is D(j) + D(j + 1) for the
// DCT-II D of w (D(18) = 0), and D splits into a 9-point DCT-II of the sums
// w_k + w_17-k (even j) and a 9-point DCT-IV of the differences (odd j).
void InverseMdctFour(const float* In, int Stride, float Out[4 * ImdctOutputs], int BlockType)
{
    // The subbands' values k side by side, four values of the four at a time.
    TFloat4 x[18];
    for (int k = 0; k < 16; k += 4) {
        __m128 a = Load4(In + k), b = Load4(In + Stride + k), c = Load4(In + 2 * Stride + k),
               d = Load4(In + 3 * Stride + k);
        _MM_TRANSPOSE4_PS(a, b, c, d);
        x[k] = a;
        x[k + 1] = b;
        x[k + 2] = c;
        x[k + 3] = d;
    }
    for (int k = 16; k < 18; ++k) {
        x[k] = TFloat4{In[k], In[Stride + k], In[2 * Stride + k], In[3 * Stride + k]};
    }
    if (BlockType == 2) {
        ShortBlocksFour(x, Out);
        return;
    }
    const TImdctLaneTables& t = LaneTables();
    TFloat4 sum[9], difference[9];
    for (int k = 0; k < 9; ++k) {
        const TFloat4 low = x[k] * t.PreScale[k];
        const TFloat4 high = x[17 - k] * t.PreScale[17 - k];
        sum[k] = low + high;
        difference[k] = low - high;
    }
    // One output at a time over all k, so that its sum stays in a register.
    TFloat4 even[9], odd[9];
    for (int m = 0; m < 9; ++m) {
        TFloat4 total = {};
        for (int k = 0; k < 9; ++k) {
            total += sum[k] * t.Dct2Of9[k][m];
        }
        even[m] = total;
    }
    for (int m = 0; m < 9; ++m) {
        TFloat4 total = {};
        for (int k = 0; k < 9; ++k) {
            total += difference[k] * t.Dct4Of9[k][m];
        }
        odd[m] = total;
    }
    TFloat4 y[18];
    for (int m = 0; m < 9; ++m) {
        y[2 * m] = even[m] + odd[m];
        y[2 * m + 1] = odd[m] + (m < 8 ? even[m + 1] : TFloat4{});
    }
    const float* window = Tables().Window[BlockType & 3];
    for (int i = 0; i < 9; ++i) {
        Store4(Out + 4 * i, y[i + 9] * window[i]);
    }
    for (int i = 9; i < 27; ++i) {
        Store4(Out + 4 * i, -y[26 - i] * window[i]);
    }
    for (int i = 27; i < 36; ++i) {
        Store4(Out + 4 * i, -y[i - 27] * window[i]);
    }
}
