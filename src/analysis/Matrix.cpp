#include "analysis/Matrix.h"

#include <stdexcept>

namespace dilato {

std::string GetMatrixInverse(Matrix& m) {
    try {
        if (m.size() == 0) return kNotAnArrayText;
        if (m.rows() != m.cols()) throw std::invalid_argument("Matrix is not square");
        if (m.determinant() == 0.0) return kSingularMatrixText;
        const Matrix inverse = m.inverse();
        m = inverse;
        return {};
    } catch (const std::exception& e) {
        return std::string("Error in GetMatrixInverse: ") + e.what();
    }
}

std::string GetMatrixProduct(const Matrix& a, const Matrix& b, Matrix& c) {
    try {
        c = Matrix::Zero(a.rows(), b.cols());
        // The product of mismatched shapes is undefined; report it and keep c zero.
        if (a.cols() != b.rows()) return kIncompatibleShapesText;
        c.noalias() = a * b;
        return {};
    } catch (const std::exception& e) {
        return std::string("Error in GetMatrixProduct: ") + e.what();
    }
}

} // namespace dilato
