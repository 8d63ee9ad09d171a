#!/usr/bin/python3
"""Writes resources/Victoreen1.txt and resources/xray-KLIII.txt.

Edge and line energies come from xraylib (Debian package python3-xraylib); a few
values the program has always used are kept as they are (see FIXED). Victoreen
coefficients C and D (mu/rho = C*lambda^3 - D*lambda^4, cm^2/g, lambda in Angstrom)
are given for Cu K and for W, whose K and L coefficients are fitted to xraylib's
photo-absorption cross sections; elsewhere they are "=" (no value).

Run: /usr/bin/python3 scripts/gen_xray_tables.py   (from the repository root)
"""
import os
import xraylib as xl

HC = 12398.424360387684 / 1000.0  # keV * Angstrom
LAST_Z = 92

SYMBOLS = ("H He Li Be B C N O F Ne Na Mg Al Si P S Cl Ar K Ca Sc Ti V Cr Mn Fe Co Ni Cu "
           "Zn Ga Ge As Se Br Kr Rb Sr Y Zr Nb Mo Tc Ru Rh Pd Ag Cd In Sn Sb Te I Xe Cs "
           "Ba La Ce Pr Nd Pm Sm Eu Gd Tb Dy Ho Er Tm Yb Lu Hf Ta W Re Os Ir Pt Au Hg Tl "
           "Pb Bi Po At Rn Fr Ra Ac Th Pa U").split()

SHELLS = [xl.K_SHELL, xl.L1_SHELL, xl.L2_SHELL, xl.L3_SHELL]
NONE = "="

# Values kept as the program has always had them: Z -> {item index: text}.
FIXED = {
    1: {2: NONE},
    26: {2: "7.11326288"},
    29: {2: "8.98436029", 3: "1.38", 4: "176", 5: "48.3",
         6: "1.1", 8: NONE, 9: NONE, 10: "0.954", 12: NONE, 13: NONE,
         14: "0.935", 16: NONE, 17: NONE},
    74: {2: "69.496", 18: "4.374", 19: "65.3", 20: "11.9"},
}
FITTED = (74,)


def energy(lookup, z, which):
    """xraylib energy in keV, or None where xraylib has none."""
    try:
        e = lookup(z, which)
    except ValueError:
        return None
    return e if e > 0 else None


def edge(z, shell):
    return energy(xl.EdgeEnergy, z, shell)


def line_energy(z, line):
    return energy(xl.LineEnergy, z, line)


def fmt(v, digits):
    """v rounded to digits significant figures, written without an exponent."""
    if v is None:
        return NONE
    text = "%f" % float("%.*g" % (digits, v))
    return text.rstrip("0").rstrip(".")


def fit_victoreen(z, e_lo, e_hi, steps=40):
    """Least-squares C, D of mu/rho = C l^3 - D l^4 between two energies (keV)."""
    s66 = s77 = s67 = s6y = s7y = 0.0
    for i in range(steps + 1):
        e = e_lo * 1.005 + (e_hi * 0.995 - e_lo * 1.005) * i / steps
        lam = HC / e
        y = xl.CS_Photo(z, e)
        a, b = lam ** 3, -lam ** 4
        s66 += a * a
        s77 += b * b
        s67 += a * b
        s6y += a * y
        s7y += b * y
    det = s66 * s77 - s67 * s67
    c = (s6y * s77 - s7y * s67) / det
    d = (s66 * s7y - s67 * s6y) / det
    return c, d


def victoreen_line(z):
    items = [SYMBOLS[z - 1], str(z)]
    edges = [edge(z, s) for s in SHELLS]
    fixed = FIXED.get(z, {})
    if 2 in fixed:
        edges[0] = None if fixed[2] == NONE else float(fixed[2])
    coeffs = [(None, None)] * 4
    if z in FITTED:
        bounds = [(edges[0], 2.5 * edges[0]), (edges[1], edges[0]),
                  (edges[2], edges[1]), (edges[3], edges[2])]
        coeffs = [fit_victoreen(z, lo, hi) for lo, hi in bounds]
    for k in range(4):
        e = edges[k]
        items += [fmt(e, 6), fmt(HC / e if e else None, 4),
                  fmt(coeffs[k][0], 3), fmt(coeffs[k][1], 3)]
    m1 = edge(z, xl.M1_SHELL)
    items += [fmt(HC / m1 if m1 else None, 4), NONE, NONE]
    for index, text in fixed.items():
        items[index] = text
        if index in (6, 10, 14) and text != NONE:  # wavelength beside a fixed edge
            items[index + 1] = fmt(HC / float(text), 4)
    return items


def write_table(path, rows, widths):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        for row in rows:
            f.write(" ".join(item.ljust(w) for item, w in zip(row, widths)).rstrip() + "\n")


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    title = ["=", "Z"]
    for name in ("K", "LI", "LII", "LIII"):
        title += [name + "[keV]", name + "[A]", name + "-C", name + "-D"]
    title += ["MI[A]", "MI-C", "MI-D"]
    rows = [title] + [victoreen_line(z) for z in range(1, LAST_Z + 1)]
    widths = [max(len(r[i]) for r in rows) for i in range(len(title))]
    write_table(os.path.join(root, "Victoreen1.txt"), rows, widths)

    head = ["#", "Z", "K-edge[keV]", "LIII-edge[keV]", "Ka1[keV]", "La1[keV]"]
    rows = [head]
    for z in range(1, LAST_Z + 1):
        rows.append([SYMBOLS[z - 1], str(z), fmt(edge(z, xl.K_SHELL), 6),
                     fmt(edge(z, xl.L3_SHELL), 6), fmt(line_energy(z, xl.KA1_LINE), 6),
                     fmt(line_energy(z, xl.LA1_LINE), 6)])
    widths = [max(len(r[i]) for r in rows) for i in range(len(head))]
    write_table(os.path.join(root, "xray-KLIII.txt"), rows, widths)


if __name__ == "__main__":
    main()
