#!/usr/bin/env python3
"""Reference values for the ANOVA tests, computed apart from the program.

Sums of squares in exact rational arithmetic (fractions) from the raw values,
in the textbook centred form; P values from closed forms that hold for the
degrees of freedom used: the upper tail of F is x^(df2/2) with 2 numerator
df and a finite binomial sum when both df are even (regularized incomplete
beta with integer parameters), x = df2 / (df2 + df1 F); the upper tail of
chi-square with 2 df is exp(-x/2). Run: python3 tools/anova_reference.py
"""
from fractions import Fraction as Q
from math import comb, exp, log

def frac(text):
    return [Q(t) for t in text.split()]

def f_upper(df1, df2, F):
    # P(F' >= F) = I_x(df2/2, df1/2), x = df2 / (df2 + df1 F), both halves integers.
    x = df2 / (df2 + df1 * F)
    if df1 == 2:
        return x ** (df2 / 2)  # I_x(a, 1) = x^a for any a
    a, b = df2 // 2, df1 // 2
    assert 2 * a == df2 and 2 * b == df1
    n = a + b - 1
    return sum(comb(n, j) * x**j * (1 - x)**(n - j) for j in range(a, n + 1))

def one_way(groups):
    allv = [v for g in groups for v in g]
    grand = sum(allv) / len(allv)
    ss_between = sum(len(g) * (sum(g) / len(g) - grand) ** 2 for g in groups)
    ss_within = sum(sum((v - sum(g) / len(g)) ** 2 for v in g) for g in groups)
    k, n = len(groups), len(allv)
    ms_b, ms_w = ss_between / (k - 1), ss_within / (n - k)
    F = float(ms_b / ms_w)
    print("one-way: SSb %.18g SSw %.18g SSt %.18g MSb %.18g MSw %.18g F %.18g P %.18g" % (
        ss_between, ss_within, ss_between + ss_within, ms_b, ms_w, F, f_upper(k - 1, n - k, F)))
    # Bartlett
    f = [len(g) - 1 for g in groups]
    var = [sum((v - sum(g) / len(g)) ** 2 for v in g) / (len(g) - 1) for g in groups]
    sf = sum(f)
    pooled = sum(fi * vi for fi, vi in zip(f, var)) / sf
    B = sf * log(pooled) - sum(fi * log(vi) for fi, vi in zip(f, var))
    C = 1 + (sum(Q(1, fi) for fi in f) - Q(1, sf)) / (3 * (len(groups) - 1))
    Bc = B / float(C)
    assert len(groups) == 3
    print("bartlett: B' %.18g P %.18g" % (Bc, exp(-Bc / 2)))

def repeated(rows):
    r, c = len(rows), len(rows[0])
    G = sum(sum(row) for row in rows) / (r * c)
    col = [sum(row[j] for row in rows) / r for j in range(c)]
    ss_t = r * sum((m - G) ** 2 for m in col)
    ss_i = c * sum((sum(row) / c - G) ** 2 for row in rows)
    ss_tot = sum((x - G) ** 2 for row in rows for x in row)
    ss_r = ss_tot - ss_t - ss_i
    dft, dfi, dfr = c - 1, r - 1, (c - 1) * (r - 1)
    F = float((ss_t / dft) / (ss_r / dfr))
    F2 = float((ss_i / dfi) / (ss_r / dfr))
    print("rm: SSt %.18g SSi %.18g SSr %.18g SStot %.18g F %.18g P %.18g F2 %.18g P2 %.18g" % (
        ss_t, ss_i, ss_r, ss_tot, F, f_upper(dft, dfr, F), F2, f_upper(dfi, dfr, F2)))

one_way([frac("4.2 5.1 3.9 4.8 5.5 4.4"), frac("5.9 6.3 5.4 6.8 6.1"), frac("4.9 5.6 5.2 6.0 4.7 5.3 5.8")])
repeated([frac("10.2 11.5 12.1"), frac("8.7 9.9 10.4"), frac("12.3 12.8 14.0"),
          frac("9.5 10.1 11.2"), frac("11.0 12.6 12.2")])
