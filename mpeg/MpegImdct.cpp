#include "mpeg/MpegImdct.h"

#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;

struct TImdctTables {
    TImdctTables()
    {
        for (int i = 0; i < 36; ++i) {
            const float Long = static_cast<float>(std::sin(Pi / 36 * (i + 0.5)));
            Window[0][i] = Long;
            Window[1][i] = i < 18 ? Long : i < 24 ? 1.0f : i < 30 ? static_cast<float>(std::sin(Pi / 12 * (i - 18 + 0.5))) : 0.0f;
            Window[3][i] = i < 6 ? 0.0f : i < 12 ? static_cast<float>(std::sin(Pi / 12 * (i - 6 + 0.5))) : i < 18 ? 1.0f : Long;
            Window[2][i] = i < 12 ? static_cast<float>(std::sin(Pi / 12 * (i + 0.5))) : 0.0f;
        }
        for (int k = 0; k < 18; ++k)
            PreScale[k] = static_cast<float>(0.5 / std::cos(Pi * (2 * k + 1) / 72));
        for (int m = 0; m < 9; ++m)
            for (int k = 0; k < 9; ++k) {
                Dct2Of9[m][k] = static_cast<float>(std::cos(Pi * m * (2 * k + 1) / 18));
                Dct4Of9[m][k] = static_cast<float>(std::cos(Pi / 9 * (m + 0.5) * (k + 0.5)));
            }
        for (int j = 0; j < 6; ++j)
            for (int k = 0; k < 6; ++k)
                Dct4Of6[j][k] = static_cast<float>(std::cos(Pi / 6 * (j + 0.5) * (k + 0.5)));
    }

    float Window[4][36];     // by block type; row 2 holds the 12-value short window
    float PreScale[18];      // 1 / (2 cos(pi (2k + 1) / 72)): DCT-IV through DCT-II
    float Dct2Of9[9][9];     // cos(pi m (2k + 1) / 18)
    float Dct4Of9[9][9];     // cos(pi / 9 (m + 1/2)(k + 1/2))
    float Dct4Of6[6][6];     // cos(pi / 6 (j + 1/2)(k + 1/2))
};

const TImdctTables& Tables()
{
    static const TImdctTables Instance;
    return Instance;
}

// y_j = sum_k X_k cos(pi / 18 (j + 1/2)(k + 1/2)). With w_k = X_k / (2 cos(pi (2k + 1) / 72))
// it is D(j) + D(j + 1) for the DCT-II D of w (D(18) = 0), and D splits into a 9-point
// DCT-II of the sums w_k + w_17-k (even j) and a 9-point DCT-IV of the differences (odd j).
void Dct4Of18(const float In[18], float Out[18])
{
    const TImdctTables& T = Tables();
    float Sum[9], Difference[9];
    for (int k = 0; k < 9; ++k) {
        const float Low = In[k] * T.PreScale[k];
        const float High = In[17 - k] * T.PreScale[17 - k];
        Sum[k] = Low + High;
        Difference[k] = Low - High;
    }
    float D[19];
    for (int m = 0; m < 9; ++m) {
        float Even = 0.0f, Odd = 0.0f;
        for (int k = 0; k < 9; ++k) {
            Even += Sum[k] * T.Dct2Of9[m][k];
            Odd += Difference[k] * T.Dct4Of9[m][k];
        }
        D[2 * m] = Even;
        D[2 * m + 1] = Odd;
    }
    D[18] = 0.0f;
    for (int j = 0; j < 18; ++j)
        Out[j] = D[j] + D[j + 1];
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
    const TImdctTables& T = Tables();
    if (BlockType == 2) {
        for (int i = 0; i < 36; ++i)
            Out[i] = 0.0f;
        const float* Window = T.Window[2];
        for (int w = 0; w < 3; ++w) {
            float Y[6];
            for (int j = 0; j < 6; ++j) {
                float Sum = 0.0f;
                for (int k = 0; k < 6; ++k)
                    Sum += In[w + 3 * k] * T.Dct4Of6[j][k];
                Y[j] = Sum;
            }
            float* Slot = Out + 6 + 6 * w;
            for (int i = 0; i < 3; ++i)
                Slot[i] += Y[i + 3] * Window[i];
            for (int i = 3; i < 9; ++i)
                Slot[i] -= Y[8 - i] * Window[i];
            for (int i = 9; i < 12; ++i)
                Slot[i] -= Y[i - 9] * Window[i];
        }
        return;
    }
    float Y[18];
    Dct4Of18(In, Y);
    const float* Window = T.Window[BlockType & 3];
    for (int i = 0; i < 9; ++i)
        Out[i] = Y[i + 9] * Window[i];
    for (int i = 9; i < 27; ++i)
        Out[i] = -Y[26 - i] * Window[i];
    for (int i = 27; i < 36; ++i)
        Out[i] = -Y[i - 27] * Window[i];
}
