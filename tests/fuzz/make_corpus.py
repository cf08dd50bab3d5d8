#!/usr/bin/env python3
"""Writes the seed corpora of the fuzzers: data files into corpus/, settings
files into corpus-settings/, JSON months into corpus-import/, strength logs
into corpus-strength/.

Valid inputs and inputs broken in each way the readers must refuse. Run from
anywhere; the files are committed, so this is only needed when seeds are
added.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")
OUT_SETTINGS = os.path.join(HERE, "corpus-settings")
OUT_IMPORT = os.path.join(HERE, "corpus-import")
OUT_STRENGTH = os.path.join(HERE, "corpus-strength")


def i32(v):
    return struct.pack("<i", v)


def cur(v):
    return struct.pack("<q", round(v * 10000))


def ext(v):
    if v == 0:
        return bytes(10)
    if math.isnan(v):
        return struct.pack("<QH", 0xC000000000000000, 0x7FFF)
    if math.isinf(v):
        return struct.pack("<QH", 0x8000000000000000, 0x7FFF | (0x8000 if v < 0 else 0))
    f, e = math.frexp(abs(v))
    mant = int(f * (1 << 53)) << 11
    se = (e - 1 + 16383) | (0x8000 if v < 0 else 0)
    return struct.pack("<QH", mant, se)


def text(b):
    return i32(len(b) + 1) + b + b"\0"


def days_in(y, m):
    if m == 2:
        return 29 if (y % 4 == 0 and y % 100 != 0) or y % 400 == 0 else 28
    return 30 if m in (4, 6, 9, 11) else 31


def current(y=2026, m=3, kyoyo=200, width=0.5, values=(), kojo=b"", day_count=None,
            rows=None, per_day=2, header=b"SLUMPTES" + i32(211) + b"SLT "):
    n = days_in(y, m)
    w = round(width * 100) if not math.isnan(width) else 0
    r = max(int(kyoyo / w) * 2 + 3, 0) if w > 0 else 0  # div truncates; no rows below 0
    body = i32(y * 65536 + m * 256 + 1) + text(kojo) + text("担当".encode("cp932")) + text(b"")
    body += ext(width) + i32(1800) + i32(kyoyo) + cur(24) + cur(20) + cur(4.5) + cur(1.5)
    body += text("普通".encode("cp932")) + text(b"N")
    body += i32(n if day_count is None else day_count)
    for d in range(1, n + 1):
        body += i32(d) + i32(per_day)
        for k in range(per_day):
            idx = (d - 1) * 2 + k
            body += i32(values[idx] if idx < len(values) else 0) + b"\1"
    body += i32(r if rows is None else rows)
    for _ in range(r if rows is None else max(rows, 0)):
        body += i32(0) * 5
    body += i32(0) * 4 + ext(0) + i32(1) + i32(n)
    return header + body


def old(entries, count=None, width=0.5, version=b"0100", size=1056):
    block = i32(2005 * 65536 + 2 * 256 + 1) + i32(1800) + i32(200)
    block += i32(len(entries) if count is None else count)
    for e in entries:
        block += b"".join(i32(x) for x in e)
    block += bytes(1000 - 20 * len(entries)) + ext(width) + bytes(30)
    return (b"SLUMPTES" + version + b"SLT " + block)[: 16 + size]


WORKED = (1800, 1850, 1750, 1900, 1800, 1600, 0, 2050)

SEEDS = {
    "valid-default-march": current(),
    "valid-february": current(2025, 2),
    "valid-worked-example": current(values=WORKED, kojo="東京第一工場".encode("cp932")),
    "valid-width-0.3": current(width=0.3),
    "valid-negative-tolerance": current(kyoyo=-100),
    "valid-foreign-magic": current(header=b"NOTSLUMP" + i32(7) + b"XYZ "),
    "valid-v100": old([(1, 1800, 1850, 1, 1), (2, 1500, 0, 0, 0), (40, 1900, 1900, 1, 1)]),
    "valid-v100-full": old([(d % 31 + 1, 1700 + d, 1800 + d, 1, 0) for d in range(50)]),
    "valid-binary-100": old([(1, 1800, 1800, 1, 1)], version=i32(100)),
    "broken-empty": b"",
    "broken-header-only": b"SLUMPTES" + i32(211) + b"SLT ",
    "broken-truncated": current(values=WORKED)[:-1],
    "broken-day-count": current(day_count=30),
    "broken-three-per-day": current(per_day=3),
    "broken-row-count": current(rows=12),
    "broken-width-zero": current(width=0.0),
    "broken-width-nan": current(width=float("nan")),
    "broken-too-many-rows": current(kyoyo=2000000000, width=0.01, rows=0),
    "broken-long-string": b"SLUMPTES" + i32(211) + b"SLT " + i32(0x20503) + i32(1025) + b"a" * 1100,
    "broken-v100-count": old([(1, 1800, 1800, 1, 1)], count=51),
    "broken-v100-short": old([(1, 1800, 1800, 1, 1)], size=1000),
    "broken-v100-as-211": old([(1, 1800, 1800, 1, 1)], version=i32(211)),
}


def sj(t):
    return t.encode("cp932")


def ini(lines, eol=b"\r\n"):
    return eol.join(lines) + eol


FULL_SETTINGS = [
    b"[File]", b"LastDataDir=/tmp",
    b"[Info]", b"CompanyName=" + sj("北斗生コン株式会社"), b"TantoName=" + sj("山田 太郎"),
] + [b"KojoName%d=" % i + sj("第%d工場" % i) for i in range(10)] + [
    b"InkanTitle1=" + sj("工場長"), b"InkanTitle2=" + sj("部長"), b"InkanTitle3=" + sj("係"),
    b"DispNullData=0", b"DrawHistNoRange=1", b"DrawXChartNoRange=0",
    b"[TFrmMain]", b"Flags=0", b"ShowCmd=1", b"NormalPos=10,20,810,620", b"PixelsPerInch=96",
]

SETTINGS_SEEDS = {
    "valid-full": ini(FULL_SETTINGS),
    "valid-lf-bom": b"\xef\xbb\xbf" + ini(FULL_SETTINGS, b"\n"),
    "valid-comments-quotes": ini([b"; comment", b"[info]", b"TANTONAME = \"  " + sj("係") + b" \"",
                                  b"DispNullData=-2147483648", b"[Extra]", b"Key=Value"]),
    "broken-long-names": ini([b"[Info]", b"TantoName=" + sj("山") * 600, b"KojoName0=" + b"k" * 2000]),
    "broken-syntax": b"[Info\r\n=\r\n[]\r\nKojoName3\r\nDispNullData=99999999999\r\n\x81",
    "broken-empty": b"",
}

IMPORT_SEEDS = {
    "valid-minimal": b'{"BasicInfo": {"Getsudo": 132711937}}',
    "valid-month": ('{"BasicInfo": {"Getsudo": 132711937, "Kojo": "第一工場", "Tanto": "山田", '
                    '"Biko": "晴れ", "KariAveX": 1800, "Kyoyo": 250, "Kyodo": 24, "Kotsuzai": 20, '
                    '"Air": 4.5, "AirKyoyo": 1.5, "ClassWidth": 0.5, '
                    '"Cement": {"Name": "普通", "Mark": "N"}}, '
                    '"SlumpList": [{"Day": 1, "SokuteiList": [{"Value": 1800, "Judge": true}, '
                    '{"Value": 1850}]}, {"Day": 2, "SokuteiList": [{"Value": 0}, {"Value": 1750}]}], '
                    '"HistogramList": [], "CalcedResult": {}}').encode("utf-8"),
    "broken-huge-number": b'{"BasicInfo": {"Getsudo": 1e400}}',
    "broken-trailing-nul": b'{"BasicInfo": {"Getsudo": 132711937}}\0junk',
    "broken-deep": b"[" * 100,
    "broken-types": b'{"BasicInfo": {"Getsudo": "x", "Kyoyo": 2.5}, "SlumpList": {}}',
}


STRENGTH_MIX = ('"Mix": {"NominalStrength": 24, "Slump": 18.0, "SlumpTolerance": 2.5, "Air": 4.5, '
                '"AirTolerance": 1.5, "Aggregate": 20, "Cement": "普通", "Symbol": "N"}')
STRENGTH_TEST = ('{"Day": 3, "Time": "10:15", "Truck": "12", "Slump": 18.5, "Air": 4.6, "Temperature": 22.5, '
                 '"Chloride": 0.04, "Strength7": [19.8, 20.3, 20.1], "Strength28": [30.2, 29.8, 31.0], '
                 '"Remarks": ""}')


def strength(tests, head='"Format": "Kestrin.StrengthLog", "Version": 1, "Plant": "東京第一工場", '
                         '"Month": "2025-06", '):
    return ("{" + head + STRENGTH_MIX + ', "Tests": [' + ", ".join(tests) + "]}").encode("utf-8")


with open(os.path.join(HERE, "..", "..", "examples", "sample-strength.kst"), "rb") as f:
    SAMPLE_STRENGTH = f.read()

STRENGTH_SEEDS = {
    "valid-sample": SAMPLE_STRENGTH,
    "valid-one-test": strength([STRENGTH_TEST]),
    "valid-curing": strength([STRENGTH_TEST.replace('[30.2, 29.8, 31.0]', "null")] * 4 + [STRENGTH_TEST] * 5),
    "valid-empty": strength([]),
    "broken-range": strength([STRENGTH_TEST.replace("29.8", "200.1")]),
    "broken-decimals": strength([STRENGTH_TEST.replace("0.04", "0.045")]),
    "broken-day": strength([STRENGTH_TEST.replace('"Day": 3', '"Day": 31')]),
    "broken-version": strength([], '"Format": "Kestrin.StrengthLog", "Version": 2, "Month": "2025-06", '),
    "broken-unknown-key": strength([STRENGTH_TEST.replace('"Remarks"', '"Remark"')]),
    "broken-specimens": strength([STRENGTH_TEST.replace("[19.8, 20.3, 20.1]", "[19.8]")]),
}

# Lab CSV files for the CSV reader of the same target: each separator, both
# encodings, a byte-order mark, quoted fields with separators, doubled
# quotes and line breaks.
CSV_SEEDS = {
    "lab-comma": ("日,時刻,車番,スランプ,空気量,温度,塩化物,7日1,7日2,7日3,28日1,28日2,28日3,備考\r\n"
                  '3,10:15,12,18.5,4.6,22.5,0.04,19.8,20.3,20.1,30.2,29.8,31.0,"a,""b"""\r\n').encode("utf-8"),
    "lab-semicolon": "Day;Slump;Air;S28_1;S28_2;S28_3;x\n1;18;4.5;30;30.5;31;\n".encode("utf-8"),
    "lab-tab-bom": '\ufeff日\tスランプ\t空気量\tメモ\n1\t18.0\t4.5\t"x\ny"\n'.encode("utf-8"),
    "lab-cp932": "日,スランプ(cm),空気量（％）,備考\n2,17.5,4.0,養生中\n".encode("cp932"),
}


def write_all(folder, seeds, ext):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name + ext), "wb") as f:
            f.write(data)


def main():
    write_all(OUT, SEEDS, ".slt")
    write_all(OUT_SETTINGS, SETTINGS_SEEDS, ".INI")
    write_all(OUT_IMPORT, IMPORT_SEEDS, ".json")
    write_all(OUT_STRENGTH, STRENGTH_SEEDS, ".kst")
    write_all(OUT_STRENGTH, CSV_SEEDS, ".csv")


if __name__ == "__main__":
    main()
