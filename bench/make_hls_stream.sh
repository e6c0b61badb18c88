#!/bin/sh
# The benchmark's HLS stream, made by the real ffmpeg into OUT: 60 s of 1280x720 video at
# 30 frames per second (about 4 Mbit/s) with stereo AAC, in 30 AES-128 parts of 2 s
# (index.m3u8, key.bin, seg0.ts ... seg29.ts). Does nothing when OUT already holds it.
set -eu
out=$1
[ -f "$out/index.m3u8" ] && [ "$(grep -c '^seg' "$out/index.m3u8")" = 30 ] && exit 0
rm -rf "$out.new"
mkdir -p "$out.new"
cd "$out.new"
printf 'vonu-bench-key!!' >key.bin
printf 'key.bin\n%s\n%s\n' "$PWD/key.bin" 00112233445566778899aabbccddeeff >keyinfo
ffmpeg -hide_banner -loglevel error -y \
  -f lavfi -i testsrc2=size=1280x720:rate=30 -f lavfi -i sine=frequency=440:sample_rate=48000 -t 60 \
  -c:v libx264 -preset ultrafast -b:v 4M -maxrate 4M -bufsize 8M -g 60 -keyint_min 60 -sc_threshold 0 \
  -pix_fmt yuv420p -c:a aac -b:a 128k -ac 2 \
  -f hls -hls_time 2 -hls_list_size 0 -hls_playlist_type vod -hls_key_info_file keyinfo \
  -hls_segment_filename 'seg%d.ts' index.m3u8
rm keyinfo
cd ..
rm -rf "$out"
mv "$out.new" "$out"
