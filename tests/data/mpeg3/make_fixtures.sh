#!/bin/sh
# Regenerates the Layer III fixtures: short test signals encoded with lame, and the
# reference PCM decoded by mpg123 (16-bit little-endian, no gapless trimming).
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Tonal part (a chord, different per channel) followed by decaying noise bursts
# that force short blocks; Rate, Seconds, Channels.
signal() {
python3 - "$1" "$2" "$3" "$tmp/in.wav" <<'PY'
import math, random, struct, sys, wave
rate, seconds, channels, path = int(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
random.seed(1)
n = int(rate * seconds)
frames = bytearray()
for i in range(n):
    t = i / rate
    out = []
    for c in range(channels):
        if t < seconds / 2:
            f = (440.0, 554.37)[c % 2]
            v = 0.3 * math.sin(2 * math.pi * f * t) + 0.2 * math.sin(2 * math.pi * 1.5 * f * t + c)
        else:
            phase = (t - seconds / 2) % 0.06
            v = (random.uniform(-0.9, 0.9) * math.exp(-phase * 300)) if phase < 0.02 else 0.0
            v += 0.1 * math.sin(2 * math.pi * 220 * t)
        out.append(max(-32768, min(32767, int(v * 32767))))
    frames += struct.pack('<%dh' % channels, *out)
w = wave.open(path, 'wb')
w.setnchannels(channels); w.setsampwidth(2); w.setframerate(rate); w.writeframes(bytes(frames)); w.close()
PY
}

# Name, Rate, Channels, lame options.
make() {
    signal "$2" 0.5 "$3"
    lame --quiet --resample "$(echo "$2" | sed 's/000$//; s/050$/.05/; s/100$/.1/')" $4 "$tmp/in.wav" "$1.mp3"
    mpg123 --quiet --no-gapless -s "$1.mp3" > "$1.pcm"
}

make s44_stereo_cbr 44100 2 "-m s -b 128"
make s44_joint_vbr_tags 44100 2 "-m j -V 4 --tt Fixture --add-id3v2"
make s48_mono_crc 48000 1 "-m m -b 64 -p"
make s32_ms 32000 2 "-m f -b 96"
make s22_joint 22050 2 "-m j -b 64"
make s24_mono 24000 1 "-m m -b 32"
make s16_joint_vbr 16000 2 "-m j -V 2"
# Single-channel streams at the two usual sample rates, titled in an ID3v1 tag.
make s44_mono_title 44100 1 "-m m -b 64 --id3v1-only --tt Flute"
make s22_mono_title 22050 1 "-m m -b 32 --id3v1-only --tt Bell"

# An MP3 stream inside a RIFF WAV (format tag 0x55) as ffmpeg writes it; the reference
# decodes the bare stream taken from the "data" chunk.
signal 44100 0.3 2
ffmpeg -nostdin -loglevel error -bitexact -i "$tmp/in.wav" -c:a libmp3lame -b:a 128k -f wav riff_s44_stereo.wav
python3 - riff_s44_stereo.wav "$tmp/data.mp3" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pos = 12
while pos + 8 <= len(data):
    tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if tag == b'data':
        open(sys.argv[2], 'wb').write(data[pos + 8:pos + 8 + size])
        break
    pos += 8 + size + (size & 1)
else:
    sys.exit('no data chunk')
PY
mpg123 --quiet --no-gapless -s "$tmp/data.mp3" > riff_s44_stereo.pcm

# Benchmark stream: 10 s of the same kind of signal, 128 kbit/s stereo at 44.1 kHz.
signal 44100 10 2
lame --quiet -m s -b 128 "$tmp/in.wav" bench_s44_stereo_128.mp3
