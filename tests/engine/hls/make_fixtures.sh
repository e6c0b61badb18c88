#!/bin/sh
# Makes the HLS test streams with the real ffmpeg, into OUT (a folder nginx serves as
# /files/hls/). Small on purpose: 4 s of 160x90 video and mono audio, 1 s parts.
#
#   clear/        plain MPEG-TS parts, 4 of them
#   aes/          AES-128 by ffmpeg, with an explicit IV on the key line
#   seqiv/        AES-128 written by hand without IV: part i is encrypted with IV = its
#                 sequence number (the playlist starts at 100), as big-endian 128 bits
#   master.m3u8   three variants (800000, 2500000, 2500000): v1/, v2/, v3/ (copies of clear/)
#   fmp4/         fragmented MP4 with #EXT-X-MAP (init.mp4)
#   live.m3u8     clear/ without #EXT-X-ENDLIST
#   sample-aes.m3u8  clear/ with a METHOD=SAMPLE-AES key line
#
# Usage: make_fixtures.sh OUT. Does nothing when OUT was made by this same script.
set -eu
out=$1
here=$(cd "$(dirname "$0")" && pwd)
stamp=$(cksum <"$here/make_fixtures.sh" | cut -d' ' -f1)
[ -f "$out/.made" ] && [ "$(cat "$out/.made")" = "$stamp" ] && exit 0
command -v ffmpeg >/dev/null || { echo "ffmpeg is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }

rm -rf "$out.new"
mkdir -p "$out.new"
cd "$out.new"
src="-f lavfi -i testsrc=size=160x90:rate=10 -f lavfi -i sine=frequency=440:sample_rate=22050 -t 4"
enc="-c:v libx264 -preset ultrafast -g 10 -keyint_min 10 -sc_threshold 0 -pix_fmt yuv420p -c:a aac -b:a 32k -ac 1"
hls="-f hls -hls_time 1 -hls_list_size 0 -hls_playlist_type vod"
q="-hide_banner -loglevel error -y"

mkdir clear
ffmpeg $q $src $enc $hls -hls_segment_filename clear/seg%d.ts clear/index.m3u8

# AES-128 with an explicit IV (ffmpeg writes it on the key line).
mkdir aes
printf '0123456789abcdef' >aes/key.bin
printf 'key.bin\n%s\n%s\n' "$PWD/aes/key.bin" 000102030405060708090a0b0c0d0e0f >aes/keyinfo
ffmpeg $q $src $enc $hls -hls_key_info_file aes/keyinfo -hls_segment_filename aes/seg%d.ts aes/index.m3u8
rm aes/keyinfo

# AES-128 without IV: the IV is the media sequence number.
mkdir seqiv
printf 'fedcba9876543210' >seqiv/key.bin
keyhex=$(od -An -tx1 seqiv/key.bin | tr -d ' \n')
{
  echo '#EXTM3U'
  echo '#EXT-X-VERSION:3'
  echo '#EXT-X-TARGETDURATION:1'
  echo '#EXT-X-MEDIA-SEQUENCE:100'
  echo '#EXT-X-KEY:METHOD=AES-128,URI="key.bin"'
} >seqiv/index.m3u8
i=0
for seg in $(grep -v '^#' clear/index.m3u8); do
  seq=$((100 + i))
  iv=$(printf '%032x' "$seq")
  openssl enc -aes-128-cbc -K "$keyhex" -iv "$iv" -in "clear/$seg" -out "seqiv/part$i.ts"
  echo '#EXTINF:1.000000,' >>seqiv/index.m3u8
  echo "part$i.ts" >>seqiv/index.m3u8
  i=$((i + 1))
done
echo '#EXT-X-ENDLIST' >>seqiv/index.m3u8

# A master playlist with three variants; the first 2500000 one (v2) is the right choice.
for v in v1 v2 v3; do cp -r clear "$v"; done
cat >master.m3u8 <<'M3U'
#EXTM3U
#EXT-X-STREAM-INF:BANDWIDTH=800000,RESOLUTION=160x90,CODECS="avc1.42c00d,mp4a.40.2"
v1/index.m3u8
#EXT-X-STREAM-INF:BANDWIDTH=2500000,RESOLUTION=160x90
v2/index.m3u8
#EXT-X-STREAM-INF:RESOLUTION=160x90,BANDWIDTH=2500000
v3/index.m3u8
M3U

# Fragmented MP4 with an initialisation section.
mkdir fmp4
ffmpeg $q $src $enc $hls -hls_segment_type fmp4 -hls_fmp4_init_filename init.mp4 \
  -hls_segment_filename fmp4/seg%d.m4s fmp4/index.m3u8

# Refused ones.
grep -v '^#EXT-X-ENDLIST' clear/index.m3u8 | sed 's|^seg|clear/seg|' >live.m3u8
sed -e 's|^seg|clear/seg|' -e 's|^#EXT-X-TARGETDURATION.*|&\n#EXT-X-KEY:METHOD=SAMPLE-AES,URI="aes/key.bin",KEYFORMAT="com.apple.streamingkeydelivery"|' \
  clear/index.m3u8 >sample-aes.m3u8

cd ..
rm -rf "$out"
mv "$out.new" "$out"
echo "$stamp" >"$out/.made"
