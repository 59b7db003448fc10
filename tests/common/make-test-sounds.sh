#!/usr/bin/env bash
# Makes the sounds the decoding tests play, with Debian's encoders: a tone of
# its own pitch in each kind of file, SECONDS long (2 by default), a file
# that no decoder reads, an 80-second one, and LAME-encoded loops of whole
# periods (2 s at 44.1 kHz, 1 s at 22.05 kHz, 100 and 50 samples a period)
# and a 90-second MP3 of the same tone.
#   make-test-sounds.sh DIR [SECONDS]
set -euo pipefail
dir=$1
seconds=${2:-2}
mkdir -p "$dir"
tone() { sox -q -n -r 44100 -c 2 -b 16 "$@" synth "$seconds" sine "$hz" vol 0.5; }
hz=330 tone "$dir/tone-330.wav" && lame --quiet -b 128 "$dir/tone-330.wav" "$dir/tone-330.mp3" && rm "$dir/tone-330.wav"
hz=392 tone "$dir/tone-392.ogg"
hz=440 tone "$dir/tone-440.flac"
hz=494 tone -e floating-point -b 32 "$dir/tone-494-float.wav"
hz=523 tone -e ima-adpcm -b 4 "$dir/tone-523-adpcm.wav"
hz=587 tone -e u-law -b 8 "$dir/tone-587-ulaw.wav"
hz=659 tone -c 6 "$dir/tone-659-5.1.flac"
printf 'ID3 this is no sound' > "$dir/broken.mp3"
# Longer than a sound held whole in memory.
hz=440 seconds=80 tone "$dir/long-440.flac"
# Loops: stereo MPEG-1 at a constant rate, mono MPEG-2 at a varying one.
sox -q -n -r 44100 -c 2 -b 16 "$dir/loop.wav" synth 2 sine 441 vol 0.5
lame --quiet -b 128 "$dir/loop.wav" "$dir/loop-441.mp3"
sox -q -n -r 44100 -c 2 -b 16 "$dir/loop.wav" synth 90 sine 441 vol 0.5
lame --quiet -b 128 "$dir/loop.wav" "$dir/long-441.mp3"
sox -q -n -r 22050 -c 1 -b 16 "$dir/loop.wav" synth 1 sine 441 vol 0.5
lame --quiet -V 4 "$dir/loop.wav" "$dir/loop-441-22k.mp3" && rm "$dir/loop.wav"
