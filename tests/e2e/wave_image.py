#!/usr/bin/env python3
# A disc image as people commonly keep one, a WAV file and its CUE sheet,
# plus the bytes each track's rip must hold after the WAV header:
#   wave_image.py IMAGE_DIR EXPECT_DIR
# writes IMAGE_DIR/disc.cue, the WAV file it names and EXPECT_DIR/track N.pcm.
import math
import os
import random
import struct
import sys

FRAME = 4             # 16-bit stereo
SECTOR = 588 * FRAME  # one CD sector of audio
image, expect = sys.argv[1:3]
rng = random.Random(15)


def audio(frames, freq, level):
    # A tone on the left and noise on the right: no two sectors alike, so a
    # misplaced sector shows.
    out = bytearray()
    for i in range(frames):
        left = int(level * math.sin(2 * math.pi * freq * i / 44100))
        out += struct.pack('<hh', left, rng.randint(-level, level))
    return bytes(out)


one = audio(225 * 588, 440, 12000)        # 0:00 to 0:03
pause = audio(75 * 588, 50, 300)          # track 2's INDEX 00, kept in the file
two = audio(225 * 588, 660, 9000)         # 0:04 to 0:07
three = audio(190 * 588 + 300, 880, 15000)  # 0:07 on, ending in a partial sector
data = one + pause + two + three

fmt = struct.pack('<HHIIHH', 1, 2, 44100, 44100 * FRAME, FRAME, 16)
# A LIST chunk between fmt and data, as many tools write one: the data chunk
# must be found by walking the chunks, not at a fixed place.
info = b'INFO' + b'ISFT' + struct.pack('<I', 10) + b'wave_image'
body = (b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'LIST' + struct.pack('<I', len(info)) + info +
        b'data' + struct.pack('<I', len(data)) + data)
wav_name = 'Live at the Hall - Side A.wav'
with open(os.path.join(image, wav_name), 'wb') as f:
    f.write(b'RIFF' + struct.pack('<I', len(body)) + body)

sheet = [
    'REM GENRE "Live"',
    'PERFORMER "The Hall Band"',
    'TITLE "Live at the Hall"',
    f'FILE "{wav_name}" WAVE',
    '  TRACK 01 AUDIO',
    '    TITLE "Opening"',
    '    INDEX 01 00:00:00',
    '  TRACK 02 AUDIO',
    '    INDEX 00 00:03:00',
    '    INDEX 01 00:04:00',
    '  TRACK 03 AUDIO',
    '    PREGAP 00:01:00',
    '    INDEX 01 00:07:00',
    '    POSTGAP 00:00:30',
]
with open(os.path.join(image, 'disc.cue'), 'w', newline='') as f:
    f.write(''.join(line + '\r\n' for line in sheet))

# A track runs to the next track's INDEX 01: track 1 holds track 2's pause
# from the file, track 2 the silence of track 3's PREGAP; track 3 ends with
# its last sector filled up with silence, then its POSTGAP.
silence = bytes
expected = [
    one + pause,
    two + silence(75 * SECTOR),
    three + silence(-len(three) % SECTOR) + silence(30 * SECTOR),
]
for n, track in enumerate(expected, 1):
    with open(os.path.join(expect, f'track {n}.pcm'), 'wb') as f:
        f.write(track)
