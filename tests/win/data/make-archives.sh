#!/usr/bin/env bash
# Makes the 7z archives that the engine tests open, one per codec and filter
# plus the special cases, with Debian's 7zz, and the files they must hold.
#   make-archives.sh 7ZZ OUTDIR
# OUTDIR/expected/<set>/ holds the files of each archive as they must come out;
# OUTDIR/stamp is written last, so an interrupted run is redone.
set -euo pipefail
sevenzip="$1"; out="$2"
export LC_ALL=C.UTF-8   # 7zz reads the non-ASCII names and the password as UTF-8
password='Secret-Pa55w0rd'

rm -rf "$out"
mkdir -p "$out/expected"
cd "$out/expected"

# The contents are pseudo-random but fixed (seeded), so every build tests the
# same bytes. code.bin is dense with the branch instructions that each filter
# rewrites, so the filters really convert something.
python3 - <<'PY'
import os, random

r = random.Random(20261211)
def text(size):
    words = [''.join(r.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(r.randint(2, 9)))
             for _ in range(3000)]
    out, n = [], 0
    while n < size:
        line = ' '.join(r.choice(words) for _ in range(12)) + '\n'
        out.append(line)
        n += len(line)
    return ''.join(out)[:size].encode()

def code(size):
    rnd = lambda n: bytes(r.getrandbits(8) for _ in range(n))
    patterns = [
        lambda: b'\xE8' + rnd(3) + b'\x00',                          # x86 call rel32
        lambda: rnd(3) + b'\xEB',                                    # ARM BL
        lambda: bytes([r.getrandbits(8), 0xF0 | r.getrandbits(3),
                       r.getrandbits(8), 0xF8 | r.getrandbits(3)]),  # Thumb BL
        lambda: bytes([0x48 | r.getrandbits(2)]) + rnd(2) + bytes([r.getrandbits(8) & 0xFC | 1]),  # PPC bl
        lambda: bytes([0x40, r.getrandbits(6)]) + rnd(2),            # SPARC call
        lambda: rnd(3) + bytes([0x94 | r.getrandbits(2)]),           # ARM64 BL
        lambda: bytes([0xEF | (r.getrandbits(1) << 7)]) + rnd(3),    # RISC-V JAL
        lambda: rnd(4),
    ]
    out = bytearray()
    while len(out) < size:
        out += r.choice(patterns)()
    return bytes(out[:size])

def write(path, data):
    os.makedirs(os.path.dirname(path) or '.', exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)

write('basic/text.txt', text(200 * 1024))
write('basic/code.bin', code(96 * 1024))
write('basic/random.bin', bytes(r.getrandbits(8) for _ in range(32 * 1024)))
write('basic/sub/nested.txt', text(3000))

write('special/empty.txt', b'')
os.makedirs('special/emptydir', exist_ok=True)
os.makedirs('special/tree/inner', exist_ok=True)
write('special/Grüße.txt', 'Grüße aus Köln\n'.encode())
write('special/日本語/ファイル.txt', 'こんにちは\n'.encode())
write('special/Ελληνικά/αρχείο.txt', 'καλημέρα\n'.encode())
write('special/smile 😀.txt', 'outside the BMP\n'.encode())

write('big/big.txt', text(8 * 1024 * 1024))
PY

make() { # archive set switches...
    local archive="$1" set="$2"; shift 2
    (cd "$set" && "$sevenzip" a -t7z -bd -bso0 -bsp0 "$@" "$out/$archive" -- *)
}

make lzma.7z      basic -m0=LZMA
make lzma2.7z     basic -m0=LZMA2
make ppmd.7z      basic -m0=PPMd
make bcj-lzma.7z  basic -m0=BCJ -m1=LZMA
make bcj2.7z      basic -m0=BCJ2 -m1=LZMA:d25 -m2=LZMA:d19 -m3=LZMA:d19 -mb0:1 -mb0s1:2 -mb0s2:3
make arm.7z       basic -m0=ARM -m1=LZMA2
make armt.7z      basic -m0=ARMT -m1=LZMA2
make ppc.7z       basic -m0=PPC -m1=LZMA2
make sparc.7z     basic -m0=SPARC -m1=LZMA2
make ia64.7z      basic -m0=IA64 -m1=LZMA2
make arm64.7z     basic -m0=ARM64 -m1=LZMA2
make riscv.7z     basic -m0=RISCV -m1=LZMA2
make delta.7z     basic -m0=Delta:4 -m1=LZMA2
make copy.7z      basic -m0=Copy
make solid.7z     basic -m0=LZMA2 -ms=on
make nonsolid.7z  basic -m0=LZMA2 -ms=off
make aes.7z       basic -m0=LZMA2 "-p$password" -mhe=off
make aes-headers.7z basic -m0=LZMA2 "-p$password" -mhe=on
make special.7z   special -m0=LZMA2
# 1 MiB blocks: an 8 MiB file becomes eight independent LZMA2 blocks, which
# the decoder can spread over threads (-mmt=2 -md=1m alone makes only one).
make mt-lzma2.7z  big -m0=LZMA2:d=1m:c=1m -mmt=2

# A damaged copy: one byte of the packed data flipped.
cp "$out/lzma2.7z" "$out/damaged.7z"
python3 - "$out/damaged.7z" <<'PY'
import sys
with open(sys.argv[1], 'r+b') as f:
    f.seek(32 + 1000)
    b = f.read(1)
    f.seek(32 + 1000)
    f.write(bytes([b[0] ^ 0x55]))
PY

echo "$password" > "$out/password.txt"
touch "$out/stamp"
