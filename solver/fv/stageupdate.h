#pragma once

#include "fv/eos.h"
#include "fv/reconstruction.h"

namespace euler::fv {

// What the stage update of the cells reads and writes (ssprk.h).
struct StageUpdate
{
    const Mesh &mesh;
    const IdealGasEos &eos;
    double a, b, dt;
    bool first;                        // stage 0 keeps Q^n and V^n
    const double *faceFluxes;          // records of six per face (solver.h)
    const std::vector<Index> &pieceStart, &pieceEntries; // cell -> pieces, p or ~p
    const ConservedFields &pieceFluxes;
    ConservedFields &q, &qn;
    std::vector<double> &volume, &volumeN;
    PrimitiveFields &w;
    PairedPrimitives &paired;
};

// For cells [begin, end): the residual R_c = -sum_f s_f F_f over the cell's
// faces in their fixed order, then its interface pieces in theirs, and the
// volume rate sum_f s_f dt Omega_f likewise; then
//     Q(k+1) = a_k Q^n + b_k (Q(k) + dt R(k)),
// the same for V (the swept volumes already multiplied by dt), and the
// primitives of the new state. Returns the lowest cell whose new state is
// unphysical, or -1. With AVX2's instructions where the processor has them
// (parallel.h), the same bits either way.
Index updateCells(const StageUpdate &u, Index begin, Index end);

} // namespace euler::fv
