#include "geodesy/matrix.h"

#include <cmath>
#include <new>
#include <utility>

namespace dezadiravevava {

Matrix::Matrix(std::int32_t rows, std::int32_t cols) {
    if (rows <= 0 || cols <= 0) {
        return;
    }
    try {
        data_.assign(Index(rows), std::vector<double>(Index(cols), 0.0));
        rows_ = rows;
        cols_ = cols;
    } catch (const std::bad_alloc&) {
        data_.clear();
    }
}

double* Matrix::At(std::int32_t i, std::int32_t j) {
    return Inside(i, j) ? &data_[Index(i)][Index(j)] : nullptr;
}

const double* Matrix::At(std::int32_t i, std::int32_t j) const {
    return Inside(i, j) ? &data_[Index(i)][Index(j)] : nullptr;
}

void Matrix::Destroy() {
    data_.clear();
    data_.shrink_to_fit();
    rows_ = cols_ = 0;
}

void Matrix::SetIdentity() {
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (std::int32_t j = 0; j < cols_; ++j) {
            (*this)(i, j) = i == j ? 1.0 : 0.0;
        }
    }
}

void Matrix::SwapRows(std::int32_t i, std::int32_t j) {
    if (i == j || i < 0 || i >= rows_ || j < 0 || j >= rows_) {
        return;
    }
    std::swap(data_[Index(i)], data_[Index(j)]); // exchanges the row storage, O(1)
}

std::int32_t Matrix::DivideRow(double value, std::int32_t i) {
    if (i < 0 || i >= rows_) {
        return 0;
    }
    for (double& element : data_[Index(i)]) {
        element /= value;
    }
    return cols_;
}

std::optional<Matrix> Matrix::Copy() const {
    Matrix out(rows_, cols_);
    if (out.rows_ != rows_) {
        return std::nullopt;
    }
    out.data_ = data_;
    return out;
}

std::optional<Matrix> Matrix::Subtract(const Matrix& b) const {
    if (rows_ != b.rows_ || cols_ != b.cols_ || empty()) {
        return std::nullopt;
    }
    Matrix out(rows_, cols_);
    if (out.empty()) {
        return std::nullopt;
    }
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (std::int32_t j = 0; j < cols_; ++j) {
            out(i, j) = (*this)(i, j) - b(i, j);
        }
    }
    return out;
}

std::optional<Matrix> Matrix::Multiply(const Matrix& b) const {
    if (cols_ != b.rows_ || empty() || b.empty()) {
        return std::nullopt;
    }
    Matrix out(rows_, b.cols_);
    if (out.empty()) {
        return std::nullopt;
    }
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (std::int32_t j = 0; j < b.cols_; ++j) {
            long double sum = 0.0L; // accumulate in extended precision
            for (std::int32_t k = 0; k < cols_; ++k) {
                sum += static_cast<long double>((*this)(i, k)) * b(k, j);
            }
            out(i, j) = static_cast<double>(sum);
        }
    }
    return out;
}

std::optional<Matrix> Matrix::Transpose() const {
    if (empty()) {
        return std::nullopt;
    }
    Matrix out(cols_, rows_);
    if (out.empty()) {
        return std::nullopt;
    }
    for (std::int32_t i = 0; i < rows_; ++i) {
        for (std::int32_t j = 0; j < cols_; ++j) {
            out(j, i) = (*this)(i, j);
        }
    }
    return out;
}

// Gauss-Jordan elimination on a working copy Q with the identity as right-hand
// side, with partial pivoting: the pivot of column i is the value of largest
// magnitude on or below the diagonal; ties keep the earlier row. A pivot of
// exactly zero means the matrix is singular.
//
// Choosing the largest signed value instead, as the original routine did, picks
// a zero pivot whenever a column's other candidates are negative, and so calls
// invertible matrices singular: normal equations of the local estimations,
// whose blocks hold exact zeros, failed that way for one affine fit in ten.
std::optional<Matrix> Matrix::Inverse() const {
    if (rows_ != cols_ || empty()) {
        return std::nullopt;
    }
    const std::int32_t n = rows_;
    Matrix result(n, n);
    std::optional<Matrix> work = Copy();
    if (result.empty() || !work) {
        return std::nullopt;
    }
    Matrix& q = *work;
    result.SetIdentity();

    for (std::int32_t i = 0; i < n; ++i) {
        std::int32_t pivot_row = i;
        double pivot = q(i, i);
        for (std::int32_t j = i + 1; j < n; ++j) {
            if (std::fabs(q(j, i)) > std::fabs(pivot)) {
                pivot = q(j, i);
                pivot_row = j;
            }
        }
        if (pivot == 0.0) {
            return std::nullopt;
        }
        result.DivideRow(pivot, pivot_row);
        q.DivideRow(pivot, pivot_row);
        result.SwapRows(pivot_row, i);
        q.SwapRows(pivot_row, i);
        for (std::int32_t j = 0; j < n; ++j) {
            if (j == i) {
                continue;
            }
            const double c = q(j, i);
            for (std::int32_t k = 0; k < n; ++k) {
                q(j, k) -= c * q(i, k);
                result(j, k) -= c * result(i, k);
            }
        }
    }
    return result;
}

} // namespace dezadiravevava
