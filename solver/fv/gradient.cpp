#include "fv/gradient.h"

#include "fv/parallel.h"

#include <algorithm>

namespace euler::fv {

void LeastSquaresGradient::resize(const Mesh &mesh)
{
    data_.resize(6 * mesh.cellFaces.size());
    across_.resize(mesh.cellFaces.size());
    stretched_.assign(mesh.cellCount(), 0);
    for (Index c = 0; c < mesh.cellCount(); ++c)
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i], f = e >= 0 ? e : ~e;
            across_[i] = f >= mesh.internalFaceCount() ? -1 : e >= 0 ? mesh.neighbour[f] : mesh.owner[f];
        }
}

void LeastSquaresGradient::updateMatrices(const Mesh &mesh, const Geometry &g)
{
    std::fill(stretched_.begin(), stretched_.end(), 0);
    const Index cells = mesh.cellCount();
#pragma omp parallel for schedule(static)
    for (Index c = 0; c < cells; ++c)
        updateCell(mesh, g, c);
}

void LeastSquaresGradient::updateMatrices(const Mesh &mesh, const Geometry &g, const std::vector<Index> &cells)
{
    const Index count = static_cast<Index>(cells.size());
#pragma omp parallel for schedule(static) if (count >= parallelFrom)
    for (Index i = 0; i < count; ++i)
        updateCell(mesh, g, cells[i]);
}

void LeastSquaresGradient::updateCell(const Mesh &mesh, const Geometry &g, Index c)
{
    const Index begin = mesh.cellFaceStart[c], end = mesh.cellFaceStart[c + 1];
    LeastSquaresMatrix m;
    for (Index i = begin; i < end; ++i) {
        const Index e = mesh.cellFaces[i];
        const Index f = e >= 0 ? e : ~e;
        double *wd = &data_[6 * static_cast<std::size_t>(i)];
        double *r = wd + 3;
        r[0] = g.centreX[f] - g.cellX[c];
        r[1] = g.centreY[f] - g.cellY[c];
        r[2] = g.centreZ[f] - g.cellZ[c];
        double d[3];
        const Index o = across_[i];
        if (o >= 0) {
            d[0] = g.cellX[o] - g.cellX[c];
            d[1] = g.cellY[o] - g.cellY[c];
            d[2] = g.cellZ[o] - g.cellZ[c];
        } else {
            const double n[3] = {g.normalX[f], g.normalY[f], g.normalZ[f]};
            mirroredOffset(r, n, d);
        }
        m.add(d, wd);
    }
    // M^-1 applied to every w_k d_k.
    double inv[3][3];
    m.inverse(inv);
    for (Index i = begin; i < end; ++i) {
        double *wd = &data_[6 * static_cast<std::size_t>(i)];
        const double x = wd[0], y = wd[1], z = wd[2];
        for (int a = 0; a < 3; ++a)
            wd[a] = inv[a][0] * x + inv[a][1] * y + inv[a][2] * z;
    }
}

void LeastSquaresGradient::setStretching(const Mesh &mesh, const Geometry &reference, const AxialStretch &stretch)
{
    lambda_ = 1;
    for (Index c = 0; c < mesh.cellCount(); ++c) {
        stretched_[c] = stretch.affineStencil(c);
        if (!stretched_[c])
            continue;
        for (Index i = mesh.cellFaceStart[c]; i < mesh.cellFaceStart[c + 1]; ++i) {
            const Index e = mesh.cellFaces[i], f = e >= 0 ? e : ~e, o = across_[i];
            double *d = &data_[6 * static_cast<std::size_t>(i)];
            d[0] = o >= 0 ? reference.cellX[o] - reference.cellX[c] : 0.0;
            d[1] = o >= 0 ? reference.cellY[o] - reference.cellY[c] : 0.0;
            d[2] = o >= 0 ? reference.cellZ[o] - reference.cellZ[c] : 0.0;
            d[3] = reference.centreX[f] - reference.cellX[c];
            d[4] = reference.centreY[f] - reference.cellY[c];
            d[5] = reference.centreZ[f] - reference.cellZ[c];
        }
    }
}

} // namespace euler::fv
