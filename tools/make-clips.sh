#!/usr/bin/env bash
# Makes the test clips with ffmpeg: make-clips.sh DIR [--long]
#
# Every name below is stable; tests refer to them by name. Frames are small and clips last
# a few hundred milliseconds, so the whole set takes a second or two to make.
#
# Playable clips (160x120, 4:3, 0.4 s unless said otherwise):
#   mjpeg.avi           AVI, Motion JPEG video
#   msmpeg4v2-pcm.avi   AVI, MS-MPEG4 v2 video and 16-bit PCM audio
#   cinepak.avi         AVI, Cinepak video
#   msvideo1.avi        AVI, Microsoft Video 1
#   mpeg1.mpg           MPEG-1 program stream, MPEG-1 video and MP2 audio
#   mpeg2.mpg           MPEG-2 program stream, MPEG-2 video and MP2 audio
#   h264.mp4            MP4, H.264 video
#   audio.wav           WAV, 16-bit PCM audio only
#   red-4x3.avi         solid red 320x240, 2 s (Motion JPEG): smaller than any test panel
#   green-big-4x3.avi   solid green 1600x1200, 2 s (Motion JPEG): larger than the screen
# Files that must fail to open:
#   truncated.avi       the first 200 bytes of mjpeg.avi: its headers end half-way
#   text.avi            a text file with an .avi name
#   empty.avi           zero bytes
#   folder.avi/         a folder
#   fifo.avi            a FIFO with no writer
#   nothing.mkv         Matroska with one subtitle track: neither video nor audio
#   missing.avi         never made: a path that does not exist
# With --long, also:
#   long-10s.avi        AVI, MS-MPEG4 v2 640x480 25 fps and PCM stereo audio, 10 s (benchmarks)
set -euo pipefail
dir=${1:?usage: make-clips.sh DIR [--long]}
long=${2:-}
mkdir -p "$dir"
cd "$dir"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
video="testsrc=size=160x120:rate=25:duration=0.4"
tone="sine=frequency=440:sample_rate=22050:duration=0.4"

ff -f lavfi -i "$video" -c:v mjpeg -q:v 5 -pix_fmt yuvj420p mjpeg.avi
ff -f lavfi -i "$video" -f lavfi -i "$tone" -c:v msmpeg4v2 -c:a pcm_s16le msmpeg4v2-pcm.avi
ff -f lavfi -i "$video" -c:v cinepak cinepak.avi
ff -f lavfi -i "$video" -c:v msvideo1 -pix_fmt rgb555le msvideo1.avi
ff -f lavfi -i "$video" -f lavfi -i "$tone" -c:v mpeg1video -c:a mp2 -ar 44100 -f mpeg mpeg1.mpg
ff -f lavfi -i "$video" -f lavfi -i "$tone" -c:v mpeg2video -c:a mp2 -ar 48000 -f vob mpeg2.mpg
ff -f lavfi -i "$video" -c:v libx264 -preset ultrafast -pix_fmt yuv420p h264.mp4
ff -f lavfi -i "$tone" -c:a pcm_s16le audio.wav
ff -f lavfi -i "color=c=red:size=320x240:rate=25:duration=2" -c:v mjpeg -q:v 2 -pix_fmt yuvj420p red-4x3.avi
ff -f lavfi -i "color=c=0x00ff00:size=1600x1200:rate=25:duration=2" -c:v mjpeg -q:v 2 -pix_fmt yuvj420p green-big-4x3.avi

head -c 200 mjpeg.avi >truncated.avi
printf 'This is not a movie.\nJust some words in a text file.\n' >text.avi
: >empty.avi
mkdir -p folder.avi
rm -f fifo.avi && mkfifo fifo.avi
printf '1\n00:00:00,000 --> 00:00:00,400\nno picture, no sound\n' >nothing.srt
ff -i nothing.srt -c:s srt nothing.mkv
rm -f nothing.srt missing.avi

if [ "$long" = --long ]; then
  ff -f lavfi -i "testsrc=size=640x480:rate=25:duration=10" \
     -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=10" -ac 2 \
     -c:v msmpeg4v2 -b:v 1500k -c:a pcm_s16le long-10s.avi
fi
