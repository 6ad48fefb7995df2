#!/usr/bin/env python3
"""Second, separate working of the leaning-wall sections of leaning_calculation_test.cpp.

Written from the engineering formulas, not from the C++ code: each named value is worked in
double precision and kept as a 32-bit float, pi is the float 3.1415925, and the self-weight totals
are sums of the three-decimal printed cells. Prints every value the tests compare, formatted as the
report prints it:

    python3 tests/families/leaning/leaning_hand_check.py
"""
import math
import struct
from decimal import ROUND_HALF_UP, Decimal


def f32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


PI = f32(3.1415925)


def fmt(v, decimals, single=True):
    """Rounds as the report does: 7 (float) or 15 significant digits, then half away from zero."""
    s = "%.*e" % ((6 if single else 14), v)
    d = Decimal(s).quantize(Decimal(1).scaleb(-decimals), rounding=ROUND_HALF_UP)
    out = "%.*f" % (decimals, d)
    return out[1:] if out.startswith("-") and float(d) == 0 else out


def printed(v):
    return float(fmt(v, 3))


def face_angle(rise, run):
    r = math.sqrt(rise * rise + run * run)
    c = f32(run / r)
    s = math.sqrt(1 - c * c)
    return 0.0 if s == 0 else f32(math.atan(-c / s) + 2 * math.atan(1))


def coulomb_ka(phi, beta, alpha, delta):
    a = f32(math.cos(phi - alpha) ** 2)
    m = f32(math.cos(alpha) ** 2 * math.cos(alpha + delta))
    s = f32(math.sqrt(math.sin(phi + delta) * math.sin(phi - beta) / math.cos(alpha + delta)
                      / math.cos(alpha - beta)))
    return a / m / (1 + s) ** 2


def leaning(gc, g, phi, q, tanb, qa, fsa, cac, cat, ta, H, D1, L1, T1, T2, B, beta, factor):
    """The report's values of one wall as five lines of name=value."""
    ok = lambda b: "OK" if b else "NG"
    f3 = lambda v: fmt(v, 3)
    d3 = lambda v: fmt(v, 3, single=False)  # formed in double precision, printed only
    lines = []
    hb = f32(H - D1)
    run = f32(L1 + T1 + T2 - B)
    tb = face_angle(hb, run)
    tb_deg = f32(tb / PI * 180)
    a_deg = f32(tb_deg - 90)
    a = f32(a_deg / 180 * PI)
    phr = f32(phi / 180 * PI)
    br = f32(beta / 180 * PI)
    dl = f32(2 / 3 * phr)
    ad = f32(a + dl)  # the one sum of α and δ, from α in degrees
    ka = f32(coulomb_ka(phr, br, a, dl))
    c, s = math.cos(ad), math.sin(ad)
    pha = f32(H * H * (g * 0.5 * ka) * c)
    pva = f32(H * H * (g * 0.5 * ka) * s)
    phq = f32(ka * q * H * c)
    pvq = f32(ka * q * H * s)
    n = f32(math.tan(1.5707963 - tb))
    x1 = f32(B + f32(run - 2 / 3 * H * n))
    x2 = f32(B + f32(run - 1 / 2 * H * n))
    y1, y2 = f32(H / 3), f32(H / 2)
    lines.append([("alpha", fmt(a_deg, 2)), ("Ka", fmt(ka, 4)), ("PHA", f3(pha)),
                  ("PVA", f3(pva)), ("PHq", f3(phq)), ("PVq", f3(pvq)),
                  ("PH", f3(f32(pha + phq))), ("PV", f3(f32(pva + pvq))), ("x1", f3(x1)),
                  ("y1", f3(y1)), ("x2", f3(x2)), ("y2", f3(y2))])

    # Stability: W1 the front triangle of the body, W2 the back one, W3 the base slab.
    parts = [((B - L1) * 0.5 * (H - D1), L1 + (B - L1) / 2 + (T1 - (B - L1) / 2) / 3),
             (T2 * 0.5 * (H - D1), L1 + T1 + T2 / 2 + (T2 / 2 - run) / 3),
             (B * D1, B * 0.5)]
    sa = sv = sm = 0.0
    for area, arm in parts:
        A = f32(area)
        V = f32(A * gc)
        M = f32(V * f32(arm))
        sa += printed(A)
        sv += printed(V)
        sm += printed(M)
    sa, sv, sm = f32(sa), f32(sv), f32(sm)
    SV = f32(sv + pva + pvq)
    SH = f32(pha + phq)
    mr = f32(sm + pva * x1 + pvq * x2)
    m = f32(phq * y2 + pha * y1)
    lines.append([("sumA", f3(sa)), ("sumVw", f3(sv)), ("sumMw", f3(sm)), ("SV", f3(SV)),
                  ("SH", f3(SH)), ("PVAx1", d3(pva * x1)), ("PVqx2", d3(pvq * x2)),
                  ("PHAy1", d3(pha * y1)), ("PHqy2", d3(phq * y2)), ("Mr", f3(mr)),
                  ("M", f3(m))])
    d = f32((mr - m) / SV)
    e = f32(B / 2 - d)
    b6 = f32(B / 6)
    fs = f32(SV * tanb / SH)
    mean = SV / B
    q1 = f32(mean * (1 - 6 * abs(e) / B))
    q2 = f32(mean * (1 + 6 * abs(e) / B))
    lines.append([("d", f3(d)), ("e", f3(e)), ("B6", f3(b6)), ("Fs", f3(fs)), ("q1", f3(q1)),
                  ("q2", f3(q2)), ("overturning", ok(b6 > abs(e))), ("sliding", ok(fs > fsa)),
                  ("bearing", ok(q1 < qa and q2 < qa))])

    # Section A-A at the foot of the body, origin at the foot of the front face.
    pha_ = f32(hb * hb * (g * 0.5 * ka) * c)
    pva_ = f32(hb * hb * (g * 0.5 * ka) * s)
    phq_ = f32(ka * q * hb * c)
    pvq_ = f32(ka * q * hb * s)
    body = [((B - L1) * 0.5 * hb, (T1 - (B - L1) / 2) / 3 + (B - L1) / 2),
            (T2 * 0.5 * hb, T1 + T2 / 2 + (T2 / 2 - run) / 3)]
    sw = smw = 0.0
    for area, arm in body:
        A = f32(area)
        V = f32(A * gc)
        M = f32(f32(arm) * V)
        sw += V
        smw += M
    sw, smw = f32(sw), f32(smw)
    sva = f32(pva_ + sw + pvq_)
    s_a = f32(pha_ + phq_)
    xv1 = f32((T1 + T2 + L1 - B) / 3 + (B - L1))
    xv2 = f32((T1 + T2 + L1 - B) / 2 + (B - L1))
    yh1, yh2 = f32(hb / 3), f32(hb / 2)
    mra = f32(pva_ * xv1 + smw + pvq_ * xv2)
    ma = f32(phq_ * yh2 + pha_ * yh1)
    da = f32((mra - ma) / sva)
    ba = f32(B - L1)
    xa = f32(ba / 2 - da)
    s1 = f32((1 - 6 * abs(xa) / ba) * (sva / ba))
    s2 = f32((1 + 6 * abs(xa) / ba) * (sva / ba))
    tau = f32(s_a / ba)
    lines.append([("PHA'", f3(pha_)), ("PVA'", f3(pva_)), ("PHq'", f3(phq_)),
                  ("PVq'", f3(pvq_)), ("PH'", d3(pha_ + phq_)), ("PV'", d3(pva_ + pvq_)),
                  ("sumW'", f3(sw)), ("sumMw'", f3(smw)), ("SVA", f3(sva)), ("SA", f3(s_a)),
                  ("xV1", f3(xv1)), ("xV2", f3(xv2)), ("yH1", f3(yh1)), ("yH2", f3(yh2)),
                  ("PVA'xV1", d3(pva_ * xv1)), ("PHA'yH1", d3(pha_ * yh1)), ("MrA", f3(mra)),
                  ("MA", f3(ma)), ("dA", f3(da)), ("xA", f3(xa)), ("BA6", f3(f32(ba / 6))),
                  ("middle", ok(f32(ba / 6) > abs(xa))), ("s1", f3(s1)), ("s2", f3(s2)),
                  ("s1p", d3(s1 * 0.1 / factor)), ("s2p", d3(s2 * 0.1 / factor)),
                  ("s", ok(f32(s2 * 0.1) < cac)), ("tau", f3(tau)),
                  ("taup", d3(tau * 0.1 / factor)), ("t", ok(f32(tau * 0.1) < ta))])

    # Section B-B: the toe slab under the reactions at the toe and the heel from the signed e.
    qt = f32(mean * (1 + 6 * e / B))
    qh = f32(mean * (1 - 6 * e / B))
    qb = f32(qt + L1 / B * (qh - qt))
    sb = f32((qt + qb) / 2 * L1 - gc * L1 * D1)
    mb = f32((2 * qt + qb) / 6 * (L1 * L1) - gc * D1 * (L1 * L1) / 2)
    sig = f32(6 * mb / (D1 * D1))
    tb_ = f32(sb / D1)
    lim = cac if cac < cat else cat
    lines.append([("qt", f3(qt)), ("qh", f3(qh)), ("qB", f3(qb)), ("SB", f3(sb)), ("MB", f3(mb)),
                  ("sigma", f3(sig)), ("sigmap", fmt(sig * 0.1 / factor, 2, single=False)),
                  ("s", ok(f32(sig * 0.1) < lim)), ("tau", f3(tb_)),
                  ("taup", d3(tb_ * 0.1 / factor)), ("t", ok(f32(tb_ * 0.1) < ta))])
    return [" ".join("%s=%s" % kv for kv in line) for line in lines]


CASES = {
    # γc, γ, φ, q, tanφB, qa, Fsa, σcac, σcat, τa (held × 100 in SI), H, D1, L1, T1, T2, B, β;
    # and StressUnitFactor (100 SI, 1 CGS)
    "StandardWallSI": (23, 19.6, 35, 10, 0.6, 300, 1.5, 450, 23, 23,
                       7.0, 1.0, 0.85, 3.0, 0.35, 2.4, 25, 100),
    "StandardWallCGS": (2.3, 2.0, 35, 1.0, 0.6, 30, 1.5, 45, 2.3, 2.3,
                        7.0, 1.0, 0.85, 3.0, 0.35, 2.4, 25, 1),
    "VerticalBack": (23, 18, 30, 10, 0.6, 300, 1.5, 450, 23, 23,
                     4.0, 0.5, 0.5, 0.4, 0.6, 1.5, 0, 100),
    "FootBehindTheTop": (23, 18, 30, 10, 0.6, 300, 1.5, 450, 23, 23,
                         4.0, 0.5, 0.5, 0.4, 0.6, 2.0, 0, 100),
    "PointedCrestNoSurcharge": (23, 19, 30, 0, 0.6, 300, 1.5, 450, 23, 23,
                                5.0, 0.8, 0.6, 2.0, 0.0, 1.8, 10, 100),
    "ResultantBehindTheCentre": (23, 18, 30, 30, 0.6, 300, 1.5, 450, 23, 23,
                                 3.0, 0.5, 1.5, 0.4, 0.5, 3.5, 0, 100),
}


def main():
    phi = f32(30 / 180 * PI)
    print("Ka for φ 30°, β 0, α 0, δ 2/3 φ: %.4f" % coulomb_ka(phi, 0.0, 0.0, f32(2 / 3 * phi)))
    for name, args in CASES.items():
        print('      {"%s",' % name)
        lines = leaning(*[f32(v) for v in args[:-1]], args[-1])
        print("       " + "\n       ".join('"%s\\n"' % line for line in lines) + "},")


if __name__ == "__main__":
    main()
