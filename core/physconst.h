#ifndef PHYSCONST_H
#define PHYSCONST_H

// Physical constants of the energy scale, defined once for the whole program.
namespace PhysConst {

// Planck's constant times the speed of light, eV * Angstrom: E = Hc / lambda,
// and by Bragg's law E = Hc / (2 d sin theta).
constexpr double Hc = 12398.424360387684;

// Pi to ten decimals: the value every Bragg-angle conversion uses, so that
// energies agree with those of earlier versions to the last digit.
constexpr double BraggPi = 3.1415926535;

// Degrees in half a turn: radians = degrees / HalfTurnDeg * BraggPi.
constexpr double HalfTurnDeg = 180.0;

// Lattice spacing [Angstrom] assumed when neither a form nor a file gives one:
// Si(111) to six significant digits.
constexpr double DefaultSpacing = 3.13553;

// Lattice spacings [Angstrom] of the monochromator crystals.
constexpr double SpacingSi111 = 3.1355316;
constexpr double SpacingSi311 = 1.637478;
constexpr double SpacingSi333 = 1.0451772;
constexpr double SpacingGe111 = 3.2663822;
constexpr double SpacingGe333 = 1.0887941;

} // namespace PhysConst

#endif
