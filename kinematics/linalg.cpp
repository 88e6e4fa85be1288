#include "kinematics/linalg.h"

#include <algorithm>
#include <utility>

namespace arx::kin {

namespace {

constexpr int kSize = 4;
// Relative pivot size below which elimination would divide by (nearly) zero.
constexpr float kSingularPivotRatio = 1e-6f;

void swap_rows(float a[4][4], int r1, int r2) {
    for (int j = 0; j < kSize; ++j) std::swap(a[r1][j], a[r2][j]);
}

void swap_columns(float a[4][4], int c1, int c2) {
    for (int i = 0; i < kSize; ++i) std::swap(a[i][c1], a[i][c2]);
}

}  // namespace

Transform Transform::from(const Matrix& matrix) {
    Transform t{};
    for (int i = 0; i < kSize; ++i)
        for (int j = 0; j < kSize; ++j) t.m[i][j] = matrix.data[i][j];
    return t;
}

bool Transform::operator==(const Transform& other) const {
    for (int i = 0; i < kSize; ++i)
        for (int j = 0; j < kSize; ++j)
            if (m[i][j] != other.m[i][j]) return false;
    return true;
}

Matrix Transform::to_matrix() const {
    Matrix out{};
    out.irow = kSize;
    out.iline = kSize;
    for (int i = 0; i < kSize; ++i)
        for (int j = 0; j < kSize; ++j) out.data[i][j] = m[i][j];
    return out;
}

Transform operator*(const Transform& a, const Transform& b) {
    Transform out{};
    for (int i = 0; i < kSize; ++i) {
        for (int j = 0; j < kSize; ++j) {
            double sum = 0.0;
            for (int k = 0; k < kSize; ++k) sum += static_cast<double>(a.m[i][k] * b.m[k][j]);
            out.m[i][j] = static_cast<float>(sum);
        }
    }
    return out;
}

bool invert(const Transform& in, Transform* out) {
    Transform t = in;
    float(&a)[4][4] = t.m;

    float largest = 0.0f;
    for (const auto& row : a)
        for (float v : row) largest = std::max(largest, std::fabs(v));
    const float smallest_pivot = largest * kSingularPivotRatio;

    int pivot_row[kSize];
    int pivot_col[kSize];
    for (int k = 0; k < kSize; ++k) {
        double pivot = 0.0;
        int r = k;
        int c = k;
        for (int i = k; i < kSize; ++i) {
            for (int j = k; j < kSize; ++j) {
                if (std::fabs(a[i][j]) > std::fabs(pivot)) {
                    pivot = a[i][j];
                    r = i;
                    c = j;
                }
            }
        }
        if (largest == 0.0f || std::fabs(pivot) <= smallest_pivot) {
            *out = Transform::zero();
            return false;
        }
        pivot_row[k] = r;
        pivot_col[k] = c;
        swap_rows(a, k, r);
        swap_columns(a, k, c);

        // Rank-one update: a' = a + b g, with row k and column k cleared first.
        double b[kSize];
        double g[kSize];
        for (int i = 0; i < kSize; ++i) {
            b[i] = i == k ? 1.0 : a[i][k];
            g[i] = i == k ? 1.0 / pivot : -a[k][i] / pivot;
        }
        for (int i = 0; i < kSize; ++i) {
            a[k][i] = 0.0f;
            a[i][k] = 0.0f;
        }
        for (int i = 0; i < kSize; ++i)
            for (int j = 0; j < kSize; ++j) a[i][j] = static_cast<float>(a[i][j] + b[i] * g[j]);
    }
    // Undo the pivot permutations: a row swap became a column swap and vice versa.
    for (int k = kSize - 1; k >= 0; --k) {
        swap_columns(a, k, pivot_row[k]);
        swap_rows(a, k, pivot_col[k]);
    }
    *out = t;
    return true;
}

Transform inverse_or_zero(const Transform& a) {
    Transform out;
    invert(a, &out);
    return out;
}

Rot3 unturn_z(const CosSin& angle, const Rot3& m) {
    const auto& r = m.r;
    const double c = angle.c, s = angle.s;
    return {{{c * r[0][0] + s * r[1][0], c * r[0][1] + s * r[1][1], c * r[0][2] + s * r[1][2]},
             {c * r[1][0] - s * r[0][0], c * r[1][1] - s * r[0][1], c * r[1][2] - s * r[0][2]},
             {r[2][0], r[2][1], r[2][2]}}};
}

Rot3 untwist_x(int alpha_deg, const Rot3& m) {
    // RotX(+90)^T maps rows (0, 1, 2) to (0, 2, -1); RotX(-90)^T to (0, -2, 1).
    if (alpha_deg == 0) return m;
    const double sign = alpha_deg > 0 ? 1.0 : -1.0;
    const auto& r = m.r;
    return {{{r[0][0], r[0][1], r[0][2]},
             {sign * r[2][0], sign * r[2][1], sign * r[2][2]},
             {-sign * r[1][0], -sign * r[1][1], -sign * r[1][2]}}};
}

Rot3 rotation_of(const Transform& t) {
    Rot3 out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out.r[i][j] = t.m[i][j];
    return out;
}

Vec3 translation_of(const Transform& t) { return {t.m[0][3], t.m[1][3], t.m[2][3]}; }

}  // namespace arx::kin
