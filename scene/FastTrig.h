// The cosines and sines of the fast deformation path: branch-free, so that
// each stage stays a straight loop the compiler can vectorise, in double
// precision like the C library's, and only for arguments below kLimit (the
// caller bounds every argument before it starts and otherwise takes the
// reference path, ReferenceDeformation).
//
// Everything is inline: the fast path is built once per processor kind with
// every stage inlined into it, and these with them.
#ifndef HALVENOR_SCENE_FASTTRIG_H
#define HALVENOR_SCENE_FASTTRIG_H

#include <cstdint>
#include <cstring>

class FastTrig {
public:
    // Beyond this the three-part reduction by pi/2 below loses bits.
    static constexpr double kLimit = 1.0e6;
    // Up to pi/4 an angle needs no reduction at all.
    static constexpr double kNoReductionLimit = 0.78539816339744830962;

    // Sine and cosine of r in [-pi/4, pi/4]: the minimax polynomials of the
    // classic C library kernels, good to a unit in the last place of a double.
    static void SinCosPolynomials(double r, double& sine, double& cosine) {
        const double z = r * r;
        const double sinTail = 8.33333333332248946124e-03 +
                               z * (-1.98412698298579493134e-04 +
                                    z * (2.75573137070700676789e-06 +
                                         z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)));
        sine = r + z * r * (-1.66666666666666324348e-01 + z * sinTail);
        const double cosTail =
            z * (4.16666666666666019037e-02 +
                 z * (-1.38888888888741095749e-03 +
                      z * (2.48015872894767294178e-05 +
                           z * (-2.75573143513906633035e-07 +
                                z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
        const double half = 0.5 * z;
        const double w = 1.0 - half;
        cosine = w + (((1.0 - w) - half) + z * cosTail);
    }

    // Sine and cosine of x (|x| below kLimit) to within a unit or two in the
    // last place of a double: reduction to r in [-pi/4, pi/4] and the
    // quadrant n, the polynomials on r, then a choice and a sign by the
    // quadrant's two low bits, all without a branch.
    static void SinCos(double x, double& sine, double& cosine) {
        const double shifted = x * kTwoOverPi + kRoundingShift;
        const double n = shifted - kRoundingShift;
        const uint64_t quadrant = BitsOf(shifted);
        const double r = ((x - n * kPiOver2Part1) - n * kPiOver2Part2) - n * kPiOver2Part3;
        double s;
        double c;
        SinCosPolynomials(r, s, c);
        // Quadrants 0..3: sine is s, c, -s, -c and cosine c, -s, -c, s.
        const uint64_t swap = 0 - (quadrant & 1);
        const uint64_t sBits = BitsOf(s);
        const uint64_t cBits = BitsOf(c);
        const uint64_t sineBits = (sBits & ~swap) | (cBits & swap);
        const uint64_t cosineBits = (cBits & ~swap) | (sBits & swap);
        sine = DoubleOf(sineBits ^ ((quadrant & 2) << 62));
        cosine = DoubleOf(cosineBits ^ (((quadrant + 1) & 2) << 62));
    }

    // Cosine alone, for the stages that need no sine: reduction by pi
    // instead, to r in [-pi/2, pi/2] and the multiple m, then one even
    // polynomial, the Taylor series to r^22 (its first term left out is below
    // 1e-19 there), with the sign of (-1)^m: about a third less work than
    // both polynomials and a choice. Its error is a few units in the last
    // place of 1, absolute, which next to the coordinates it moves is far
    // below what a float keeps.
    static double Cos(double x) {
        const double shifted = x * kOneOverPi + kRoundingShift;
        const double m = shifted - kRoundingShift;
        const uint64_t odd = BitsOf(shifted) & 1;
        const double r = ((x - m * kPiPart1) - m * kPiPart2) - m * kPiPart3;
        const double z = r * r;
        const double c =
            1.0 + z * (-1.0 / 2 + z * (1.0 / 24 + z * (-1.0 / 720 + z * (1.0 / 40320 + z * (-1.0 / 3628800 +
            z * (1.0 / 479001600 + z * (-1.0 / 87178291200.0 + z * (1.0 / 20922789888000.0 +
            z * (-1.0 / 6402373705728000.0 + z * (1.0 / 2432902008176640000.0 +
            z * (-1.0 / 1124000727777607680000.0)))))))))));
        return DoubleOf(BitsOf(c) ^ (odd << 63));
    }

    // The turning angle of the twists and the flag is at most the amplitude
    // in radians; when that is within kNoReductionLimit the polynomials take
    // it directly.
    template <bool kSmallTurn>
    static void TurnSinCos(double a, double& sine, double& cosine) {
        if (kSmallTurn) {
            SinCosPolynomials(a, sine, cosine);
        } else {
            SinCos(a, sine, cosine);
        }
    }

private:
    // pi/2 in three parts of 33 bits each, so that n times a part is exact
    // for every quadrant number n below 2^20; 2/pi; and the number whose
    // addition rounds a double to an integer, leaving it in the low bits of
    // the mantissa.
    static constexpr double kPiOver2Part1 = 1.57079632673412561417e+00;
    static constexpr double kPiOver2Part2 = 6.07710050630396597660e-11;
    static constexpr double kPiOver2Part3 = 2.02226624871116645580e-21;
    static constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    static constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 x 2^52
    // pi and 1/pi the same way, for the cosine alone.
    static constexpr double kOneOverPi = 3.18309886183790671538e-01;
    static constexpr double kPiPart1 = 2.0 * kPiOver2Part1;
    static constexpr double kPiPart2 = 2.0 * kPiOver2Part2;
    static constexpr double kPiPart3 = 2.0 * kPiOver2Part3;

    static uint64_t BitsOf(double value) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }

    static double DoubleOf(uint64_t bits) {
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

#endif
