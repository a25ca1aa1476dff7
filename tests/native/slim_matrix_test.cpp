// Matrix library: construction, products, rotation senses, inverse,
// orthonormalisation and the dominant-value filter, checked against
// hand-worked values and against each other (in place = out of place,
// M^-1 * M = I).
#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "slim/gyx_slim.h"

namespace {

using Mat = std::array<float, 16>;
using Vec = std::array<float, 3>;

const double kPi = 3.14159265358979323846;

Mat Identity() {
  Mat m;
  GYX_MakeIdentityMatrix(m.data());
  return m;
}

Mat XRot(float a) {
  Mat m;
  GYX_MakeXRotMatrix(m.data(), a);
  return m;
}

Mat YRot(float a) {
  Mat m;
  GYX_MakeYRotMatrix(m.data(), a);
  return m;
}

Mat Translation(float x, float y, float z) {
  Mat m;
  const float v[3] = {x, y, z};
  GYX_MakeTranslationMatrix(m.data(), v);
  return m;
}

Mat Mult(const Mat &a, const Mat &b) {
  Mat r;
  GYX_Mult44x44(r.data(), a.data(), b.data());
  return r;
}

// A rotation with every element non-zero, a translation and, optionally, a
// projection column, so that no element of a product is trivially right.
Mat Sample(bool projective = false) {
  Mat m = Mult(Mult(XRot(0.3f), YRot(-1.1f)), Translation(5.0f, -7.0f, 11.0f));
  if (projective) {
    m[3] = 0.25f;
    m[7] = -0.5f;
    m[11] = 0.75f;
    m[15] = 2.0f;
  }
  return m;
}

void ExpectMatNear(const Mat &want, const Mat &got, double tol, const std::string &what) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(want[i], got[i], tol) << what << " element " << i;
}

void ExpectVecNear(const Vec &want, const Vec &got, double tol, const std::string &what) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(want[i], got[i], tol) << what << " component " << i;
}

TEST(SlimConstruction, BuildersFillTheDocumentedElements) {
  Mat s;
  GYX_MakeScaleMatrix(s.data(), 2.0f, 3.0f, 4.0f);
  Mat want = Identity();
  want[0] = 2.0f;
  want[5] = 3.0f;
  want[10] = 4.0f;
  EXPECT_EQ(want, s);

  Mat t = Translation(1.0f, 2.0f, 3.0f);
  want = Identity();
  want[12] = 1.0f;
  want[13] = 2.0f;
  want[14] = 3.0f;
  EXPECT_EQ(want, t);

  // Set/get translation touch row 3 only; get-rotation clears everything else.
  Mat m = Sample(true);
  const Mat before = m;
  const float v[3] = {-1.0f, -2.0f, -3.0f};
  GYX_SetMatrixTranslation(m.data(), v);
  for (int i = 0; i < 16; ++i) {
    if (i >= 12 && i <= 14)
      EXPECT_EQ(v[i - 12], m[i]);
    else
      EXPECT_EQ(before[i], m[i]) << i;
  }
  Vec got;
  GYX_GetTranslationVector(got.data(), m.data());
  EXPECT_EQ((Vec{-1.0f, -2.0f, -3.0f}), got);
  Mat tm;
  GYX_GetTranslationMatrix(tm.data(), m.data());
  EXPECT_EQ(Translation(-1.0f, -2.0f, -3.0f), tm);
  Mat r;
  GYX_GetRotationMatrix(r.data(), m.data());
  for (int i = 0; i < 16; ++i) {
    const bool rotationPart = (i % 4 < 3) && (i / 4 < 3);
    EXPECT_EQ(rotationPart ? m[i] : (i == 15 ? 1.0f : 0.0f), r[i]) << i;
  }

  Mat c;
  GYX_CopyMatrix(c.data(), m.data());
  EXPECT_EQ(m, c);
}

TEST(SlimProducts, MatchHandWorkedValues) {
  Mat a, b;
  for (int i = 0; i < 16; ++i) {
    a[i] = static_cast<float>(i + 1);
    b[i] = static_cast<float>((i * 7) % 5 - 2);
  }
  const Mat p = Mult(a, b);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float want = 0.0f;
      for (int k = 0; k < 4; ++k) want += a[r * 4 + k] * b[k * 4 + c];
      EXPECT_EQ(want, p[r * 4 + c]) << r << "," << c;
    }

  // A applies first: translate, then turn by 90 degrees about x.
  const Mat tr = Mult(Translation(0.0f, 1.0f, 0.0f), XRot(static_cast<float>(kPi / 2)));
  Vec out;
  const float origin[3] = {0.0f, 0.0f, 0.0f};
  GYX_Mult14x44(out.data(), origin, tr.data());
  ExpectVecNear({0.0f, 0.0f, 1.0f}, out, 1e-6, "translate then turn");

  const Mat m = Sample(true);
  const float v[3] = {2.0f, -3.0f, 4.0f};
  double full[4];
  for (int c = 0; c < 4; ++c) full[c] = v[0] * m[c] + v[1] * m[4 + c] + v[2] * m[8 + c] + m[12 + c];
  GYX_Mult14x44(out.data(), v, m.data());
  ExpectVecNear({float(full[0]), float(full[1]), float(full[2])}, out, 1e-5, "Mult14x44");
  GYX_MultFull14x44(out.data(), v, m.data());
  ExpectVecNear({float(full[0] / full[3]), float(full[1] / full[3]), float(full[2] / full[3])}, out, 1e-5,
                "MultFull14x44");
  GYX_Mult13x33(out.data(), v, m.data());
  ExpectVecNear({float(full[0] - m[12]), float(full[1] - m[13]), float(full[2] - m[14])}, out, 1e-5,
                "Mult13x33 ignores the translation");

  const float x[3] = {1.0f, 0.0f, 0.0f}, y[3] = {0.0f, 1.0f, 0.0f};
  GYX_CrossProduct(out.data(), x, y);
  EXPECT_EQ((Vec{0.0f, 0.0f, 1.0f}), out);
  const float a3[3] = {1.0f, 2.0f, 3.0f}, b3[3] = {-4.0f, 5.0f, 0.5f};
  GYX_CrossProduct(out.data(), a3, b3);
  EXPECT_EQ((Vec{2.0f * 0.5f - 3.0f * 5.0f, 3.0f * -4.0f - 1.0f * 0.5f, 1.0f * 5.0f - 2.0f * -4.0f}), out);
}

TEST(SlimProducts, ScaleMatrixScalesColumnsOfEveryRowButNotColumnThree) {
  const Mat m = Sample(true);
  Mat s;
  GYX_ScaleMatrix(s.data(), m.data(), 3.0f);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(i % 4 == 3 ? m[i] : m[i] * 3.0f, s[i]) << i;
}

// Every operation that writes must accept its output as one of its inputs.
struct AliasCase {
  const char *name;
  // Runs the operation twice: into separate storage and in place, on copies
  // of the same inputs; returns both outputs (first 16 or 3 floats used).
  std::function<void(Mat &separate, Mat &inPlace)> run;
  int size;
};

TEST(SlimAliasing, InPlaceEqualsSeparateOutput) {
  const Mat A = Sample(), B = Mult(YRot(0.7f), Translation(-2.0f, 3.0f, 1.0f)), P = Sample(true);
  const Mat V = {1.5f, -2.5f, 3.5f, 1.0f};  // a point in the first four floats
  const Mat W = {-0.5f, 4.0f, 2.0f, 1.0f};
  const AliasCase cases[] = {
      {"Mult44x44 out=a",
       [&](Mat &sep, Mat &in) {
         GYX_Mult44x44(sep.data(), A.data(), B.data());
         in = A;
         GYX_Mult44x44(in.data(), in.data(), B.data());
       },
       16},
      {"Mult44x44 out=b",
       [&](Mat &sep, Mat &in) {
         GYX_Mult44x44(sep.data(), A.data(), B.data());
         in = B;
         GYX_Mult44x44(in.data(), A.data(), in.data());
       },
       16},
      {"Mult44x44 out=a=b",
       [&](Mat &sep, Mat &in) {
         GYX_Mult44x44(sep.data(), A.data(), A.data());
         in = A;
         GYX_Mult44x44(in.data(), in.data(), in.data());
       },
       16},
      {"InvertMatrix",
       [&](Mat &sep, Mat &in) {
         GYX_InvertMatrix(sep.data(), A.data());
         in = A;
         GYX_InvertMatrix(in.data(), in.data());
       },
       16},
      {"ScaleMatrix",
       [&](Mat &sep, Mat &in) {
         GYX_ScaleMatrix(sep.data(), P.data(), 0.5f);
         in = P;
         GYX_ScaleMatrix(in.data(), in.data(), 0.5f);
       },
       16},
      {"GetRotationMatrix",
       [&](Mat &sep, Mat &in) {
         GYX_GetRotationMatrix(sep.data(), P.data());
         in = P;
         GYX_GetRotationMatrix(in.data(), in.data());
       },
       16},
      {"GetTranslationMatrix",
       [&](Mat &sep, Mat &in) {
         GYX_GetTranslationMatrix(sep.data(), P.data());
         in = P;
         GYX_GetTranslationMatrix(in.data(), in.data());
       },
       16},
      {"MakeTranslationMatrix from its own row 3",
       [&](Mat &sep, Mat &in) {
         GYX_MakeTranslationMatrix(sep.data(), &P[12]);
         in = P;
         GYX_MakeTranslationMatrix(in.data(), &in[12]);
       },
       16},
      {"Mult14x44",
       [&](Mat &sep, Mat &in) {
         GYX_Mult14x44(sep.data(), V.data(), A.data());
         in = V;
         GYX_Mult14x44(in.data(), in.data(), A.data());
       },
       3},
      {"MultFull14x44",
       [&](Mat &sep, Mat &in) {
         GYX_MultFull14x44(sep.data(), V.data(), P.data());
         in = V;
         GYX_MultFull14x44(in.data(), in.data(), P.data());
       },
       3},
      {"Mult13x33",
       [&](Mat &sep, Mat &in) {
         GYX_Mult13x33(sep.data(), V.data(), A.data());
         in = V;
         GYX_Mult13x33(in.data(), in.data(), A.data());
       },
       3},
      {"CrossProduct out=a",
       [&](Mat &sep, Mat &in) {
         GYX_CrossProduct(sep.data(), V.data(), W.data());
         in = V;
         GYX_CrossProduct(in.data(), in.data(), W.data());
       },
       3},
      {"CrossProduct out=b",
       [&](Mat &sep, Mat &in) {
         GYX_CrossProduct(sep.data(), V.data(), W.data());
         in = W;
         GYX_CrossProduct(in.data(), V.data(), in.data());
       },
       3},
      {"ArbitraryAxisToMatrix axis inside the output",
       [&](Mat &sep, Mat &in) {
         GYX_ArbitraryAxisToMatrix(sep.data(), &W[0], 0.3f);
         in = W;
         GYX_ArbitraryAxisToMatrix(in.data(), in.data(), 0.3f);
       },
       16},
  };
  for (const AliasCase &c : cases) {
    Mat sep{}, in{};
    c.run(sep, in);
    for (int i = 0; i < c.size; ++i) EXPECT_EQ(sep[i], in[i]) << c.name << " element " << i;
  }
}

struct SenseCase {
  const char *name;
  Mat m;
  Vec in, want;
};

TEST(SlimRotation, SensesForRowVectors) {
  const float q = static_cast<float>(kPi / 2);
  Mat arbX, arbY, arbLong;
  const float ax[3] = {1.0f, 0.0f, 0.0f}, ay[3] = {0.0f, 1.0f, 0.0f}, az2[3] = {0.0f, 0.0f, 2.0f};
  GYX_ArbitraryAxisToMatrix(arbX.data(), ax, q);
  GYX_ArbitraryAxisToMatrix(arbY.data(), ay, q);
  GYX_ArbitraryAxisToMatrix(arbLong.data(), az2, q / 2);  // |axis| * scale = 90 degrees
  const SenseCase cases[] = {
      {"XRot +90: y to z", XRot(q), {0, 1, 0}, {0, 0, 1}},
      {"XRot +90: z to -y", XRot(q), {0, 0, 1}, {0, -1, 0}},
      {"YRot +90: z to x", YRot(q), {0, 0, 1}, {1, 0, 0}},
      {"YRot +90: x to -z", YRot(q), {1, 0, 0}, {0, 0, -1}},
      {"axis x +90 turns the other way: y to -z", arbX, {0, 1, 0}, {0, 0, -1}},
      {"axis y +90 turns the other way: z to -x", arbY, {0, 0, 1}, {-1, 0, 0}},
      {"axis 2z at 45 per unit: x to -y", arbLong, {1, 0, 0}, {0, -1, 0}},
  };
  for (const SenseCase &c : cases) {
    Vec out;
    GYX_Mult14x44(out.data(), c.in.data(), c.m.data());
    ExpectVecNear(c.want, out, 1e-6, c.name);
  }
}

TEST(SlimRotation, ArbitraryAxisMatchesAxisRotationsOfTheOppositeAngle) {
  struct {
    Vec axis;
    float scale;
    Mat want;
  } cases[] = {
      {{1, 0, 0}, 1.0f, XRot(-1.0f)},
      {{0, 1, 0}, 1.0f, YRot(-1.0f)},
      {{3, 0, 0}, -0.25f, XRot(0.75f)},  // length folds into the angle
      {{0, -2, 0}, 0.5f, YRot(1.0f)},    // a reversed axis reverses the turn
  };
  for (const auto &c : cases) {
    Mat m;
    GYX_ArbitraryAxisToMatrix(m.data(), c.axis.data(), c.scale);
    ExpectMatNear(c.want, m, 1e-6, "arbitrary axis");
  }
}

TEST(SlimRotation, ShortOrUndefinedAxisGivesIdentity) {
  const Vec axes[] = {{0, 0, 0}, {0.00005f, 0.00005f, 0}, {NAN, 1, 0}};
  for (const Vec &axis : axes) {
    Mat m = Sample(true);  // every element must be overwritten
    GYX_ArbitraryAxisToMatrix(m.data(), axis.data(), 1000.0f);
    EXPECT_EQ(Identity(), m) << axis[0] << "," << axis[1];
  }
}

TEST(SlimInverse, InverseTimesMatrixIsIdentity) {
  const Mat cases[] = {
      Translation(100.0f, -200.0f, 3330.0f),
      Mult(XRot(0.4f), Translation(1.0f, 2.0f, 3.0f)),
      Mult(Mult(YRot(2.5f), XRot(-1.2f)), Translation(-500.0f, 20.0f, -3330.0f)),
      Mult(Translation(7.0f, 8.0f, 9.0f), Mult(XRot(3.0f), YRot(0.1f))),
  };
  for (const Mat &m : cases) {
    Mat inv;
    GYX_InvertMatrix(inv.data(), m.data());
    // Float precision: a few units in the last place of the 3x3 part, and of
    // the largest translation for row 3.
    const double far = std::fmax(std::fabs(m[12]), std::fmax(std::fabs(m[13]), std::fabs(m[14])));
    const double tolT = 4 * FLT_EPSILON * (1.0 + far);
    const Mat im = Mult(inv, m), mi = Mult(m, inv), id = Identity();
    for (int i = 0; i < 16; ++i) {
      const double tol = (i >= 12 && i <= 14) ? tolT : 4 * FLT_EPSILON;
      EXPECT_NEAR(id[i], im[i], tol) << "inverse * m element " << i;
      EXPECT_NEAR(id[i], mi[i], tol) << "m * inverse element " << i;
    }
    EXPECT_EQ(0.0f, inv[3]);
    EXPECT_EQ(0.0f, inv[7]);
    EXPECT_EQ(0.0f, inv[11]);
    EXPECT_EQ(1.0f, inv[15]);
  }
}

TEST(SlimMeasures, DeterminantAndScale) {
  Mat s;
  GYX_MakeScaleMatrix(s.data(), 2.0f, 3.0f, 4.0f);
  EXPECT_DOUBLE_EQ(24.0, GYX_MatrixDeterminant(s.data()));
  EXPECT_DOUBLE_EQ(3.0, GYX_GetMatrixScale(s.data()));
  EXPECT_NEAR(1.0, GYX_MatrixDeterminant(Sample(true).data()), 1e-6);  // row 3, column 3 ignored
  Mat r = Sample();
  GYX_ScaleMatrix(r.data(), r.data(), 2.5f);
  EXPECT_NEAR(2.5, GYX_GetMatrixScale(r.data()), 1e-6);
  EXPECT_NEAR(2.5 * 2.5 * 2.5, GYX_MatrixDeterminant(r.data()), 1e-5);
  Mat swapped = Identity();
  swapped[0] = 0.0f;
  swapped[1] = 1.0f;
  swapped[4] = 1.0f;
  swapped[5] = 0.0f;
  EXPECT_DOUBLE_EQ(-1.0, GYX_MatrixDeterminant(swapped.data()));
}

TEST(SlimOrthoNorm, RotationWithinToleranceIsLeftBitForBit) {
  Mat m = Sample(true);
  ASSERT_LE(std::fabs(GYX_MatrixDeterminant(m.data()) - 1.0), 1e-6);
  const Mat before = m;
  EXPECT_EQ(0, GYX_OrthoNormMatrix(m.data()));
  EXPECT_EQ(before, m);
}

TEST(SlimOrthoNorm, RepairsScaleShearAndReflection) {
  const Mat rotation = Sample();
  struct {
    const char *name;
    Mat m;
    Mat want;  // expected 3x3 part (row 3 and column 3 must stay as given)
  } cases[] = {
      {"uniform scale 2 is stripped", {}, rotation},
      {"small shear is removed", {}, {}},
      {"reflection gets a proper x row", {}, {}},
  };
  GYX_ScaleMatrix(cases[0].m.data(), rotation.data(), 2.0f);
  cases[0].m[3] = 0.125f;  // column 3 is not touched either

  cases[1].m = rotation;
  cases[1].m[4] += 0.01f;  // row 1 leans towards x: Gram-Schmidt from row 2
  cases[1].want = rotation;
  {
    // Expected: z kept, y = row1 minus its z part, normalised; x = y cross z.
    double z[3] = {rotation[8], rotation[9], rotation[10]};
    double y[3] = {cases[1].m[4], cases[1].m[5], cases[1].m[6]};
    double d = y[0] * z[0] + y[1] * z[1] + y[2] * z[2];
    for (int i = 0; i < 3; ++i) y[i] -= d * z[i];
    double n = std::sqrt(y[0] * y[0] + y[1] * y[1] + y[2] * y[2]);
    for (int i = 0; i < 3; ++i) cases[1].want[4 + i] = float(y[i] / n);
    cases[1].want[0] = float(y[1] / n * z[2] - y[2] / n * z[1]);
    cases[1].want[1] = float(y[2] / n * z[0] - y[0] / n * z[2]);
    cases[1].want[2] = float(y[0] / n * z[1] - y[1] / n * z[0]);
  }

  cases[2].m = rotation;
  for (int i = 0; i < 3; ++i) cases[2].m[i] = -rotation[i];
  cases[2].want = rotation;

  for (auto &c : cases) {
    Mat m = c.m;
    EXPECT_EQ(0, GYX_OrthoNormMatrix(m.data())) << c.name;
    EXPECT_NEAR(1.0, GYX_MatrixDeterminant(m.data()), 1e-6) << c.name;
    for (int r = 0; r < 3; ++r)
      for (int col = 0; col < 3; ++col)
        EXPECT_NEAR(c.want[r * 4 + col], m[r * 4 + col], 2e-6) << c.name << " " << r << "," << col;
    for (int i : {3, 7, 11, 12, 13, 14, 15}) EXPECT_EQ(c.m[i], m[i]) << c.name << " element " << i;
  }
}

TEST(SlimOrthoNorm, HopelessMatrixBecomesIdentityWithTwoLines) {
  Mat zeroRow = Sample();
  zeroRow[8] = zeroRow[9] = zeroRow[10] = 0.0f;
  Mat notANumber = Sample();
  notANumber[5] = NAN;
  Mat infinite = Sample();
  infinite[9] = INFINITY;  // row 2 is the one every pass starts from
  for (Mat *m : {&zeroRow, &notANumber, &infinite}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(-1, GYX_OrthoNormMatrix(m->data()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, err.find("GYX_OrthoNormMatrix: did not work, det=")) << err;
    EXPECT_NE(std::string::npos, err.find("\n                     Setting matrix to Identity\n")) << err;
    EXPECT_EQ(Identity(), *m);  // the translation goes too
  }
}

struct FilterCase {
  const char *name;
  std::vector<float> in, want;
};

TEST(SlimHighValueFilter, KeepsOnlyTheFirstLargestMagnitude) {
  const FilterCase cases[] = {
      {"first of equal magnitudes wins", {100, -300, 50, 0, 0, 300}, {0, -300, 0, 0, 0, 0}},
      {"largest is last", {1, 2, 3, -4}, {0, 0, 0, -4}},
      {"largest is first", {-9, 2, 3, 8.999f}, {-9, 0, 0, 0}},
      {"rotation only", {0, 0, 0, 5, -7, 6}, {0, 0, 0, 0, -7, 0}},
      {"all zero", {0, 0, 0}, {0, 0, 0}},
      {"all equal", {2, -2, 2}, {2, 0, 0}},
      {"one value is left alone", {-3}, {-3}},
  };
  for (const FilterCase &c : cases) {
    std::vector<float> v = c.in;
    GYX_HighValueFilter(v.data(), static_cast<int>(v.size()));
    EXPECT_EQ(c.want, v) << c.name;
  }
  float untouched[2] = {1.0f, 5.0f};
  GYX_HighValueFilter(untouched, 0);
  EXPECT_EQ(1.0f, untouched[0]);
  EXPECT_EQ(5.0f, untouched[1]);
}

}  // namespace
