#include "numerics/FFTs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>

#include "numerics/Errors.h"

namespace {

// No length below 2^31 has more than 19 factors (3^19 is the worst case).
constexpr int MaxFactorCount = 20;

// The radices with their own butterflies, indexed 1 .. 6; the table division runs from the top.
constexpr std::array<int, 7> RadixTable = {0, 2, 3, 4, 5, 8, 10};

// The butterfly constants are the 14-digit decimals, not the full-precision values; the
// transforms are defined with them.
constexpr double Radix3Cos = -1.5;
constexpr double Radix3Sin = 0.86602540378444;
constexpr double Radix5CosSum = -1.25;
constexpr double Radix5CosDiff = 0.55901699437495;
constexpr double Radix5Sin = -0.95105651629515;
constexpr double Radix5SinSum = -1.5388417685876;
constexpr double Radix5SinDiff = 0.36327126400268;
constexpr double Radix8Scale = 0.70710678118655;

constexpr long double TwoPi = 2 * std::numbers::pi_v<long double>;

// Capacity of OddPrimeButterfly's pair sums and differences, indexed 1 .. 510.
constexpr int PairCapacity = (cMaxPrimeFactor + 1) / 2;

using FactorList = std::array<int, MaxFactorCount + 2>;
using Block = std::array<Complex, cMaxPrimeFactor>;

// Fills fact[1 .. nFact] and returns nFact.
int Factorize(int n, FactorList& fact) {
  std::array<int, MaxFactorCount + 2> found{};
  int count = 0;
  if (n == 1) found[count++] = 1;
  int m = n;

  int i = 6;
  while (m > 1 && i > 0) {
    const int radix = RadixTable[i];
    if (m % radix == 0) {
      found[count++] = radix;
      m /= radix;
    } else {
      --i;
    }
  }

  // A trailing 2 left beside an 8 is cheaper as two radix-4 passes.
  if (count > 0 && found[count - 1] == 2) {
    for (int j = count - 2; j >= 0; --j) {
      if (found[j] == 8) {
        found[j] = 4;
        found[count - 1] = 4;
        break;
      }
    }
  }

  if (m > 1) {
    int64_t limit = static_cast<int64_t>(std::sqrt(static_cast<double>(m)));
    while (limit * limit > m) --limit;
    while ((limit + 1) * (limit + 1) <= m) ++limit;
    for (int d = 2; d <= limit; ++d) {
      while (m % d == 0) {
        found[count++] = d;
        m /= d;
      }
    }
  }
  if (m > 1) found[count++] = m;

  for (int j = 0; j < count; ++j) fact[j + 1] = found[count - 1 - j];
  return count;
}

double RoundedMul(double s, long double x) { return static_cast<double>(s * x); }

void Radix2Butterfly(Complex* z) {
  const Complex t0 = ComplexAdd(z[0], z[1]);
  const Complex t1 = ComplexSub(z[0], z[1]);
  z[0] = t0;
  z[1] = t1;
}

void Radix3Butterfly(Complex* z) {
  const Complex t1 = ComplexAdd(z[1], z[2]);
  z[0] = ComplexAdd(z[0], t1);
  const Complex m1 = ComplexScale(t1, Radix3Cos);
  const Complex m2 = MakeComplex(RoundedMul(Radix3Sin, static_cast<long double>(z[1].im) - z[2].im),
                                 RoundedMul(Radix3Sin, static_cast<long double>(z[2].re) - z[1].re));
  const Complex s1 = ComplexAdd(z[0], m1);
  z[1] = ComplexAdd(s1, m2);
  z[2] = ComplexSub(s1, m2);
}

void Radix4Butterfly(Complex* z) {
  const Complex t1 = ComplexAdd(z[0], z[2]);
  const Complex t2 = ComplexAdd(z[1], z[3]);
  const Complex t3 = ComplexSub(z[0], z[2]);
  const Complex t4 = MakeComplex(z[1].im - z[3].im, z[3].re - z[1].re);
  z[0] = ComplexAdd(t1, t2);
  z[2] = ComplexSub(t1, t2);
  z[1] = ComplexAdd(t3, t4);
  z[3] = ComplexSub(t3, t4);
}

void Radix5Butterfly(Complex* z) {
  const Complex t1 = ComplexAdd(z[1], z[4]);
  const Complex t2 = ComplexAdd(z[2], z[3]);
  const Complex t3 = ComplexSub(z[1], z[4]);
  const Complex t4 = ComplexSub(z[3], z[2]);
  const Complex t5 = ComplexAdd(t1, t2);
  z[0] = ComplexAdd(z[0], t5);
  const Complex m1 = ComplexScale(t5, Radix5CosSum);
  const Complex m2 = ComplexScale(ComplexSub(t1, t2), Radix5CosDiff);
  const Complex m3 = MakeComplex(RoundedMul(-Radix5Sin, static_cast<long double>(t3.im) + t4.im),
                                 RoundedMul(Radix5Sin, static_cast<long double>(t3.re) + t4.re));
  const Complex m4 = MakeComplex(-Radix5SinSum * t4.im, Radix5SinSum * t4.re);
  const Complex m5 = MakeComplex(-Radix5SinDiff * t3.im, Radix5SinDiff * t3.re);
  const Complex s3 = ComplexSub(m3, m4);
  const Complex s5 = ComplexAdd(m3, m5);
  const Complex s1 = ComplexAdd(z[0], m1);
  const Complex s2 = ComplexAdd(s1, m2);
  const Complex s4 = ComplexSub(s1, m2);
  z[1] = ComplexAdd(s2, s3);
  z[2] = ComplexAdd(s4, s5);
  z[3] = ComplexSub(s4, s5);
  z[4] = ComplexSub(s2, s3);
}

void Radix8Butterfly(Complex* z) {
  std::array<Complex, 4> a = {z[0], z[2], z[4], z[6]};
  std::array<Complex, 4> b = {z[1], z[3], z[5], z[7]};
  Radix4Butterfly(a.data());
  Radix4Butterfly(b.data());
  b[1] = MakeComplex(RoundedMul(Radix8Scale, static_cast<long double>(b[1].re) + b[1].im),
                     RoundedMul(Radix8Scale, static_cast<long double>(b[1].im) - b[1].re));
  b[2] = MakeComplex(b[2].im, -b[2].re);
  b[3] = MakeComplex(RoundedMul(Radix8Scale, static_cast<long double>(b[3].im) - b[3].re),
                     RoundedMul(-Radix8Scale, static_cast<long double>(b[3].re) + b[3].im));
  for (int k = 0; k < 4; ++k) {
    z[k] = ComplexAdd(a[k], b[k]);
    z[k + 4] = ComplexSub(a[k], b[k]);
  }
}

// 2 x 5 prime-factor split: the index maps make the twiddle factors between the halves vanish.
void Radix10Butterfly(Complex* z) {
  std::array<Complex, 5> a = {z[0], z[2], z[4], z[6], z[8]};
  std::array<Complex, 5> b = {z[5], z[7], z[9], z[1], z[3]};
  Radix5Butterfly(a.data());
  Radix5Butterfly(b.data());
  z[0] = ComplexAdd(a[0], b[0]);
  z[5] = ComplexSub(a[0], b[0]);
  z[6] = ComplexAdd(a[1], b[1]);
  z[1] = ComplexSub(a[1], b[1]);
  z[2] = ComplexAdd(a[2], b[2]);
  z[7] = ComplexSub(a[2], b[2]);
  z[8] = ComplexAdd(a[3], b[3]);
  z[3] = ComplexSub(a[3], b[3]);
  z[4] = ComplexAdd(a[4], b[4]);
  z[9] = ComplexSub(a[4], b[4]);
}

// DFT of z[0 .. p-1] for an odd prime p, pairing entries k and p-k so that each root of unity
// serves two outputs. rootTable[m] = exp(-2*pi*i*m/p).
// One step of an output pair's sums: each component is formed in extended precision and rounded to
// double when stored, as every Complex operation is.
inline double StepSum(double accumulator, double first, double second) {
  return static_cast<double>((static_cast<long double>(accumulator) + first) + second);
}

void OddPrimeButterfly(int p, Complex* z, const Complex* rootTable) {
  std::array<Complex, PairCapacity> v;
  std::array<Complex, PairCapacity> w;
  const int h = (p + 1) / 2;
  for (int k = 1; k < h; ++k) {
    v[k] = MakeComplex(z[k].re + z[p - k].re, z[k].im - z[p - k].im);
    w[k] = MakeComplex(z[k].re - z[p - k].re, z[k].im + z[p - k].im);
  }
  // Every output pair (j, p - j) sums over k in ascending order on its own; four pairs are summed
  // side by side in locals, so that their chains of extended-precision additions overlap instead of
  // each waiting for the last. The order of every pair's own sums is unchanged.
  constexpr int Lanes = 4;
  int j = 1;
  for (; j + Lanes <= h; j += Lanes) {
    double lowRe[Lanes], lowIm[Lanes], highRe[Lanes], highIm[Lanes];
    int m[Lanes];
    for (int q = 0; q < Lanes; ++q) {
      lowRe[q] = highRe[q] = z[0].re;
      lowIm[q] = highIm[q] = z[0].im;
      m[q] = j + q;
    }
    for (int k = 1; k < h; ++k) {
      for (int q = 0; q < Lanes; ++q) {
        const Complex root = rootTable[m[q]];
        const double rr = root.re * v[k].re;
        const double ii = root.im * v[k].im;
        const double ri = root.re * w[k].im;
        const double ir = root.im * w[k].re;
        highRe[q] = StepSum(highRe[q], rr, ii);
        highIm[q] = StepSum(highIm[q], ri, -ir);
        lowRe[q] = StepSum(lowRe[q], rr, -ii);
        lowIm[q] = StepSum(lowIm[q], ri, ir);
        m[q] += j + q;
        if (m[q] >= p) m[q] -= p;
      }
    }
    for (int q = 0; q < Lanes; ++q) {
      z[j + q] = MakeComplex(lowRe[q], lowIm[q]);
      z[p - j - q] = MakeComplex(highRe[q], highIm[q]);
    }
  }
  for (; j < h; ++j) {
    double lowRe = z[0].re, lowIm = z[0].im, highRe = z[0].re, highIm = z[0].im;
    int m = j;
    for (int k = 1; k < h; ++k) {
      const double rr = rootTable[m].re * v[k].re;
      const double ii = rootTable[m].im * v[k].im;
      const double ri = rootTable[m].re * w[k].im;
      const double ir = rootTable[m].im * w[k].re;
      highRe = StepSum(highRe, rr, ii);
      highIm = StepSum(highIm, ri, -ir);
      lowRe = StepSum(lowRe, rr, -ii);
      lowIm = StepSum(lowIm, ri, ir);
      m += j;
      if (m >= p) m -= p;
    }
    z[j] = MakeComplex(lowRe, lowIm);
    z[p - j] = MakeComplex(highRe, highIm);
  }
  for (int k = 1; k < h; ++k) {
    z[0].re = z[0].re + v[k].re;
    z[0].im = z[0].im + w[k].im;
  }
}

// The angle is rounded to double before its cosine and sine are taken.
Complex UnitRoot(long double denominator) {
  const double angle = static_cast<double>(TwoPi / denominator);
  const long double extended = angle;
  return MakeComplex(static_cast<double>(std::cos(extended)), -static_cast<double>(std::sin(extended)));
}

void InitRootTable(int p, Block& rootTable) {
  rootTable[0] = MakeComplex(1.0, 0.0);
  const Complex rho = UnitRoot(p);
  rootTable[1] = rho;
  for (int m = 2; m < p; ++m) rootTable[m] = ComplexMul(rho, rootTable[m - 1]);
}

// y[i] = x[k] for i = sum d_j * sofar[j] and k = sum d_j * remain[j] (mixed-radix digit reversal).
void PermuteInput(int n, int nFact, const FactorList& fact, const FactorList& remain, const Complex* x,
                  Complex* y) {
  FactorList count{};
  int k = 0;
  for (int i = 0; i + 1 < n; ++i) {
    y[i] = x[k];
    int j = 1;
    k += remain[1];
    ++count[1];
    while (j <= nFact && count[j] >= fact[j]) {
      count[j] = 0;
      k = k - remain[j - 1] + remain[j + 1];
      ++j;
      ++count[j];
    }
  }
  y[n - 1] = x[n - 1];
}

// One decimation-in-time pass: y is sofar data positions x remain groups x radix elements.
void TwiddlePass(int sofar, int radix, int remain, Complex* y) {
  Block workBlock;
  Block rootTable;
  Block twiddleRow;
  InitRootTable(radix, rootTable);

  const Complex rot = UnitRoot(static_cast<long double>(sofar * radix));
  Complex tw = MakeComplex(1.0, 0.0);
  int dataOffset = 0;
  int groupOffset = 0;
  int adr = 0;
  for (int d = 0; d < sofar; ++d) {
    const bool twiddled = sofar > 1 && d > 0;
    if (sofar > 1) {
      if (d > 0) {
        twiddleRow[1] = tw;
        for (int b = 2; b < radix; ++b) twiddleRow[b] = ComplexMul(tw, twiddleRow[b - 1]);
      }
      tw = ComplexMul(rot, tw);
    }
    for (int g = 0; g < remain; ++g) {
      if (twiddled) {
        workBlock[0] = y[adr];
        for (int b = 1; b < radix; ++b) {
          adr += sofar;
          workBlock[b] = ComplexMul(twiddleRow[b], y[adr]);
        }
      } else {
        for (int b = 0; b < radix; ++b) {
          workBlock[b] = y[adr];
          adr += sofar;
        }
      }
      switch (radix) {
        case 2: Radix2Butterfly(workBlock.data()); break;
        case 3: Radix3Butterfly(workBlock.data()); break;
        case 4: Radix4Butterfly(workBlock.data()); break;
        case 5: Radix5Butterfly(workBlock.data()); break;
        case 8: Radix8Butterfly(workBlock.data()); break;
        case 10: Radix10Butterfly(workBlock.data()); break;
        default: OddPrimeButterfly(radix, workBlock.data(), rootTable.data()); break;
      }
      adr = groupOffset;
      for (int b = 0; b < radix; ++b) {
        y[adr] = workBlock[b];
        adr += sofar;
      }
      groupOffset += sofar * radix;
      adr = groupOffset;
    }
    ++dataOffset;
    groupOffset = dataOffset;
    adr = dataOffset;
  }
}

bool Overlaps(const Complex* x, const Complex* y, int n) {
  const std::less<const Complex*> before;
  return before(x, y + n) && before(y, x + n);
}

}  // namespace

std::vector<int> FactorizeLength(int n) {
  FactorList fact{};
  const int nFact = Factorize(n, fact);
  return std::vector<int>(fact.begin() + 1, fact.begin() + 1 + nFact);
}

void ForwardFft(const Complex* x, Complex* y, int n) {
  if (n == 0) return;
  if (n < 0) throw UserError(Messages::RangeCheck);
  FactorList fact{};
  const int nFact = Factorize(n, fact);
  if (fact[1] > cMaxPrimeFactor) throw EMathError(Messages::FftLength);

  FactorList sofar{};
  FactorList remain{};
  remain[0] = n;
  sofar[1] = 1;
  remain[1] = n / fact[1];
  for (int i = 2; i <= nFact; ++i) {
    sofar[i] = sofar[i - 1] * fact[i - 1];
    remain[i] = remain[i - 1] / fact[i];
  }

  if (Overlaps(x, y, n)) {
    ComplexArray scratch(static_cast<size_t>(n));
    PermuteInput(n, nFact, fact, remain, x, scratch.data());
    std::copy(scratch.begin(), scratch.end(), y);
  } else {
    PermuteInput(n, nFact, fact, remain, x, y);
  }

  for (int i = 1; i <= nFact; ++i) TwiddlePass(sofar[i], fact[i], remain[i], y);
}

void MixedRadixFft(const Complex* x, Complex* y, int n) {
  if (n == 0) return;
  if (n < 0) throw UserError(Messages::RangeCheck);
  // The inverse transform is the forward one of the conjugate, conjugated back and scaled.
  ComplexArray conjugate(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) conjugate[k] = MakeComplex(x[k].re, -x[k].im);
  ForwardFft(conjugate.data(), y, n);
  const double scale = static_cast<double>(1.0L / n);
  for (int k = 0; k < n; ++k) {
    y[k].re = scale * y[k].re;
    y[k].im = (-scale) * y[k].im;
  }
}
