#!/bin/sh
# Makes the six background pictures of the console (assets/skins/skin1.jpg ..
# skin6.jpg) with ImageMagick. The product icon comes from make_icon.py.
# Five pictures are dark and low in contrast, for white, yellow, magenta,
# red and green text; pure blue text is too dark for any dark picture, so
# skin 3 is a pale one on which blue, red and magenta text read well (and
# white does not). They are 2560 x 480 pixels,
# wider and taller than the console's band on a 1920 x 1080 screen (the top
# quarter, 1920 x 270) and on most larger ones. Seeds are fixed, so a rerun
# gives the same pictures. Run from anywhere: scripts/make_skins.sh
set -eu
cd "$(dirname "$0")/../assets"
W=2560
H=480
SIZE=${W}x${H}
Q="-strip -interlace none -sampling-factor 4:2:0 -quality 85"

# 1 "Night": a deep slate sky, darker at the top, with faint stars.
convert -size $SIZE gradient:'#05070c'-'#1e2430' \
  \( -size $SIZE xc:black -seed 11 +noise Random -channel G -separate +channel \
     -threshold 99.7% -blur 0x0.6 -level 0,60% \) -compose screen -composite \
  $Q skins/skin1.jpg

# 2 "Graphite": brushed dark metal.
convert -size $SIZE xc:'#2a2a2c' -seed 22 +noise Gaussian -channel RGB \
  -motion-blur 0x40+0 -colorspace Gray -level 10%,45% -fill '#202226' -colorize 55% \
  $Q skins/skin2.jpg

# 3 "Dawn": a pale, misty morning sky with a warm glow in the middle.
convert -size $SIZE gradient:'#c9ced6'-'#e4ddd2' \
  \( -size $SIZE radial-gradient:'#f2e6d6'-'#c9ced6' \) -compose multiply -composite \
  -level 0,92% -modulate 100,60 $Q skins/skin3.jpg

# 4 "Forest": dark green foliage blots.
convert -size 640x120 -seed 44 plasma:'#0d2a12'-'#1a1a0a' -blur 0x3 \
  -resize $SIZE! -level 0,120% -modulate 80,45 $Q skins/skin4.jpg

# 5 "Stone": dark brown rock texture.
convert -size $SIZE -seed 55 plasma:'#2a1d14'-'#141010' -blur 0x1.5 \
  -colorspace Gray -level -20%,180% -fill '#3a2a1e' -tint 90 $Q skins/skin5.jpg

# 6 "Blueprint grid": a faint grid on near-black charcoal.
convert -size 64x64 xc:'#15171a' -fill none -stroke '#262b30' -draw 'line 0,0 63,0' \
  -draw 'line 0,0 0,63' -write mpr:tile +delete \
  -size $SIZE tile:mpr:tile \
  \( -size $SIZE gradient:'#00000000'-'#000000a0' \) -compose over -composite \
  $Q skins/skin6.jpg

for f in skins/skin*.jpg; do identify -format '%f %wx%h %b\n' "$f"; done
