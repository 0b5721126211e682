#pragma once
// The 512-tap window of the 32-band polyphase synthesis, shared by every filter.

// The window stored transposed (entry 16 * j + t is the coefficient of tap t for
// output sample j) and multiplied by the ScaleFactor of the first call in the
// process; later calls get that same table whatever they pass, so every filter of
// the process shares one once-scaled window.
const float* ScaledSynthesisWindow(float ScaleFactor);

// The same scaled window widened to double and stored tap by tap (entry 32 * t + j
// is entry 16 * j + t above), so that the coefficients of neighbouring output
// samples sit side by side for summing several outputs at once. 16-byte aligned.
const double* ScaledSynthesisWindowByTap(float ScaleFactor);

// The unscaled coefficient D[Index] (Index 0..511) of the standard window.
double SynthesisWindowCoefficient(int Index);
