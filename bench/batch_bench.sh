#!/usr/bin/env bash
# vantrel-cli beside cs2cs (Debian proj-bin), measured side by side in one run:
#  * blh2gauss, xyz2blh and gauss2blh on generated 10^6-line files (20-50 N within 3 degrees
#    of 120 E, Krassovsky = the 54 ellipsoid) against cs2cs doing the same projection,
#    geocentric inverse and transverse Mercator inverse on the same coordinates: wall time,
#    CPU time and peak memory of each, and the ratio of wall times;
#  * points per second of every subcommand on 10^6 lines, -j 2 against -j 1;
#  * peak memory on 10^3 lines against 10^7 lines.
# The figures are printed as Markdown tables. Usage:
#   bench/batch_bench.sh [BUILD_DIR] [LINES]     (defaults build/default and 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build/default}"
N="${2:-1000000}"
CLI="$BUILD/cli/vantrel-cli"
[ -x "$CLI" ] || { echo "batch_bench: build $CLI first (./scripts/build.sh default)" >&2; exit 2; }
command -v cs2cs >/dev/null || { echo "batch_bench: cs2cs missing (apt-get install proj-bin)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "batch_bench: /usr/bin/time missing (apt-get install time)" >&2; exit 2; }
WORK="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-bench.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT

echo "machine: $(nproc) cores; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "generating $N-line inputs in $WORK ..."
python3 - "$WORK" "$N" <<'EOF'
import math, random, sys
work, n = sys.argv[1], int(sys.argv[2])
random.seed(15)
a, e2 = 6378245.0, 0.006693421622966
def dms(d):
    # Packed D.MMSS with seconds to 1e-4 (D.MMSSssss).
    t = round(abs(d) * 3600 * 10000)
    deg, rem = divmod(t, 3600 * 10000)
    m, s4 = divmod(rem, 60 * 10000)
    return ('-' if d < 0 else '') + '%d.%02d%06d' % (deg, m, s4)
with open(work + '/bl_deg.txt', 'w') as pts, open(work + '/lonlat.txt', 'w') as ll, \
     open(work + '/bl_dms.txt', 'w') as pd, open(work + '/xyz.txt', 'w') as xyz, \
     open(work + '/xyz_cs2cs.txt', 'w') as xc, open(work + '/pairs.txt', 'w') as pairs, \
     open(work + '/polar.txt', 'w') as polar, open(work + '/gga.txt', 'w') as gga:
    for i in range(n):
        b = 20 + 30 * random.random()
        l = 117 + 6 * random.random()
        h = 2000 * random.random()
        pts.write('P%d %.9f %.9f\r\n' % (i, b, l))
        ll.write('%.9f %.9f\n' % (l, b))
        pd.write('P%d %s %s %.3f\r\n' % (i, dms(b), dms(l), h))
        br, lr = math.radians(b), math.radians(l)
        N = a / math.sqrt(1 - e2 * math.sin(br) ** 2)
        X = (N + h) * math.cos(br) * math.cos(lr)
        Y = (N + h) * math.cos(br) * math.sin(lr)
        Z = (N * (1 - e2) + h) * math.sin(br)
        xyz.write('P%d %.4f %.4f %.4f\r\n' % (i, X, Y, Z))
        xc.write('%.4f %.4f %.4f\n' % (X, Y, Z))
        pairs.write('P%d %.3f %.3f %.3f %.3f\r\n' % (i, 3.4e6 + 1e5 * random.random(), 4e5 * random.random(),
                                                   3.4e6 + 1e5 * random.random(), 4e5 * random.random()))
        polar.write('P%d %.3f %d %d %.2f\r\n' % (i, 1000 * random.random(), random.randrange(360),
                                                 random.randrange(60), 60 * random.random()))
        body = 'GPGGA,%06.2f,%02d%07.4f,N,%03d%07.4f,E,1,8,1.0,%.1f,M,10.0,M,,' % (
            random.random() * 235959, int(b), (b % 1) * 60, int(l), (l % 1) * 60, h)
        c = 0
        for ch in body:
            c ^= ord(ch)
        gga.write('$%s*%02X\r\n' % (body, c))
EOF

# One measured run: wall seconds, CPU seconds (user + system), peak resident KB.
measure() {  # label, then the command (output to a file named by $OUT)
  local label="$1"
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "$@" > "$OUT" 2> "$WORK/err" || {
    echo "batch_bench: $label failed:" >&2
    cat "$WORK/err" >&2
    exit 1
  }
  read -r wall user sys rss < "$WORK/time"
  cpu=$(python3 -c "print(round($user + $sys, 2))")
  echo "$label $wall $cpu $rss"
}

OUT="$WORK/out.txt"
tm_fwd="+proj=longlat +ellps=krass +to +proj=tmerc +ellps=krass +lon_0=120 +k=1 +x_0=0 +y_0=0 +units=m"
tm_inv="+proj=tmerc +ellps=krass +lon_0=120 +k=1 +x_0=0 +y_0=0 +units=m +to +proj=longlat +ellps=krass"
geo_inv="+proj=geocent +ellps=krass +units=m +to +proj=longlat +ellps=krass"

echo
echo "| conversion ($N points) | program | wall s | CPU s | peak MB | wall ratio |"
echo "|---|---|---|---|---|---|"
row() {  # conversion, ours (label wall cpu rss), theirs
  read -r _ w1 c1 m1 <<< "$2"
  read -r _ w2 c2 m2 <<< "$3"
  ratio=$(python3 -c "print(round($w1 / $w2, 3))")
  echo "| $1 | vantrel-cli -j 2 | $w1 | $c1 | $((m1 / 1024)) | ${ratio}× |"
  echo "| $1 | cs2cs | $w2 | $c2 | $((m2 / 1024)) | 1× |"
}
ours=$(measure blh2gauss "$CLI" blh2gauss -j 2 --angles deg --cm 120 "$WORK/bl_deg.txt")
theirs=$(OUT="$WORK/cs.txt" measure cs2cs cs2cs -f %.3f $tm_fwd "$WORK/lonlat.txt")
row "B L → Gauss x y (tmerc forward)" "$ours" "$theirs"
# Both did the same projection: the first thousand points agree to the millimetre.
python3 - "$WORK/out.txt" "$WORK/cs.txt" <<'EOF'
import sys
ours = [l.split() for l in open(sys.argv[1])][:1000]
theirs = [l.split() for l in open(sys.argv[2])][:1000]
d = max(max(abs(float(o[1]) - float(t[1])), abs(float(o[2]) - float(t[0]))) for o, t in zip(ours, theirs))
sys.stderr.write('  (tmerc forward: largest difference from cs2cs on 1000 points %.4f m)\n' % d)
EOF
"$CLI" blh2gauss -q --angles deg --cm 120 "$WORK/bl_deg.txt" | awk '{print $1, $2, $3}' > "$WORK/xy.txt"
awk '{print $3, $2}' "$WORK/xy.txt" > "$WORK/en.txt"
ours=$(measure xyz2blh "$CLI" xyz2blh -j 2 --angles deg "$WORK/xyz.txt")
theirs=$(OUT="$WORK/cs.txt" measure cs2cs cs2cs -f %.10f $geo_inv "$WORK/xyz_cs2cs.txt")
row "X Y Z → B L H (geocentric inverse)" "$ours" "$theirs"
ours=$(measure gauss2blh "$CLI" gauss2blh -j 2 --angles deg --cm 120 "$WORK/xy.txt")
theirs=$(OUT="$WORK/cs.txt" measure cs2cs cs2cs -f %.10f $tm_inv "$WORK/en.txt")
row "Gauss x y → B L (tmerc inverse)" "$ours" "$theirs"

echo
echo "| subcommand ($N lines) | -j 1 points/s | -j 2 points/s | -j 2 / -j 1 |"
echo "|---|---|---|---|"
params=81.37785,197.46387,167.83978,-1.01922,5.04083,.197089,-14.99384
printf 'A 3400000 400000\r\nB 3500000 400000\r\nC 3400000 500000\r\n' > "$WORK/old.txt"
printf 'A 3400100 399950\r\nB 3500100 399950\r\nC 3400100 499950\r\n' > "$WORK/new.txt"
each() {  # name, arguments...
  local name="$1"
  shift
  read -r _ w1 _ _ <<< "$(measure run "$CLI" "$@" -j 1)"
  read -r _ w2 _ _ <<< "$(measure run "$CLI" "$@" -j 2)"
  python3 -c "n=$N; print('| $name | %d | %d | %.2f× |' % (n / $w1, n / $w2, $w1 / $w2))"
}
each xyz2blh xyz2blh "$WORK/xyz.txt"
each blh2xyz blh2xyz "$WORK/bl_dms.txt"
each blh2gauss blh2gauss --cm 120 "$WORK/bl_dms.txt"
each "blh2gauss --anomaly auto --zone-width 3" blh2gauss --anomaly auto --zone-width 3 "$WORK/bl_dms.txt"
each gauss2blh gauss2blh --cm 120 "$WORK/xy.txt"
each "gauss2blh --anomaly auto" gauss2blh --cm 120 --anomaly auto "$WORK/xy.txt"
each zone zone --cm 120 --to-cm 123 "$WORK/xy.txt"
each "seven --gauss" seven --gauss --params "$params" "$WORK/xyz.txt"
each utm utm --zone-width 6 "$WORK/bl_dms.txt"
each lambert lambert --cm 120 --parallels 25,47 "$WORK/bl_dms.txt"
each fit4 fit4 "$WORK/old.txt" "$WORK/new.txt" "$WORK/xy.txt"
each rotate rotate --angle 1.3000 --from-centre 3400000,400000 "$WORK/xy.txt"
each inverse inverse "$WORK/pairs.txt"
each forward forward "$WORK/polar.txt"
each anomaly anomaly "$WORK/bl_dms.txt"
each nmea nmea --zone-width 6 "$WORK/gga.txt"

echo
head -n 1000 "$WORK/bl_dms.txt" > "$WORK/small.txt"
for _ in 1 2 3 4 5 6 7 8 9 10; do cat "$WORK/bl_dms.txt"; done > "$WORK/big.txt"
big=$(wc -l < "$WORK/big.txt")
echo "| blh2gauss input | lines | wall s | peak MB (-j 1) | peak MB (-j 2) |"
echo "|---|---|---|---|---|"
for f in small big; do
  lines=$(wc -l < "$WORK/$f.txt")
  read -r _ w1 _ m1 <<< "$(OUT=/dev/null measure "$f" "$CLI" blh2gauss --cm 120 -j 1 "$WORK/$f.txt")"
  read -r _ _ _ m2 <<< "$(OUT=/dev/null measure "$f" "$CLI" blh2gauss --cm 120 -j 2 "$WORK/$f.txt")"
  echo "| $f | $lines | $w1 | $(python3 -c "print(round($m1 / 1024, 1))") | $(python3 -c "print(round($m2 / 1024, 1))") |"
done
rm -f "$WORK/big.txt"
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
