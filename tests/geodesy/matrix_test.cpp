#include "geodesy/matrix.h"

#include <gtest/gtest.h>

namespace dezadiravevava {
namespace {

Matrix Make(std::initializer_list<std::initializer_list<double>> rows) {
    Matrix m(static_cast<std::int32_t>(rows.size()),
             static_cast<std::int32_t>(rows.begin()->size()));
    std::int32_t i = 0;
    for (const auto& row : rows) {
        std::int32_t j = 0;
        for (const double v : row) {
            m(i, j++) = v;
        }
        ++i;
    }
    return m;
}

void ExpectEqual(const Matrix& m, std::initializer_list<std::initializer_list<double>> rows) {
    ASSERT_EQ(m.rows(), static_cast<std::int32_t>(rows.size()));
    std::int32_t i = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(m.cols(), static_cast<std::int32_t>(row.size()));
        std::int32_t j = 0;
        for (const double v : row) {
            EXPECT_DOUBLE_EQ(m(i, j), v) << i << "," << j;
            ++j;
        }
        ++i;
    }
}

TEST(Matrix, CreationAndBounds) {
    EXPECT_TRUE(Matrix(0, 5).empty());
    EXPECT_TRUE(Matrix(3, -1).empty());
    Matrix m(2, 3);
    EXPECT_EQ(m.rows(), 2);
    EXPECT_EQ(*m.At(1, 2), 0.0);
    EXPECT_EQ(m.At(2, 0), nullptr);
    EXPECT_EQ(m.At(0, -1), nullptr);
    EXPECT_EQ(m.DivideRow(2.0, 2), 0);
    m.SetIdentity();
    ExpectEqual(m, {{1, 0, 0}, {0, 1, 0}});
    m.Destroy();
    EXPECT_TRUE(m.empty());
}

TEST(Matrix, SwapAndDivideRows) {
    Matrix m = Make({{1, 2}, {3, 4}});
    m.SwapRows(0, 1);
    ExpectEqual(m, {{3, 4}, {1, 2}});
    m.SwapRows(0, 2); // outside: nothing
    m.SwapRows(-1, 0);
    ExpectEqual(m, {{3, 4}, {1, 2}});
    EXPECT_EQ(m.DivideRow(2.0, 1), 2);
    ExpectEqual(m, {{3, 4}, {0.5, 1}});
}

TEST(Matrix, ProductsNeedMatchingSizes) {
    const Matrix a = Make({{1, 2}, {3, 4}, {5, 6}});
    EXPECT_FALSE(a.Multiply(Make({{1, 2}, {3, 4}, {5, 6}})).has_value());
    const auto p = a.Multiply(Make({{1, 0, 0, 1}, {0, 1, 1, 0}}));
    ASSERT_TRUE(p.has_value());
    ExpectEqual(*p, {{1, 2, 2, 1}, {3, 4, 4, 3}, {5, 6, 6, 5}});
    EXPECT_FALSE(a.Subtract(Make({{1, 2}})).has_value());
    ExpectEqual(*a.Subtract(a), {{0, 0}, {0, 0}, {0, 0}});
    ExpectEqual(*a.Transpose(), {{1, 3, 5}, {2, 4, 6}});
}

TEST(Matrix, InverseOfSimpleMatrices) {
    ExpectEqual(*Make({{2, 0}, {0, 4}}).Inverse(), {{0.5, 0}, {0, 0.25}});
    // The second row is the larger pivot candidate for column 0.
    ExpectEqual(*Make({{0, 1}, {1, 0}}).Inverse(), {{0, 1}, {1, 0}});
    const Matrix n = Make({{4, 2, 1}, {2, 5, 3}, {1, 3, 6}});
    const auto product = n.Multiply(*n.Inverse());
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR((*product)(i, j), i == j ? 1.0 : 0.0, 1e-15);
        }
    }
}

TEST(Matrix, InverseRejectsNonSquareAndSingular) {
    EXPECT_FALSE(Make({{1, 2, 3}, {4, 5, 6}}).Inverse().has_value());
    EXPECT_FALSE(Make({{1, 2}, {2, 4}}).Inverse().has_value());
    EXPECT_FALSE(Matrix().Inverse().has_value());
}

TEST(Matrix, PivotIsTheLargestMagnitude) {
    // A zero diagonal with only negative candidates below: a pivot chosen by
    // signed value would be the zero, and this invertible matrix would be
    // called singular.
    ExpectEqual(*Make({{0, 1}, {-2, 0}}).Inverse(), {{0, -0.5}, {1, 0}});
    const Matrix m = Make({{-1, 1, 0}, {-4, 2, 1}, {-3, 0, 5}});
    const auto inverse = m.Inverse();
    ASSERT_TRUE(inverse.has_value());
    const auto product = m.Multiply(*inverse);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_NEAR((*product)(i, j), i == j ? 1.0 : 0.0, 1e-15);
        }
    }
}

} // namespace
} // namespace dezadiravevava
