#pragma once
// Which wider instructions this processor runs, the system's support for the
// wider registers included: the mixer and the decoder choose their code by it.

// AVX (256-bit floats).
bool ProcessorHasAvx();
// AVX2 (256-bit integers, gathers and permutes across the halves).
bool ProcessorHasAvx2();
