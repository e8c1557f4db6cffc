#pragma once

// k! as a double, the product rounded after each factor; 1 for k <= 0.
// Throws UserError (Messages::Overflow) beyond the double range (k > 170).
double Factorial(int k);

// Modified Bessel function of the first kind, order 0, by its first 30 series terms (no
// convergence test). Even in x. Throws UserError: Messages::Overflow when a term leaves the double
// range (|x| above about 3.3e6), Messages::InvalidOperation for a NaN.
double BesselI0(double x);

// Kaiser's shape parameter beta for a stop-band attenuation a in dB: 0 below 21 dB, his power law
// from 21 to 50 dB inclusive, linear above. Throws UserError for an infinite or NaN result.
double KaiserBeta(double a);

// Kaiser window weight I0(beta * sqrt(1 - (1 - 2n/m)^2)) / I0(beta) of sample n (0 .. m) of a window
// of span m; 1 at n = m/2, 1/I0(beta) at both ends. Throws UserError: m = 0 is
// Messages::ZeroDivide (Messages::InvalidOperation for n = 0 as well), n outside 0 .. m
// Messages::InvalidOperation, a beta too large for BesselI0 as there.
double KaiserWindow(int m, double n, double beta);

// The two steps of KaiserWindow: the Bessel argument beta * sqrt(1 - (1 - 2n/m)^2), with the same
// checks, and the weight I0(argument) / I0(beta). KaiserWindow(m, n, beta) is
// KaiserWeight(KaiserArgument(m, n, beta), beta), bit for bit: samples whose arguments are equal have
// equal weights, so a symmetric window can take one Bessel series for both halves where they agree.
double KaiserArgument(int m, double n, double beta);
double KaiserWeight(double argument, double beta);
