#pragma once

#include "fv/mesh.h"

namespace euler::fv {

// What the HLLC loop over the internal faces reads and writes, arrays by
// face: the limited states of both sides (records of six, reconstruction.h),
// the unit normals, face speeds, areas and the stage's swept volumes
// dt Omega_f; it writes the face records the gather reads (the flux rates
// with the area, then -dt Omega_f).
struct InternalFaceInputs
{
    const double *owner, *neighbour;
    const double *normalX, *normalY, *normalZ, *speed, *area, *meshFlux;
    double gamma;
    double *records;
};

// The fluxes of faces [begin, end): four faces at a time on processors with
// AVX2 (wideVectors, parallel.h), else two (SSE2), the rest one by one. Every face gets the same bits
// whichever way it is computed: lane by lane the same IEEE operations, and
// no fused multiply-add.
void internalFaceFluxes(const InternalFaceInputs &in, Index begin, Index end);

} // namespace euler::fv
