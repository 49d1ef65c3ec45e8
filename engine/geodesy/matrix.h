// A small dense matrix of doubles for the least-squares normal equations.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace dezadiravevava {

// Every operation that yields a matrix returns a new one, or nothing when the
// operands do not fit, the matrix is singular or memory runs out. Nothing throws.
class Matrix {
public:
    Matrix() = default;
    // rows x cols zeros; an empty matrix when either count is not positive or
    // the storage cannot be had.
    Matrix(std::int32_t rows, std::int32_t cols);

    std::int32_t rows() const { return rows_; }
    std::int32_t cols() const { return cols_; }
    bool empty() const { return rows_ == 0; }

    // Element (i, j), or nullptr outside the matrix.
    double* At(std::int32_t i, std::int32_t j);
    const double* At(std::int32_t i, std::int32_t j) const;
    // Unchecked access for loops that stay inside the bounds.
    double& operator()(std::int32_t i, std::int32_t j) { return data_[Index(i)][Index(j)]; }
    double operator()(std::int32_t i, std::int32_t j) const { return data_[Index(i)][Index(j)]; }

    // Releases the storage; the matrix becomes empty.
    void Destroy();
    // Zeros everywhere, ones on the diagonal (non-square matrices too).
    void SetIdentity();
    // Exchanges two rows; nothing when i == j or either is outside the matrix.
    void SwapRows(std::int32_t i, std::int32_t j);
    // Divides row i by value and returns cols; 0 and no change outside the matrix.
    std::int32_t DivideRow(double value, std::int32_t i);

    std::optional<Matrix> Copy() const;
    std::optional<Matrix> Subtract(const Matrix& b) const;
    std::optional<Matrix> Multiply(const Matrix& b) const;
    std::optional<Matrix> Transpose() const;
    // Gauss-Jordan inverse with partial pivoting; nothing for a non-square or
    // singular matrix.
    std::optional<Matrix> Inverse() const;

private:
    static std::size_t Index(std::int32_t i) { return static_cast<std::size_t>(i); }
    bool Inside(std::int32_t i, std::int32_t j) const {
        return i >= 0 && i < rows_ && j >= 0 && j < cols_;
    }

    std::int32_t rows_ = 0;
    std::int32_t cols_ = 0;
    std::vector<std::vector<double>> data_; // one separately held vector per row
};

} // namespace dezadiravevava
