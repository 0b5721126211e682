#!/usr/bin/env python3
"""Regenerates the MPEG test streams and their reference PCM.

Layer II streams come from twolame over sox-made signals; Layer I streams are
random but valid frames written here (no common encoder writes Layer I). Every
stream's reference PCM is mpg123's decoding of it (signed 16-bit, native order).
Needs sox, twolame and mpg123. Run from any directory.
"""
import os
import random
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
SECONDS = '0.3'

# name, rate, channels, twolame mode, bit rate, extra twolame options, sox signal
LAYER2 = [
    ('l2_44k_stereo_192', 44100, 2, 's', 192, [], ['synth', SECONDS, 'sine', '200-8000', 'sine', '300']),
    ('l2_48k_joint_128_crc', 48000, 2, 'j', 128, ['-p'], ['synth', SECONDS, 'pinknoise', 'sine', '1000']),
    ('l2_32k_mono_48_lowrate', 32000, 1, 'm', 48, [], ['synth', SECONDS, 'sine', '440']),
    ('l2_44k_dual_256', 44100, 2, 'd', 256, [], ['synth', SECONDS, 'square', '150', 'sine', '5000-100']),
    ('l2_48k_stereo_64_lowrate', 48000, 2, 's', 64, ['-p'], ['synth', SECONDS, 'sine', '100-3000', 'whitenoise']),
    ('l2_44k_mono_160', 44100, 1, 'm', 160, ['-p'], ['synth', SECONDS, 'whitenoise']),
    ('l2_32k_joint_96', 32000, 2, 'j', 96, [], ['synth', SECONDS, 'sine', '60-12000', 'pinknoise']),
    ('l2_48k_stereo_384_silence_tail', 48000, 2, 's', 384, [], ['synth', SECONDS, 'sine', '2000', 'sine', '2500',
                                                              'fade', '0', SECONDS, '0.15']),
    # MPEG-2 low sampling frequency
    ('l2_22k_mono_32', 22050, 1, 'm', 32, [], ['synth', SECONDS, 'sine', '100-4000']),
    ('l2_24k_joint_64_crc', 24000, 2, 'j', 64, ['-p'], ['synth', SECONDS, 'pinknoise', 'sine', '700']),
    ('l2_16k_stereo_48', 16000, 2, 's', 48, [], ['synth', SECONDS, 'sine', '200-6000', 'square', '90']),
]

LAYER1_BITRATES = {1: [0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448],
                   0: [0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256]}
FREQ_INDEX = {44100: 0, 48000: 1, 32000: 2, 22050: 0, 24000: 1, 16000: 2}


def run(args, **kw):
    subprocess.run(args, check=True, **kw)


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        self.bits.extend((value >> i) & 1 for i in range(count - 1, -1, -1))

    def data(self, size):
        bits = self.bits + [0] * (size * 8 - len(self.bits))
        return bytes(int(''.join(map(str, bits[i:i + 8])), 2) for i in range(0, size * 8, 8))


def crc16(bits):
    reg = 0xFFFF
    for bit in bits:
        carry = ((reg >> 15) & 1) ^ bit
        reg = (reg << 1) & 0xFFFF
        if carry:
            reg ^= 0x8005
    return reg


def layer1_frame(rng, rate, mode, mode_ext, bitrate_index, protect):
    """One random valid Layer I frame (MPEG-2 below 32 kHz)."""
    version = 1 if rate >= 32000 else 0
    channels = 1 if mode == 3 else 2
    bound = 4 * mode_ext + 4 if mode == 1 else 32
    size = (12 * LAYER1_BITRATES[version][bitrate_index] * 1000 // rate) * 4
    budget = size * 8 - 32 - (16 if protect else 0)
    alloc = [[0] * 32 for _ in range(channels)]
    # Grow allocations at random while the frame has room for them.
    used = 32 * 4 * channels - (32 - bound) * 4 * (channels - 1)
    for _ in range(400):
        sb = rng.randrange(32)
        ch = rng.randrange(channels) if sb < bound else 0
        cur = alloc[ch][sb]
        if cur >= 14:
            continue
        shared = channels == 2 and sb >= bound
        extra = 12 * ((cur + 2) - (cur + 1 if cur else 0)) + (0 if cur else 6 * (2 if shared else 1))
        if used + extra > budget:
            break
        alloc[ch][sb] = cur + 1
        if shared:
            alloc[1][sb] = cur + 1
        used += extra
    header = Bits()
    header.put(0xFFF, 12); header.put(version, 1); header.put(3, 2); header.put(0 if protect else 1, 1)
    header.put(bitrate_index, 4); header.put(FREQ_INDEX[rate], 2); header.put(0, 1); header.put(0, 1)
    header.put(mode, 2); header.put(mode_ext, 2); header.put(0, 4)
    body = Bits()
    for sb in range(32):
        for ch in range(channels if sb < bound else 1):
            body.put(alloc[ch][sb], 4)
    protected = header.bits[16:] + body.bits
    for sb in range(32):
        for ch in range(channels):
            if alloc[ch][sb]:
                body.put(rng.randrange(20, 63), 6)
    for _ in range(12):
        for sb in range(32):
            for ch in range(channels if sb < bound else 1):
                a = alloc[ch][sb]
                if a:
                    body.put(rng.randrange((1 << (a + 1)) - 1), a + 1)
    out = Bits()
    out.bits = header.bits[:]
    if protect:
        out.put(crc16(protected), 16)
    out.bits += body.bits
    return out.data(size)


LAYER1 = [
    # name, rate, mode, bit-rate index, CRC
    ('l1_44k_stereo', 44100, 0, 14, False),
    ('l1_48k_joint_crc', 48000, 1, 12, True),
    ('l1_32k_mono', 32000, 3, 8, False),
    ('l1_44k_dual_crc', 44100, 2, 13, True),
    ('l1_24k_stereo_lsf', 24000, 0, 14, False),
]


def reference(stream):
    with open(os.path.join(HERE, stream + '.ref.raw'), 'wb') as out:
        run(['mpg123', '-q', '-s', os.path.join(HERE, stream)], stdout=out)


def main():
    rng = random.Random(20261207)
    for name, rate, mode, index, protect in LAYER1:
        frames = b''.join(layer1_frame(rng, rate, mode, rng.randrange(4) if mode == 1 else 0, index, protect)
                          for _ in range(12))
        with open(os.path.join(HERE, name + '.mp1'), 'wb') as f:
            f.write(frames)
        reference(name + '.mp1')
    wav = os.path.join(HERE, 'source.wav')
    for name, rate, channels, mode, kbps, extra, signal in LAYER2:
        run(['sox', '-R', '-n', '-r', str(rate), '-c', str(channels), '-b', '16', wav] + signal + ['vol', '0.7'])
        run(['twolame', '--quiet', '-m', mode, '-b', str(kbps)] + extra + [wav, os.path.join(HERE, name + '.mp2')])
        reference(name + '.mp2')
    os.remove(wav)


if __name__ == '__main__':
    main()
